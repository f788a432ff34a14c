#include "kentei/exam_problems.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <utility>

#include "core/error.h"
#include "core/random.h"

namespace tamariko {
namespace {

// Redraws of one row or pair, and whole draws of one addition problem, before the
// draw-free choice.
constexpr int kRowRedraws = 12;
constexpr int kProblemRedraws = 40;
constexpr int kPairRedraws = 20;

std::int64_t PowerOfTen(int n) {
  std::int64_t p = 1;
  while (n-- > 0) p *= 10;
  return p;
}

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

// The rows of an addition problem without a repeated row, with a running total never below
// zero and an answer above it; subtracted at `minus` (row indices, none of the first two).
std::vector<std::int64_t> DrawAdditionRows(const TAdditionBlock& block,
                                           const std::vector<int>& minus) {
  const std::int64_t lo = PowerOfTen(block.digits - 1), hi = PowerOfTen(block.digits) - 1;
  const auto subtracted = [&](int r) {
    return std::find(minus.begin(), minus.end(), r) != minus.end();
  };
  // Rows of one digit may repeat.
  const bool distinct = block.digits > 1;
  for (int attempt = 0; attempt < kProblemRedraws; ++attempt) {
    std::vector<std::int64_t> rows;
    std::int64_t total = 0;
    bool ok = true;
    for (int r = 0; r < block.rows && ok; ++r) {
      const bool minusRow = subtracted(r);
      const std::int64_t top = minusRow ? std::min(hi, total) : hi;
      if (top < lo) {
        ok = false;
        break;
      }
      std::int64_t v = 0;
      bool fresh = false;
      for (int t = 0; t < kRowRedraws && !fresh; ++t) {
        v = DrawBetween(lo, top);
        fresh = !distinct || std::none_of(rows.begin(), rows.end(),
                                          [&](std::int64_t w) { return w == v || w == -v; });
      }
      ok = fresh;
      rows.push_back(minusRow ? -v : v);
      total += rows.back();
    }
    // No answer is 0.
    if (ok && total != 0) return rows;
  }
  // Draw-free: the largest rows added, the smallest subtracted. At most three of them follow
  // two additions of nearly 10^digits, so the total stays positive, and no two are equal.
  std::vector<std::int64_t> rows;
  std::int64_t nextAdded = hi, nextSubtracted = lo;
  for (int r = 0; r < block.rows; ++r)
    rows.push_back(subtracted(r) ? -nextSubtracted++ : nextAdded--);
  return rows;
}

void MakeAddition(const TAdditionSection& section, std::vector<TAdditionProblem>& out) {
  for (const TAdditionBlock& block : section.blocks) {
    if (block.negatives > 0) throw Error("この級のみとり算（答えが負の数）はまだ作れません");
    const int size = block.last - block.first + 1;
    const std::vector<int> withMinus = DrawPositions(size, block.subtracted);
    for (int i = 0; i < size; ++i) {
      std::vector<int> minus;
      if (std::find(withMinus.begin(), withMinus.end(), i) != withMinus.end()) {
        // 2 or 3 subtracted rows (1 or 2 at 5口), never row 1 or 2.
        const int count = (block.rows <= 5 ? 1 : 2) + Random(2);
        for (int r : DrawPositions(block.rows - 2, count)) minus.push_back(r + 2);
      }
      TAdditionProblem problem;
      TExactNumber total;
      for (std::int64_t v : DrawAdditionRows(block, minus)) {
        problem.rows.push_back(TExactNumber::Whole(v, section.yen));
        total = total.Plus(problem.rows.back());
      }
      problem.answer = TExactNumber::Whole(total.Units(), section.yen);
      out.push_back(std::move(problem));
    }
  }
}

// The left and right factors of each problem of a section: splits taken in turn, so every
// split appears and their counts differ by at most one in any stretch of the section; no
// pair twice.
std::vector<std::pair<std::int64_t, std::int64_t>> DrawPairs(const TPairSection& section) {
  std::vector<std::pair<std::int64_t, std::int64_t>> pairs;
  std::set<std::pair<std::int64_t, std::int64_t>> used;
  for (const TPairBlock& block : section.blocks) {
    if (block.kind != TNumberKind::Whole) throw Error("この級の小数・円の問題はまだ作れません");
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
      // right one moves on. A split has at least 8 × 8 pairs, more than any section's
      // problems, so one is free.
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
  }
  return pairs;
}

}  // namespace

TExamProblems MakeExamProblems(const TExamGrade& grade) {
  TExamProblems made;
  MakeAddition(grade.abacus, made.abacus);
  for (const auto& [m, n] : DrawPairs(grade.multiplication)) {
    const TExactNumber a = TExactNumber::Whole(m), b = TExactNumber::Whole(n);
    made.multiplication.push_back({a, b, a.Times(b)});
  }
  // 法 left, 商 right: the dividend is their product.
  for (const auto& [divisor, quotient] : DrawPairs(grade.division)) {
    const TExactNumber d = TExactNumber::Whole(divisor), q = TExactNumber::Whole(quotient);
    made.division.push_back({d.Times(q), d, q});
  }
  return made;
}

}  // namespace tamariko
