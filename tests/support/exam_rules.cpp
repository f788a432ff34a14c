// The whole-number 珠算 grades as the exam rules give them, kept apart from the program's own
// table so that a slip in one shows against the other.
#include "tests/support/exam_rules.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

namespace tamariko::testing {
namespace {

struct Range {
  int lo, hi;
};
struct Pairs {
  int count, digits;
  Range left, right;  // 実, 法 for かけ算; 法, 商 for わり算
};
struct Grade {
  int additionDigits, additionRows;
  Pairs multiplication, division;  // count 0: none
};

const std::map<std::string, Grade>& Grades() {
  static const std::map<std::string, Grade> grades = {
      {"shuzan-10", {2, 5, {20, 3, {2, 2}, {1, 1}}, {0, 0, {0, 0}, {0, 0}}}},
      {"shuzan-9", {2, 5, {20, 3, {2, 2}, {1, 1}}, {0, 0, {0, 0}, {0, 0}}}},
      {"shuzan-8", {2, 8, {10, 4, {3, 3}, {1, 1}}, {10, 3, {1, 1}, {2, 2}}}},
      {"shuzan-7", {2, 10, {10, 4, {2, 2}, {2, 2}}, {10, 4, {1, 1}, {3, 3}}}},
      {"shuzan-6", {3, 10, {20, 5, {2, 3}, {2, 3}}, {20, 4, {2, 2}, {2, 2}}}},
      {"shuzan-5", {4, 10, {20, 6, {2, 4}, {2, 4}}, {20, 5, {2, 3}, {2, 3}}}},
      {"shuzan-4", {5, 10, {20, 7, {3, 5}, {2, 4}}, {20, 6, {2, 4}, {2, 4}}}},
  };
  return grades;
}

int DigitsOf(std::int64_t v) {
  if (v < 0) v = -v;
  int d = 0;
  for (; v > 0; v /= 10) ++d;
  return d;
}

bool PowerOfTen(std::int64_t v) {
  while (v >= 10 && v % 10 == 0) v /= 10;
  return v == 1;
}

void CheckAddition(const Grade& g, const ExamNumbers& paper, std::vector<std::string>& out) {
  if (paper.abacusRows.size() != 10 || paper.abacusAnswers.size() != 10) {
    out.push_back("みとり算 is not 10 problems");
    return;
  }
  int withMinus[2] = {0, 0};
  for (int p = 0; p < 10; ++p) {
    const std::string at = "みとり算 No." + std::to_string(p + 1) + ": ";
    const auto& rows = paper.abacusRows[p];
    if (static_cast<int>(rows.size()) != g.additionRows) out.push_back(at + "rows");
    std::int64_t total = 0;
    int minus = 0;
    std::set<std::int64_t> seen;
    for (std::size_t r = 0; r < rows.size(); ++r) {
      if (DigitsOf(rows[r]) != g.additionDigits) out.push_back(at + "row digits");
      if (!seen.insert(rows[r] < 0 ? -rows[r] : rows[r]).second) out.push_back(at + "equal rows");
      if (rows[r] < 0) {
        ++minus;
        if (r < 2) out.push_back(at + "row 1 or 2 subtracted");
      }
      total += rows[r];
      if (total < 0) out.push_back(at + "running total below zero");
    }
    if (total != paper.abacusAnswers[p]) out.push_back(at + "answer is not the sum");
    if (total == 0) out.push_back(at + "answer 0");
    if (minus > 0) {
      ++withMinus[p / 5];
      const int least = g.additionRows <= 5 ? 1 : 2;
      if (minus < least || minus > least + 1) out.push_back(at + "subtracted row count");
    }
  }
  const std::set<std::vector<std::int64_t>> problems(paper.abacusRows.begin(),
                                                     paper.abacusRows.end());
  if (problems.size() != paper.abacusRows.size()) out.push_back("みとり算: a problem twice");
  if (withMinus[0] != 2 || withMinus[1] != 2)
    out.push_back("みとり算: not 2 + 2 problems with subtractions");
}

void CheckPairs(const char* name, const Pairs& rule, const std::vector<ExamNumbers::Pair>& made,
                bool division, std::vector<std::string>& out) {
  if (static_cast<int>(made.size()) != rule.count) {
    out.push_back(std::string(name) + ": problem count");
  }
  if (made.size() != static_cast<std::size_t>(rule.count) || rule.count == 0) return;
  std::map<std::pair<int, int>, int> splitCount[2];
  std::set<std::pair<std::int64_t, std::int64_t>> seen;
  for (int i = 0; i < rule.count; ++i) {
    const auto& m = made[static_cast<std::size_t>(i)];
    const std::string at = std::string(name) + " No." + std::to_string(i + 1) + ": ";
    // 実 × 法 = answer; dividend ÷ 法 = 商.
    const std::int64_t left = division ? m.second : m.first;
    const std::int64_t right = division ? m.answer : m.second;
    const int l = DigitsOf(left), r = DigitsOf(right);
    if (l + r != rule.digits || l < rule.left.lo || l > rule.left.hi || r < rule.right.lo ||
        r > rule.right.hi) {
      out.push_back(at + "digits or split");
    }
    ++splitCount[i * 2 / rule.count][{l, r}];
    if (left <= 0 || right <= 0 || PowerOfTen(left) || PowerOfTen(right))
      out.push_back(at + "factor 1 or a power of ten");
    if (!seen.insert({left, right}).second) out.push_back(at + "repeats an earlier problem");
    if (division ? m.first != left * right : m.answer != left * right)
      out.push_back(at + "wrong answer");
    if (division && DigitsOf(m.first) > rule.digits) out.push_back(at + "dividend too long");
  }
  // Every allowed split in each half, and no split more than once over another overall.
  std::vector<int> totals;
  for (int l = rule.left.lo; l <= rule.left.hi; ++l) {
    const int r = rule.digits - l;
    if (r < rule.right.lo || r > rule.right.hi) continue;
    for (auto& half : splitCount) {
      if (!half.contains({l, r}))
        out.push_back(std::string(name) + ": a split missing from a half");
    }
    totals.push_back(splitCount[0][{l, r}] + splitCount[1][{l, r}]);
  }
  if (!totals.empty() && *std::max_element(totals.begin(), totals.end()) -
                                 *std::min_element(totals.begin(), totals.end()) >
                             1) {
    out.push_back(std::string(name) + ": splits not spread evenly");
  }
}

}  // namespace

std::vector<std::string> ShuzanExamViolations(const std::string& key, const ExamNumbers& paper) {
  const auto it = Grades().find(key);
  if (it == Grades().end()) return {"unknown key " + key};
  std::vector<std::string> out;
  CheckAddition(it->second, paper, out);
  CheckPairs("かけ算", it->second.multiplication, paper.multiplication, false, out);
  CheckPairs("わり算", it->second.division, paper.division, true, out);
  return out;
}

}  // namespace tamariko::testing
