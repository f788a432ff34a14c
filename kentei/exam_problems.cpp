#include "kentei/exam_problems.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <set>
#include <tuple>
#include <utility>

#include "core/random.h"

namespace tamariko {
namespace {

// Redraws of one row or pair, and whole draws of one addition problem, before the
// draw-free choice.
constexpr int kRowRedraws = 12;
constexpr int kProblemRedraws = 40;
constexpr int kPairRedraws = 20;

// Uniform in 0 .. n - 1 (n >= 1): one draw below 2^31, else two, each drawn once.
std::int64_t DrawBelow(std::int64_t n) {
  constexpr std::int64_t kOneDraw = 0x7fffffff;
  if (n <= kOneDraw) return Random(static_cast<int>(n));
  const std::int64_t high =
      Random(static_cast<int>(std::min<std::int64_t>(n / kOneDraw + 1, kOneDraw)));
  return (high * kOneDraw + Random(static_cast<int>(kOneDraw))) % n;
}

std::int64_t DrawBetween(std::int64_t lo, std::int64_t hi) { return lo + DrawBelow(hi - lo + 1); }

// `count` of the indices 0 .. n - 1, drawn without repeats, in rising order.
std::vector<int> DrawPositions(int n, int count) {
  std::vector<int> pool(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) pool[static_cast<std::size_t>(i)] = i;
  for (int i = 0; i < count && i < n; ++i) std::swap(pool[i], pool[i + Random(n - i)]);
  pool.resize(static_cast<std::size_t>(std::min(count, n)));
  std::sort(pool.begin(), pool.end());
  return pool;
}

// A factor of exactly `digits` digits that is no power of ten: the only one of its length is
// 10^(digits - 1) (1 for one digit, leaving 2 .. 9), so one draw from the rest does.
std::int64_t DrawFactor(int digits) {
  const std::int64_t lo = PowerOfTen(digits - 1);
  return DrawBetween(lo + 1, PowerOfTen(digits) - 1);
}

// The draw-free rows of a problem: for a negative answer the subtracted rows long and large,
// the added ones short and small; else the added rows (the first two among them) long and
// large, the subtracted ones short and small. Lengths (字数) are given out longest first to
// the rows that take them; values of one length count down (up) from their end, so no two
// are equal, but rows of one digit, which may repeat, stay 9 (1). A negative answer is
// reached where it can be (NegativeAnswerPossible), and at most three small rows never take
// the two large first rows below zero.
std::vector<std::int64_t> ExtremeRows(const TAdditionBlock& block, const std::vector<int>& minus,
                                      bool negative) {
  const auto rows = static_cast<std::size_t>(block.rows);
  const auto subtracted = [&](std::size_t r) {
    return std::find(minus.begin(), minus.end(), static_cast<int>(r)) != minus.end();
  };
  const auto large = [&](std::size_t r) { return negative ? subtracted(r) : !subtracted(r); };
  std::vector<int> lengths(rows, block.digits);
  int extra = block.Mixed() ? block.chars - block.rows * block.digits : 0;
  for (const bool longOnes : {true, false}) {
    for (std::size_t r = 0; r < rows; ++r) {
      if (large(r) != longOnes) continue;
      const int add = std::min(extra, block.MostDigits() - block.digits);
      lengths[r] += add;
      extra -= add;
    }
  }
  std::vector<std::int64_t> out;
  std::vector<std::int64_t> fromTop(17, 0), fromBottom(17, 0);
  for (std::size_t r = 0; r < rows; ++r) {
    const int len = lengths[r];
    const std::int64_t lo = PowerOfTen(len - 1), span = PowerOfTen(len) - lo;
    const std::int64_t step = len > 1 ? 1 : 0;
    const std::int64_t v = large(r) ? lo + span - 1 - (fromTop[len]++ * step) % span
                                    : lo + (fromBottom[len]++ * step) % span;
    out.push_back(subtracted(r) ? -v : v);
  }
  return out;
}

// The rows of an addition problem without a repeated row and with an answer other than 0,
// row r of `lengths[r]` digits, subtracted at `minus` (row indices, none of the first two).
// The running total never falls below zero, unless `negative`: then the answer is below
// zero, the subtracted rows drawn from the upper half of their range so that most draws get
// there.
std::vector<std::int64_t> DrawAdditionRows(const TAdditionBlock& block,
                                           const std::vector<int>& lengths,
                                           const std::vector<int>& minus, bool negative) {
  const auto subtracted = [&](std::size_t r) {
    return std::find(minus.begin(), minus.end(), static_cast<int>(r)) != minus.end();
  };
  const std::size_t count = lengths.size();
  for (int attempt = 0; attempt < kProblemRedraws; ++attempt) {
    std::vector<std::int64_t> rows;
    std::int64_t total = 0;
    bool ok = true;
    for (std::size_t r = 0; r < count && ok; ++r) {
      const std::int64_t lo = PowerOfTen(lengths[r] - 1), hi = PowerOfTen(lengths[r]) - 1;
      // Rows of one digit may repeat.
      const bool distinct = lengths[r] > 1;
      const bool minusRow = subtracted(r);
      const std::int64_t bottom = minusRow && negative ? (lo + hi) / 2 : lo;
      const std::int64_t top = minusRow && !negative ? std::min(hi, total) : hi;
      if (top < bottom) {
        ok = false;
        break;
      }
      std::int64_t v = 0;
      bool fresh = false;
      for (int t = 0; t < kRowRedraws && !fresh; ++t) {
        v = DrawBetween(bottom, top);
        fresh = !distinct || std::none_of(rows.begin(), rows.end(),
                                          [&](std::int64_t w) { return w == v || w == -v; });
      }
      ok = fresh;
      rows.push_back(minusRow ? -v : v);
      total += rows.back();
    }
    if (ok && (negative ? total < 0 : total != 0)) return rows;
  }
  return ExtremeRows(block, minus, negative);
}

// The row rules DrawAdditionRows keeps: no equal rows (but of one digit), the running total
// never below zero and the answer above it, or the answer below zero where `negative`.
bool KeepsRowRules(const std::vector<std::int64_t>& rows, bool negative) {
  std::int64_t total = 0;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t q = 0; q < r && (rows[r] >= 10 || rows[r] <= -10); ++q) {
      if (rows[q] == rows[r] || rows[q] == -rows[r]) return false;
    }
    total += rows[r];
    if (!negative && total < 0) return false;
  }
  return negative ? total < 0 : total > 0;
}

// Draw-free: rows 1 and 2 (never subtracted) stepped through pairs of their values, at most
// kSteps each from the drawn ones, until the problem is new and keeps the row rules. Rows
// of one digit without subtractions give 81 pairs, more than any section's problems; longer
// rows repeat a problem too seldom to get here. Where none is found the draw stands.
std::vector<std::int64_t> NewRows(std::vector<std::int64_t> rows, bool negative,
                                  const std::set<std::vector<std::int64_t>>& used) {
  constexpr std::int64_t kSteps = 100;
  const auto range = [&](std::size_t r) {
    const std::int64_t magnitude = rows[r] < 0 ? -rows[r] : rows[r];
    std::int64_t lo = 1;
    while (lo * 10 <= magnitude) lo *= 10;
    return std::pair{lo, lo * 10 - lo};
  };
  const auto [lo0, span0] = range(0);
  const auto [lo1, span1] = range(1);
  const std::int64_t first = rows[0], second = rows[1];
  for (std::int64_t i = 0; i < std::min(kSteps, span0); ++i) {
    for (std::int64_t j = 0; j < std::min(kSteps, span1); ++j) {
      std::vector<std::int64_t> tried = rows;
      tried[0] = lo0 + (first - lo0 + i) % span0;
      tried[1] = lo1 + (second - lo1 + j) % span1;
      if (!used.contains(tried) && KeepsRowRules(tried, negative)) return tried;
    }
  }
  return rows;
}

// The rows' lengths of a problem: all `digits` (けた揃い), or for 字数 each row within the
// range, `chars` in all, given out one digit at a time, and not all one length where the
// range and `chars` allow another.
std::vector<int> DrawLengths(const TAdditionBlock& block) {
  std::vector<int> lengths(static_cast<std::size_t>(block.rows), block.digits);
  if (!block.Mixed()) return lengths;
  for (int extra = block.chars - block.rows * block.digits; extra > 0; --extra) {
    std::vector<std::size_t> room;
    for (std::size_t r = 0; r < lengths.size(); ++r) {
      if (lengths[r] < block.maxDigits) room.push_back(r);
    }
    if (room.empty()) break;
    ++lengths[room[static_cast<std::size_t>(Random(static_cast<int>(room.size())))]];
  }
  const int one = lengths.front();
  const bool alike = std::all_of(lengths.begin(), lengths.end(), [&](int n) { return n == one; });
  if (alike && one > block.digits && one < block.maxDigits) {
    const int from = Random(block.rows);
    const int to = (from + 1 + Random(block.rows - 1)) % block.rows;
    --lengths[static_cast<std::size_t>(from)];
    ++lengths[static_cast<std::size_t>(to)];
  }
  return lengths;
}

// 字数 lengths moved so that subtracted rows can be drawn: the shortest ones subtracted, so
// the running total can bear them, or for a negative answer the longest ones. The other rows
// keep theirs in order; けた揃い lengths are all one.
std::vector<int> SubtractedFitting(const std::vector<int>& lengths, const std::vector<int>& minus,
                                   bool negative) {
  if (minus.empty()) return lengths;
  const auto isMinus = [&](std::size_t r) {
    return std::find(minus.begin(), minus.end(), static_cast<int>(r)) != minus.end();
  };
  std::vector<int> sorted = lengths;
  std::sort(sorted.begin(), sorted.end());
  if (negative) std::reverse(sorted.begin(), sorted.end());
  std::vector<int> rest(sorted.begin() + static_cast<std::ptrdiff_t>(minus.size()), sorted.end());
  std::sort(rest.begin(), rest.end());
  // The other rows take the rest in the order their drawn lengths rank them.
  std::vector<std::size_t> others;
  for (std::size_t r = 0; r < lengths.size(); ++r) {
    if (!isMinus(r)) others.push_back(r);
  }
  std::stable_sort(others.begin(), others.end(),
                   [&](std::size_t a, std::size_t b) { return lengths[a] < lengths[b]; });
  std::vector<int> out(lengths.size());
  for (std::size_t i = 0; i < others.size(); ++i) out[others[i]] = rest[i];
  std::size_t next = 0;
  for (std::size_t r = 0; r < lengths.size(); ++r) {
    if (isMinus(r)) out[r] = sorted[next++];
  }
  return out;
}

void MakeAddition(const TAdditionSection& section, std::vector<TAdditionProblem>& out) {
  // No problem twice in the section.
  std::set<std::vector<std::int64_t>> used;
  for (const TAdditionBlock& block : section.blocks) {
    const int size = block.last - block.first + 1;
    const std::vector<int> withMinus = DrawPositions(size, block.subtracted);
    // Of those, the ones whose answer is below zero.
    std::vector<int> negative;
    for (int k : DrawPositions(block.subtracted, block.negatives))
      negative.push_back(withMinus[static_cast<std::size_t>(k)]);
    for (int i = 0; i < size; ++i) {
      std::vector<int> minus;
      const bool below = std::find(negative.begin(), negative.end(), i) != negative.end();
      if (std::find(withMinus.begin(), withMinus.end(), i) != withMinus.end()) {
        // 2 or 3 subtracted rows (1 or 2 at 5口; 4 or 5 for a negative answer), never row 1
        // or 2.
        const int count = below ? 4 + Random(2) : (block.rows <= 5 ? 1 : 2) + Random(2);
        for (int r : DrawPositions(block.rows - 2, count)) minus.push_back(r + 2);
      }
      const std::vector<int> lengths = SubtractedFitting(DrawLengths(block), minus, below);
      std::vector<std::int64_t> rows = DrawAdditionRows(block, lengths, minus, below);
      for (int t = 0; t < kProblemRedraws && used.contains(rows); ++t)
        rows = DrawAdditionRows(block, lengths, minus, below);
      if (used.contains(rows)) rows = NewRows(std::move(rows), below, used);
      used.insert(rows);
      TAdditionProblem problem;
      TExactNumber total;
      for (std::int64_t v : rows) {
        problem.rows.push_back(TExactNumber::Whole(v, block.yen));
        total = total.Plus(problem.rows.back());
      }
      problem.answer = TExactNumber::Whole(total.Units(), block.yen);
      out.push_back(std::move(problem));
    }
  }
}

// The left and right factors of each problem of a whole-number block: its splits taken in
// turn, so every split appears and their counts differ by at most one in any stretch of the
// block; no pair twice in the section (`used`).
std::vector<std::pair<std::int64_t, std::int64_t>> DrawPairs(
    const TPairBlock& block, std::set<std::pair<std::int64_t, std::int64_t>>& used) {
  std::vector<std::pair<std::int64_t, std::int64_t>> pairs;
  const std::vector<TSplit> splits = SplitsOf(block);
  for (int p = block.first; p <= block.last; ++p) {
    const TSplit split = splits[static_cast<std::size_t>((p - block.first) % splits.size())];
    std::pair<std::int64_t, std::int64_t> pair;
    bool fresh = false;
    for (int t = 0; t < kPairRedraws && !fresh; ++t) {
      pair.first = DrawFactor(split.left);
      pair.second = DrawFactor(split.right);
      fresh = !used.contains(pair);
    }
    // Draw-free: the next unused pair after the last draw, every left factor before the
    // right one moves on. A block holds at most half its pairs (the document is refused
    // otherwise), so one is free.
    const auto next = [](std::int64_t v, int digits) {
      return v + 1 > PowerOfTen(digits) - 1 ? PowerOfTen(digits - 1) + 1 : v + 1;
    };
    const std::int64_t leftRange = PowerOfTen(split.left) - PowerOfTen(split.left - 1) - 1;
    for (std::int64_t step = 1; !fresh; ++step) {
      pair.first = next(pair.first, split.left);
      if (step % leftRange == 0) pair.second = next(pair.second, split.right);
      fresh = !used.contains(pair);
    }
    used.insert(pair);
    pairs.push_back(pair);
  }
  return pairs;
}

// Decimals a figure of a decimal section may carry: a d-digit figure is written from
// d + 1 decimals (0.0xx…, one 0 after the point at most) down to none, but never more than
// this, so products stay exact in TExactNumber.
constexpr int kMostDecimals = 6;

// The decimals a written figure of `digits` digits may have.
int DecimalsBound(int digits) { return std::min(digits + 1, kMostDecimals); }

// A figure's digits: exactly `digits`, no power of ten, and no 0 last where a point follows
// (57.30 is written 57.3), set to 1 rather than drawn again.
std::int64_t DrawMantissa(int digits, bool point) {
  const std::int64_t m = DrawFactor(digits);
  return point && m % 10 == 0 ? m + 1 : m;
}

// A number below 1 has at most one 0 right after the point (0.0846 yes, 0.00846 no); the
// figures are drawn so, answers are held to it too.
bool WrittenWell(const TExactNumber& n) {
  return n.Scale() < 2 || n.Units() >= PowerOfTen(n.Scale() - 2);
}

// The draw-free choices step through these for a problem not made yet. The next figure of
// `digits` digits after m ending in the digit m ends in (1 .. 9), wrapping round: 9 × 10^
// (digits - 2) of them, at least 90 for the 3 digits of the shortest 実.
std::int64_t NextSameLast(std::int64_t m, int digits) {
  const std::int64_t next = m + 10;
  return next < PowerOfTen(digits) ? next : PowerOfTen(digits - 1) + m % 10;
}

// The next answer of `digits` digits after u, wrapping round, with no 0 last where it has a
// point: at least 81 of them for the 2 digits of the shortest 商.
std::int64_t NextAnswer(std::int64_t u, int digits, bool point) {
  do u = u + 1 < PowerOfTen(digits) ? u + 1 : PowerOfTen(digits - 1) + 1;
  while (point && u % 10 == 0);
  return u;
}

using TProblemKey = std::tuple<std::int64_t, int, std::int64_t, int>;
TProblemKey KeyOf(const TExactNumber& a, const TExactNumber& b) {
  return {a.Units(), a.Scale(), b.Units(), b.Scale()};
}

// 無名数 かけ算: a point in 実 or 法, answer rounded to 3 decimals, at least 0.01. `rounds`: the
// rounding changes the exact product; `belowOne`: 法 below 1.
TPairProblem DrawPlainProduct(TSplit split, bool rounds, bool belowOne,
                              std::set<TProblemKey>& used) {
  std::int64_t m1 = 0, m2 = 0;
  for (int t = 0; t < kPairRedraws; ++t) {
    const int s1 = Random(DecimalsBound(split.left) + 1);
    const int s2 = belowOne ? std::min(split.right + Random(2), kMostDecimals)
                            : Random(DecimalsBound(split.right) + 1);
    m1 = DrawMantissa(split.left, s1 > 0);
    m2 = DrawMantissa(split.right, s2 > 0);
    if (s1 + s2 == 0) continue;
    const TExactNumber a = TExactNumber::Scaled(m1, s1), b = TExactNumber::Scaled(m2, s2);
    const TExactNumber exact = a.Times(b), answer = exact.Rounded(3);
    if (answer.IsZero() || (rounds && exact.Scale() <= 3) || !WrittenWell(answer) ||
        used.contains(KeyOf(a, b)))
      continue;
    used.insert(KeyOf(a, b));
    return {a, b, answer};
  }
  // Draw-free: 7 and 3 last, so the product ends in 1 and keeps all its 4 or more decimals;
  // 実 steps on while the problem is made already (at least 90 of them, at most 60 used).
  m1 = m1 - m1 % 10 + 7;
  m2 = m2 - m2 % 10 + 3;
  const TExactNumber b = TExactNumber::Scaled(m2, belowOne ? std::min(split.right, 6) : 2);
  TExactNumber a = TExactNumber::Scaled(m1, 2);
  while (used.contains(KeyOf(a, b))) {
    m1 = NextSameLast(m1, split.left);
    a = TExactNumber::Scaled(m1, 2);
  }
  used.insert(KeyOf(a, b));
  return {a, b, a.Times(b).Rounded(3)};
}

// 円名数 かけ算: 実 whole yen, 法 a rate that may carry a point, answer to the yen.
TPairProblem DrawYenProduct(TSplit split, std::set<TProblemKey>& used) {
  std::int64_t m1 = 0;
  for (int t = 0; t < kPairRedraws; ++t) {
    const int s2 = Random(DecimalsBound(split.right) + 1);
    m1 = DrawFactor(split.left);
    const TExactNumber a = TExactNumber::Whole(m1, true),
                       b = TExactNumber::Scaled(DrawMantissa(split.right, s2 > 0), s2);
    const TExactNumber answer = a.Times(b).Rounded(0);
    if (answer.IsZero() || !WrittenWell(b) || used.contains(KeyOf(a, b))) continue;
    used.insert(KeyOf(a, b));
    return {a, b, answer};
  }
  // Draw-free: a whole 法 and 実 stepping on past the problems made.
  const TExactNumber b = TExactNumber::Whole(PowerOfTen(split.right - 1) + 1);
  m1 = m1 - m1 % 10 + 1;
  TExactNumber a = TExactNumber::Whole(m1, true);
  while (used.contains(KeyOf(a, b))) {
    m1 = NextSameLast(m1, split.left);
    a = TExactNumber::Whole(m1, true);
  }
  used.insert(KeyOf(a, b));
  return {a, b, a.Times(b).Rounded(0)};
}

// The answer of a わり算 of 商 `digits` digits: uA / 10^decimals, no 0 last after a point.
std::int64_t DrawAnswerUnits(int digits, int decimals) {
  const std::int64_t u = DrawBetween(PowerOfTen(digits - 1), PowerOfTen(digits) - 1);
  return decimals > 0 && u % 10 == 0 ? u + 1 : u;
}

// 無名数 わり算 (split: 法 left, 商 right). The answer A is drawn first; the dividend is
// A × divisor exactly, or, where `inexact`, moved by j / 10^(3 + divisor's decimals) with
// 0 < |j| < divisor's digits / 2, so the quotient lies within half a unit of A's third decimal
// and is not exact there. Either way the dividend has at most 法 + 商 digits. `point`: the
// dividend or the divisor carries a decimal point.
TPairProblem DrawPlainQuotient(TSplit split, bool inexact, bool point,
                               std::set<TProblemKey>& used) {
  std::int64_t m = 0, uA = 0;
  for (int t = 0; t < kPairRedraws; ++t) {
    const int sd = Random(DecimalsBound(split.left) + 1);
    m = DrawMantissa(split.left, sd > 0);
    const bool moved = inexact || Random(2) == 0;
    // The answer's decimals: 3 where moved, else up to 3 (0.0xy at most for two digits).
    const int k = moved ? 3 : Random(std::min(3, split.right + 1) + 1);
    uA = DrawAnswerUnits(split.right, k);
    std::int64_t j = 0;
    if (moved) {
      j = DrawBetween(-(m / 2), (m + 1) / 2 - 2);
      if (j >= 0) ++j;
    }
    const TExactNumber divisor = TExactNumber::Scaled(m, sd);
    const TExactNumber dividend = TExactNumber::Scaled(uA * m + j, k + sd);
    const TExactNumber answer = TExactNumber::Quotient(dividend, divisor, 3);
    if (answer != TExactNumber::Scaled(uA, k) || !WrittenWell(dividend) ||
        dividend.Digits() > split.left + split.right ||
        (point && dividend.Scale() == 0 && divisor.Scale() == 0) ||
        used.contains(KeyOf(dividend, divisor)))
      continue;
    used.insert(KeyOf(dividend, divisor));
    return {dividend, divisor, answer};
  }
  // Draw-free: divisor m / 10 (a point, at least 1.1), answer uA / 1000 stepping on past the
  // problems made, dividend uA × m + 1 over 10^4: at 6 or more digits together it is at least
  // 1, and 1 / m keeps the quotient inexact but within the rounding of uA.
  if (m % 10 == 0) ++m;
  if (uA % 10 == 0) ++uA;
  const TExactNumber divisor = TExactNumber::Scaled(m, 1);
  TExactNumber dividend = TExactNumber::Scaled(uA * m + 1, 4);
  while (used.contains(KeyOf(dividend, divisor))) {
    uA = NextAnswer(uA, split.right, true);
    dividend = TExactNumber::Scaled(uA * m + 1, 4);
  }
  used.insert(KeyOf(dividend, divisor));
  return {dividend, divisor, TExactNumber::Scaled(uA, 3)};
}

// 円名数 わり算: a whole yen dividend in the window of the answer uA, drawn first, to the yen.
TPairProblem DrawYenQuotient(TSplit split, std::set<TProblemKey>& used) {
  std::int64_t m = 0, uA = 0;
  for (int t = 0; t < kPairRedraws; ++t) {
    const int sd = Random(DecimalsBound(split.left) + 1);
    m = DrawMantissa(split.left, sd > 0);
    uA = DrawAnswerUnits(split.right, 0);
    // dividend / (m / 10^sd) in [uA - 1/2, uA + 1/2): the whole yen lo .. hi.
    const std::int64_t twice = 2 * PowerOfTen(sd);
    const std::int64_t lo = ((2 * uA - 1) * m + twice - 1) / twice;
    const std::int64_t hi = ((2 * uA + 1) * m + twice - 1) / twice - 1;
    if (lo > hi || lo < 1) continue;
    const TExactNumber dividend = TExactNumber::Whole(DrawBetween(lo, hi), true);
    const TExactNumber divisor = TExactNumber::Scaled(m, sd);
    const TExactNumber answer = TExactNumber::Quotient(dividend, divisor, 0);
    if (answer != TExactNumber::Whole(uA, true) || dividend.Digits() > split.left + split.right ||
        used.contains(KeyOf(dividend, divisor)))
      continue;
    used.insert(KeyOf(dividend, divisor));
    return {dividend, divisor, answer};
  }
  // Draw-free: a whole divisor and an exact quotient, uA stepping on past the problems made.
  const TExactNumber divisor = TExactNumber::Whole(m);
  TExactNumber dividend = TExactNumber::Whole(uA * m, true);
  while (used.contains(KeyOf(dividend, divisor))) {
    uA = NextAnswer(uA, split.right, false);
    dividend = TExactNumber::Whole(uA * m, true);
  }
  used.insert(KeyOf(dividend, divisor));
  return {dividend, divisor, TExactNumber::Whole(uA, true)};
}

// A かけ算 or わり算 section. Whole-number blocks take their splits in turn; 無名数 and 円名数
// blocks take them in turn over the whole section, and in each 無名数 block half the problems
// (rounded up), drawn, must round (a product the rounding changes, a quotient inexact at
// three decimals, with a point in dividend or divisor), and the first of them multiplies by
// a 法 below 1. No problem twice in the section.
std::vector<TPairProblem> MakePairs(const TPairSection& section, bool division) {
  std::vector<TPairProblem> made;
  std::set<TProblemKey> used;
  std::set<std::pair<std::int64_t, std::int64_t>> usedWhole;
  for (const TPairBlock& block : section.blocks) {
    if (block.kind == TNumberKind::Whole) {
      for (const auto& [m, n] : DrawPairs(block, usedWhole)) {
        const TExactNumber a = TExactNumber::Whole(m), b = TExactNumber::Whole(n);
        // わり算: 法 left, 商 right, the dividend their product.
        made.push_back(division ? TPairProblem{a.Times(b), a, b} : TPairProblem{a, b, a.Times(b)});
      }
      continue;
    }
    const std::vector<TSplit> splits = SplitsOf(block);
    const int size = block.last - block.first + 1;
    const std::vector<int> rounding =
        block.kind == TNumberKind::Plain ? DrawPositions(size, (size + 1) / 2) : std::vector<int>{};
    for (int i = 0; i < size; ++i) {
      const TSplit split = splits[static_cast<std::size_t>((block.first - 1 + i) % splits.size())];
      const bool rounds = std::find(rounding.begin(), rounding.end(), i) != rounding.end();
      if (block.kind == TNumberKind::Yen) {
        made.push_back(division ? DrawYenQuotient(split, used) : DrawYenProduct(split, used));
      } else if (division) {
        made.push_back(DrawPlainQuotient(split, rounds, rounds, used));
      } else {
        made.push_back(DrawPlainProduct(split, rounds, rounds && i == rounding.front(), used));
      }
    }
  }
  return made;
}

}  // namespace

bool NegativeAnswerPossible(const TAdditionBlock& block) {
  // The fewest rows a negative answer subtracts, the last ones.
  std::vector<int> minus;
  for (int r = block.rows - std::min(4, block.rows - 2); r < block.rows; ++r) minus.push_back(r);
  std::int64_t total = 0;
  for (std::int64_t v : ExtremeRows(block, minus, true)) total += v;
  return total < 0;
}

TExamProblems MakeExamProblems(const TExamGrade& grade) {
  TExamProblems made;
  made.sections.resize(grade.sections.size());
  // Subject by subject (みとり算, みとり暗算, かけ算, かけ暗算, わり算, わり暗算), the sections of
  // one subject in printed order.
  for (const TExamSubject subject :
       {TExamSubject::Abacus, TExamSubject::Multiplication, TExamSubject::Division}) {
    for (const bool mental : {false, true}) {
      for (std::size_t i = 0; i < grade.sections.size(); ++i) {
        const TExamSection& s = grade.sections[i];
        if (s.subject != subject || s.mental != mental) continue;
        if (subject == TExamSubject::Abacus) {
          MakeAddition(s.addition, made.sections[i].additions);
        } else {
          made.sections[i].pairs = MakePairs(s.pairs, s.Division());
        }
      }
    }
  }
  for (std::size_t i = 0; i < grade.sections.size(); ++i) {
    const TExamSection& s = grade.sections[i];
    if (&s != grade.OnlySection(s.subject)) continue;
    if (s.subject == TExamSubject::Abacus) made.abacus = made.sections[i].additions;
    if (s.subject == TExamSubject::Multiplication) made.multiplication = made.sections[i].pairs;
    if (s.subject == TExamSubject::Division) made.division = made.sections[i].pairs;
  }
  return made;
}

}  // namespace tamariko
