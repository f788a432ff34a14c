// The main of the window tests: a display of their own before Qt starts.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/window/test_display.h"

int main(int argc, char** argv) {
  setenv("TAMARIKO_CHECK_CUPS_THREAD", "1", 0);
  bool listing = false;
  for (int i = 1; i < argc; ++i)
    listing = listing || std::strcmp(argv[i], "--gtest_list_tests") == 0;
  // Offscreen screens of several ratios need no X server; the rest runs on one of its own,
  // whatever platform the environment names.
  if (const char* screens = std::getenv("TAMARIKO_TEST_SCREENS")) {
    setenv("QT_QPA_PLATFORM", (std::string("offscreen:configfile=") + screens).c_str(), 1);
  } else if (!listing) {
    tamariko::testing::TestDisplay::Start();
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int status;
  {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    status = RUN_ALL_TESTS();
  }
  tamariko::testing::TestDisplay::Stop();
  return status;
}
