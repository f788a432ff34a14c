#include "core/random.h"

#include <chrono>

namespace tamariko {

std::uint32_t ClockSeed() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const auto sinceMidnight = now - floor<days>(now);
  return static_cast<std::uint32_t>(duration_cast<milliseconds>(sinceMidnight).count());
}

std::uint32_t Randomize() {
  const std::uint32_t seed = ClockSeed();
  SetRandomSeed(seed);
  return seed;
}

}  // namespace tamariko
