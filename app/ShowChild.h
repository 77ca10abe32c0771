#pragma once
// The show as a child process of the daemon: this program with "/S", in the
// daemon's environment, so on the session's display.

#include <QProcess>
#include <QTimer>

#include "app/Daemon.h"

namespace vantora {

class TShowChild : public TShowProcess {
 public:
  // forwardOutput: the show's standard output and error reach the daemon's
  // (--verbose); otherwise they are dropped, with the audio layers' chatter.
  explicit TShowChild(bool forwardOutput);
  ~TShowChild() override;
  bool Start(std::string& why) override;
  // SIGTERM; a show still there after kGraceMs is killed, so the daemon
  // keeps its promise of a second.
  void Stop() override;

  static constexpr int kGraceMs = 400;

 private:
  QProcess FProcess;
  QTimer FKill;
};

}  // namespace vantora
