#include "tests/support/multiplication_rules.h"

#include <cstdint>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "kake/kake.h"

namespace tamariko::testing {
namespace {

// Every rule finished pairs must satisfy, checked on the decimal texts of the numbers.
class RuleChecker {
 public:
  RuleChecker(const RoleNumbers& multiplicand, const RoleNumbers& multiplier)
      : multiplicand_(multiplicand), multiplier_(multiplier) {}

  std::vector<std::string> Violations() {
    CheckWholeGroup(1, 2, false);
    CheckWholeGroup(6, 3, true);
    CheckSmallRepairGroup(11, 2, 2);
    CheckSmallRepairGroup(16, 3, 2);
    CheckSmallRepairGroup(21, 3, 3);
    CheckGroup26();
    CheckSmallRepairGroup(31, 4, 4);
    CheckSmallRepairGroup(36, 5, 4);
    CheckGroup41();
    CheckGroup51();
    return faults_;
  }

 private:
  std::string Multiplicand(int p) const { return std::to_string(multiplicand_(p - 1)); }
  std::string Multiplier(int p) const { return std::to_string(multiplier_(p - 1)); }
  std::vector<std::string> Role(bool multiplicands, int first, int count) const {
    std::vector<std::string> texts;
    for (int p = first; p < first + count; ++p) {
      texts.push_back(multiplicands ? Multiplicand(p) : Multiplier(p));
    }
    return texts;
  }

  void Fault(int problem, const std::string& what) {
    faults_.push_back("problem " + std::to_string(problem) + ": " + what);
  }

  static bool AllDigitsDiffer(const std::string& text) {
    unsigned seen = 0;
    for (char c : text) {
      if (seen >> (c - '0') & 1u) return false;
      seen |= 1u << (c - '0');
    }
    return true;
  }

  // Place k (0-based) of the numbers with indices `which` holds pairwise different digits.
  static bool PlaceDiffers(const std::vector<std::string>& texts, std::size_t k,
                           const std::vector<int>& which) {
    unsigned seen = 0;
    for (int i : which) {
      const int digit = texts[i][k] - '0';
      if (seen >> digit & 1u) return false;
      seen |= 1u << digit;
    }
    return true;
  }

  static std::vector<int> Range(int from, int to) {
    std::vector<int> v;
    for (int i = from; i < to; ++i) v.push_back(i);
    return v;
  }

  void CheckLengths(const std::vector<std::string>& texts, int first, std::size_t length,
                    const char* role) {
    for (std::size_t i = 0; i < texts.size(); ++i) {
      if (texts[i].size() != length || texts[i][0] == '-' || texts[i] == "0") {
        Fault(first + static_cast<int>(i), std::string(role) + " " + texts[i] + " is not a " +
                                               std::to_string(length) + "-digit number");
      }
    }
  }

  void CheckAllPlacesDiffer(const std::vector<std::string>& texts, int first, const char* role) {
    for (std::size_t k = 0; k < texts[0].size(); ++k) {
      if (!PlaceDiffers(texts, k, Range(0, static_cast<int>(texts.size())))) {
        Fault(first, std::string(role) + "s repeat a digit in place " + std::to_string(k + 1));
      }
    }
  }

  // Exactly one multiplicand of the group carries a 0, as its middle or last digit.
  void CheckOneZeroMultiplicand(const std::vector<std::string>& texts, int first) {
    int withZero = 0;
    for (const auto& t : texts) {
      if (t.find('0') != std::string::npos) {
        ++withZero;
        if (t[1] != '0' && t[2] != '0') Fault(first, "zero of " + t + " is not in place 2 or 3");
      }
    }
    if (withZero != 1) Fault(first, std::to_string(withZero) + " multiplicands carry a 0");
  }

  void CheckWholeGroup(int first, std::size_t places, bool zeroRule) {
    const auto multiplicands = Role(true, first, 5);
    CheckLengths(multiplicands, first, places, "multiplicand");
    std::set<std::int64_t> multipliers;
    for (int p = first; p < first + 5; ++p) {
      const std::int64_t s = multiplier_(p - 1);
      if (s < 2 || s > 9) Fault(p, "multiplier is not 2 to 9");
      multipliers.insert(s);
      if (!AllDigitsDiffer(Multiplicand(p))) Fault(p, "multiplicand repeats a digit");
    }
    if (multipliers.size() != 5) Fault(first, "multipliers repeat");
    CheckAllPlacesDiffer(multiplicands, first, "multiplicand");
    if (zeroRule) CheckOneZeroMultiplicand(multiplicands, first);
  }

  void CheckSmallRepairGroup(int first, std::size_t multiplicandPlaces,
                             std::size_t multiplierPlaces) {
    const auto multiplicands = Role(true, first, 5);
    const auto multipliers = Role(false, first, 5);
    CheckLengths(multiplicands, first, multiplicandPlaces, "multiplicand");
    CheckLengths(multipliers, first, multiplierPlaces, "multiplier");
    for (int i = 0; i < 5; ++i) {
      if (!AllDigitsDiffer(multiplicands[i]) || !AllDigitsDiffer(multipliers[i])) {
        Fault(first + i, "a factor repeats a digit");
      }
      if (first == 11 && (multiplicands[i] + multipliers[i]).find('0') != std::string::npos) {
        Fault(first + i, "contains a 0");
      }
    }
    CheckAllPlacesDiffer(multiplicands, first, "multiplicand");
    CheckAllPlacesDiffer(multipliers, first, "multiplier");
    if (first == 16) CheckOneZeroMultiplicand(multiplicands, first);
  }

  // All places differed before one number's last digit became 0; the others are untouched.
  void CheckLastDigitZeroed(const std::vector<std::string>& texts, int first, const char* role) {
    const std::size_t last = texts[0].size() - 1;
    for (std::size_t k = 0; k < last; ++k) {
      if (!PlaceDiffers(texts, k, Range(0, 5))) {
        Fault(first, std::string(role) + "s repeat a digit in place " + std::to_string(k + 1));
      }
    }
    bool explained = false;
    for (int zeroed = 0; zeroed < 5 && !explained; ++zeroed) {
      if (texts[zeroed][last] != '0' || !AllDigitsDiffer(texts[zeroed].substr(0, last))) continue;
      std::vector<int> others;
      bool othersDiffer = true;
      for (int q = 0; q < 5; ++q) {
        if (q == zeroed) continue;
        others.push_back(q);
        othersDiffer &= AllDigitsDiffer(texts[q]);
      }
      explained = othersDiffer && PlaceDiffers(texts, last, others);
    }
    if (!explained)
      Fault(first, std::string("no ") + role + " was given a last 0 as the rule says");
  }

  void CheckGroup26() {
    const auto multiplicands = Role(true, 26, 5);
    const auto multipliers = Role(false, 26, 5);
    CheckLengths(multiplicands, 26, 4, "multiplicand");
    CheckLengths(multipliers, 26, 3, "multiplier");
    CheckLastDigitZeroed(multiplicands, 26, "multiplicand");
    CheckLastDigitZeroed(multipliers, 26, "multiplier");
  }

  void CheckTenGroupRole41(const std::vector<std::string>& t, const char* role) {
    CheckLengths(t, 41, 5, role);
    for (int i = 0; i < 10; ++i) {
      if (!AllDigitsDiffer(t[i])) Fault(41 + i, std::string(role) + " repeats a digit");
    }
    for (std::size_t k = 0; k < 5; ++k) {
      if (!PlaceDiffers(t, k, Range(0, 7))) Fault(41, std::string(role) + "s of 41-47 repeat");
      if (t[9][k] == t[8][k]) Fault(50, std::string(role) + " shares a place with 49");
    }
    if (!PlaceDiffers(t, 0, Range(0, 8))) Fault(48, std::string(role) + " first digit repeats");
  }

  void CheckGroup41() {
    CheckTenGroupRole41(Role(true, 41, 10), "multiplicand");
    CheckTenGroupRole41(Role(false, 41, 10), "multiplier");
  }

  // Returns the problem index (0-based in the group) whose last digit is 0, or -1.
  int CheckTenGroupRole51(const std::vector<std::string>& t, std::size_t places, const char* role) {
    CheckLengths(t, 51, places, role);
    int zeroed = -1;
    for (int i = 0; i < 10; ++i) {
      const char last = t[i].back();
      if (!AllDigitsDiffer(t[i].substr(0, places - 1))) {
        Fault(51 + i, std::string(role) + " repeats a digit before its last");
      }
      if (last == '0') {
        if (zeroed >= 0) Fault(51 + i, std::string("second ") + role + " ending in 0");
        zeroed = i;
      } else if (last < '2') {
        Fault(51 + i, std::string(role) + " ends in 1");
      }
    }
    if (zeroed < 0) Fault(51, std::string("no ") + role + " ends in 0");
    for (std::size_t k : {std::size_t{0}, places - 1}) {
      if (!PlaceDiffers(t, k, Range(0, 8))) {
        Fault(51, std::string(role) + "s of 51-58 repeat in place " + std::to_string(k + 1));
      }
      if (t[9][k] == t[8][k]) Fault(60, std::string(role) + " shares an end place with 59");
    }
    return zeroed;
  }

  void CheckGroup51() {
    const int multiplicandZero = CheckTenGroupRole51(Role(true, 51, 10), 6, "multiplicand");
    const int multiplierZero = CheckTenGroupRole51(Role(false, 51, 10), 5, "multiplier");
    if (multiplicandZero >= 0 && multiplicandZero == multiplierZero) {
      Fault(51 + multiplierZero, "both factors end in 0");
    }
  }

  const RoleNumbers& multiplicand_;
  const RoleNumbers& multiplier_;
  std::vector<std::string> faults_;
};

}  // namespace

std::vector<std::string> GradedPairViolations(const RoleNumbers& multiplicand,
                                              const RoleNumbers& multiplier) {
  return RuleChecker(multiplicand, multiplier).Violations();
}

std::vector<std::string> MultiplicationSetViolations(const Tkake& set) {
  std::vector<std::string> faults;
  for (int i = 0; i < Tkake::kProblemCount; ++i) {
    if (set.GetAnswer(i) != set.GetMultiplicand(i) * set.GetMultiplier(i)) {
      faults.push_back("problem " + std::to_string(i + 1) + ": answer is not the product");
    }
  }
  const auto rules = GradedPairViolations([&](int i) { return set.GetMultiplicand(i); },
                                          [&](int i) { return set.GetMultiplier(i); });
  faults.insert(faults.end(), rules.begin(), rules.end());
  return faults;
}

}  // namespace tamariko::testing
