#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "core/answer.h"

namespace tamariko {

// A figure or answer of an exam paper, exact: Units() / 10^Scale(), a yen amount or a plain
// number. Never floating point, so rounding half up is the rounding a teacher does by hand.
// Kept without trailing zeros after the point (12.5, not 12.500).
class TExactNumber {
 public:
  // Decimals an exact product of two figures may carry (each has at most 6); an answer is
  // rounded to at most 3.
  static constexpr int kMaxScale = 12;

  TExactNumber() = default;
  static TExactNumber Whole(std::int64_t value, bool yen = false);
  // units / 10^scale (0 <= scale <= kMaxScale).
  static TExactNumber Scaled(std::int64_t units, int scale, bool yen = false);

  std::int64_t Units() const { return units_; }
  int Scale() const { return scale_; }
  bool Yen() const { return yen_; }
  bool Negative() const { return units_ < 0; }
  bool IsZero() const { return units_ == 0; }
  // Digits as written, without the leading zeros of a number below 1 (0.0846: 3).
  int Digits() const;

  // Exact; the result is yen when either side is. Throws Error beyond 18 digits.
  TExactNumber Plus(const TExactNumber& other) const;
  TExactNumber Minus(const TExactNumber& other) const;
  TExactNumber Times(const TExactNumber& other) const;
  // Half up, by magnitude (-2.5 to -3), to `decimals` (0 .. kMaxScale) after the point.
  TExactNumber Rounded(int decimals) const;
  // dividend / divisor rounded half up to `decimals`; throws Error on a zero divisor.
  static TExactNumber Quotient(const TExactNumber& dividend, const TExactNumber& divisor,
                               int decimals);

  // As an answer page holds it. Throws Error for a yen amount with decimals, which no
  // answer is.
  TAnswer Answer() const;
  // As printed: -¥1,234,567.5 (comma every three digits of the integer part).
  QString Text() const;
  // As JSON: -1234567.5 (no comma, no ¥).
  QByteArray Json() const;

  friend bool operator==(const TExactNumber& a, const TExactNumber& b) {
    return a.units_ == b.units_ && a.scale_ == b.scale_ && a.yen_ == b.yen_;
  }

 private:
  TExactNumber(std::int64_t units, int scale, bool yen) : units_(units), scale_(scale), yen_(yen) {}
  static TExactNumber Normalised(__int128 units, int scale, bool yen);
  // Magnitude's integer digits and fraction digits, plain.
  QString PlainMagnitude(bool grouped) const;

  std::int64_t units_ = 0;
  int scale_ = 0;
  bool yen_ = false;
};

// 10 to the power n, for 0 <= n <= 18.
std::int64_t PowerOfTen(int n);

}  // namespace tamariko
