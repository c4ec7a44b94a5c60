// Renders the demo's report.html in headless Chromium, as trellis2 writes it and
// after trellis2-annotate, and checks that the screenshot shows the page: not
// blank, with the histogram bars and the species colours of the complex
// drawings. Built with -DBROWSER_TESTS=ON.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "test_util.h"

namespace {

const std::string DEMO = std::string(TEST_DATA_DIR) + "/../../examples/demo";
constexpr unsigned WIDTH = 1280, HEIGHT = 4800;

struct Rgb {
  uint8_t r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

struct Image {
  unsigned width = 0, height = 0;
  std::vector<Rgb> pixels;
};

uint32_t be32(const std::string& s, size_t at) {
  return (uint32_t(uint8_t(s[at])) << 24) | (uint32_t(uint8_t(s[at + 1])) << 16) |
         (uint32_t(uint8_t(s[at + 2])) << 8) | uint8_t(s[at + 3]);
}

int paeth(int a, int b, int c) {
  const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Decodes an 8-bit RGB or RGBA, non-interlaced PNG; problem says why not.
Image decodePng(const std::string& png, std::string* problem) {
  Image img;
  if (png.size() < 8 || png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) {
    *problem = "not a PNG";
    return img;
  }
  std::string idat;
  unsigned channels = 0;
  for (size_t at = 8; at + 12 <= png.size();) {
    const uint32_t len = be32(png, at);
    const std::string type = png.substr(at + 4, 4);
    if (at + 12 + len > png.size()) break;
    if (type == "IHDR") {
      img.width = be32(png, at + 8);
      img.height = be32(png, at + 12);
      const int depth = uint8_t(png[at + 16]), colour = uint8_t(png[at + 17]),
                interlace = uint8_t(png[at + 20]);
      if (depth != 8 || (colour != 2 && colour != 6) || interlace != 0) {
        *problem = "unsupported PNG layout";
        return img;
      }
      channels = colour == 6 ? 4 : 3;
    } else if (type == "IDAT") {
      idat += png.substr(at + 8, len);
    }
    at += 12 + len;
  }
  const size_t stride = size_t(img.width) * channels;
  std::vector<uint8_t> raw((stride + 1) * img.height);
  uLongf rawLen = raw.size();
  if (channels == 0 ||
      uncompress(raw.data(), &rawLen, reinterpret_cast<const Bytef*>(idat.data()), idat.size()) != Z_OK ||
      rawLen != raw.size()) {
    *problem = "bad image data";
    return img;
  }
  std::vector<uint8_t> prev(stride, 0), cur(stride);
  for (unsigned y = 0; y < img.height; ++y) {
    const uint8_t* line = &raw[y * (stride + 1)];
    for (size_t i = 0; i < stride; ++i) {
      const int a = i >= channels ? cur[i - channels] : 0, b = prev[i],
                c = i >= channels ? prev[i - channels] : 0;
      const int predictors[5] = {0, a, b, (a + b) / 2, paeth(a, b, c)};
      if (line[0] > 4) {
        *problem = "bad filter";
        return img;
      }
      cur[i] = uint8_t(line[1 + i] + predictors[line[0]]);
    }
    for (unsigned x = 0; x < img.width; ++x)
      img.pixels.push_back({cur[x * channels], cur[x * channels + 1], cur[x * channels + 2]});
    prev.swap(cur);
  }
  return img;
}

size_t pixelsNear(const Image& img, Rgb colour) {
  size_t n = 0;
  for (const Rgb& p : img.pixels)
    n += std::abs(p.r - colour.r) + std::abs(p.g - colour.g) + std::abs(p.b - colour.b) <= 24;
  return n;
}

// Renders page in headless Chromium; problem says why there is no picture.
Image screenshot(const testutil::TempDir& dir, const std::string& page, std::string* problem) {
  const std::string shot = dir.file("shot.png");
  const std::string cmd = std::string("timeout 120 '") + CHROMIUM_BIN +
                          "' --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
                          "--disable-background-networking --disable-component-update --disable-sync "
                          "--hide-scrollbars --user-data-dir='" +
                          dir.file("profile") + "' --screenshot='" + shot +
                          "' --window-size=" + std::to_string(WIDTH) + "," + std::to_string(HEIGHT) +
                          " 'file://" + page + "' >'" + dir.file("chromium.log") + "' 2>&1";
  if (std::system(cmd.c_str()) != 0) {
    *problem = testutil::readFile(dir.file("chromium.log"));
    return Image();
  }
  return decodePng(testutil::readFile(shot), problem);
}

// Not blank, with the histogram bars and the species colours of the drawings.
void expectReportShown(const Image& img) {
  ASSERT_EQ(img.width, WIDTH);
  ASSERT_EQ(img.height, HEIGHT);
  const Rgb background = img.pixels[0];
  size_t painted = 0;
  for (const Rgb& p : img.pixels) painted += !(p == background);
  EXPECT_GT(painted, img.pixels.size() / 50) << "the page looks blank";
  EXPECT_GT(pixelsNear(img, {0x4c, 0x78, 0xa8}), 200u) << "no histogram bars";
  // Circles and curves of the three species columns.
  for (Rgb species : {Rgb{0x1f, 0x77, 0xb4}, Rgb{0xd6, 0x27, 0x28}, Rgb{0x2c, 0xa0, 0x2c}})
    EXPECT_GT(pixelsNear(img, species), 1000u) << "a species colour is missing from the drawings";
}

TEST(BrowserRenderTest, ReportRendersWithHistogramAndDrawings) {
  testutil::TempDir dir;
  const testutil::RunResult run = testutil::runTrellis({"3", DEMO, "out", "--pval-filter", "1"}, dir.path());
  ASSERT_EQ(run.status, 0) << run.output;
  std::string problem;
  const Image img = screenshot(dir, dir.file("out/report.html"), &problem);
  ASSERT_EQ(problem, "");
  expectReportShown(img);
}

// The annotated page still renders as a whole: the summary near the top pushes the rest down,
// so the drawings then start lower, yet the page keeps its histogram and drawings in view.
TEST(BrowserRenderTest, AnnotatedReportStillRenders) {
  testutil::TempDir dir;
  ASSERT_EQ(testutil::runTrellis({"3", DEMO, "out", "--pval-filter", "1"}, dir.path()).status, 0);
  const std::string data = std::string(TEST_DATA_DIR) + "/annotate/";
  const testutil::RunResult annotated =
      testutil::runAnnotate({dir.file("out"), "--obo", data + "demo_go.obo", "--gaf",
                             "0=" + data + "demo_go_0.gaf", "--reference", "1=" + data + "demo_ref_1.tsv"});
  ASSERT_EQ(annotated.status, 0) << annotated.errors;
  std::string problem;
  const Image img = screenshot(dir, dir.file("out/report.html"), &problem);
  ASSERT_EQ(problem, "");
  expectReportShown(img);
}

}  // namespace
