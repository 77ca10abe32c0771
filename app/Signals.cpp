#include "app/Signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include <QCoreApplication>
#include <QSocketNotifier>

namespace vantora {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
int gPipe[2] = {-1, -1};

void OnSignal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(gPipe[1], &byte, 1);  // a full pipe is fine
  errno = saved;
}

}  // namespace

TQuitOnSignals::TQuitOnSignals() {
  if (::pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    gPipe[0] = gPipe[1] = -1;
    return;  // the default handlers stay: the process still ends
  }
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int s : kSignals) ::sigaction(s, &action, nullptr);
}

TQuitOnSignals::~TQuitOnSignals() {
  for (int s : kSignals) ::signal(s, SIG_DFL);
  FNotifier.reset();
  for (int& fd : gPipe) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
}

void TQuitOnSignals::Listen() {
  if (gPipe[0] < 0 || FNotifier) return;
  FNotifier = std::make_unique<QSocketNotifier>(gPipe[0], QSocketNotifier::Read);
  QObject::connect(FNotifier.get(), &QSocketNotifier::activated, [] {
    char bytes[16];
    while (::read(gPipe[0], bytes, sizeof bytes) > 0) {
    }
    // exit, not quit: quit asks the windows first, and a window may refuse.
    QCoreApplication::exit(0);
  });
}

}  // namespace vantora
