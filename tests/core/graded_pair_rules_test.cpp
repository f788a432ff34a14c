#include <gtest/gtest.h>

#include <deque>

#include "core/graded_pair_rules.h"
#include "core/random.h"

namespace tamariko::graded {
namespace {

// Tries digit after digit, place by place, every number the source can make that avoids
// `taken`: the definition the fast check must agree with.
bool SearchAvoiding(FactorSource source, const TakenDigits& taken, int place = 0,
                    unsigned used = 0) {
  if (place == source.places) return true;
  const bool free = !(taken[place] & 1u);
  if (source.kind == Source::NonZeroWithZero && place == 1) {
    // Either the zero stands here and the next place continues the non-zero digits, or the
    // next place is the zero.
    if (free && SearchAvoiding({Source::NonZero, 3}, taken, 2, used)) return true;
    for (int d = 1; d <= 9; ++d) {
      if (!(used >> d & 1u) && !(taken[1] >> d & 1u) && !(taken[2] & 1u)) return true;
    }
    return false;
  }
  int lowest = place == 0 || source.kind != Source::Distinct ? 1 : 0;
  if (source.kind == Source::DistinctPlusS) {
    if (place == source.places - 1) {
      for (int s = 2; s <= 9; ++s) {
        if (!(taken[place] >> s & 1u)) return true;
      }
      return false;
    }
    lowest = place == 0 ? 1 : 0;
  }
  for (int d = lowest; d <= 9; ++d) {
    if (!(used >> d & 1u) && !(taken[place] >> d & 1u) &&
        SearchAvoiding(source, taken, place + 1, used | 1u << d)) {
      return true;
    }
  }
  return false;
}

TEST(SourceCanAvoid, AgreesWithSearchOverEverySourceNumber) {
  const FactorSource sources[] = {
      {Source::Distinct, 2},      {Source::Distinct, 3},      {Source::Distinct, 4},
      {Source::Distinct, 5},      {Source::NonZero, 2},       {Source::NonZero, 3},
      {Source::DistinctPlusS, 5}, {Source::DistinctPlusS, 6}, {Source::NonZeroWithZero, 3},
  };
  unsigned state = 2024;
  const auto next = [&state] { return state = state * 1103515245u + 12345u; };
  for (const FactorSource source : sources) {
    int yes = 0, no = 0;
    for (int trial = 0; trial < 3000; ++trial) {
      TakenDigits taken{};
      // Dense masks, as after many earlier numbers, so both answers occur.
      const unsigned density = next() >> 29;
      for (int k = 0; k < source.places; ++k) {
        DigitMask mask = 0;
        for (int d = 0; d < 10; ++d) {
          if ((next() >> 28) < 7 + density) mask |= static_cast<DigitMask>(1u << d);
        }
        taken[k] = mask;
      }
      const bool expected = SearchAvoiding(source, taken);
      ASSERT_EQ(SourceCanAvoid(source, taken), expected)
          << "kind " << int(source.kind) << " places " << source.places << " trial " << trial;
      (expected ? yes : no)++;
    }
    EXPECT_GT(yes, 50) << int(source.kind) << "/" << source.places;
    EXPECT_GT(no, 50) << int(source.kind) << "/" << source.places;
  }
}

TEST(SourceCanAvoid, ZeroRuleAndAppendedDigitCases) {
  TakenDigits taken{};
  // Places 2 and 3 both already hold a 0: no zero problem fits, whatever the other digits.
  taken[1] = 1u;
  taken[2] = 1u;
  EXPECT_FALSE(SourceCanAvoid({Source::NonZeroWithZero, 3}, taken));
  // Place 3 holds a 0 already, so the zero goes to place 2; places 1 and 3 must then take
  // different non-zero digits, and only 5 is left in either.
  taken[1] = 0;
  taken[0] = kNonZeroDigits & ~(1u << 5);
  taken[2] = kAllDigits & ~(1u << 5);
  EXPECT_FALSE(SourceCanAvoid({Source::NonZeroWithZero, 3}, taken));
  taken[2] = kAllDigits & ~(1u << 6);
  EXPECT_TRUE(SourceCanAvoid({Source::NonZeroWithZero, 3}, taken));

  // The appended digit may repeat an earlier digit, but never be 0 or 1.
  TakenDigits ends{};
  ends[0] = kNonZeroDigits & ~(1u << 7);
  ends[5] = kSDigits & ~(1u << 7);
  EXPECT_TRUE(SourceCanAvoid({Source::DistinctPlusS, 6}, ends));
  ends[5] = kSDigits;
  EXPECT_FALSE(SourceCanAvoid({Source::DistinctPlusS, 6}, ends));
}

// Hands out constructed digit rows first, then falls back to the run's generator.
struct ScriptedDraws {
  std::deque<NineDigits> distinct;
  NineDigits Distinct() {
    if (distinct.empty()) return DrawDistinctDigits();
    const NineDigits next = distinct.front();
    distinct.pop_front();
    return next;
  }
  NineDigits NonZero() { return DrawDistinctNonZeroDigits(); }
  int Random(int k) { return tamariko::Random(k); }
};

// Six five-digit numbers: first digits 1 to 6, each later place a rotation of 0 to 5. They
// differ in every place, and leave problem 47 no admissible number at all.
NineDigits Blocking(int i) {
  NineDigits row{};
  row[0] = static_cast<std::uint8_t>(i + 1);
  for (int k = 1; k < 5; ++k) row[k] = static_cast<std::uint8_t>((i + k + 1) % 6);
  unsigned used = 0;
  for (int k = 0; k < 5; ++k) used |= 1u << row[k];
  int k = 5;
  for (int d = 0; d < 10 && k < 9; ++d) {
    if (!(used >> d & 1u)) row[k++] = static_cast<std::uint8_t>(d);
  }
  return row;
}

constexpr RepairGroupRule kGroup41{
    10, {Source::Distinct, 5}, {Source::Distinct, 5}, false, Exceptions::FortyOneToFifty};

void ExpectGroup41Holds(const GroupFactors& group) {
  for (const auto* role : {&group.multiplicands, &group.multipliers}) {
    for (int j = 1; j < 10; ++j) {
      const Compared c = ComparedFor(Exceptions::FortyOneToFifty, j, 5);
      for (int q = c.from; q < c.to; ++q) {
        for (int k = 0; k < 5; ++k) {
          if (c.places >> k & 1u) {
            EXPECT_NE((*role)[j][k], (*role)[q][k]) << j << " vs " << q;
          }
        }
      }
    }
  }
}

TEST(RepairGuard, GroupWithNoNumberLeftForProblem47IsMadeAgain) {
  ASSERT_FALSE(
      SourceCanAvoid({Source::Distinct, 5},
                     TakenBy({Places{1, 2, 3, 4, 5}, Places{2, 3, 4, 5, 0}, Places{3, 4, 5, 0, 1},
                              Places{4, 5, 0, 1, 2}, Places{5, 0, 1, 2, 3}, Places{6, 1, 2, 3, 4}},
                             {0x1F, 0, 6}, 5)));
  ScriptedDraws draws;
  // First draw order: multiplicand then multiplier, problem by problem; 47 to 50 repeat 41.
  for (int j = 0; j < 10; ++j) {
    draws.distinct.push_back(Blocking(j < 6 ? j : 0));
    draws.distinct.push_back(Blocking(j < 6 ? j : 0));
  }
  SetRandomSeed(4242);
  GroupFactors group;
  EXPECT_EQ(SettleRepairGroup(kGroup41, group, draws), 1);
  EXPECT_TRUE(draws.distinct.empty());
  ExpectGroup41Holds(group);
}

TEST(RepairGuard, GroupWithOneNumberLeftIsRepairedInPlace) {
  ScriptedDraws draws;
  // Only five blocking numbers: problem 46 clashes but can still be repaired.
  for (int j = 0; j < 10; ++j) {
    draws.distinct.push_back(Blocking(j < 5 ? j : 0));
    draws.distinct.push_back(Blocking(j < 5 ? j : 0));
  }
  SetRandomSeed(4242);
  GroupFactors group;
  EXPECT_EQ(SettleRepairGroup(kGroup41, group, draws), 0);
  EXPECT_EQ(group.multiplicands[0][0], 1);
  ExpectGroup41Holds(group);
}

}  // namespace
}  // namespace tamariko::graded
