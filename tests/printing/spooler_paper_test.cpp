#include <gtest/gtest.h>

#include <QSizeF>

#include "platform/spooler_paper.h"

namespace tamariko {
namespace {

TEST(PaperNumbers, MapToTheSizesTheyName) {
  struct Case {
    int number;
    double widthMm, heightMm;
  };
  const Case cases[] = {{12, 257, 364},    {42, 250, 353}, {9, 210, 297}, {8, 297, 420},
                        {1, 215.9, 279.4}, {13, 182, 257}, {11, 148, 210}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    const auto id = PageSizeOfPaperNumber(c.number);
    ASSERT_TRUE(id.has_value());
    const QSizeF mm = QPageSize(*id).size(QPageSize::Millimeter);
    EXPECT_NEAR(mm.width(), c.widthMm, 0.5);
    EXPECT_NEAR(mm.height(), c.heightMm, 0.5);
  }
}

TEST(PaperNumbers, RoundTripForEveryMappedSize) {
  for (std::uint16_t number : KnownPaperNumbers()) {
    const int back = PaperNumberOfPageSize(*PageSizeOfPaperNumber(number));
    // Aliases (Letter small, A4 small, 11x17) give back the first number of their size.
    EXPECT_EQ(PageSizeOfPaperNumber(back), PageSizeOfPaperNumber(number)) << number;
  }
  EXPECT_EQ(PaperNumberOfPageSize(QPageSize::JisB4), 12);
  EXPECT_EQ(PaperNumberOfPageSize(QPageSize::Custom), 0);
}

TEST(PaperNumbers, UserSizeNeedsItsDimensions) {
  EXPECT_FALSE(PageSizeOfPaperNumber(256).has_value());
  const QPageSize user = PageSizeOfDevMode(256, 1000, 500);
  ASSERT_TRUE(user.isValid());
  EXPECT_NEAR(user.size(QPageSize::Millimeter).width(), 50, 0.01);
  EXPECT_NEAR(user.size(QPageSize::Millimeter).height(), 100, 0.01);
  EXPECT_FALSE(PageSizeOfDevMode(256, 0, 0).isValid());
  EXPECT_FALSE(PageSizeOfDevMode(9999, 0, 0).isValid());
}

}  // namespace
}  // namespace tamariko
