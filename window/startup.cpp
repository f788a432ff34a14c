#include "window/startup.h"

namespace tamariko {

StartupHooks& Startup() {
  static StartupHooks hooks;
  return hooks;
}

void TraceStep(const QString& step) {
  if (Startup().Trace) Startup().Trace(step);
}

}  // namespace tamariko
