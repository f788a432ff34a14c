#include "mitori/mitori.h"

#include <algorithm>
#include <utility>

#include "core/digit_places.h"
#include "core/random.h"

namespace tamariko {
namespace {

constexpr int kRows = TMitori::kRowsPerProblem;

struct ProblemRule {
  int digits;      // in every row
  int subtracted;  // rows among 3 .. 10
  bool belowZero;  // the answer is below 0 and running totals may be too
};

// Five problems a digit count, from three digits (1-5) to eight (26-30). From the second
// five on, the third and the fifth of each five subtract three rows; the fifth of the last
// two fives subtracts five and ends below zero.
ProblemRule RuleOf(int problem) {
  const int five = (problem - 1) / 5;
  const int inFive = (problem - 1) % 5 + 1;
  int subtracted = 0;
  if (five > 0 && inFive == 3) subtracted = 3;
  if (five > 0 && inFive == 5) subtracted = five >= 4 ? 5 : 3;
  return {3 + five, subtracted, subtracted == 5};
}

// Digits of an n-digit row by place, most significant first.
using Places = std::array<int, 9>;

Places PlacesOf(std::int32_t value, int digits) {
  Places places{};
  for (int place = digits - 1; place >= 0; --place, value /= 10) places[place] = value % 10;
  return places;
}

bool SharePlace(const Places& a, const Places& b, int digits) {
  for (int place = 0; place < digits; ++place) {
    if (a[place] == b[place]) return true;
  }
  return false;
}

// Whether some row of the source (first digit 1-9, all different) avoids the row above in
// every place. Exact, without a draw: distinct representatives of the places' allowed digits.
bool RowCanFollow(const Places& above, int digits) {
  DigitMask allowed[9];
  for (int place = 0; place < digits; ++place) {
    const DigitMask source = place == 0 ? kNonZeroDigits : kAllDigits;
    allowed[place] = source & DigitMask(~(1u << above[place]));
  }
  return PlacesCanBeFilled(allowed, digits);
}

bool MagnitudesDiffer(const std::array<std::int64_t, kRows>& rows) {
  std::array<std::int64_t, kRows> magnitudes;
  for (int r = 0; r < kRows; ++r) magnitudes[r] = rows[r] < 0 ? -rows[r] : rows[r];
  std::sort(magnitudes.begin(), magnitudes.end());
  return std::adjacent_find(magnitudes.begin(), magnitudes.end()) == magnitudes.end();
}

// One attempt at a problem; false when it breaks a rule and must be made again from the
// start. Every attempt draws afresh, independent of the ones before, and some sequence of
// draws passes (large added rows, small subtracted ones, or the other way round where the
// answer is to be below zero), so each attempt passes with the same positive probability:
// the attempts end.
bool Attempt(const ProblemRule& rule, std::array<std::int64_t, kRows>& rows) {
  // The subtracted rows: a random choice among rows 3 .. 10 by a partial shuffle, one draw
  // per row and none repeated.
  std::array<int, 8> candidates = {3, 4, 5, 6, 7, 8, 9, 10};
  std::array<bool, kRows + 1> subtracted{};
  for (int i = 0; i < rule.subtracted; ++i) {
    std::swap(candidates[i], candidates[i + Random(8 - i)]);
    subtracted[candidates[i]] = true;
  }

  std::int64_t total = 0;
  Places above{};
  for (int r = 1; r <= kRows; ++r) {
    std::int32_t value = TKeisan::RandomDistinctDigits(rule.digits);
    Places places = PlacesOf(value, rule.digits);
    if (r > 1 && SharePlace(places, above, rule.digits)) {
      // Redrawn only once a fitting row is known to exist; each draw can give any row of the
      // source, so the redraws end. (One row above never rules out every row, but the test
      // keeps the loop honest if the rule grows.)
      if (!RowCanFollow(above, rule.digits)) return false;
      do {
        value = TKeisan::RandomDistinctDigits(rule.digits);
        places = PlacesOf(value, rule.digits);
      } while (SharePlace(places, above, rule.digits));
    }
    above = places;
    rows[r - 1] = subtracted[r] ? -value : value;
    total += rows[r - 1];
    if (!rule.belowZero && total < 0) return false;
  }
  if (rule.belowZero && total >= 0) return false;
  return MagnitudesDiffer(rows);
}

}  // namespace

void TMitori::Generate(const AcceptedProblem& accepted) {
  Numbers.fill(0);
  Answers.fill(0);
  for (int p = 1; p <= kProblemCount; ++p) {
    const ProblemRule rule = RuleOf(p);
    std::array<std::int64_t, kRows> rows;
    while (!Attempt(rule, rows)) {
    }
    std::int64_t answer = 0;
    for (int r = 0; r < kRows; ++r) {
      Numbers[kRows * (p - 1) + r] = rows[r];
      answer += rows[r];
    }
    Answers[p - 1] = answer;
    if (accepted) accepted(p);
  }
}

}  // namespace tamariko
