#pragma once

#include <array>
#include <bit>
#include <cstdint>

namespace tamariko {

// Bit d set: digit d may stand in that place.
using DigitMask = std::uint16_t;

inline constexpr DigitMask kAllDigits = 0x3FF;      // 0 .. 9
inline constexpr DigitMask kNonZeroDigits = 0x3FE;  // 1 .. 9

namespace detail {

// Bit counts of every digit set; std::popcount is a library call on the baseline x86-64
// target, and this check runs before every repair.
inline constexpr auto kDigitCounts = [] {
  std::array<std::uint8_t, 1024> counts{};
  for (unsigned mask = 0; mask < counts.size(); ++mask) {
    counts[mask] = static_cast<std::uint8_t>(std::popcount(mask));
  }
  return counts;
}();

}  // namespace detail

// Whether pairwise different digits can fill every place from its allowed set (a system of
// distinct representatives). Decided by Hall's condition over all subsets of places, so it
// needs no random draw; places <= 9.
inline bool PlacesCanBeFilled(const DigitMask* allowed, int places) {
  DigitMask unions[1 << 9];
  unions[0] = 0;
  for (unsigned subset = 1; subset < (1u << places); ++subset) {
    unions[subset] = unions[subset & (subset - 1)] | allowed[std::countr_zero(subset)];
    if (detail::kDigitCounts[unions[subset]] < detail::kDigitCounts[subset]) return false;
  }
  return true;
}

}  // namespace tamariko
