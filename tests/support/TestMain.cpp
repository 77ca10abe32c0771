// Main of the test programs whose tests all need a QApplication. The
// offscreen platform is set here when the environment names none, because
// test discovery runs the program at build time without the test
// environment.

#include <cstdlib>

#include <gtest/gtest.h>

#include "tests/support/QtApp.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  vantora::test::QtApp();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
