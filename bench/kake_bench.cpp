#include <benchmark/benchmark.h>

#include <cstdint>

#include "core/random.h"
#include "kake/kake.h"
#include "mitori1_1/mitori1_1.h"

namespace {

// One multiplication set without drawing; each iteration starts from a fresh seed.
void BM_MultiplicationSet(benchmark::State& state) {
  tamariko::Tkake set;
  std::uint64_t iteration = 0;
  std::uint64_t draws = 0;
  for (auto _ : state) {
    tamariko::SetRandomSeed(static_cast<std::uint32_t>(++iteration * 2246822519u));
    const auto before = tamariko::g_random.draws;
    set.Generate();
    draws += tamariko::g_random.draws - before;
    benchmark::DoNotOptimize(set.GetAnswer(59));
  }
  state.counters["draws"] =
      benchmark::Counter(static_cast<double>(draws), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_MultiplicationSet);

// Both problem sheets as one make-problems run makes them: mental set, then multiplication
// set, from one generator.
void BM_FullSet(benchmark::State& state) {
  tamariko::TMitori1_1 mental;
  tamariko::Tkake multiplication;
  std::uint64_t iteration = 0;
  std::uint64_t draws = 0;
  for (auto _ : state) {
    tamariko::SetRandomSeed(static_cast<std::uint32_t>(++iteration * 2246822519u));
    const auto before = tamariko::g_random.draws;
    mental.Generate();
    multiplication.Generate();
    draws += tamariko::g_random.draws - before;
    benchmark::DoNotOptimize(mental.GetAnswer(29));
    benchmark::DoNotOptimize(multiplication.GetAnswer(59));
  }
  state.counters["draws"] =
      benchmark::Counter(static_cast<double>(draws), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_FullSet);

}  // namespace
