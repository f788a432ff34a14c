#pragma once

#include <array>
#include <cstdint>

#include "core/random.h"

namespace tamariko {

// Nine pairwise different digits, most significant first, as one draw of the distinct-digit
// generators produces them.
using NineDigits = std::array<std::uint8_t, 9>;

namespace detail {

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
    seed_ = seed_ * 134775813u + 1u;
    ++draws_;
    return static_cast<unsigned>((static_cast<std::uint64_t>(seed_) * k) >> 32);
  }

 private:
  std::uint32_t seed_;
  std::uint64_t draws_;
};

// Redraws a digit while it repeats an earlier one; written without a branch per draw so the
// cost stays close to the generator steps themselves.
template <unsigned kRange, unsigned kOffset>
inline void FillRemainingDigits(LocalRandom& random, NineDigits& digits, unsigned used) {
  unsigned count = 1;
  while (count < 9) {
    const unsigned x = random(kRange) + kOffset;
    const unsigned fresh = ((used >> x) & 1u) ^ 1u;
    digits[count] = static_cast<std::uint8_t>(x);
    used |= fresh << x;
    count += fresh;
  }
}

}  // namespace detail

// First digit Random(9) + 1, then Random(10) redrawn while it repeats; always all nine.
inline NineDigits DrawDistinctDigits() {
  detail::LocalRandom random;
  NineDigits digits;
  const unsigned first = random(9) + 1;
  digits[0] = static_cast<std::uint8_t>(first);
  detail::FillRemainingDigits<10, 0>(random, digits, 1u << first);
  return digits;
}

// Every digit Random(9) + 1, redrawn while it repeats: a random order of 1 .. 9.
inline NineDigits DrawDistinctNonZeroDigits() {
  detail::LocalRandom random;
  NineDigits digits;
  const unsigned first = random(9) + 1;
  digits[0] = static_cast<std::uint8_t>(first);
  detail::FillRemainingDigits<9, 1>(random, digits, 1u << first);
  return digits;
}

// The number formed by the first n digits (1 <= n <= 9).
inline std::int32_t LeadingDigitsValue(const NineDigits& digits, int n) {
  std::int32_t value = 0;
  for (int i = 0; i < n; ++i) value = value * 10 + digits[i];
  return value;
}

}  // namespace tamariko
