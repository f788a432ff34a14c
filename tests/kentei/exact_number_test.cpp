#include "kentei/exact_number.h"

#include <gtest/gtest.h>

#include "core/error.h"

namespace tamariko {
namespace {

TExactNumber N(std::int64_t units, int scale, bool yen = false) {
  return TExactNumber::Scaled(units, scale, yen);
}

TEST(ExactNumber, RoundsHalfUpWhereADigitCarriesIntoTheIntegerPart) {
  struct Case {
    TExactNumber exact;
    int decimals;
    const char* text;
  };
  const Case cases[] = {
      {N(5, 4), 3, "0.001"},             // the smallest half rounds up, not to 0
      {N(4, 4), 3, "0"},                 // below half
      {N(24995, 4), 3, "2.5"},           // 2.4995: the carry leaves no trailing zeros
      {N(9999995, 4), 3, "1,000"},       // 999.9995: a carry that adds a digit and a comma
      {N(-25, 1), 0, "-3"},              // half up by magnitude
      {N(12345, 1, true), 0, "¥1,235"},  // to the yen
      {N(12344, 1, true), 0, "¥1,234"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.exact.Rounded(c.decimals).Text(), QString::fromUtf8(c.text)) << c.text;
  }
}

TEST(ExactNumber, PrintsCommasSignAndYenButJsonPlainNumbers) {
  EXPECT_EQ(TExactNumber::Whole(-3742305984, true).Text(), QStringLiteral("-¥3,742,305,984"));
  EXPECT_EQ(TExactNumber::Whole(-3742305984, true).Json(), QByteArray("-3742305984"));
  EXPECT_EQ(N(846, 4).Text(), QStringLiteral("0.0846"));
  EXPECT_EQ(N(846, 4).Json(), QByteArray("0.0846"));
  EXPECT_EQ(N(1234567500, 3).Text(), QStringLiteral("1,234,567.5"));  // trailing zeros dropped
  EXPECT_EQ(TExactNumber::Whole(999).Text(), QStringLiteral("999"));
  EXPECT_EQ(TExactNumber::Whole(1000).Text(), QStringLiteral("1,000"));
  EXPECT_EQ(TExactNumber::Whole(0).Json(), QByteArray("0"));
  EXPECT_EQ(N(846, 4).Digits(), 3);   // leading zeros of a number below 1 do not count
  EXPECT_EQ(N(5730, 2).Digits(), 3);  // 57.30 is kept as 57.3
}

TEST(ExactNumber, ArithmeticIsExactAndQuotientsRoundHalfUp) {
  EXPECT_EQ(N(1, 1).Plus(N(2, 1)).Text(), QStringLiteral("0.3"));  // no binary fraction
  EXPECT_EQ(N(473, 1).Times(N(69, 2)).Text(), QStringLiteral("32.637"));
  // 47.3 ÷ 0.69 = 68.5507… → 68.551
  EXPECT_EQ(TExactNumber::Quotient(N(473, 1), N(69, 2), 3).Text(), QStringLiteral("68.551"));
  EXPECT_EQ(TExactNumber::Quotient(TExactNumber::Whole(-5), TExactNumber::Whole(2), 0).Text(),
            QStringLiteral("-3"));
  EXPECT_EQ(TExactNumber::Whole(-1000, true).Minus(TExactNumber::Whole(1)).Text(),
            QStringLiteral("-¥1,001"));
  // 1,999.999 ÷ 2 = 999.9995: the rounding adds a digit and a comma.
  EXPECT_EQ(TExactNumber::Quotient(N(1999999, 3), N(2, 0), 3).Text(), QStringLiteral("1,000"));
  // ¥17,710,089 ÷ 177.27 = 99,904.8…: to the yen, 5 digits.
  EXPECT_EQ(TExactNumber::Quotient(N(17710089, 0, true), N(17727, 2), 0).Text(),
            QStringLiteral("¥99,905"));
  // Twelve decimals stay exact: 0.123456 × 0.654321 = 0.080779853376 → 0.081.
  EXPECT_EQ(N(123456, 6).Times(N(654321, 6)).Scale(), 12);
  EXPECT_EQ(N(123456, 6).Times(N(654321, 6)).Rounded(3).Text(), QStringLiteral("0.081"));
  EXPECT_THROW(TExactNumber::Quotient(N(1, 0), N(0, 0), 3), Error);
  EXPECT_THROW(TExactNumber::Whole(999'999'999'999).Times(TExactNumber::Whole(999'999'999)), Error);
}

}  // namespace
}  // namespace tamariko
