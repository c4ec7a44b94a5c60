// The drawing of the largest complex the search can make (15 aligned nodes, 10
// species): well-formed, inside its frame, no two proteins on top of each
// other, each link drawn once; and the escaping of names.
#include "report/complex_drawing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <list>
#include <string>
#include <vector>

#include "complexes/complexes_crawler_test_util.h"
#include "report/complex_links.h"
#include "report/markup.h"
#include "report/report_checks.h"
#include "report/summary_table.h"

namespace {

constexpr uint SPECIES = 10, NODES = MAX_COMPLEX_SIZE;

// The start tags of every element named name.
std::vector<std::string> tags(const std::string& svg, const std::string& name) {
  std::vector<std::string> out;
  for (size_t at = svg.find("<" + name + " "); at != std::string::npos;
       at = svg.find("<" + name + " ", at + 1))
    out.push_back(svg.substr(at, svg.find('>', at) + 1 - at));
  return out;
}

// The number value of attribute name of a start tag; NAN when absent.
double attr(const std::string& tag, const std::string& name) {
  const size_t at = tag.find(" " + name + "=\"");
  return at == std::string::npos ? NAN : std::atof(tag.c_str() + at + name.size() + 3);
}

TEST(ComplexDrawingTest, LargestComplexFitsItsFrameAndDrawsEveryLinkOnce) {
  // In every species a chain of the complex proteins (confidence 0.2 and 0.95
  // in turn) and one long-range interaction; aligned node k links the proteins
  // k of neighbouring species, node 0 also species 0 to species 9.
  crawlertest::NetFixture f(SPECIES);
  Node* p[SPECIES][NODES];
  for (uint s = 0; s < SPECIES; ++s) {
    for (uint k = 0; k < NODES; ++k) p[s][k] = f.node(strFormat("s%up%u_long_systematic_name", s, k), s);
    for (uint k = 0; k + 1 < NODES; ++k) f.ppi(p[s][k], p[s][k + 1], k % 2 ? 0.95 : 0.2);
    f.ppi(p[s][0], p[s][NODES - 1], 0.6);
    f.fillerChain(strFormat("filler%u_", s), static_cast<byte>(s), 40);
  }
  for (uint k = 0; k < NODES; ++k)
    for (uint s = 0; s + 1 < SPECIES; ++s) f.sim(p[s][k], p[s + 1][k]);
  f.sim(p[0][0], p[SPECIES - 1][0]);
  f.finalize();
  std::list<Complex> complexes{Complex(7, &f.net)};
  for (uint k = 0; k < NODES; ++k) {
    VPath path;
    for (uint s = 0; s < SPECIES; ++s) path.append(p[s][k]);
    complexes.front().addPath(&path);
  }
  RunSummary summary;
  summary.speciesNum = SPECIES;
  summary.complexes = &complexes;
  const std::string svg = drawComplex(complexRows(summary).at(0), SPECIES);

  ASSERT_EQ(reportcheck::xmlProblem(svg), "");
  const double width = attr(svg, "width"), height = attr(svg, "height");
  EXPECT_LE(width, 1400);  // natural size: fits a wide screen without shrinking the labels
  EXPECT_LE(height, 800);
  const auto inside = [&](double x, double y) { return x >= 0 && x <= width && y >= 0 && y <= height; };
  for (const std::string& tag : tags(svg, "line"))
    EXPECT_TRUE(inside(attr(tag, "x1"), attr(tag, "y1")) && inside(attr(tag, "x2"), attr(tag, "y2"))) << tag;
  for (const std::string& tag : tags(svg, "text")) EXPECT_TRUE(inside(attr(tag, "x"), attr(tag, "y"))) << tag;
  for (const std::string& tag : tags(svg, "path")) {
    double d[6];
    ASSERT_EQ(std::sscanf(tag.c_str() + tag.find(" d=\""), " d=\"M%lf %lf Q%lf %lf %lf %lf", &d[0], &d[1],
                          &d[2], &d[3], &d[4], &d[5]),
              6);
    for (double t = 0; t <= 1; t += 0.125)  // the curve itself, not its control point
      EXPECT_TRUE(inside((1 - t) * (1 - t) * d[0] + 2 * t * (1 - t) * d[2] + t * t * d[4],
                         (1 - t) * (1 - t) * d[1] + 2 * t * (1 - t) * d[3] + t * t * d[5]))
          << tag;
  }
  const std::vector<std::string> circles = tags(svg, "circle");
  ASSERT_EQ(circles.size(), SPECIES * NODES);
  for (size_t i = 0; i < circles.size(); ++i)
    for (size_t j = i + 1; j < circles.size(); ++j)
      EXPECT_GE(std::hypot(attr(circles[i], "cx") - attr(circles[j], "cx"),
                           attr(circles[i], "cy") - attr(circles[j], "cy")),
                2 * attr(circles[i], "r") + 4);

  const ComplexLinks links = ComplexLinks::of(complexes.front(), SPECIES);
  EXPECT_EQ(links.interactions.size(), SPECIES * NODES);            // 14 chain links and 1 long one each
  EXPECT_EQ(links.similarities.size(), (SPECIES - 1) * NODES + 1);  // node 0 has the extra link
  EXPECT_EQ(tags(svg, "line").size() + tags(svg, "path").size(),
            links.interactions.size() + links.similarities.size());
  // Width follows confidence; long names are cut on screen, whole in the tooltip.
  const auto widthOf = [&](const char* pair) {
    const size_t at = svg.find(std::string("<title>") + pair);
    return attr(svg.substr(svg.rfind("<path", at), 200), "stroke-width");
  };
  EXPECT_GT(widthOf("s2p1_long_systematic_name - s2p2"), widthOf("s2p0_long_systematic_name - s2p1") + 1.5);
  const size_t label = svg.find("<title>s3p0_long_systematic_name (species 3)</title>s3p0_long");
  ASSERT_NE(label, std::string::npos);
  EXPECT_EQ(svg.find("\xE2\x80\xA6</text>", label), svg.find("</text>", label) - 3);
}

TEST(MarkupTest, EscapesMarkupAndReplacesWhatXmlCannotHold) {
  const std::string bad = "\xEF\xBF\xBD";
  EXPECT_EQ(escapeMarkup("a<b>&\"c'"), "a&lt;b&gt;&amp;&quot;c&#39;");
  EXPECT_EQ(escapeMarkup("Prot\xC3\xA9ine_\xF0\x9F\xA7\xAC"), "Prot\xC3\xA9ine_\xF0\x9F\xA7\xAC");
  EXPECT_EQ(escapeMarkup("x\x01y\x7F\xC3"), "x" + bad + "y" + bad + bad);        // controls, cut sequence
  EXPECT_EQ(escapeMarkup("\xC0\xAF\xED\xA0\x80"), bad + bad + bad + bad + bad);  // overlong, surrogate
  EXPECT_EQ(tsvField("a\"b,c"), "\"a\"\"b,c\"");
}

}  // namespace
