#pragma once
// One QApplication for the whole test program, created on first use (under
// the offscreen platform that the test runner sets).

#include <chrono>
#include <thread>

#include <QApplication>
#include <QElapsedTimer>

namespace vantora::test {

inline QApplication& QtApp() {
  static int argc = 1;
  static char name[] = "vantora-test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

// Runs the event loop until done() or 10 s have passed; says whether done().
template <class F>
bool WaitFor(F done) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < 10000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    if (!done()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return done();
}

}  // namespace vantora::test
