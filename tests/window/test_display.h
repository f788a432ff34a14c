#pragma once

#include <string>

namespace tamariko::testing {

// The display the window tests run on: an Xvfb server of their own, started by the test
// program's main before Qt, with openbox as window manager on demand.
class TestDisplay {
 public:
  // Starts Xvfb and points DISPLAY and QT_QPA_PLATFORM at it, whatever they said. Returns
  // the reason when it cannot; the tests that need it then skip with that reason.
  static std::string Start();
  static void Stop();
  // Why there is no X display; empty when there is one.
  static const std::string& Missing();

  // Starts openbox and waits until it manages the screen; the reason when it cannot.
  static std::string StartWindowManager();
};

}  // namespace tamariko::testing
