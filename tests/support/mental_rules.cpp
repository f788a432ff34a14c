#include "tests/support/mental_rules.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <set>
#include <sstream>

namespace tamariko::testing {
namespace {

constexpr int kFirst[31] = {0,   0,   5,   10,  15,  20,  25,  30,  35,  40,  45,
                            50,  55,  60,  67,  74,  81,  91,  101, 111, 121, 131,
                            141, 151, 161, 171, 181, 191, 201, 211, 221};

int Rows(int p) { return p <= 12 ? 5 : p <= 15 ? 7 : 10; }

std::string Text(std::int32_t v) { return std::to_string(std::abs(static_cast<long long>(v))); }

bool DistinctDigits(const std::string& s) {
  return std::set<char>(s.begin(), s.end()).size() == s.size();
}

class Checker {
 public:
  Checker(const std::array<std::int32_t, 236>& numbers, const std::array<std::int32_t, 30>& answers)
      : numbers_(numbers), answers_(answers) {}

  std::vector<std::string> Run() {
    for (int p = 1; p <= 30; ++p) {
      long long sum = 0;
      for (int r = 1; r <= Rows(p); ++r) {
        sum += Row(p, r);
        if (Row(p, r) == 0) Fail(p, "row " + std::to_string(r) + " is 0");
      }
      if (sum != answers_[p - 1]) Fail(p, "answer is not the sum of the rows");
    }
    for (int i = 231; i < 236; ++i) {
      if (numbers_[i] != 0) Fail(0, "index " + std::to_string(i) + " is not 0");
    }
    FirstSeven();
    TwoDigitZeroRows();
    ElevenTwelve();
    SevenRowProblems();
    TenRowProblems();
    HardProblems();
    return std::move(failures_);
  }

 private:
  std::int32_t Row(int p, int r) const { return numbers_[kFirst[p] + r - 1]; }

  void Fail(int p, const std::string& what) {
    failures_.push_back("problem " + std::to_string(p) + ": " + what);
  }

  std::vector<int> Subtracted(int p) const {
    std::vector<int> rows;
    for (int r = 1; r <= Rows(p); ++r) {
      if (Row(p, r) < 0) rows.push_back(r);
    }
    return rows;
  }

  void ExpectAddsOnly(int p) {
    if (!Subtracted(p).empty()) Fail(p, "has a subtracted row");
  }

  void ExpectRunningSums(int p) {
    long long sum = 0;
    for (int r = 1; r <= Rows(p); ++r) {
      sum += Row(p, r);
      if (sum < 0) Fail(p, "running sum below 0 at row " + std::to_string(r));
    }
  }

  void ExpectNoThreeSubtractedInARow(int p) {
    for (int r = 1; r + 2 <= Rows(p); ++r) {
      if (Row(p, r) < 0 && Row(p, r + 1) < 0 && Row(p, r + 2) < 0) Fail(p, "three subtracted rows");
    }
  }

  void ExpectDigits(int p, int r, int count, bool zeroAllowed) {
    const std::string s = Text(Row(p, r));
    if (static_cast<int>(s.size()) != count) Fail(p, "row " + std::to_string(r) + " digit count");
    if (!DistinctDigits(s)) Fail(p, "row " + std::to_string(r) + " repeats a digit");
    if (!zeroAllowed && s.find('0') != std::string::npos) {
      Fail(p, "row " + std::to_string(r) + " holds a 0");
    }
  }

  // Problems 1 to 7.
  void FirstSeven() {
    std::set<int> twoDigitPositions;
    for (int p = 1; p <= 7; ++p) {
      ExpectAddsOnly(p);
      std::vector<int> one, two;
      for (int r = 1; r <= 5; ++r) {
        const std::int32_t v = Row(p, r);
        (v < 10 ? one : two).push_back(r);
        if (v >= 10) ExpectDigits(p, r, 2, p >= 6);
      }
      if (p >= 2 && Row(p, 1) == Row(p - 1, 1)) Fail(p, "row 1 equals row 1 of the problem before");
      if (p <= 2 && !two.empty()) Fail(p, "has a two-digit row");
      if (p >= 3 && p <= 5) {
        if (two.size() != 1) {
          Fail(p, "needs exactly one two-digit row");
        } else {
          if (two[0] == 1) Fail(p, "two-digit row in row 1");
          twoDigitPositions.insert(two[0]);
        }
      }
      if (p <= 5) {
        std::set<std::int32_t> values;
        for (int r = 1; r <= 5; ++r) values.insert(Row(p, r));
        if (values.size() != 5) Fail(p, "rows repeat");
      } else {
        if (one.size() != 2) {
          Fail(p, "needs exactly two one-digit rows");
          continue;
        }
        if (std::abs(one[0] - one[1]) == 1) Fail(p, "one-digit rows are adjacent");
        if (Row(p, one[0]) == Row(p, one[1])) Fail(p, "one-digit rows are equal");
        std::set<int> tens;
        for (int r : two) tens.insert(Row(p, r) / 10);
        if (tens.size() != 3) Fail(p, "tens digits repeat");
      }
    }
    if (twoDigitPositions.size() != 3) Fail(3, "two-digit rows of 3 to 5 share a position");
  }

  // Problems 8 to 10: Z(2) rows, one of them with its units made 0.
  void TwoDigitZeroRows() {
    std::set<int> zeroPositions;
    for (int p = 8; p <= 10; ++p) {
      ExpectAddsOnly(p);
      std::set<int> tens, units;
      int zeros = 0;
      for (int r = 1; r <= 5; ++r) {
        const std::int32_t v = Row(p, r);
        if (v < 10 || v > 98) Fail(p, "row is not two-digit");
        tens.insert(v / 10);
        if (v % 10 == 0) {
          ++zeros;
          zeroPositions.insert(r);
        } else {
          ExpectDigits(p, r, 2, false);
          units.insert(v % 10);
        }
      }
      if (zeros != 1) Fail(p, "needs exactly one row ending in 0");
      if (tens.size() != 5) Fail(p, "tens digits repeat");
      if (static_cast<int>(units.size()) != 5 - zeros) Fail(p, "units digits repeat");
    }
    if (zeroPositions.size() != 3) Fail(8, "zero rows of 8 to 10 share a position");
  }

  // The digit a place held when the row was drawn, where the zero rule left it visible.
  enum class Zero { None, Shift, Units, Tens, Hundreds };

  static Zero ZeroKind(const std::string& s, bool middleZeroIsShift) {
    const auto zero = s.find('0');
    if (zero == std::string::npos) return Zero::None;
    if (s.find('0', zero + 1) != std::string::npos) return Zero::None;  // reported elsewhere
    const auto fromRight = s.size() - 1 - zero;
    if (fromRight == 0) return Zero::Units;
    if (fromRight == 1) return s.size() == 3 && middleZeroIsShift ? Zero::Shift : Zero::Tens;
    if (fromRight == 2 && s.size() == 4) return Zero::Hundreds;
    return Zero::None;
  }

  static std::optional<int> DrawnDigit(const std::string& s, Zero kind, int place) {
    // place counted from 1 at the left
    switch (kind) {
      case Zero::None:
        return s[place - 1] - '0';
      case Zero::Shift:  // abc -> a0b: a at place 1, b now at place 3
        if (place == 1) return s[0] - '0';
        if (place == 2) return s[2] - '0';
        return std::nullopt;
      default: {
        const std::size_t zeroAt = s.find('0');
        if (static_cast<std::size_t>(place - 1) == zeroAt) return std::nullopt;
        return s[place - 1] - '0';
      }
    }
  }

  // Rows drawn from Z(n) with the listed zero rules applied to distinct rows.
  std::vector<Zero> CheckZeroRows(int p, int digits, const std::vector<Zero>& expected) {
    const bool middleZeroIsShift =
        std::find(expected.begin(), expected.end(), Zero::Shift) != expected.end();
    std::vector<Zero> kinds(Rows(p) + 1, Zero::None);
    std::multiset<Zero> found;
    for (int r = 1; r <= Rows(p); ++r) {
      const std::string s = Text(Row(p, r));
      if (static_cast<int>(s.size()) != digits)
        Fail(p, "row " + std::to_string(r) + " digit count");
      if (!DistinctDigits(s)) Fail(p, "row " + std::to_string(r) + " repeats a digit");
      kinds[r] = ZeroKind(s, middleZeroIsShift);
      if (s.find('0') != std::string::npos) {
        if (kinds[r] == Zero::None) Fail(p, "row " + std::to_string(r) + " has a stray 0");
        found.insert(kinds[r]);
      }
    }
    if (found != std::multiset<Zero>(expected.begin(), expected.end())) {
      Fail(p, "zero rows are not as the rule makes them");
    }
    return kinds;
  }

  // Rows 2 .. `to` differ from every earlier row in each place, as drawn.
  void ExpectRepaired(int p, int digits, const std::vector<Zero>& kinds, int to) {
    for (int j = 2; j <= to; ++j) {
      for (int i = 1; i < j; ++i) {
        for (int place = 1; place <= digits; ++place) {
          const auto a = DrawnDigit(Text(Row(p, i)), kinds[i], place);
          const auto b = DrawnDigit(Text(Row(p, j)), kinds[j], place);
          if (a && b && *a == *b) {
            Fail(p, "rows " + std::to_string(i) + " and " + std::to_string(j) + " share place " +
                        std::to_string(place));
          }
        }
      }
    }
  }

  void ElevenTwelve() {
    for (int p = 11; p <= 12; ++p) {
      ExpectAddsOnly(p);
      const auto kinds = CheckZeroRows(
          p, 3, p == 11 ? std::vector<Zero>{Zero::Shift, Zero::Units} : std::vector{Zero::Shift});
      ExpectRepaired(p, 3, kinds, 5);  // all five differ in every place
    }
  }

  void SevenRowProblems() {
    for (int p = 13; p <= 15; ++p) {
      const auto kinds = CheckZeroRows(p, 3, {Zero::Shift, Zero::Units});
      ExpectRepaired(p, 3, kinds, 7);
      if (p == 14) {
        ExpectAddsOnly(p);
        continue;
      }
      const auto minus = Subtracted(p);
      if (minus.size() != 2 || minus[0] == 1 || minus[1] - minus[0] == 1) {
        Fail(p, "needs two subtracted rows, not in row 1 and not adjacent");
      }
      ExpectRunningSums(p);
    }
  }

  enum class Layout { A, B, C };

  void ExpectLayout(int p, Layout layout) {
    const auto m = Subtracted(p);
    bool ok = m.size() == 4 && m[0] >= 2 && m[0] <= 5;
    if (ok) {
      switch (layout) {
        case Layout::A:
          ok = m[1] == m[0] + 1 && m[2] == m[0] + 3 && m[3] >= m[0] + 5;
          break;
        case Layout::B:  // R2 right after R1 would make three in a row
          ok = m[1] >= m[0] + 2 && m[1] <= 7 && m[2] == m[1] + 1 && m[3] == m[1] + 3;
          break;
        case Layout::C:
          ok = m[1] >= m[0] + 2 && m[1] <= 7 && m[2] == m[1] + 2 && m[3] == m[1] + 3;
          break;
      }
    }
    if (!ok) Fail(p, "subtracted rows do not follow their layout");
    ExpectRunningSums(p);
    ExpectNoThreeSubtractedInARow(p);
  }

  void TenRowProblems() {
    const auto kinds16 = CheckZeroRows(16, 3, {Zero::Tens, Zero::Units});
    ExpectRepaired(16, 3, kinds16, 8);
    ExpectAddsOnly(16);

    const auto kinds17 = CheckZeroRows(17, 3, {Zero::Shift, Zero::Units});
    ExpectRepaired(17, 3, kinds17, 6);
    ExpectLayout(17, Layout::A);

    for (int p = 18; p <= 22; ++p) {
      const auto kinds = CheckZeroRows(p, 4, {Zero::Units, Zero::Tens, Zero::Hundreds});
      ExpectRepaired(p, 4, kinds, p <= 19 ? 7 : 8);
      if (p == 19) {
        ExpectLayout(p, Layout::B);
      } else if (p == 21) {
        ExpectLayout(p, Layout::C);
      } else {
        ExpectAddsOnly(p);
      }
    }
  }

  void HardProblems() {
    for (int p = 23; p <= 30; ++p) {
      const int digits = p <= 27 ? 5 : 6;
      bool endsInZero = false;
      for (int r = 1; r <= 10; ++r) {
        ExpectDigits(p, r, digits, true);
        if (Row(p, r) % 10 == 0) endsInZero = true;
      }
      if (!endsInZero) Fail(p, "no row ends in 0");
      const std::vector<Zero> none(11, Zero::None);
      ExpectRepaired(p, digits, none, 8);
      if (p == 24 || p == 26 || p == 28 || p == 30) {
        ExpectAddsOnly(p);
        for (int place = 1; place <= digits; ++place) {
          if (Text(Row(p, 9))[place - 1] == Text(Row(p, 10))[place - 1]) {
            Fail(p, "rows 9 and 10 share place " + std::to_string(place));
          }
        }
      }
    }
    ExpectLayout(23, Layout::A);
    ExpectLayout(25, Layout::B);
    ExpectLayout(27, Layout::C);
    ExpectLayout(29, Layout::A);
  }

  const std::array<std::int32_t, 236>& numbers_;
  const std::array<std::int32_t, 30>& answers_;
  std::vector<std::string> failures_;
};

}  // namespace

std::vector<std::string> MentalSetViolations(const std::array<std::int32_t, 236>& numbers,
                                             const std::array<std::int32_t, 30>& answers) {
  return Checker(numbers, answers).Run();
}

}  // namespace tamariko::testing
