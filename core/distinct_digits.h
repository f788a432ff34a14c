#pragma once

#include <array>
#include <cstdint>

#include "core/random.h"

namespace tamariko {

// Nine pairwise different digits, most significant first, as one draw of the distinct-digit
// generators produces them.
using NineDigits = std::array<std::uint8_t, 9>;

namespace detail {

inline constexpr std::uint32_t kMultiplier = 134775813u;
// Two steps at once: seed * M^2 + (M + 1).
inline constexpr std::uint32_t kMultiplier2 = kMultiplier * kMultiplier;
inline constexpr std::uint32_t kIncrement2 = kMultiplier + 1u;

// Works on a register copy of the generator; the digit stores could otherwise alias it.
class LocalRandom {
 public:
  LocalRandom() : seed_(g_random.seed), draws_(g_random.draws) {}
  ~LocalRandom() {
    g_random.seed = seed_;
    g_random.draws = draws_;
  }
  LocalRandom(const LocalRandom&) = delete;
  LocalRandom& operator=(const LocalRandom&) = delete;

  unsigned operator()(unsigned k) {
    seed_ = seed_ * kMultiplier + 1u;
    ++draws_;
    return Scale(seed_, k);
  }

  // Digits 2 .. 9 of a distinct-digit draw: each is Random(kRange) + kOffset, redrawn while
  // it repeats an earlier digit. Steps are taken two at a time, both computed from the same
  // seed, so the chain of multiplications is half as long; a step drawn past the ninth
  // digit is given back at the end. Same sequence as one draw after the other.
  template <unsigned kRange, unsigned kOffset>
  void FillRemainingDigits(NineDigits& digits, unsigned used) {
    std::uint8_t out[10];
    unsigned count = 1;
    std::uint32_t firstOfPair = seed_;
    unsigned tookSecond = 1;
    while (count < 9) {
      firstOfPair = seed_ * kMultiplier + 1u;
      seed_ = seed_ * kMultiplier2 + kIncrement2;
      const unsigned x1 = Scale(firstOfPair, kRange) + kOffset;
      const unsigned x2 = Scale(seed_, kRange) + kOffset;
      // OR-ing a digit already used changes nothing, so `used` never waits on the test.
      const unsigned bit1 = 1u << x1;
      const unsigned fresh1 = (used & bit1) == 0;
      used |= bit1;
      out[count] = static_cast<std::uint8_t>(x1);
      count += fresh1;
      tookSecond = count < 9;
      const unsigned bit2 = 1u << x2;
      const unsigned fresh2 = ((used & bit2) == 0) & tookSecond;
      used |= bit2;
      out[count] = static_cast<std::uint8_t>(x2);
      count += fresh2;
      draws_ += 2;
    }
    if (!tookSecond) {
      seed_ = firstOfPair;
      --draws_;
    }
    for (int i = 1; i < 9; ++i) digits[i] = out[i];
  }

 private:
  static unsigned Scale(std::uint32_t seed, unsigned k) {
    return static_cast<unsigned>((static_cast<std::uint64_t>(seed) * k) >> 32);
  }

  std::uint32_t seed_;
  std::uint64_t draws_;
};

}  // namespace detail

namespace detail {

// First digit Random(9) + 1, then Random(kRange) + kOffset redrawn while it repeats.
template <unsigned kRange, unsigned kOffset>
inline NineDigits DrawNineDigits() {
  LocalRandom random;
  NineDigits digits;
  const unsigned first = random(9) + 1;
  digits[0] = static_cast<std::uint8_t>(first);
  random.FillRemainingDigits<kRange, kOffset>(digits, 1u << first);
  return digits;
}

}  // namespace detail

// First digit Random(9) + 1, then Random(10) redrawn while it repeats; always all nine.
inline NineDigits DrawDistinctDigits() { return detail::DrawNineDigits<10, 0>(); }

// Every digit Random(9) + 1, redrawn while it repeats: a random order of 1 .. 9.
inline NineDigits DrawDistinctNonZeroDigits() { return detail::DrawNineDigits<9, 1>(); }

// The number formed by the first n digits (1 <= n <= 9).
inline std::int32_t LeadingDigitsValue(const NineDigits& digits, int n) {
  std::int32_t value = 0;
  for (int i = 0; i < n; ++i) value = value * 10 + digits[i];
  return value;
}

}  // namespace tamariko
