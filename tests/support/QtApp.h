#pragma once
// The one QApplication of a test program, and waiting on the event loop for
// something to happen without waiting on the wall clock for its own sake.

#include <chrono>
#include <thread>

#include <QApplication>
#include <QElapsedTimer>

namespace vantora::test {

// The test program's QApplication: the one its main made, or one created on
// first use (under the platform the test runner sets).
inline QApplication& QtApp() {
  static int argc = 1;
  static char name[] = "vantora-test";
  static char* argv[] = {name, nullptr};
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return *app;
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

// Runs the event loop until done() holds or 10 s have passed (a hang fails
// the test instead of blocking the suite); says whether done() held.
template <class F>
bool WaitFor(F&& done) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < 10000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    if (!done()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return done();
}

}  // namespace vantora::test
