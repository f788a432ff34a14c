#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tamariko
