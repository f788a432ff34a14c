#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "core/random.h"

namespace tamariko {
namespace {

// Expected values computed independently from seed := seed * 134775813 + 1 (mod 2^32) and
// Random(k) = (seed * k) >> 32.
TEST(Random, SeedSequenceFollowsTheLinearCongruentialRule) {
  SetRandomSeed(0);
  const std::array<std::uint32_t, 5> expected = {1u, 134775814u, 3698175007u, 870078620u,
                                                 1172187917u};
  for (std::uint32_t seed : expected) {
    Random(2);
    EXPECT_EQ(RandomSeed(), seed);
  }
}

TEST(Random, ValueIsTheUpperHalfOfTheProduct) {
  SetRandomSeed(12345);
  const std::array<int, 8> expected = {3, 2, 0, 5, 6, 3, 4, 0};
  for (int value : expected) EXPECT_EQ(Random(10), value);
  EXPECT_EQ(RandomSeed(), 340655249u);
}

TEST(Random, StaysInRangeAtTheExtremeSeeds) {
  for (std::uint32_t seed : {0u, 0xFFFFFFFFu, 0x80000000u}) {
    SetRandomSeed(seed);
    for (int i = 0; i < 1000; ++i) {
      const int v = Random(7);
      ASSERT_GE(v, 0);
      ASSERT_LT(v, 7);
    }
  }
}

TEST(Random, DrawsAreCounted) {
  const auto before = g_random.draws;
  for (int i = 0; i < 17; ++i) Random(3);
  EXPECT_EQ(g_random.draws - before, 17u);
}

TEST(Random, ClockSeedIsMillisecondsSinceMidnight) {
  EXPECT_LT(ClockSeed(), 24u * 60 * 60 * 1000);
  const std::uint32_t used = Randomize();
  EXPECT_EQ(RandomSeed(), used);
}

}  // namespace
}  // namespace tamariko
