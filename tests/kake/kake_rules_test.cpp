#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "core/random.h"
#include "kake/kake.h"
#include "tests/support/multiplication_rules.h"

namespace tamariko {
namespace {

std::uint32_t SeedOf(int i) { return static_cast<std::uint32_t>(i) * 2654435761u + 7u; }

TEST(Tkake, EveryStoredNumberIsZeroBeforeTheFirstRun) {
  const Tkake set;
  for (int i = 0; i < Tkake::kProblemCount; ++i) {
    EXPECT_EQ(set.GetAnswer(i), 0);
    EXPECT_EQ(set.GetMultiplicand(i), 0);
    EXPECT_EQ(set.GetMultiplier(i), 0);
  }
}

TEST(Tkake, AccessorsHoldSixtyFourBitValues) {
  Tkake set;
  set.SetMultiplicand(59, 987659);
  set.SetMultiplier(59, 98769);
  set.SetAnswer(59, set.GetMultiplicand(59) * set.GetMultiplier(59));
  EXPECT_EQ(set.GetAnswer(59), 97550091771);
  set.SetAnswer(0, -5);
  EXPECT_EQ(set.GetAnswer(0), -5);
}

// Thousands of sets, each checked against every rule; together they must also show the
// freedoms the rules leave, so a generator stricter than written fails as well.
TEST(Tkake, ThousandsOfSetsFollowEveryRule) {
  constexpr int kSets = 5000;
  Tkake set;
  std::int64_t largestAnswer = 0;
  bool unitZeroIn1To5 = false, problem49Repeats = false, problem48RepeatsLaterPlace = false;
  bool problem50RepeatsEarlier = false, middlePlaceRepeatsIn51To58 = false;
  bool sameProblemZeroIn26 = false, twoLastZerosIn26 = false;
  std::set<std::string> zeroShapes6, zeroShapes16;
  for (int i = 0; i < kSets; ++i) {
    SetRandomSeed(SeedOf(i));
    set.Generate();
    const auto faults = testing::MultiplicationSetViolations(set);
    ASSERT_TRUE(faults.empty()) << "seed " << SeedOf(i) << ": " << faults.front();

    const auto mc = [&](int p) { return std::to_string(set.GetMultiplicand(p - 1)); };
    for (int p = 1; p <= 60; ++p) largestAnswer = std::max(largestAnswer, set.GetAnswer(p - 1));
    for (int p = 1; p <= 5; ++p) unitZeroIn1To5 |= mc(p)[1] == '0';
    for (int p = 6; p <= 20; ++p) {
      const auto t = mc(p);
      const auto zero = t.find('0');
      if (zero != std::string::npos) {
        (p <= 10 ? zeroShapes6 : zeroShapes16)
            .insert(std::to_string(p) + "@" + std::to_string(zero));
      }
    }
    for (int q = 41; q <= 48; ++q) {
      for (int k = 0; k < 5; ++k) {
        problem49Repeats |= mc(49)[k] == mc(q)[k];
        if (q < 48 && k > 0) problem48RepeatsLaterPlace |= mc(48)[k] == mc(q)[k];
        problem50RepeatsEarlier |= mc(50)[k] == mc(q)[k];
      }
    }
    for (int q = 51; q < 58; ++q) middlePlaceRepeatsIn51To58 |= mc(58)[2] == mc(q)[2];
    int zeroMultiplicands26 = 0;
    for (int p = 26; p <= 30; ++p) {
      const bool multiplicandZero = set.GetMultiplicand(p - 1) % 10 == 0;
      zeroMultiplicands26 += multiplicandZero;
      sameProblemZeroIn26 |= multiplicandZero && set.GetMultiplier(p - 1) % 10 == 0;
    }
    twoLastZerosIn26 |= zeroMultiplicands26 >= 2;
  }
  EXPECT_GT(largestAnswer, std::numeric_limits<std::int32_t>::max());
  EXPECT_TRUE(unitZeroIn1To5);
  EXPECT_TRUE(problem49Repeats) << "problem 49 is never repaired";
  EXPECT_TRUE(problem48RepeatsLaterPlace) << "48 is compared in its first place only";
  EXPECT_TRUE(problem50RepeatsEarlier) << "50 is compared with 49 only";
  EXPECT_TRUE(middlePlaceRepeatsIn51To58) << "51-60 compare first and last place only";
  EXPECT_TRUE(sameProblemZeroIn26) << "the two zero problems of 26-30 are drawn independently";
  EXPECT_TRUE(twoLastZerosIn26) << "26-30 are not repaired after the zero rule";
  EXPECT_EQ(zeroShapes6.size(), 10u) << "every problem of 6-10, middle and last digit";
  EXPECT_EQ(zeroShapes16.size(), 10u) << "every problem of 16-20, middle and last digit";
}

TEST(Tkake, AcceptedProblemsComeInOrderWithTheirFactorsInPlace) {
  Tkake set;
  SetRandomSeed(99);
  std::vector<int> seen;
  set.Generate([&](int problem) {
    const int i = problem - 1;
    EXPECT_NE(set.GetMultiplicand(i), 0);
    EXPECT_NE(set.GetMultiplier(i), 0);
    EXPECT_EQ(set.GetAnswer(i), 0) << "the line is drawn before the product is stored";
    if (i > 0) {
      EXPECT_NE(set.GetAnswer(i - 1), 0);
    }
    seen.push_back(problem);
  });
  ASSERT_EQ(seen.size(), 60u);
  for (int i = 0; i < 60; ++i) EXPECT_EQ(seen[i], i + 1);
}

TEST(Tkake, EveryRunReplacesThePreviousSet) {
  Tkake set;
  SetRandomSeed(1);
  set.Generate();
  const std::int64_t first = set.GetAnswer(59);
  set.SetAnswer(0, 0);
  SetRandomSeed(1);
  set.Generate();
  EXPECT_EQ(set.GetAnswer(59), first);
  EXPECT_NE(set.GetAnswer(0), 0);
}

}  // namespace
}  // namespace tamariko
