#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tamariko::testing {

// Every rule of an abacus addition set, checked from the rows alone (row r of problem p at
// 10 (p - 1) + r - 1). Returns one line per broken rule; empty when the set is sound.
std::vector<std::string> AbacusSetViolations(const std::array<std::int64_t, 300>& numbers,
                                             const std::array<std::int64_t, 30>& answers);

}  // namespace tamariko::testing
