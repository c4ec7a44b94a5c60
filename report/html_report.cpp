#include "report/html_report.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "report/annotation_slots.h"
#include "report/complex_drawing.h"
#include "report/markup.h"
#include "report/score_histogram.h"

namespace {

const char* const STYLE =
    "body{font-family:sans-serif;margin:1.5em;color:#222}\n"
    "h2{margin-top:1.6em;border-bottom:1px solid #ddd}\n"
    "table{border-collapse:collapse;margin:.5em 0 1em}\n"
    "th,td{border:1px solid #ccc;padding:3px 8px;text-align:right;vertical-align:top}\n"
    "th{background:#f2f2f2}\n"
    ".l{text-align:left}\n"
    "table.sortable th{cursor:pointer}\n"
    ".wide{overflow-x:auto}\n"
    "figure{margin:1em 0 2em}\n"
    ".note{color:#555;font-size:90%}\n"
    "td.names{font-size:85%;max-width:22em;overflow-wrap:anywhere}\n";

// Sorts a table by the clicked column: numbers as numbers, the rest as text.
const char* const SORT_SCRIPT =
    "document.querySelectorAll('table.sortable').forEach(function (table) {\n"
    "  table.querySelectorAll('thead th').forEach(function (th, col) {\n"
    "    th.title = 'Sort by this column';\n"
    "    th.addEventListener('click', function () {\n"
    "      var body = table.tBodies[0], up = th.getAttribute('data-order') !== 'up';\n"
    "      var key = function (row) {\n"
    "        var c = row.cells[col];\n"
    "        return c.hasAttribute('data-v') ? c.getAttribute('data-v') : c.textContent;\n"
    "      };\n"
    "      var rows = Array.prototype.slice.call(body.rows);\n"
    "      rows.sort(function (a, b) {\n"
    "        var x = key(a), y = key(b), nx = parseFloat(x), ny = parseFloat(y);\n"
    "        var d = isNaN(nx) || isNaN(ny) ? x.localeCompare(y) : nx - ny;\n"
    "        return up ? d : -d;\n"
    "      });\n"
    "      rows.forEach(function (r) { body.appendChild(r); });\n"
    "      th.setAttribute('data-order', up ? 'up' : 'down');\n"
    "    });\n"
    "  });\n"
    "});\n";

std::string cell(const std::string& text, const char* cls = nullptr) {
  return std::string(cls ? "<td class=\"" + std::string(cls) + "\">" : "<td>") + escapeMarkup(text) + "</td>";
}

// A number shown rounded, sorted at full precision.
std::string numberCell(double v, const char* shown) {
  return strFormat("<td data-v=\"%.6f\">", v) + strFormat(shown, v) + "</td>";
}

// Header cells; those from firstLeft on are left-aligned like their text columns. slotAt: where
// the annotation slot of the header goes (before that cell), SIZE_MAX for none.
std::string headerRow(const std::vector<std::string>& names, size_t firstLeft = SIZE_MAX,
                      size_t slotAt = SIZE_MAX) {
  std::string out = "<tr>";
  for (size_t i = 0; i < names.size(); ++i) {
    if (i == slotAt) out += annotationSlot(slot::HEAD);
    out += (i >= firstLeft ? "<th class=\"l\">" : "<th>") + escapeMarkup(names[i]) + "</th>";
  }
  return out + "</tr>\n";
}

std::string parametersSection(const RunSummary& summary) {
  std::string out = "<h2 id=\"parameters\">Run parameters</h2>\n<table>\n";
  out += "<tr><th class=\"l\">Option</th><th class=\"l\">Value</th></tr>\n";
  for (const auto& p : summary.parameters)
    out += "<tr>" + cell(p.first, "l") + cell(p.second, "l") + "</tr>\n";
  return out + "</table>\n";
}

std::string networksSection(const RunSummary& summary) {
  std::string out = "<h2 id=\"networks\">Networks and models</h2>\n<div class=\"wide\"><table>\n";
  out += headerRow({"species", "proteins", "interactions", "similarity links", "TF", "p_true", "p_o", "p_te",
                    "expected interactions", "pairs scored 0 when missing"});
  for (size_t s = 0; s < summary.species.size(); ++s) {
    const SpeciesStats& st = summary.species[s];
    out += "<tr>" + cell(summary.naming.speciesKey(static_cast<uint>(s)), "l");
    out += strFormat(
        "<td>%u</td><td>%u</td><td>%u</td><td>%.1f</td><td>%.5f</td><td>%.5f</td>"
        "<td>%.5f</td><td>%.0f</td><td>%llu</td></tr>\n",
        st.proteins, st.interactions, st.similarityLinks, st.model.trueFact, st.model.probTrue, st.probObserved,
        st.model.probTE, st.model.eTotalWeight, static_cast<unsigned long long>(st.hubPairs));
  }
  return out + "</table></div>\n";
}

std::string phaseRow(const char* name, const PhaseCounts& c, bool finalColumn) {
  if (!c.ran)
    return strFormat("<tr><td class=\"l\">%s</td><td colspan=\"%d\" class=\"l\">not run</td></tr>\n", name,
                     finalColumn ? 6 : 5);
  const std::string kept = c.complexesFiltered ? std::to_string(c.complexesKept) : "no filter";
  std::string row = strFormat(
      "<tr><td class=\"l\">%s</td><td>%zu</td><td>%zu</td><td>%zu</td><td>%s</td><td>%zu</td>", name,
      c.seedsFound, c.seedsKept, c.complexesFound, kept.c_str(), c.complexesRefined);
  if (finalColumn)
    row += c.refinedFiltered ? strFormat("<td>%zu</td>", c.complexesFinal) : std::string("<td>no filter</td>");
  return row + "</tr>\n";
}

std::string searchSection(const RunSummary& summary) {
  const bool finalColumn = summary.realPass.refinedFiltered;
  std::string out = "<h2 id=\"search\">Search</h2>\n<table>\n";
  std::vector<std::string> names = {"pass", "seeds found", "seeds after overlap filter", "complexes grown",
                                    "after complex filter", "after refinement"};
  if (finalColumn) names.push_back("final (after filtering the refined)");
  out += headerRow(names);
  out += phaseRow("random network", summary.randomPass, finalColumn);
  out += phaseRow("real network", summary.realPass, finalColumn);
  return out + "</table>\n";
}

// A protein as the table shows it: its label in bold before its name, and a
// UniProt accession as a link to its entry.
std::string proteinMarkup(const Node* n, const Naming& naming) {
  std::string name = escapeMarkup(n->m_name);
  if (isUniprotAccession(n->m_name))
    name = "<a href=\"https://www.uniprot.org/uniprotkb/" + name + "/entry\">" + name + "</a>";
  return naming.hasLabel(n) ? "<b>" + escapeMarkup(naming.labelOf(n)) + "</b> " + name : name;
}

// A p-value cell: shown with 3 digits, sorted at full precision; empty when there is none.
std::string pCell(const std::optional<double>& p) {
  return p ? strFormat("<td data-v=\"%.6g\">%.3g</td>", *p, *p) : std::string("<td></td>");
}

// What the overlap filter promised and what the final complexes hold.
std::string overlapNote(const RunSummary& summary, const std::vector<ComplexRow>& rows) {
  const FinalOverlap o = finalOverlap(rows);
  const double limit = 100 * summary.overlapThreshold;
  std::string note = strFormat(
      "<p class=\"note\">Overlap of the final complexes (shared proteins over the smaller complex): at most "
      "%.0f%%; %zu pairs share more than the %.0f%% the complex filter allows",
      100 * o.largest, o.pairsBeyond, limit);
  if (summary.finalOverlapFilter) return note + " (the overlap filter ran again after refinement).</p>\n";
  return note + (o.pairsBeyond == 0 ? "." : ": the filter runs before refinement, which re-grows complexes.") +
         "</p>\n";
}

std::string complexesTable(const RunSummary& summary, const std::vector<ComplexRow>& rows) {
  std::vector<std::string> names = {"id", "rank", "aligned nodes", "proteins", "score"};
  const Naming& naming = summary.naming;
  for (uint s = 0; s < summary.speciesNum; ++s) names.push_back("score " + naming.speciesKey(s));
  names.insert(names.end(), {"distinct per species", "connected species", "overlapping"});
  if (summary.randomFilter)
    names.insert(names.end(), {"random threshold", "random best", "r", "empirical p", "tail p", "q"});
  const size_t firstNames = names.size();
  for (uint s = 0; s < summary.speciesNum; ++s) names.push_back("proteins " + naming.speciesKey(s));
  std::string out = "<h2 id=\"complexes\">Complexes</h2>\n";
  out +=
      "<p class=\"note\">Click a column header to sort (with scripts enabled); ids of drawn complexes link "
      "to their drawing. <em>Connected species</em>: species whose proteins in the complex form one "
      "connected subnetwork; <em>overlapping</em>: other complexes sharing more than the filter's threshold of "
      "proteins.";
  if (summary.randomFilter)
    out +=
        " <em>r</em>: random complexes of the size behind the p-values; <em>empirical p</em>: (1 + random "
        "complexes scoring at least as high) / (1 + r), never below 1 / (1 + r), empty when r is 0; "
        "<em>tail p</em>: the same tail from a normal law fitted to the r random scores; <em>q</em>: the "
        "empirical p corrected over all complexes (Benjamini-Hochberg).";
  out += "</p>\n" + overlapNote(summary, rows);
  out += "<div class=\"wide\"><table class=\"sortable\">\n<thead>" + headerRow(names, firstNames, firstNames) +
         "</thead>\n<tbody>\n";
  for (size_t index : byRank(rows)) {
    const ComplexRow& r = rows[index];
    out += r.rank <= DRAWN_COMPLEXES
               ? strFormat("<tr><td data-v=\"%u\"><a href=\"#c%05u\">%05u</a></td>", r.id, r.id, r.id)
               : strFormat("<tr><td data-v=\"%u\">%05u</td>", r.id, r.id);
    out += strFormat("<td>%u</td><td>%zu</td><td>%zu</td>", r.rank, r.alignedNodes, r.proteins);
    out += numberCell(r.score, "%.2f");
    for (double v : r.speciesScores) out += numberCell(v, "%.2f");
    std::string distinct;
    for (const std::vector<const Node*>& proteins : r.speciesProteins)
      distinct += (distinct.empty() ? "" : ", ") + std::to_string(proteins.size());
    const size_t connected = std::count(r.speciesConnected.begin(), r.speciesConnected.end(), true);
    out += cell(distinct) + strFormat("<td data-v=\"%zu\">%zu of %zu</td>", connected, connected,
                                      r.speciesConnected.size());
    out += strFormat("<td>%u</td>", r.overlapping);
    if (summary.randomFilter) {
      out += r.hasRandom ? numberCell(r.randomThreshold, "%.2f") + numberCell(r.randomBest, "%.2f")
                         : std::string("<td></td><td></td>");
      out += strFormat("<td>%u</td>", r.randomSamples) + pCell(r.empiricalP) + pCell(r.tailP) + pCell(r.qValue);
    }
    out += annotationSlot(slot::row(r.id));
    for (const std::vector<const Node*>& proteins : r.speciesProteins) {
      std::string names;
      for (const Node* n : proteins) names += (names.empty() ? "" : ", ") + proteinMarkup(n, naming);
      out += "<td class=\"l names\">" + names + "</td>";
    }
    out += "</tr>\n";
  }
  return out + "</tbody></table></div>\n";
}

std::string drawingsSection(const RunSummary& summary, const std::vector<ComplexRow>& rows) {
  const std::vector<size_t> order = byRank(rows);
  const size_t drawn = std::min(order.size(), DRAWN_COMPLEXES);
  std::string out = strFormat("<h2 id=\"drawings\">Best complexes (%zu drawn)</h2>\n", drawn);
  out +=
      "<p class=\"note\">One column per species; a circle per protein, on the row of the first aligned node "
      "holding it; solid curves: interactions inside a species (wider for higher confidence); dashed lines: "
      "similarity links inside an aligned node. Hover for full names and values.</p>\n";
  for (size_t k = 0; k < drawn; ++k) {
    const ComplexRow& r = rows[order[k]];
    out += strFormat("<figure id=\"c%05u\" class=\"wide\">\n", r.id);
    out += drawComplex(r, summary.speciesNum, summary.naming);
    out += "\n</figure>\n";
  }
  return out;
}

}  // namespace

void writeHtmlReport(FILE* f, const RunSummary& summary, const std::vector<ComplexRow>& rows) {
  std::string page = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
  page += "<title>trellis2 report: " + escapeMarkup(summary.outPrefix) + "</title>\n";
  page += std::string("<style>\n") + STYLE + "</style>\n</head>\n<body>\n<h1>trellis2 report</h1>\n";
  page += "<p>Input <code>" + escapeMarkup(summary.inPrefix) + "</code>, output <code>" +
          escapeMarkup(summary.outPrefix) +
          strFormat("</code>: %u species, %zu complexes.</p>\n", summary.speciesNum, rows.size());
  page +=
      "<p><a href=\"#parameters\">Parameters</a> &middot; <a href=\"#networks\">Networks</a> &middot; "
      "<a href=\"#search\">Search</a> &middot; <a href=\"#scores\">Scores</a> &middot; "
      "<a href=\"#complexes\">Complexes</a> &middot; <a href=\"#drawings\">Drawings</a>" +
      annotationSlot(slot::NAV) + "</p>\n" + annotationSlot(slot::SUMMARY) + "\n";
  page += parametersSection(summary) + networksSection(summary) + searchSection(summary);
  page += "<h2 id=\"scores\">Scores</h2>\n<figure class=\"wide\">\n" + drawScoreHistogram(rows, summary) +
          "\n</figure>\n";
  page +=
      complexesTable(summary, rows) + annotationSlot(slot::SECTION) + "\n" + drawingsSection(summary, rows);
  page += std::string("<script>\n") + SORT_SCRIPT + "</script>\n</body>\n</html>\n";
  std::fputs(page.c_str(), f);
}
