#include "tests/support/abacus_rules.h"

#include <set>

namespace tamariko::testing {
namespace {

// Digits of every row: three in problems 1-5, up to eight in 26-30.
int Digits(int p) { return 3 + (p - 1) / 5; }

// Subtracted rows of problem p (index 0 unused), five problems a line.
constexpr int kSubtracted[31] = {0,               //
                                 0, 0, 0, 0, 0,   // 1-5
                                 0, 0, 3, 0, 3,   // 6-10
                                 0, 0, 3, 0, 3,   // 11-15
                                 0, 0, 3, 0, 3,   // 16-20
                                 0, 0, 3, 0, 5,   // 21-25
                                 0, 0, 3, 0, 5};  // 26-30

// The two problems whose answer is below zero; only their running totals may dip.
bool BelowZero(int p) { return p == 25 || p == 30; }

}  // namespace

std::vector<std::string> AbacusSetViolations(const std::array<std::int64_t, 300>& numbers,
                                             const std::array<std::int64_t, 30>& answers) {
  std::vector<std::string> failures;
  for (int p = 1; p <= 30; ++p) {
    auto fail = [&](const std::string& what) {
      failures.push_back("problem " + std::to_string(p) + ": " + what);
    };
    auto row = [&](int r) { return numbers[10 * (p - 1) + r - 1]; };
    auto text = [&](int r) { return std::to_string(row(r) < 0 ? -row(r) : row(r)); };

    std::set<std::string> magnitudes;
    std::int64_t total = 0;
    int subtracted = 0;
    for (int r = 1; r <= 10; ++r) {
      const std::string s = text(r);
      const std::string at = "row " + std::to_string(r);
      if (static_cast<int>(s.size()) != Digits(p) || s[0] == '0') fail(at + ": digit count");
      if (std::set<char>(s.begin(), s.end()).size() != s.size()) fail(at + ": repeats a digit");
      if (!magnitudes.insert(s).second) fail(at + ": same value as an earlier row");
      if (r > 1) {
        const std::string above = text(r - 1);
        for (std::size_t place = 0; place < s.size() && place < above.size(); ++place) {
          if (s[place] == above[place]) fail(at + ": same digit in a place as the row above");
        }
      }
      if (row(r) < 0) {
        ++subtracted;
        if (r <= 2) fail(at + ": subtracted");
      }
      total += row(r);
      if (total < 0 && !BelowZero(p)) fail(at + ": running total below 0");
    }
    if (subtracted != kSubtracted[p]) fail(std::to_string(subtracted) + " subtracted rows");
    if (BelowZero(p) != (total < 0)) fail("answer on the wrong side of 0");
    if (answers[p - 1] != total) fail("answer is not the sum of the rows");
  }
  return failures;
}

}  // namespace tamariko::testing
