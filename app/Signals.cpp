#include "app/Signals.h"

#include <fcntl.h>
#include <pthread.h>
#include <semaphore.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include <QCoreApplication>
#include <QSocketNotifier>

namespace vantora {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
int gPipe[2] = {-1, -1};
// Posted by the handler when a deadline watches the end; sem_post is one of
// the few calls a signal handler may make.
sem_t gDeadlineStarts;
bool gDeadlineWatched = false;
volatile sig_atomic_t gReceived = 0;

// Dies of signal s: its default action is to end the process.
[[noreturn]] void DieOf(int s) {
  ::signal(s, SIG_DFL);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, s);
  ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  ::raise(s);
  ::_exit(128 + s);  // not reached
}

void OnSignal(int s) {
  const int saved = errno;
  if (gReceived == 0) gReceived = s;
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(gPipe[1], &byte, 1);  // a full pipe is fine
  if (gDeadlineWatched) ::sem_post(&gDeadlineStarts);
  errno = saved;
}

// A thread that waits for the first signal, gives the clean end the deadline
// and then ends the process. It is never joined: a process that ends in time
// takes it along.
void WatchDeadline(std::chrono::milliseconds deadline) {
  if (gDeadlineWatched || ::sem_init(&gDeadlineStarts, 0, 0) != 0) return;
  gDeadlineWatched = true;
  std::thread([deadline] {
    // The handlers run on the other threads, so this wait is not cut short.
    sigset_t all;
    sigfillset(&all);
    ::pthread_sigmask(SIG_BLOCK, &all, nullptr);
    while (::sem_wait(&gDeadlineStarts) != 0 && errno == EINTR) {
    }
    std::this_thread::sleep_for(deadline);
    DieOf(gReceived != 0 ? gReceived : SIGTERM);
  }).detach();
}

}  // namespace

TQuitOnSignals::TQuitOnSignals(std::chrono::milliseconds deadline) {
  if (::pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    gPipe[0] = gPipe[1] = -1;
    return;  // the default handlers stay: the process still ends
  }
  if (deadline > std::chrono::milliseconds::zero()) WatchDeadline(deadline);
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

int TQuitOnSignals::Received() { return gReceived; }

void TQuitOnSignals::EndBySignalReceived() {
  if (gReceived != 0) DieOf(gReceived);
}

}  // namespace vantora
