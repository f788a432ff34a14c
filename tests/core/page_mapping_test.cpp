#include <gtest/gtest.h>

#include <algorithm>

#include "core/page_mapping.h"

namespace tamariko {
namespace {

struct MappingCase {
  const char* why;
  PixelPair dpi, offset;
  bool print;
  long double xMm, yMm;
  int x, y;
};

TEST(PageMapping, MapsMillimetresToDevicePixels) {
  const MappingCase cases[] = {
      // 41 * 11.811 - 42 = 442.25; 39 * 11.811 - 52 = 408.63, both truncated.
      {"print at 300 dpi", {300, 300}, {0, 0}, true, 41, 39, 442, 408},
      // 41 * 2.953 = 121.06; 39 * 2.953 - 10 = 105.16.
      {"preview at 300 dpi", {300, 300}, {0, 0}, false, 41, 39, 121, 105},
      // Offsets are subtracted as printer pixels on both targets.
      {"print with offsets", {300, 300}, {50, 60}, true, 41, 39, 392, 348},
      {"preview with offsets", {300, 300}, {50, 60}, false, 41, 39, 71, 45},
      // The far corner of B4: the preview at 300 dpi fits 865 x 1300, at 600 dpi it does not.
      {"B4 corner, preview 300 dpi", {300, 300}, {0, 0}, false, 257, 364, 758, 1064},
      {"B4 corner, preview 600 dpi", {600, 600}, {0, 0}, false, 257, 364, 1517, 2139},
      // Trunc goes toward zero: -0.7 is 0, not -1.
      {"small negative truncates to 0", {300, 300}, {0, 0}, false, 0, 3.2L, 0, 0},
      // Different resolutions per axis.
      {"print 600 x 300", {600, 300}, {0, 0}, true, 10, 10, 194, 66},
  };
  for (const auto& c : cases) {
    const PageMapping m = c.print ? PrintMapping(c.dpi, c.offset) : PreviewMapping(c.dpi, c.offset);
    EXPECT_EQ(m.X(c.xMm), c.x) << c.why;
    EXPECT_EQ(m.Y(c.yMm), c.y) << c.why;
  }
}

TEST(PageMapping, StartPlusPitchIsSummedInMillimetresBeforeScaling) {
  // Row 5 of the top block: 107 + 7 * 4 = 135 mm, 135 * 300 / 25.4 - 52 = 1542.5.
  const PageMapping m = PrintMapping({300, 300}, {0, 0});
  EXPECT_EQ(m.Y(107 + 7.0L * 4), 1542);
  EXPECT_EQ(m.X(22 + 19.0L * 5), 1339);  // 117 mm: 1381.88 - 42
}

// The B4 page at 300 dpi is 3035.4 x 4299.2 pixels.
TEST(PageTransform, FitsTheWholeB4PageIntoThePrintableAreaCentredAndLeavesB4Alone) {
  struct Case {
    const char* why;
    PixelPair paper, printable;
  };
  const Case fitted[] = {
      {"A4 without margins: its height decides", {2480, 3508}, {2480, 3508}},
      {"A4 with margins of 50, 100, 60, 40", {2480, 3508}, {2370, 3368}},
      {"A3: scaled up", {3508, 4961}, {3508, 4961}},
      {"Letter: its height decides", {2550, 3300}, {2550, 3300}},
  };
  const long double pageW = 257 / 25.4L * 300, pageH = 364 / 25.4L * 300;
  for (const auto& c : fitted) {
    const PageTransform t = FitPageTransform({300, 300}, c.paper, c.printable);
    const long double w = t.Scale * pageW, h = t.Scale * pageH;
    // It touches two opposite sides, fits inside, and is centred.
    EXPECT_NEAR(std::max(w / c.printable.first, h / c.printable.second), 1.0L, 1e-9) << c.why;
    EXPECT_NEAR(t.Dx, (c.printable.first - w) / 2, 1e-6) << c.why;
    EXPECT_NEAR(t.Dy, (c.printable.second - h) / 2, 1e-6) << c.why;
    EXPECT_GE(t.Dx, -1e-9) << c.why;
    EXPECT_GE(t.Dy, -1e-9) << c.why;
  }

  const Case unchanged[] = {
      {"B4", {3035, 4299}, {3035, 4299}},
      {"B4 with margins", {3035, 4299}, {2925, 4199}},
      {"sizes not known", {0, 0}, {0, 0}},
  };
  for (const auto& c : unchanged) {
    EXPECT_TRUE(FitPageTransform({300, 300}, c.paper, c.printable).IsIdentity()) << c.why;
  }
  // At 600 x 300 dpi B4 is still B4.
  EXPECT_TRUE(FitPageTransform({600, 300}, {6071, 4299}, {6071, 4299}).IsIdentity());
}

}  // namespace
}  // namespace tamariko
