#include "core/graded_pairs.h"

#include "core/graded_pair_rules.h"

namespace tamariko {
namespace {

using graded::Exceptions;
using graded::FactorSource;
using graded::GroupFactors;
using graded::Source;

constexpr FactorSource D(int n) { return {Source::Distinct, n}; }
constexpr FactorSource Z(int n) { return {Source::NonZero, n}; }
constexpr FactorSource DPlusS(int n) { return {Source::DistinctPlusS, n + 1}; }

struct RepairGroup {
  int first;  // problem number of the group's first problem
  graded::RepairGroupRule rule;
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

void MakeGradedPairs(const AcceptedPair& accepted) {
  graded::GlobalDraws draws;
  GroupFactors group;

  const auto settle = [&](int first, int count, int multiplicandPlaces, int multiplierPlaces) {
    for (int j = 0; j < count; ++j) {
      accepted(first + j, {graded::FactorValue(group.multiplicands[j], multiplicandPlaces),
                           graded::FactorValue(group.multipliers[j], multiplierPlaces)});
    }
  };

  graded::SettleWholeGroup({D(2), false}, group, draws);
  settle(1, 5, 2, 1);
  graded::SettleWholeGroup({Z(3), true}, group, draws);
  settle(6, 5, 3, 1);

  for (const RepairGroup& g : kRepairGroups) {
    const graded::RepairGroupRule& rule = g.rule;
    graded::SettleRepairGroup(rule, group, draws);
    const int multiplicandPlaces = rule.multiplicand.places;
    const int multiplierPlaces = rule.multiplier.places;
    if (g.first == 26) {
      // Independent choices: both zeros may land in the same problem.
      graded::ZeroLastPlace(group.multipliers[draws.Random(5)], multiplierPlaces);
      graded::ZeroLastPlace(group.multiplicands[draws.Random(5)], multiplicandPlaces);
    } else if (g.first == 51) {
      // Two different problems, so each role ends in 0 exactly once.
      const int withZeroMultiplier = draws.Random(10);
      int withZeroMultiplicand = draws.Random(10);
      while (withZeroMultiplicand == withZeroMultiplier) withZeroMultiplicand = draws.Random(10);
      graded::ZeroLastPlace(group.multipliers[withZeroMultiplier], multiplierPlaces);
      graded::ZeroLastPlace(group.multiplicands[withZeroMultiplicand], multiplicandPlaces);
    }
    settle(g.first, rule.count, multiplicandPlaces, multiplierPlaces);
  }
}

}  // namespace tamariko
