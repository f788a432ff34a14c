#include <gtest/gtest.h>

#include <vector>

#include "core/digit_places.h"

namespace tamariko {
namespace {

// Brute force over every digit string, the definition the fast check must agree with.
// Not inlined: GCC at -O3 unrolls the recursion and misreads the vector's bounds.
[[gnu::noinline]] bool BruteForce(const std::vector<DigitMask>& allowed, std::size_t place = 0,
                                  unsigned used = 0) {
  if (place == allowed.size()) return true;
  for (int d = 0; d < 10; ++d) {
    if ((allowed[place] >> d & 1) && !(used >> d & 1) &&
        BruteForce(allowed, place + 1, used | 1u << d)) {
      return true;
    }
  }
  return false;
}

TEST(PlacesCanBeFilled, AgreesWithExhaustiveSearch) {
  unsigned state = 17;
  auto next = [&state] { return state = state * 1103515245u + 12345u; };
  for (int trial = 0; trial < 20000; ++trial) {
    const int places = 1 + static_cast<int>(next() >> 16) % 6;
    std::vector<DigitMask> allowed(places);
    for (auto& mask : allowed) {
      // Sparse masks, so that both answers occur often.
      mask = static_cast<DigitMask>((next() >> 8) & (next() >> 12) & kAllDigits);
    }
    ASSERT_EQ(PlacesCanBeFilled(allowed.data(), places), BruteForce(allowed)) << trial;
  }
}

TEST(PlacesCanBeFilled, TwoPlacesSharingOneDigitCannotBeFilled) {
  const DigitMask allowed[] = {1u << 4, 1u << 4, kAllDigits};
  EXPECT_FALSE(PlacesCanBeFilled(allowed, 3));
  const DigitMask enough[] = {1u << 4 | 1u << 5, 1u << 4, kAllDigits};
  EXPECT_TRUE(PlacesCanBeFilled(enough, 3));
}

}  // namespace
}  // namespace tamariko
