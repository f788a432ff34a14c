#include <benchmark/benchmark.h>

#include <cstdint>

#include "core/random.h"
#include "mitori1_1/mitori1_1.h"

namespace {

// One mental addition set without drawing; each iteration starts from a fresh seed.
void BM_MentalSet(benchmark::State& state) {
  tamariko::TMitori1_1 set;
  std::uint32_t seed = 1;
  std::uint64_t draws = 0;
  for (auto _ : state) {
    tamariko::SetRandomSeed(seed);
    seed = seed * 2654435761u + 1;
    const auto before = tamariko::g_random.draws;
    set.Generate();
    draws += tamariko::g_random.draws - before;
    benchmark::DoNotOptimize(set.GetAnswer(29));
  }
  state.counters["draws"] =
      benchmark::Counter(static_cast<double>(draws), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_MentalSet);

}  // namespace
