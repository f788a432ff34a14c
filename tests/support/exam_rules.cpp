// The whole-number 珠算 grades as the exam rules give them, kept apart from the program's own
// table so that a slip in one shows against the other.
#include "tests/support/exam_rules.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
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

// The 珠算 grades with decimals and yen, again from the exam rules alone. Figures are read
// back from their printed text, and every answer is worked out here with integer arithmetic.
namespace tamariko::testing {
namespace {

using Wide = __int128;

Wide Ten(int n) {
  Wide p = 1;
  while (n-- > 0) p *= 10;
  return p;
}

// A printed figure: -¥1,234.5 is negative, yen, 12345 at scale 1.
struct Figure {
  bool negative = false, yen = false;
  Wide units = 0;
  int scale = 0;
  int Digits() const {
    int d = 0;
    for (Wide u = units; u > 0; u /= 10) ++d;
    return d;
  }
  bool BelowOne() const { return units < Ten(scale); }
  Wide Signed() const { return negative ? -units : units; }
};

// Commas every three digits of the integer part, no 0 first but a lone one, no 0 last after
// the point, at most one 0 right after "0.".
std::optional<Figure> Read(const std::string& text) {
  Figure f;
  std::size_t at = 0;
  if (text.compare(at, 1, "-") == 0) f.negative = true, ++at;
  if (text.compare(at, 2, "\xC2\xA5") == 0) f.yen = true, at += 2;
  const std::size_t point = text.find('.', at);
  const std::string integer =
      text.substr(at, point == std::string::npos ? std::string::npos : point - at);
  const std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
  std::string digits;
  for (std::size_t i = 0; i < integer.size(); ++i) {
    const bool commaPlace = (integer.size() - i) % 4 == 0;
    if (commaPlace != (integer[i] == ',')) return std::nullopt;
    if (!commaPlace) {
      if (!std::isdigit(static_cast<unsigned char>(integer[i]))) return std::nullopt;
      digits += integer[i];
    }
  }
  if (digits.empty() || (digits.size() > 1 && digits[0] == '0')) return std::nullopt;
  if (point != std::string::npos) {
    if (fraction.empty() || fraction.back() == '0') return std::nullopt;
    for (char c : fraction)
      if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    if (digits == "0" && fraction.size() >= 2 && fraction[0] == '0' && fraction[1] == '0')
      return std::nullopt;
  }
  for (char c : digits + fraction) f.units = f.units * 10 + (c - '0');
  f.scale = static_cast<int>(fraction.size());
  if (f.units == 0 && f.negative) return std::nullopt;
  return f;
}

// Exact value units / 10^scale rounded half up to `decimals`, as a figure of that scale.
Wide RoundedUnits(Wide units, int scale, int decimals) {
  if (scale <= decimals) return units * Ten(decimals - scale);
  const Wide d = Ten(scale - decimals);
  return (units * 2 + d) / (d * 2);
}

// a equal to units / 10^scale.
bool Equals(const Figure& a, Wide units, int scale) {
  const int s = std::max(a.scale, scale);
  return a.Signed() * Ten(s - a.scale) == units * Ten(s - scale);
}

bool PowerOfTenFigure(const Figure& f) {
  Wide u = f.units;
  while (u >= 10 && u % 10 == 0) u /= 10;
  return u == 1;
}

struct AddBlock {
  int first, last, digits, withMinus, negatives;
};
struct DecimalGrade {
  std::vector<AddBlock> addition;  // 10口 throughout
  bool yen;
  Pairs multiplication, division;
  int quotientMost;  // 0: no bound beyond the split
};

const std::map<std::string, DecimalGrade>& DecimalGrades() {
  const auto ten = [](int digits, int negatives) {
    return std::vector<AddBlock>{{1, 5, digits, 2, 0}, {6, 10, digits, 2, negatives}};
  };
  static const std::map<std::string, DecimalGrade> grades = {
      {"shuzan-p3",
       {{{1, 5, 5, 2, 0}, {6, 10, 6, 2, 0}},
        false,
        {20, 7, {3, 5}, {2, 4}},
        {20, 6, {2, 4}, {2, 4}},
        0}},
      {"shuzan-3", {ten(6, 0), false, {20, 7, {3, 5}, {2, 4}}, {20, 6, {2, 4}, {2, 4}}, 0}},
      {"shuzan-p2", {ten(7, 0), true, {20, 8, {3, 6}, {3, 5}}, {20, 7, {3, 4}, {3, 4}}, 0}},
      {"shuzan-2", {ten(8, 1), true, {20, 9, {4, 6}, {3, 5}}, {20, 8, {3, 5}, {3, 5}}, 0}},
      {"shuzan-p1", {ten(9, 1), true, {20, 10, {4, 7}, {4, 6}}, {20, 9, {4, 5}, {4, 5}}, 0}},
      {"shuzan-1", {ten(10, 1), true, {20, 11, {5, 7}, {4, 6}}, {20, 10, {4, 6}, {4, 6}}, 0}},
      {"shuzan-dan",
       {{{1, 10, 10, 4, 1}, {11, 20, 10, 4, 1}, {21, 30, 10, 4, 1}},
        true,
        {60, 11, {5, 7}, {4, 6}},
        {60, 10, {4, 6}, {4, 6}},
        6}},
  };
  return grades;
}

void CheckYenAddition(const DecimalGrade& g, const ExamTexts& paper,
                      std::vector<std::string>& out) {
  const std::size_t count = static_cast<std::size_t>(g.addition.back().last);
  if (paper.abacusRows.size() != count || paper.abacusAnswers.size() != count) {
    out.push_back("みとり算: problem count");
    return;
  }
  for (const AddBlock& b : g.addition) {
    int withMinus = 0, negatives = 0;
    for (int p = b.first - 1; p < b.last; ++p) {
      const std::string at = "みとり算 No." + std::to_string(p + 1) + ": ";
      const auto& rows = paper.abacusRows[static_cast<std::size_t>(p)];
      const auto answer = Read(paper.abacusAnswers[static_cast<std::size_t>(p)]);
      if (rows.size() != 10) out.push_back(at + "not 10 rows");
      if (!answer || answer->yen != g.yen || answer->scale != 0) {
        out.push_back(at + "answer misprinted");
        continue;
      }
      Wide total = 0;
      bool belowOnTheWay = false;
      int minus = 0;
      std::set<Wide> seen;
      for (std::size_t r = 0; r < rows.size(); ++r) {
        const auto row = Read(rows[r]);
        if (!row || row->yen != g.yen || row->scale != 0 || row->Digits() != b.digits) {
          out.push_back(at + "row misprinted or of other digits: " + rows[r]);
          continue;
        }
        if (!seen.insert(row->units).second) out.push_back(at + "equal rows");
        if (row->negative) {
          ++minus;
          if (r < 2) out.push_back(at + "row 1 or 2 subtracted");
        }
        total += row->Signed();
        belowOnTheWay = belowOnTheWay || total < 0;
      }
      if (!Equals(*answer, total, 0)) out.push_back(at + "answer is not the sum");
      if (total == 0) out.push_back(at + "answer 0");
      if (total < 0) {
        ++negatives;
        if (minus < 4 || minus > 5) out.push_back(at + "not 4 or 5 rows subtracted to go below 0");
      } else {
        if (belowOnTheWay) out.push_back(at + "running total below zero");
        if (minus != 0 && (minus < 2 || minus > 3)) out.push_back(at + "subtracted row count");
      }
      if (minus > 0) ++withMinus;
    }
    if (withMinus != b.withMinus || negatives != b.negatives)
      out.push_back("みとり算 No." + std::to_string(b.first) + "–: subtractions or negatives");
  }
  const std::set<std::vector<std::string>> problems(paper.abacusRows.begin(),
                                                    paper.abacusRows.end());
  if (problems.size() != paper.abacusRows.size()) out.push_back("みとり算: a problem twice");
}

void CheckDecimalPairs(const char* name, const Pairs& rule, int quotientMost,
                       const std::vector<ExamTexts::Pair>& made, bool division,
                       std::vector<std::string>& out) {
  if (made.size() != static_cast<std::size_t>(rule.count)) {
    out.push_back(std::string(name) + ": problem count");
    return;
  }
  const int half = rule.count / 2;
  std::map<std::pair<int, int>, int> splitCount[2];
  std::set<std::pair<std::string, std::string>> seen;
  int rounding = 0, withPoint = 0, belowOne = 0;
  for (int i = 0; i < rule.count; ++i) {
    const auto& m = made[static_cast<std::size_t>(i)];
    const std::string at = std::string(name) + " No." + std::to_string(i + 1) + ": ";
    const bool yen = i >= half;
    const auto a = Read(m.first), b = Read(m.second), c = Read(m.answer);
    if (!a || !b || !c || a->negative || b->negative || c->negative) {
      out.push_back(at + "misprinted: " + m.first + " " + m.second + " " + m.answer);
      continue;
    }
    // 実 × 法 = answer; dividend ÷ 法 = 商.
    const Figure& left = division ? *b : *a;
    const Figure& right = division ? *c : *b;
    const int l = left.Digits(), r = right.Digits();
    if (l + r != rule.digits || l < rule.left.lo || l > rule.left.hi || r < rule.right.lo ||
        r > rule.right.hi)
      out.push_back(at + "digits or split");
    if (division && a->Digits() > l + r) out.push_back(at + "dividend too long");
    if (division && quotientMost > 0 && r > quotientMost) out.push_back(at + "quotient too long");
    ++splitCount[i * 2 / rule.count][{l, r}];
    if (PowerOfTenFigure(*b) || (!division && PowerOfTenFigure(*a)))
      out.push_back(at + "factor or divisor a power of ten");
    if (c->units == 0) out.push_back(at + "answer 0");
    if (!seen.insert({m.first, m.second}).second) out.push_back(at + "repeats an earlier problem");
    if (a->yen != yen || b->yen || c->yen != yen) out.push_back(at + "¥ where it should not be");
    if (yen && a->scale != 0) out.push_back(at + "yen amount with decimals");
    const int decimals = yen ? 0 : 3;
    bool inexact;
    Wide expected;
    if (division) {
      // a / b = (ua · 10^sb) / (ub · 10^sa).
      const Wide n = a->units * Ten(b->scale + decimals), d = b->units * Ten(a->scale);
      expected = (n * 2 + d) / (d * 2);
      inexact = n % d != 0;
    } else {
      const Wide exact = a->units * b->units;
      expected = RoundedUnits(exact, a->scale + b->scale, decimals);
      inexact = exact % Ten(std::max(0, a->scale + b->scale - decimals)) != 0;
    }
    if (!Equals(*c, expected, decimals)) out.push_back(at + "wrong answer " + m.answer);
    if (yen) continue;
    rounding += inexact;
    withPoint += a->scale > 0 || b->scale > 0;
    belowOne += a->BelowOne() || b->BelowOne();
    if (!division && a->scale == 0 && b->scale == 0) out.push_back(at + "no decimal point");
  }
  if (rounding * 2 < half) out.push_back(std::string(name) + ": fewer than half need rounding");
  if (division && withPoint * 2 < half)
    out.push_back(std::string(name) + ": fewer than half with a decimal point");
  if (!division && belowOne == 0) out.push_back(std::string(name) + ": no number below 1");
  std::vector<int> totals;
  for (int l = rule.left.lo; l <= rule.left.hi; ++l) {
    const int r = rule.digits - l;
    if (r < rule.right.lo || r > rule.right.hi) continue;
    for (auto& part : splitCount) {
      if (!part.contains({l, r}))
        out.push_back(std::string(name) + ": a split missing from a half");
    }
    totals.push_back(splitCount[0][{l, r}] + splitCount[1][{l, r}]);
  }
  if (!totals.empty() && *std::max_element(totals.begin(), totals.end()) -
                                 *std::min_element(totals.begin(), totals.end()) >
                             1)
    out.push_back(std::string(name) + ": splits not spread evenly");
}

}  // namespace

std::vector<std::string> ShuzanDecimalExamViolations(const std::string& key,
                                                     const ExamTexts& paper) {
  const auto it = DecimalGrades().find(key);
  if (it == DecimalGrades().end()) return {"unknown key " + key};
  std::vector<std::string> out;
  CheckYenAddition(it->second, paper, out);
  CheckDecimalPairs("かけ算", it->second.multiplication, 0, paper.multiplication, false, out);
  CheckDecimalPairs("わり算", it->second.division, it->second.quotientMost, paper.division, true,
                    out);
  return out;
}

}  // namespace tamariko::testing

// The 暗算 grades, whole numbers throughout, from the exam rules alone.
namespace tamariko::testing {
namespace {

struct MentalBlock {
  int count, digits, rows, withMinus, negatives;
};
struct MentalPairBlock {
  int count, digits;
  Range left;  // 実 for かけ暗算, 法 for わり暗算; the rest is the other side's
};
struct MentalGrade {
  std::vector<MentalBlock> addition;
  std::vector<MentalPairBlock> multiplication, division;  // empty: none
};

// Every split with a digit on each side.
MentalPairBlock Any(int count, int digits) { return {count, digits, {1, digits - 1}}; }

const std::map<std::string, MentalGrade>& MentalGrades() {
  const MentalGrade young{{{15, 1, 3, 0, 0}, {15, 1, 4, 0, 0}, {20, 1, 5, 0, 0}}, {}, {}};
  const auto same = [](std::vector<MentalBlock> addition, std::vector<MentalPairBlock> pairs) {
    return MentalGrade{std::move(addition), pairs, pairs};
  };
  static const std::map<std::string, MentalGrade> grades = {
      {"anzan-10", young},
      {"anzan-9", young},
      {"anzan-8", young},
      {"anzan-7", young},
      {"anzan-6", same({{20, 1, 5, 0, 0}}, {{30, 2, {1, 1}}})},
      {"anzan-5", {{{20, 2, 3, 0, 0}}, {{30, 3, {2, 2}}}, {{30, 3, {1, 1}}}}},
      {"anzan-4", same({{20, 2, 5, 0, 0}}, {Any(30, 3)})},
      {"anzan-p3", same({{10, 2, 5, 0, 0}, {10, 3, 5, 0, 0}}, {Any(15, 3), Any(15, 4)})},
      {"anzan-3", same({{20, 3, 5, 0, 0}}, {Any(30, 4)})},
      {"anzan-p2", same({{10, 3, 5, 2, 0}, {10, 3, 7, 2, 0}}, {Any(30, 4)})},
      {"anzan-2", same({{10, 3, 7, 2, 0}, {10, 3, 7, 2, 0}}, {Any(30, 4)})},
      {"anzan-p1", same({{10, 3, 7, 4, 0}, {10, 3, 10, 4, 0}}, {Any(15, 4), Any(15, 5)})},
      {"anzan-1", same({{10, 3, 10, 4, 0}, {10, 3, 10, 4, 0}}, {Any(30, 5)})},
      {"anzan-dan", same({{10, 4, 10, 4, 1}, {10, 6, 10, 4, 1}, {10, 8, 10, 4, 1}},
                         {Any(20, 5), Any(20, 6), Any(20, 7)})},
  };
  return grades;
}

void CheckMentalAddition(const MentalGrade& g, const ExamNumbers& paper,
                         std::vector<std::string>& out) {
  std::size_t count = 0;
  for (const MentalBlock& b : g.addition) count += static_cast<std::size_t>(b.count);
  if (paper.abacusRows.size() != count || paper.abacusAnswers.size() != count) {
    out.push_back("みとり暗算: problem count");
    return;
  }
  std::size_t p = 0;
  for (const MentalBlock& b : g.addition) {
    int withMinus = 0, negatives = 0;
    for (int i = 0; i < b.count; ++i, ++p) {
      const std::string at = "みとり暗算 No." + std::to_string(p + 1) + ": ";
      const auto& rows = paper.abacusRows[p];
      if (static_cast<int>(rows.size()) != b.rows) out.push_back(at + "rows");
      std::int64_t total = 0;
      bool belowOnTheWay = false;
      int minus = 0;
      std::set<std::int64_t> seen;
      for (std::size_t r = 0; r < rows.size(); ++r) {
        if (DigitsOf(rows[r]) != b.digits) out.push_back(at + "row digits");
        if (b.digits > 1 && !seen.insert(rows[r] < 0 ? -rows[r] : rows[r]).second)
          out.push_back(at + "equal rows");
        if (rows[r] < 0) {
          ++minus;
          if (r < 2) out.push_back(at + "row 1 or 2 subtracted");
        }
        total += rows[r];
        belowOnTheWay = belowOnTheWay || total < 0;
      }
      if (total != paper.abacusAnswers[p]) out.push_back(at + "answer is not the sum");
      if (total == 0) out.push_back(at + "answer 0");
      if (total < 0) {
        ++negatives;
        if (minus < 4 || minus > 5) out.push_back(at + "not 4 or 5 rows subtracted to go below 0");
      } else if (belowOnTheWay) {
        out.push_back(at + "running total below zero");
      } else if (minus > 0) {
        const int least = b.rows <= 5 ? 1 : 2;
        if (minus < least || minus > least + 1) out.push_back(at + "subtracted row count");
      }
      withMinus += minus > 0;
    }
    if (withMinus != b.withMinus || negatives != b.negatives)
      out.push_back("みとり暗算 block ending No." + std::to_string(p) +
                    ": subtractions or negatives");
  }
  const std::set<std::vector<std::int64_t>> problems(paper.abacusRows.begin(),
                                                     paper.abacusRows.end());
  if (problems.size() != paper.abacusRows.size()) out.push_back("みとり暗算: a problem twice");
}

void CheckMentalPairs(const char* name, const std::vector<MentalPairBlock>& blocks,
                      const std::vector<ExamNumbers::Pair>& made, bool division,
                      std::vector<std::string>& out) {
  std::size_t count = 0;
  for (const MentalPairBlock& b : blocks) count += static_cast<std::size_t>(b.count);
  if (made.size() != count) {
    out.push_back(std::string(name) + ": problem count");
    return;
  }
  std::set<std::pair<std::int64_t, std::int64_t>> seen;
  std::size_t i = 0;
  for (const MentalPairBlock& b : blocks) {
    std::map<int, int> splits;  // left digits: problems
    for (int k = 0; k < b.count; ++k, ++i) {
      const auto& m = made[i];
      const std::string at = std::string(name) + " No." + std::to_string(i + 1) + ": ";
      // 実 × 法 = answer; dividend ÷ 法 = 商.
      const std::int64_t left = division ? m.second : m.first;
      const std::int64_t right = division ? m.answer : m.second;
      const int l = DigitsOf(left), r = DigitsOf(right);
      if (l + r != b.digits || l < b.left.lo || l > b.left.hi)
        out.push_back(at + "digits or split");
      ++splits[l];
      if (left <= 0 || right <= 0 || PowerOfTen(left) || PowerOfTen(right))
        out.push_back(at + "factor 1 or a power of ten");
      if (!seen.insert({left, right}).second) out.push_back(at + "repeats an earlier problem");
      if (division ? m.first != left * right : m.answer != left * right)
        out.push_back(at + "wrong answer");
    }
    // Every split of the block, spread evenly.
    int least = b.count, most = 0;
    for (int l = b.left.lo; l <= b.left.hi; ++l) {
      least = std::min(least, splits[l]);
      most = std::max(most, splits[l]);
    }
    if (least == 0 || most - least > 1)
      out.push_back(std::string(name) + ": splits missing or uneven before No." +
                    std::to_string(i + 1));
  }
}

}  // namespace

std::vector<std::string> AnzanExamViolations(const std::string& key, const ExamNumbers& paper) {
  const auto it = MentalGrades().find(key);
  if (it == MentalGrades().end()) return {"unknown key " + key};
  std::vector<std::string> out;
  CheckMentalAddition(it->second, paper, out);
  CheckMentalPairs("かけ暗算", it->second.multiplication, paper.multiplication, false, out);
  CheckMentalPairs("わり暗算", it->second.division, paper.division, true, out);
  return out;
}

}  // namespace tamariko::testing
