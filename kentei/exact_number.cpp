#include "kentei/exact_number.h"

#include <algorithm>

#include "core/error.h"

namespace tamariko {
namespace {

// 18 digits: every product of two figures of the ladder, at its scale, stays inside.
constexpr __int128 kLimit = 1'000'000'000'000'000'000;

__int128 WidePowerOfTen(int n) {
  __int128 p = 1;
  while (n-- > 0) p *= 10;
  return p;
}

__int128 Magnitude(__int128 v) { return v < 0 ? -v : v; }

// n / d rounded half up by magnitude (d > 0).
__int128 DivideHalfUp(__int128 n, __int128 d) {
  const __int128 q = (Magnitude(n) * 2 + d) / (d * 2);
  return n < 0 ? -q : q;
}

}  // namespace

std::int64_t PowerOfTen(int n) { return static_cast<std::int64_t>(WidePowerOfTen(n)); }

TExactNumber TExactNumber::Normalised(__int128 units, int scale, bool yen) {
  while (scale > 0 && units % 10 == 0) {
    units /= 10;
    --scale;
  }
  if (scale > kMaxScale) units = DivideHalfUp(units, WidePowerOfTen(scale - kMaxScale));
  scale = std::min(scale, kMaxScale);
  if (Magnitude(units) >= kLimit) throw Error("数が大きすぎて計算できません");
  if (units == 0) scale = 0;
  return TExactNumber(static_cast<std::int64_t>(units), scale, yen);
}

TExactNumber TExactNumber::Whole(std::int64_t value, bool yen) { return Scaled(value, 0, yen); }

TExactNumber TExactNumber::Scaled(std::int64_t units, int scale, bool yen) {
  return Normalised(units, std::clamp(scale, 0, kMaxScale), yen);
}

int TExactNumber::Digits() const {
  std::int64_t m = units_ < 0 ? -units_ : units_;
  int digits = 0;
  for (; m > 0; m /= 10) ++digits;
  return std::max(digits, 1);
}

TExactNumber TExactNumber::Plus(const TExactNumber& other) const {
  const int scale = std::max(scale_, other.scale_);
  return Normalised(
      units_ * WidePowerOfTen(scale - scale_) + other.units_ * WidePowerOfTen(scale - other.scale_),
      scale, yen_ || other.yen_);
}

TExactNumber TExactNumber::Minus(const TExactNumber& other) const {
  return Plus(TExactNumber(-other.units_, other.scale_, other.yen_));
}

TExactNumber TExactNumber::Times(const TExactNumber& other) const {
  return Normalised(static_cast<__int128>(units_) * other.units_, scale_ + other.scale_,
                    yen_ || other.yen_);
}

TExactNumber TExactNumber::Rounded(int decimals) const {
  decimals = std::clamp(decimals, 0, kMaxScale);
  if (scale_ <= decimals) return *this;
  return Normalised(DivideHalfUp(units_, WidePowerOfTen(scale_ - decimals)), decimals, yen_);
}

TExactNumber TExactNumber::Quotient(const TExactNumber& dividend, const TExactNumber& divisor,
                                    int decimals) {
  if (divisor.IsZero()) throw Error("0 で割ることはできません");
  decimals = std::clamp(decimals, 0, kMaxScale);
  // dividend / divisor = (a / 10^sa) / (b / 10^sb); scaled by 10^decimals.
  __int128 n = dividend.units_;
  __int128 d = divisor.units_;
  const int shift = decimals + divisor.scale_ - dividend.scale_;
  if (shift >= 0) {
    n *= WidePowerOfTen(shift);
  } else {
    d *= WidePowerOfTen(-shift);
  }
  if (d < 0) {
    n = -n;
    d = -d;
  }
  return Normalised(DivideHalfUp(n, d), decimals, dividend.yen_ || divisor.yen_);
}

QString TExactNumber::PlainMagnitude(bool grouped) const {
  const std::int64_t m = units_ < 0 ? -units_ : units_;
  QString digits = QString::number(m);
  if (digits.size() <= scale_) digits = QString(scale_ - digits.size() + 1, u'0') + digits;
  QString integer = digits.left(digits.size() - scale_);
  const QString fraction = digits.right(scale_);
  if (grouped) {
    for (qsizetype at = integer.size() - 3; at > 0; at -= 3) integer.insert(at, u',');
  }
  return scale_ > 0 ? integer + u'.' + fraction : integer;
}

TAnswer TExactNumber::Answer() const {
  if (!yen_) return TAnswer::Fixed(units_, scale_);
  if (scale_ != 0) throw Error("円の答えに小数はありません (a yen answer has no decimals)");
  return TAnswer::Yen(units_);
}

QString TExactNumber::Text() const {
  // A yen figure with decimals is no answer, but is written the same way.
  if (!yen_ || scale_ == 0) return Answer().Printed();
  return (Negative() ? QStringLiteral("-¥") : QStringLiteral("¥")) + PlainMagnitude(true);
}

QByteArray TExactNumber::Json() const {
  return (Negative() ? QByteArray("-") : QByteArray()) + PlainMagnitude(false).toLatin1();
}

}  // namespace tamariko
