#include <benchmark/benchmark.h>

#include <cstdint>

#include "app/papers.h"
#include "core/random.h"
#include "kentei/exam_grades.h"
#include "kentei/exam_paper.h"

namespace {

// One paper of each page shape made from a fresh seed, without drawing; `draws` is the
// generator steps per paper. Arg: 0 one page with かけ算 alone (10級), 1 one page with
// かけ算 and わり算 (7級, the most rows), 2 表 and 裏 (4級, the widest whole figures), 3 with
// decimals (準3級, the shortest figures, so the most redraws for rounding), 4 with yen and
// negative answers (1級), 5 the 段位's four pages (the most problems). 暗算: 6 the page of 50
// (10級〜7級), 7 two pages of 20 + 30 + 30 (準1級, the longest rows), 8 the 段位's pages (60 of
// each pair, negative answers).
void BM_ExamPaper(benchmark::State& state) {
  static const char* const kKeys[] = {"shuzan-10",  "shuzan-7", "shuzan-4", "shuzan-p3", "shuzan-1",
                                      "shuzan-dan", "anzan-10", "anzan-p1", "anzan-dan"};
  const char* key = kKeys[state.range(0)];
  tamariko::TExamPaper paper(*tamariko::FindExamGrade(QString::fromLatin1(key)));
  std::uint64_t iteration = 0, draws = 0;
  for (auto _ : state) {
    tamariko::SetRandomSeed(static_cast<std::uint32_t>(++iteration * 2246822519u));
    const auto before = tamariko::g_random.draws;
    paper.Make();
    benchmark::DoNotOptimize(paper.Problems());
    draws += tamariko::g_random.draws - before;
  }
  state.SetLabel(key);
  state.counters["draws"] =
      benchmark::Counter(static_cast<double>(draws), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ExamPaper)->DenseRange(0, 8)->Unit(benchmark::kMicrosecond);

}  // namespace
