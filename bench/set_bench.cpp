#include <benchmark/benchmark.h>

#include <cstdint>

#include "app/workbook.h"
#include "core/random.h"
#include "kake/kake.h"
#include "mitori/mitori.h"
#include "mitori1_1/mitori1_1.h"
#include "wari/wari.h"

namespace {

// Runs `make` once per iteration from a fresh seed, without drawing, and reports the
// generator steps it takes per set as `draws`.
template <typename Make>
void MeasureSets(benchmark::State& state, Make make) {
  std::uint64_t iteration = 0;
  std::uint64_t draws = 0;
  for (auto _ : state) {
    tamariko::SetRandomSeed(static_cast<std::uint32_t>(++iteration * 2246822519u));
    const auto before = tamariko::g_random.draws;
    make();
    draws += tamariko::g_random.draws - before;
  }
  state.counters["draws"] =
      benchmark::Counter(static_cast<double>(draws), benchmark::Counter::kAvgIterations);
}

void BM_MentalSet(benchmark::State& state) {
  tamariko::TMitori1_1 set;
  MeasureSets(state, [&] {
    set.Generate();
    benchmark::DoNotOptimize(set.GetAnswer(29));
  });
}
BENCHMARK(BM_MentalSet);

void BM_MultiplicationSet(benchmark::State& state) {
  tamariko::Tkake set;
  MeasureSets(state, [&] {
    set.Generate();
    benchmark::DoNotOptimize(set.GetAnswer(59));
  });
}
BENCHMARK(BM_MultiplicationSet);

void BM_DivisionSet(benchmark::State& state) {
  tamariko::Twari set;
  MeasureSets(state, [&] {
    set.Generate();
    benchmark::DoNotOptimize(set.GetAnswer(59));
  });
}
BENCHMARK(BM_DivisionSet);

void BM_AbacusSet(benchmark::State& state) {
  tamariko::TMitori set;
  MeasureSets(state, [&] {
    set.Generate();
    benchmark::DoNotOptimize(set.GetAnswer(29));
  });
}
BENCHMARK(BM_AbacusSet);

// Every kind of the list as one make-problems run makes them, from one generator, with the
// answers copied into the answer table; nothing drawn.
void BM_FullSet(benchmark::State& state) {
  const tamariko::TDefaultSheetTexts texts;
  tamariko::TWorkbook book(&texts);
  const tamariko::SheetChoice every = tamariko::EverySheet();
  MeasureSets(state, [&] {
    book.MakeProblems(every, {});
    benchmark::DoNotOptimize(book.Answers().At(0, 59)->Scaled());
  });
}
BENCHMARK(BM_FullSet);

}  // namespace
