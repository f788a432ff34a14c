#pragma once

#include <cstdint>
#include <functional>

namespace tamariko {

// One problem's numbers: a two- to six-digit number and a one- to five-digit one. The
// multiplication set multiplies them; the division set takes them as quotient and divisor.
struct GradedPair {
  std::int32_t multiplicand;
  std::int32_t multiplier;
};

inline constexpr int kGradedPairCount = 60;

// Called with the problem number (1 .. 60) and its pair once the problem's group is
// settled, problems in increasing order.
using AcceptedPair = std::function<void(int problem, const GradedPair& pair)>;

// Draws the sixty pairs of the graded sets from the run's generator, in ten groups from two
// digits by one digit up to six digits by five: problems 1-10 drawn again as a whole group
// until their places differ, 11-60 repaired number by number, with the groups' zero rules.
void MakeGradedPairs(const AcceptedPair& accepted);

}  // namespace tamariko
