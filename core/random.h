#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>

namespace tamariko {

// The one pseudo-random sequence of the run. Every problem set draws from it, so the
// same seed gives the same sheets draw for draw.
struct RandomState {
  std::uint32_t seed = 0;
  // Generator steps taken since the last reset; benchmarks report it per set.
  std::uint64_t draws = 0;
};

inline RandomState g_random;

// A uniform integer 0 .. k - 1 (k >= 1): seed := seed * 134775813 + 1 (mod 2^32), then the
// upper half of the 64-bit product of the new seed and k.
inline int Random(int k) {
  g_random.seed = g_random.seed * 134775813u + 1u;
  ++g_random.draws;
  return static_cast<int>(
      (static_cast<std::uint64_t>(g_random.seed) * static_cast<std::uint32_t>(k)) >> 32);
}

// from + Random(count), drawn again while it is one of `refused`, as a redraw loop draws.
// It ends as long as `refused` leaves one of the `count` values free; callers refuse at most
// three of four or more.
inline int RandomAvoiding(int from, int count, std::initializer_list<int> refused) {
  int value;
  do value = from + Random(count);
  while (std::find(refused.begin(), refused.end(), value) != refused.end());
  return value;
}

inline void SetRandomSeed(std::uint32_t seed) { g_random.seed = seed; }
inline std::uint32_t RandomSeed() { return g_random.seed; }

// Milliseconds since midnight, universal time.
std::uint32_t ClockSeed();

// Seeds the generator from the clock and returns the seed used.
std::uint32_t Randomize();

}  // namespace tamariko
