#include <benchmark/benchmark.h>

#include "core/distinct_digits.h"
#include "core/random.h"

namespace {

// One generator step as the generators take it (state in registers, steps counted): the
// floor under every generation benchmark.
void BM_BareDraw(benchmark::State& state) {
  tamariko::SetRandomSeed(12345);
  tamariko::detail::LocalRandom random;
  unsigned sum = 0;
  for (auto _ : state) {
    sum += random(10);
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_BareDraw);

}  // namespace
