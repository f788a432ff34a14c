#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

namespace tamariko {

// What the start-up may be given instead of the real thing.
struct StartupHooks {
  int SplashMilliseconds = 3000;
  // Blocks the GUI thread; the real one sleeps.
  std::function<void(int milliseconds)> Sleep;
  // Told each start and shut-down step as it happens, for logs and tests.
  std::function<void(const QString& step)> Trace;
  // The seed the window starts the generator with (--seed); the clock's when empty.
  std::optional<std::uint32_t> Seed;
};

StartupHooks& Startup();
void TraceStep(const QString& step);

}  // namespace tamariko
