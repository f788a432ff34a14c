#include <benchmark/benchmark.h>

#include "core/random.h"

namespace {

// One generator step: the floor under every generation benchmark.
void BM_BareDraw(benchmark::State& state) {
  tamariko::SetRandomSeed(12345);
  for (auto _ : state) {
    benchmark::DoNotOptimize(tamariko::Random(10));
  }
}
BENCHMARK(BM_BareDraw);

}  // namespace
