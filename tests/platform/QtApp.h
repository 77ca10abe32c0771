#pragma once
// One QApplication for the whole test program, created on first use (under
// the offscreen platform that the test runner sets).

#include <QApplication>

namespace vantora::test {

inline QApplication& QtApp() {
  static int argc = 1;
  static char name[] = "vantora-test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

}  // namespace vantora::test
