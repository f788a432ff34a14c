#pragma once

// An answer as its sheet prints it: an exact decimal number (sign, digits, a decimal point
// at a fixed place), in yen or not. Held as a whole number and the count of its decimals, so
// copying one costs nothing and no rounding ever happens here.

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace tamariko {

class TAnswer {
 public:
  // 0.
  constexpr TAnswer() = default;
  static constexpr TAnswer Whole(std::int64_t value) { return TAnswer(value, 0, false); }
  // `scaled` / 10^places, written with exactly `places` decimals: Fixed(68551, 3) is 68.551.
  // Throws for places outside 0 .. 9.
  static TAnswer Fixed(std::int64_t scaled, int places);
  // A whole yen amount: ¥1,234, -¥3,742,305,984.
  static constexpr TAnswer Yen(std::int64_t value) { return TAnswer(value, 0, true); }

  // As a set's JSON writes it: a JSON number, no comma and no ¥ (-1234, 68.551).
  QByteArray Json() const;
  // As the sheet prints it: a comma every three digits of the integer part, ¥ after the sign
  // (1,234,567; -12,345; 68.551; -¥3,742,305,984).
  QString Printed() const;

  std::int64_t Scaled() const { return scaled_; }
  int Places() const { return places_; }
  bool IsYen() const { return yen_; }
  bool operator==(const TAnswer&) const = default;

 private:
  constexpr TAnswer(std::int64_t scaled, int places, bool yen)
      : scaled_(scaled), places_(places), yen_(yen) {}

  std::int64_t scaled_ = 0;
  int places_ = 0;
  bool yen_ = false;
};

}  // namespace tamariko
