#include "core/keisan.h"

#include <string>

#include "core/distinct_digits.h"
#include "core/error.h"

namespace tamariko {
namespace {

int CheckedDigitCount(std::int32_t n) {
  if (n < 1) {
    throw Error("桁数が不正です (digit count " + std::to_string(n) +
                "): a random number needs at least one digit");
  }
  return n > 9 ? 9 : n;
}

}  // namespace

QString TKeisan::FormatGrouped(std::int64_t value) {
  const std::string plain = std::to_string(value);
  const auto length = plain.size();
  if (length <= 3 || length >= 16) return QString::fromStdString(plain);

  const std::size_t signLength = value < 0 ? 1 : 0;
  std::string grouped = plain;
  // Insert from the right so the earlier positions stay valid; no comma behind the sign.
  for (std::size_t pos = length; pos >= signLength + 4; pos -= 3) {
    grouped.insert(pos - 3, 1, ',');
  }
  return QString::fromStdString(grouped);
}

std::int32_t TKeisan::RandomDistinctDigits(std::int32_t n) {
  const int count = CheckedDigitCount(n);
  return LeadingDigitsValue(DrawDistinctDigits(), count);
}

std::int32_t TKeisan::RandomDistinctNonZeroDigits(std::int32_t n) {
  const int count = CheckedDigitCount(n);
  return LeadingDigitsValue(DrawDistinctNonZeroDigits(), count);
}

}  // namespace tamariko
