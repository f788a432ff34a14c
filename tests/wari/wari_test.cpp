#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/random.h"
#include "tests/support/multiplication_rules.h"
#include "wari/wari.h"

namespace tamariko {
namespace {

std::uint32_t SeedOf(int i) { return static_cast<std::uint32_t>(i) * 2246822519u + 3u; }

// The quotients and divisors follow every rule of the multiplication pairs, and every
// division comes out whole within the answer table's 32 bits.
TEST(Twari, ThousandsOfSetsAreGradedMultiplicationsTurnedRound) {
  Twari set;
  std::int64_t largestDividend = 0;
  for (int i = 0; i < 2000; ++i) {
    SetRandomSeed(SeedOf(i));
    set.Generate();
    const auto faults = testing::GradedPairViolations([&](int p) { return set.GetAnswer(p); },
                                                      [&](int p) { return set.GetDivisor(p); });
    ASSERT_TRUE(faults.empty()) << "seed " << SeedOf(i) << ": " << faults.front();
    for (int p = 0; p < Twari::kProblemCount; ++p) {
      ASSERT_EQ(set.GetDividend(p), std::int64_t{set.GetAnswer(p)} * set.GetDivisor(p))
          << "seed " << SeedOf(i) << " #" << p + 1;
      ASSERT_LE(set.GetAnswer(p), 987659);
      ASSERT_LE(set.GetDividend(p), 97550091771);
      largestDividend = std::max(largestDividend, set.GetDividend(p));
    }
  }
  EXPECT_GT(largestDividend, std::int64_t{1} << 32);
}

// The seed the multiplication set pins: the same pairs, the product now the dividend.
TEST(Twari, KnownSeedGivesTheMultiplicationPairsAsDivisions) {
  struct Problem {
    int number;
    std::int64_t dividend, divisor;
    std::int32_t quotient;
  };
  const Problem expected[] = {
      {1, 98, 7, 14},
      {7, 1240, 4, 310},
      {27, 2259480, 380, 5946},
      {48, 876363072, 24908, 35184},
      {53, 59379533343, 68457, 867399},
      {60, 24346704480, 58016, 419655},
  };
  Twari set;
  SetRandomSeed(20240601u);
  set.Generate();
  for (const Problem& p : expected) {
    EXPECT_EQ(set.GetDividend(p.number - 1), p.dividend) << p.number;
    EXPECT_EQ(set.GetDivisor(p.number - 1), p.divisor) << p.number;
    EXPECT_EQ(set.GetAnswer(p.number - 1), p.quotient) << p.number;
  }
  EXPECT_EQ(RandomSeed(), 2622247049u) << "the set took a different number of draws";
}

}  // namespace
}  // namespace tamariko
