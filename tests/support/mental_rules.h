#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tamariko::testing {

// Every grading rule of a mental addition set, checked from the rows alone. Returns one line
// per broken rule; empty when the set is sound.
std::vector<std::string> MentalSetViolations(const std::array<std::int32_t, 236>& numbers,
                                             const std::array<std::int32_t, 30>& answers);

}  // namespace tamariko::testing
