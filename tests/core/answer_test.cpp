#include <gtest/gtest.h>

#include <QString>
#include <cstdint>
#include <limits>
#include <random>

#include "core/answer.h"
#include "core/error.h"
#include "core/keisan.h"

namespace tamariko {
namespace {

struct AnswerCase {
  TAnswer answer;
  const char* printed;
  const char* json;
};

// Commas only in the integer part, ¥ after the sign, a 0 before a leading point; the JSON
// number the same figure without comma or ¥.
TEST(Answer, IsPrintedAndWrittenExactly) {
  const AnswerCase cases[] = {
      {TAnswer(), "0", "0"},
      {TAnswer::Whole(999), "999", "999"},
      {TAnswer::Whole(1234567), "1,234,567", "1234567"},
      {TAnswer::Whole(-12345), "-12,345", "-12345"},
      {TAnswer::Fixed(68551, 3), "68.551", "68.551"},
      {TAnswer::Fixed(12345678, 3), "12,345.678", "12345.678"},
      {TAnswer::Fixed(846, 4), "0.0846", "0.0846"},
      {TAnswer::Fixed(-5, 1), "-0.5", "-0.5"},
      {TAnswer::Fixed(6855, 2), "68.55", "68.55"},
      {TAnswer::Yen(1234), "¥1,234", "1234"},
      {TAnswer::Yen(-3742305984), "-¥3,742,305,984", "-3742305984"},
      {TAnswer::Whole(std::numeric_limits<std::int64_t>::min()), "-9,223,372,036,854,775,808",
       "-9223372036854775808"},
  };
  for (const AnswerCase& c : cases) {
    EXPECT_EQ(c.answer.Printed(), QString::fromUtf8(c.printed)) << c.json;
    EXPECT_EQ(c.answer.Json(), QByteArray(c.json));
  }
  EXPECT_NE(TAnswer::Fixed(6855, 2), TAnswer::Fixed(68550, 3)) << "68.55 is not printed 68.550";
  EXPECT_NE(TAnswer::Yen(5), TAnswer::Whole(5));
  EXPECT_THROW(TAnswer::Fixed(1, 10), Error);
  EXPECT_THROW(TAnswer::Fixed(1, -1), Error);
}

// The contest's answers (up to 15 characters) print as its sheets always grouped them.
TEST(Answer, WholeAnswersPrintAsTheContestSheetsGroupThem) {
  std::mt19937_64 random(7);
  for (int i = 0; i < 20000; ++i) {
    const int digits = 1 + i % 14;
    std::int64_t value = static_cast<std::int64_t>(random() % 100000000000000ULL);
    for (int d = 14; d > digits; --d) value /= 10;
    if (i % 3 == 0) value = -value;
    EXPECT_EQ(TAnswer::Whole(value).Printed(), TKeisan::FormatGrouped(value)) << value;
  }
}

}  // namespace
}  // namespace tamariko
