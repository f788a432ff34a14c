#include "core/answer.h"

#include <string>

#include "core/error.h"

namespace tamariko {
namespace {

// The digits of |scaled| with the decimal point `places` from the right, a 0 before a point
// that would lead. Through the unsigned magnitude, so the most negative value is exact too.
std::string Digits(std::int64_t scaled, int places, std::string* integerPart) {
  const std::uint64_t magnitude =
      scaled < 0 ? 0 - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
  std::string digits = std::to_string(magnitude);
  const auto width = static_cast<std::size_t>(places) + 1;
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  const std::size_t point = digits.size() - static_cast<std::size_t>(places);
  *integerPart = digits.substr(0, point);
  return places > 0 ? digits.substr(point) : std::string();
}

}  // namespace

TAnswer TAnswer::Fixed(std::int64_t scaled, int places) {
  if (places < 0 || places > 9) {
    throw Error("小数の桁数が不正です (" + std::to_string(places) +
                " decimals): an answer has 0 to 9");
  }
  return TAnswer(scaled, places, false);
}

QByteArray TAnswer::Json() const {
  std::string integer;
  const std::string fraction = Digits(scaled_, places_, &integer);
  std::string text = scaled_ < 0 ? "-" + integer : integer;
  if (!fraction.empty()) text += "." + fraction;
  return QByteArray::fromStdString(text);
}

QString TAnswer::Printed() const {
  std::string integer;
  const std::string fraction = Digits(scaled_, places_, &integer);
  for (auto pos = integer.size(); pos > 3; pos -= 3) integer.insert(pos - 3, 1, ',');
  QString text = scaled_ < 0 ? QStringLiteral("-") : QString();
  if (yen_) text += QStringLiteral("¥");
  text += QString::fromStdString(integer);
  if (!fraction.empty()) text += QLatin1Char('.') + QString::fromStdString(fraction);
  return text;
}

}  // namespace tamariko
