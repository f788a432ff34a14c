#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
  // Test discovery runs the binary outside ctest's environment.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // A libcups call on the GUI thread is fatal in every test, and in the program runs the
  // tests start.
  setenv("TAMARIKO_CHECK_CUPS_THREAD", "1", 0);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
