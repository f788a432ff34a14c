#include "kake/kake.h"

#include "kake/kake_rules.h"

namespace tamariko {
namespace {

using kake::Exceptions;
using kake::GroupFactors;
using kake::Source;
using kake::SourceSpec;

constexpr SourceSpec D(int n) { return {Source::Distinct, n}; }
constexpr SourceSpec Z(int n) { return {Source::NonZero, n}; }
constexpr SourceSpec DPlusS(int n) { return {Source::DistinctPlusS, n + 1}; }

struct RepairGroup {
  int first;  // problem number of the group's first problem
  kake::RepairGroupRule rule;
};

// Problems 11-60 in sheet order; the two zero rules that follow a repair are applied by
// problem number below.
constexpr RepairGroup kRepairGroups[] = {
    {11, {5, Z(2), Z(2), false, Exceptions::None}},
    {16, {5, Z(3), D(2), true, Exceptions::None}},
    {21, {5, D(3), D(3), false, Exceptions::None}},
    {26, {5, D(4), D(3), false, Exceptions::None}},
    {31, {5, D(4), D(4), false, Exceptions::None}},
    {36, {5, D(5), D(4), false, Exceptions::None}},
    {41, {10, D(5), D(5), false, Exceptions::FortyOneToFifty}},
    {51, {10, DPlusS(5), DPlusS(4), false, Exceptions::FiftyOneToSixty}},
};

}  // namespace

void Tkake::Generate(const AcceptedProblem& accepted) {
  Answers.fill(0);
  Multiplicands.fill(0);
  Multipliers.fill(0);

  kake::GlobalDraws draws;
  GroupFactors group;

  const auto settle = [&](int first, int count, int multiplicandPlaces, int multiplierPlaces) {
    for (int j = 0; j < count; ++j) {
      Multiplicands[first - 1 + j] = kake::FactorValue(group.multiplicands[j], multiplicandPlaces);
      Multipliers[first - 1 + j] = kake::FactorValue(group.multipliers[j], multiplierPlaces);
    }
    for (int j = 0; j < count; ++j) {
      const int index = first - 1 + j;
      if (accepted) accepted(first + j);
      Answers[index] = Multiplicands[index] * Multipliers[index];
    }
  };

  kake::SettleWholeGroup({D(2), false}, group, draws);
  settle(1, 5, 2, 1);
  kake::SettleWholeGroup({Z(3), true}, group, draws);
  settle(6, 5, 3, 1);

  for (const RepairGroup& g : kRepairGroups) {
    const kake::RepairGroupRule& rule = g.rule;
    kake::SettleRepairGroup(rule, group, draws);
    const int multiplicandPlaces = rule.multiplicand.places;
    const int multiplierPlaces = rule.multiplier.places;
    if (g.first == 26) {
      // Independent choices: both zeros may land in the same problem.
      kake::ZeroLastPlace(group.multipliers[draws.Random(5)], multiplierPlaces);
      kake::ZeroLastPlace(group.multiplicands[draws.Random(5)], multiplicandPlaces);
    } else if (g.first == 51) {
      // Two different problems, so each role ends in 0 exactly once.
      const int withZeroMultiplier = draws.Random(10);
      int withZeroMultiplicand = draws.Random(10);
      while (withZeroMultiplicand == withZeroMultiplier) withZeroMultiplicand = draws.Random(10);
      kake::ZeroLastPlace(group.multipliers[withZeroMultiplier], multiplierPlaces);
      kake::ZeroLastPlace(group.multiplicands[withZeroMultiplicand], multiplicandPlaces);
    }
    settle(g.first, rule.count, multiplicandPlaces, multiplierPlaces);
  }
}

}  // namespace tamariko
