#include "report/score_histogram.h"

#include <algorithm>
#include <map>

#include "report/markup.h"
#include "report/svg_writer.h"

namespace {

constexpr double LEFT = 110;
constexpr double PLOT_WIDTH = 600;
constexpr double TOP = 26;
constexpr double ROW = 46;
constexpr double BAR_ROOM = 36;
constexpr uint BINS = 20;

struct Axis {
  double lo, hi;
  double x(double v) const { return LEFT + PLOT_WIDTH * (v - lo) / (hi - lo); }
  uint bin(double v) const { return std::min(BINS - 1, static_cast<uint>(BINS * (v - lo) / (hi - lo))); }
  double binLow(uint b) const { return lo + (hi - lo) * b / BINS; }
};

// The score range of every complex and every marked threshold, with 0 included.
Axis axisOf(const std::vector<ComplexRow>& rows) {
  Axis axis{0, 0};
  for (const ComplexRow& r : rows) {
    axis.lo = std::min(axis.lo, r.score);
    axis.hi = std::max(axis.hi, r.score);
    if (r.hasRandom) {
      axis.lo = std::min(axis.lo, r.randomThreshold);
      axis.hi = std::max(axis.hi, r.randomThreshold);
    }
  }
  if (axis.hi <= axis.lo) axis.hi = axis.lo + 1;
  return axis;
}

void drawAxis(const Axis& axis, double y, SvgWriter* svg) {
  svg->line(LEFT, y, LEFT + PLOT_WIDTH, y, "stroke=\"#444\"");
  for (uint t = 0; t <= 5; ++t) {
    const double v = axis.lo + (axis.hi - axis.lo) * t / 5;
    svg->line(axis.x(v), y, axis.x(v), y + 5, "stroke=\"#444\"");
    svg->text(axis.x(v), y + 18, strFormat("%.1f", v), "font-size=\"11\" text-anchor=\"middle\"");
  }
  svg->text(LEFT + PLOT_WIDTH / 2, y + 34, "complex score", "font-size=\"12\" text-anchor=\"middle\"");
}

}  // namespace

std::string drawScoreHistogram(const std::vector<ComplexRow>& rows, const RunSummary& summary) {
  if (rows.empty()) {
    SvgWriter svg(LEFT + PLOT_WIDTH, 30, "No complexes");
    svg.text(6, 20, "No complexes were found.", "font-size=\"13\"");
    return svg.finish();
  }
  const Axis axis = axisOf(rows);
  std::map<size_t, std::vector<uint>> counts;  // size -> complexes per bin
  for (const ComplexRow& r : rows) {
    std::vector<uint>& bins = counts[r.alignedNodes];
    bins.resize(BINS);
    ++bins[axis.bin(r.score)];
  }
  const double height = TOP + ROW * counts.size() + 44;
  SvgWriter svg(LEFT + PLOT_WIDTH + 90, height, "Complex scores by size");
  svg.text(LEFT, 14,
           summary.randomFilter
               ? "Complexes per score bin, by size; red line: random-pass threshold of the size"
               : "Complexes per score bin, by size",
           "font-size=\"12\" fill=\"#333\"");
  double y = TOP;
  for (const auto& entry : counts) {
    const size_t size = entry.first;
    const std::vector<uint>& bins = entry.second;
    const uint most = *std::max_element(bins.begin(), bins.end());
    uint total = 0;
    for (uint n : bins) total += n;
    svg.text(LEFT - 8, y + ROW / 2 + 4, strFormat("size %zu (%u)", size, total),
             "font-size=\"12\" text-anchor=\"end\"");
    svg.text(LEFT + PLOT_WIDTH + 8, y + ROW / 2 + 4, strFormat("max %u/bin", most),
             "font-size=\"10\" fill=\"#666\"");
    svg.line(LEFT, y + ROW - 4, LEFT + PLOT_WIDTH, y + ROW - 4, "stroke=\"#ccc\"");
    for (uint b = 0; b < BINS; ++b) {
      if (bins[b] == 0) continue;
      const double h = BAR_ROOM * bins[b] / most;
      const double x0 = axis.x(axis.binLow(b)), x1 = axis.x(axis.binLow(b + 1));
      svg.rect(x0 + 0.5, y + ROW - 4 - h, x1 - x0 - 1, h, "fill=\"#4c78a8\"",
               strFormat("size %zu, score %.1f to %.1f: %u complexes", size, axis.binLow(b),
                         axis.binLow(b + 1), bins[b]));
    }
    if (summary.randomFilter && size < summary.random.size() && summary.random[size].samples > 0) {
      const RandomSizeStat& rs = summary.random[size];
      svg.line(axis.x(rs.threshold), y + 2, axis.x(rs.threshold), y + ROW - 2,
               "stroke=\"#d62728\" stroke-width=\"2\"",
               strFormat("size %zu: random-pass threshold %.1f (best random score %.1f, %u random complexes)",
                         size, rs.threshold, rs.best, rs.samples));
    }
    y += ROW;
  }
  drawAxis(axis, y, &svg);
  return svg.finish();
}
