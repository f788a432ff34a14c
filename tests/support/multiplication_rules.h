#pragma once

#include <string>
#include <vector>

namespace tamariko {
class Tkake;
namespace testing {

// Every grading rule of a multiplication set, checked on the decimal texts of the stored
// numbers. Returns one line per broken rule; empty when the set is sound.
std::vector<std::string> MultiplicationSetViolations(const Tkake& set);

}  // namespace testing
}  // namespace tamariko
