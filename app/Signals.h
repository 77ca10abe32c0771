#pragma once
// Ends the application's event loop when the process is asked to end
// (SIGTERM, SIGINT, SIGHUP), so that windows close, music stops and
// workers are joined as on any normal end, instead of the process dying in
// the middle of a frame.
//
// The signal handler only writes one byte into a pipe; the event loop reads
// it and quits. A signal that arrives before the application object exists
// waits in the pipe and is acted on as soon as the loop runs.
//
// With a deadline, a process that has not ended that long after the first
// signal ends at once, killed by that signal. The screen-saver host expects its
// saver gone within half a second, and a window thread busy with a camera
// photo, or a decoder starved on a loaded machine, must not hold it longer.

#include <chrono>
#include <memory>

class QSocketNotifier;

namespace vantora {

class TQuitOnSignals {
 public:
  // Installs the handlers; at most one object at a time.
  explicit TQuitOnSignals(std::chrono::milliseconds deadline = std::chrono::milliseconds::zero());
  ~TQuitOnSignals();  // puts the default handlers back
  TQuitOnSignals(const TQuitOnSignals&) = delete;
  TQuitOnSignals& operator=(const TQuitOnSignals&) = delete;

  // Starts listening (the application object must exist).
  void Listen();

  // The first signal that asked the process to end, or 0.
  static int Received();
  // When a signal asked the process to end: ends it by that signal, with
  // the default action, after the clean end has run. A process started by
  // a screen-saver host must die of the SIGTERM it was sent: the host
  // logs an exit with a status, even status 0, as a saver that failed.
  // Returns when no signal came.
  static void EndBySignalReceived();

 private:
  std::unique_ptr<QSocketNotifier> FNotifier;
};

}  // namespace vantora
