#include "report/complex_drawing.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "report/complex_links.h"
#include "report/markup.h"
#include "report/svg_writer.h"

namespace {

const char* const PALETTE[MAX_SPECIES] = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd", "#ff7f0e",
                                          "#17becf", "#8c564b", "#e377c2", "#7f7f7f", "#bcbd22"};

constexpr double LEFT = 56;  // room for the curves of the first column
constexpr double TOP = 62;   // title and column headers
constexpr double ROW = 40;   // one row per aligned node
constexpr double RADIUS = 8;
constexpr double CHAR_WIDTH = 6.4;  // of the 11px label font, generously

// Columns narrow as species are added, so that ten species still fit a wide screen.
double columnWidth(uint speciesNum) { return std::max(124.0, std::min(170.0, 1240.0 / speciesNum)); }

// name cut to about maxChars characters (on a character boundary) with an ellipsis.
std::string shortLabel(const std::string& name, size_t maxChars) {
  if (name.size() <= maxChars) return name;
  size_t cut = maxChars - 1;
  while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
  return name.substr(0, cut) + "\xE2\x80\xA6";
}

struct Place {
  double x, y;
};

// Every protein sits in its species' column, on the row of the first aligned
// node holding it, so that an aligned node of new proteins reads as one row.
// order receives the proteins in that order of first appearance.
std::map<const Node*, Place> placeProteins(const ComplexRow& row, double colWidth,
                                           std::vector<const Node*>* order) {
  std::map<const Node*, Place> places;
  size_t r = 0;
  for (const VPath& path : row.complex->paths()) {
    for (const Node* n : path) {
      if (!places.emplace(n, Place{LEFT + colWidth * n->m_speciesIdx + RADIUS, TOP + ROW * r + RADIUS})
               .second)
        continue;
      order->push_back(n);
    }
    ++r;
  }
  return places;
}

void drawInteractions(const ComplexLinks& links, const std::map<const Node*, Place>& at, double colWidth,
                      SvgWriter* svg) {
  for (const ComplexLink& l : links.interactions) {
    const Place a = at.at(l.a), b = at.at(l.b);
    // Proteins of one species share a column: curves bending left, the more
    // the farther apart, keep the pairs of a column apart.
    const double rows = std::abs(b.y - a.y) / ROW;
    const double bend = std::min(colWidth * 0.8, 14 + 10 * rows);
    const double width = 0.8 + 2.7 * std::min(1.0, std::max(0.0, l.weight));
    svg->curve(a.x, a.y, a.x - bend, (a.y + b.y) / 2, b.x, b.y,
               strFormat("stroke=\"%s\" stroke-opacity=\"0.65\" stroke-width=\"%.1f\"",
                         speciesColour(l.a->m_speciesIdx), width),
               strFormat("%s - %s: interaction, confidence %.3f", l.a->name(), l.b->name(), l.weight));
  }
}

void drawSimilarities(const ComplexLinks& links, const std::map<const Node*, Place>& at, double colWidth,
                      SvgWriter* svg) {
  const std::string style = "stroke=\"#666\" stroke-width=\"1.3\" stroke-dasharray=\"5 3\"";
  for (const ComplexLink& l : links.similarities) {
    Place a = at.at(l.a), b = at.at(l.b);
    if (b.x < a.x) std::swap(a, b);
    const std::string title = strFormat("%s - %s: similarity link", l.a->name(), l.b->name());
    const double columns = (b.x - a.x) / colWidth;
    if (columns < 1.5) {
      svg->line(a.x + RADIUS, a.y, b.x - RADIUS, b.y, style, title);
    } else {
      // Lift links that skip columns over the proteins in between, but keep
      // them below the column headers.
      const double lift = 16 * (columns - 1);
      svg->curve(a.x + RADIUS, a.y, (a.x + b.x) / 2, std::max(TOP - 16, std::min(a.y, b.y) - lift),
                 b.x - RADIUS, b.y, style, title);
    }
  }
}

}  // namespace

const char* speciesColour(uint s) { return PALETTE[s % MAX_SPECIES]; }

std::string drawComplex(const ComplexRow& row, uint speciesNum, const Naming& naming) {
  const double colWidth = columnWidth(speciesNum);
  const double width = LEFT + colWidth * speciesNum;
  const double height = TOP + ROW * static_cast<double>(row.alignedNodes) + 8;
  const std::string caption = strFormat("Complex %05u: rank %u, score %.1f, %zu aligned nodes, %zu proteins",
                                        row.id, row.rank, row.score, row.alignedNodes, row.proteins);
  SvgWriter svg(width, height, caption);
  svg.text(6, 16, caption, "font-size=\"13\" font-weight=\"bold\"");
  for (uint s = 0; s < speciesNum; ++s) {
    const double x = LEFT + colWidth * s + RADIUS;
    svg.text(x, 36, shortLabel(naming.speciesName(s), static_cast<size_t>((colWidth - 8) / CHAR_WIDTH)),
             strFormat("font-size=\"12\" fill=\"%s\" text-anchor=\"middle\"", speciesColour(s)));
    svg.text(x, 50, strFormat("score %.1f", row.speciesScores[s]),
             "font-size=\"10\" fill=\"#555\" text-anchor=\"middle\"");
  }
  std::vector<const Node*> proteins;
  const std::map<const Node*, Place> at = placeProteins(row, colWidth, &proteins);
  const ComplexLinks links = ComplexLinks::of(*row.complex, speciesNum);
  drawSimilarities(links, at, colWidth, &svg);
  drawInteractions(links, at, colWidth, &svg);
  const size_t maxChars = static_cast<size_t>((colWidth - 8) / CHAR_WIDTH);
  for (const Node* n : proteins) {
    const Place p = at.at(n);
    const std::string title =
        (naming.hasLabel(n) ? naming.labelOf(n) + ": " : std::string()) + n->m_name + " (" +
        naming.speciesName(n->m_speciesIdx) + ")";
    svg.circle(p.x, p.y, RADIUS,
               strFormat("fill=\"%s\" stroke=\"#fff\" stroke-width=\"1.5\"", speciesColour(n->m_speciesIdx)),
               title);
    // A white halo keeps a label readable where links pass behind it.
    svg.text(
        p.x, p.y + RADIUS + 12, shortLabel(naming.labelOf(n), maxChars),
        "font-size=\"11\" text-anchor=\"middle\" stroke=\"#fff\" stroke-width=\"3\" paint-order=\"stroke\"",
        title);
  }
  return svg.finish();
}
