// The drawing of the largest complex the search can make (15 aligned nodes, 10
// species) and the page around it: well-formed, inside its frame, no two
// proteins on top of each other, the links that are there drawn once each, and
// names made safe.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <list>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "complexes/complexes_crawler_test_util.h"
#include "report/complex_drawing.h"
#include "report/complex_links.h"
#include "report/html_report.h"
#include "report/markup.h"
#include "report/report_checks.h"
#include "report/score_histogram.h"
#include "report/summary_table.h"

namespace {

constexpr uint SPECIES = 10;
constexpr uint NODES = MAX_COMPLEX_SIZE;
const std::string LONG_NAME = "protein_with_a_rather_long_systematic_name_0";

std::string nodeName(uint s, uint k) { return s == 3 && k == 0 ? LONG_NAME : "s" + std::to_string(s) + "p" + std::to_string(k); }

// In every species a chain of the complex proteins (confidence 0.2 and 0.95 in
// turn) and one long-range interaction; aligned node k links the proteins k of
// neighbouring species, and node 0 also species 0 to species 9.
class LargestComplexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (uint s = 0; s < SPECIES; ++s) {
      for (uint k = 0; k < NODES; ++k) p[s][k] = f.node(nodeName(s, k), static_cast<byte>(s));
      for (uint k = 0; k + 1 < NODES; ++k) f.ppi(p[s][k], p[s][k + 1], k % 2 ? 0.95 : 0.2);
      f.ppi(p[s][0], p[s][NODES - 1], 0.6);
      f.fillerChain("filler" + std::to_string(s) + "_", static_cast<byte>(s), 40);
    }
    for (uint k = 0; k < NODES; ++k)
      for (uint s = 0; s + 1 < SPECIES; ++s) f.sim(p[s][k], p[s + 1][k]);
    f.sim(p[0][0], p[SPECIES - 1][0]);
    f.finalize();
    Complex c(7, &f.net);
    for (uint k = 0; k < NODES; ++k) {
      VPath path;
      for (uint s = 0; s < SPECIES; ++s) path.append(p[s][k]);
      c.addPath(&path);
    }
    complexes.push_back(c);
    summary.speciesNum = SPECIES;
    summary.complexes = &complexes;
    for (uint s = 0; s < SPECIES; ++s) summary.species.push_back(SpeciesStats::of(f.net, static_cast<byte>(s)));
    summary.randomFilter = true;
    summary.random[NODES] = {3, 2.5, 1.5};
    rows = complexRows(summary);
  }

  crawlertest::NetFixture f{SPECIES};
  Node* p[SPECIES][NODES];
  std::list<Complex> complexes;
  RunSummary summary;
  std::vector<ComplexRow> rows;
};

// The start tags (up to '>') of every element named name.
std::vector<std::string> tags(const std::string& svg, const std::string& name) {
  std::vector<std::string> out;
  for (size_t at = svg.find("<" + name + " "); at != std::string::npos; at = svg.find("<" + name + " ", at + 1))
    out.push_back(svg.substr(at, svg.find('>', at) + 1 - at));
  return out;
}

size_t occurrences(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The number value of attribute name of a start tag; NAN when absent.
double attr(const std::string& tag, const std::string& name) {
  const size_t at = tag.find(" " + name + "=\"");
  return at == std::string::npos ? NAN : std::atof(tag.c_str() + at + name.size() + 3);
}

TEST_F(LargestComplexTest, DrawingFitsItsFrameAndDrawsEveryLinkOnce) {
  ASSERT_EQ(rows.size(), 1u);
  const std::string svg = drawComplex(rows[0], SPECIES);
  ASSERT_EQ(reportcheck::xmlProblem(svg), "");
  const double width = attr(svg, "width"), height = attr(svg, "height");
  // Natural size: fits a wide screen without shrinking the 11px labels.
  EXPECT_LE(width, 1400);
  EXPECT_LE(height, 800);

  // Every coordinate of every shape lies inside the frame.
  for (const char* element : {"circle", "line", "text", "rect", "path"}) {
    for (const std::string& tag : tags(svg, element)) {
      for (const char* name : {"x", "cx", "x1", "x2", "y", "cy", "y1", "y2"}) {
        const double v = attr(tag, name);
        if (std::isnan(v)) continue;
        EXPECT_GE(v, 0) << tag;
        EXPECT_LE(v, std::strchr(name, 'x') ? width : height) << tag;
      }
      double d[6];
      const size_t at = tag.find(" d=\"");
      if (at == std::string::npos) continue;
      ASSERT_EQ(std::sscanf(tag.c_str() + at, " d=\"M%lf %lf Q%lf %lf %lf %lf", &d[0], &d[1], &d[2], &d[3], &d[4],
                            &d[5]),
                6)
          << tag;
      // The curve itself, not its control point, must stay inside.
      for (double t = 0; t <= 1; t += 0.125) {
        const double x = (1 - t) * (1 - t) * d[0] + 2 * t * (1 - t) * d[2] + t * t * d[4];
        const double y = (1 - t) * (1 - t) * d[1] + 2 * t * (1 - t) * d[3] + t * t * d[5];
        EXPECT_TRUE(x >= 0 && x <= width && y >= 0 && y <= height) << tag << " at " << t;
      }
    }
  }

  // One circle per protein, none overlapping another.
  struct Circle {
    double x, y, r;
  };
  std::vector<Circle> circles;
  for (const std::string& tag : tags(svg, "circle"))
    circles.push_back({attr(tag, "cx"), attr(tag, "cy"), attr(tag, "r")});
  ASSERT_EQ(circles.size(), SPECIES * NODES);
  for (size_t i = 0; i < circles.size(); ++i) {
    for (size_t j = i + 1; j < circles.size(); ++j)
      EXPECT_GE(std::hypot(circles[i].x - circles[j].x, circles[i].y - circles[j].y), 2 * circles[i].r + 4)
          << i << " " << j;
  }

  const ComplexLinks links = ComplexLinks::of(complexes.front(), SPECIES);
  EXPECT_EQ(links.interactions.size(), SPECIES * NODES);            // 14 chain links and 1 long one each
  EXPECT_EQ(links.similarities.size(), (SPECIES - 1) * NODES + 1);  // node 0 has the extra link
  EXPECT_EQ(occurrences(svg, "stroke-dasharray"), links.similarities.size());
  EXPECT_EQ(occurrences(svg, ": interaction, confidence"), links.interactions.size());

  // Width follows confidence.
  const auto widthOf = [&](const std::string& a, const std::string& b) {
    const size_t at = svg.find("<title>" + a + " - " + b + ": interaction");
    const size_t start = svg.rfind("<path", at);
    return attr(svg.substr(start, at - start), "stroke-width");
  };
  EXPECT_GT(widthOf("s2p1", "s2p2"), widthOf("s2p0", "s2p1") + 1.5);

  // A long name is cut on screen, whole in its tooltip.
  EXPECT_NE(svg.find("<title>" + LONG_NAME + " (species 3)</title>protein_with"), std::string::npos);
  EXPECT_NE(svg.find("\xE2\x80\xA6</text>"), std::string::npos);
}

TEST_F(LargestComplexTest, PageAndTableCoverTheComplex) {
  char* buf = nullptr;
  size_t len = 0;
  FILE* f = open_memstream(&buf, &len);
  writeHtmlReport(f, summary, rows);
  std::fclose(f);
  const std::string html(buf, len);
  std::free(buf);
  const std::vector<std::string> svgs = reportcheck::svgElements(html);
  ASSERT_EQ(svgs.size(), 2u);
  for (const std::string& svg : svgs) EXPECT_EQ(reportcheck::xmlProblem(svg), "") << svg.substr(0, 300);
  // The threshold of size 15 is marked on the histogram.
  EXPECT_NE(svgs[0].find("size 15: random-pass threshold 1.5"), std::string::npos);
  EXPECT_NE(html.find("<a href=\"#c00007\">00007</a>"), std::string::npos);
}

TEST(MarkupTest, EscapesMarkupAndReplacesWhatXmlCannotHold) {
  EXPECT_EQ(escapeMarkup("a<b>&\"c'"), "a&lt;b&gt;&amp;&quot;c&#39;");
  EXPECT_EQ(escapeMarkup("Prot\xC3\xA9ine_\xF0\x9F\xA7\xAC"), "Prot\xC3\xA9ine_\xF0\x9F\xA7\xAC");  // kept
  const std::string bad = "\xEF\xBF\xBD";
  EXPECT_EQ(escapeMarkup("x\x01y\x7F"), "x" + bad + "y" + bad);
  EXPECT_EQ(escapeMarkup("\xC3"), bad);                  // cut sequence
  EXPECT_EQ(escapeMarkup("\xC0\xAF"), bad + bad);        // overlong '/'
  EXPECT_EQ(escapeMarkup("\xED\xA0\x80"), bad + bad + bad);  // surrogate
  EXPECT_EQ(reportcheck::xmlProblem("<t a=\"" + escapeMarkup("\x02<\"&\xFF") + "\">" +
                                    escapeMarkup("]]>\x1F&#") + "</t>"),
            "");
  EXPECT_EQ(tsvField("plain,name"), "plain,name");
  EXPECT_EQ(tsvField("a\"b"), "\"a\"\"b\"");
}

}  // namespace
