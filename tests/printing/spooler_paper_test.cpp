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

// Each --paper name, in any case, is a paper of a known size with its name on Japanese paper
// packs, listed before the papers without one; B4 first, as the sheets are laid out on it.
TEST(PaperNumbers, EveryRunPaperIsAKnownSizeWithItsJapaneseName) {
  const QStringList names = PaperNames();
  ASSERT_FALSE(names.isEmpty());
  EXPECT_EQ(PaperNumberOfName(names.front()), 12);
  EXPECT_EQ(PaperNamesList(), names.join(QStringLiteral(", ")));
  for (const QString& name : names) {
    SCOPED_TRACE(name.toStdString());
    const int number = PaperNumberOfName(name.toLower());
    ASSERT_NE(number, 0);
    EXPECT_TRUE(PageSizeOfPaperNumber(number).has_value());
    EXPECT_EQ(PaperNameOfNumber(number), name);
    EXPECT_LT(JapanesePaperRank(number), JapanesePaperRank(14));  // 14: a size no pack names
  }
  EXPECT_EQ(JapanesePaperName(12), QStringLiteral("B4 (JIS)"));
  EXPECT_EQ(JapanesePaperName(43), QStringLiteral("はがき"));
  EXPECT_EQ(JapanesePaperName(3, QStringLiteral("11x17")), QStringLiteral("11x17"));
  EXPECT_LT(JapanesePaperRank(12), JapanesePaperRank(9));
  EXPECT_EQ(PaperNumberOfName(QStringLiteral("A5")), 0) << "not a run's paper";
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
