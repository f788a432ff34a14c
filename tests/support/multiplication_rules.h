#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tamariko {
class Tkake;
namespace testing {

// The number of one role at index 0 .. 59 (problem 1 .. 60).
using RoleNumbers = std::function<std::int64_t(int index)>;

// Every grading rule of the sixty pairs of a multiplication set (or the quotients and
// divisors of a division set), checked on the decimal texts of the numbers. Returns one
// line per broken rule; empty when the pairs are sound.
std::vector<std::string> GradedPairViolations(const RoleNumbers& multiplicand,
                                              const RoleNumbers& multiplier);

// The same for a multiplication set, whose answers must also be the products.
std::vector<std::string> MultiplicationSetViolations(const Tkake& set);

}  // namespace testing
}  // namespace tamariko
