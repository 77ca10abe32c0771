#include "app/Daemon.h"

namespace vantora {

TDaemon::TDaemon(TIdleSource& source, TShowProcess& show) : FSource(source), FShow(show) {
  FSource.OnIdle = [this] { SourceIdle(); };
  FSource.OnActive = [this] { SourceActive(); };
  FSource.OnLost = [this](const std::string& why) {
    Error("idle source lost: " + why);
    Quit("idle source lost", 1);
  };
  FShow.OnEnded = [this](bool normal, int status) { ShowEnded(normal, status); };
}

void TDaemon::Begin() {
  Log("idle source: " + FSource.Name());
  StartWaiting();
}

void TDaemon::StartWaiting() {
  const int seconds = WaitSeconds ? WaitSeconds() : 600;
  Log("waiting for " + std::to_string(seconds) + " s without input");
  FState = dsWaiting;
  FSource.Watch(seconds * 1000);
}

void TDaemon::SourceIdle() {
  if (FState != dsWaiting) return;
  FState = dsIdle;
  FHeld = false;
  if (const std::string why = WhyNoShow ? WhyNoShow() : ""; !why.empty()) {
    FHeld = true;  // before the line: its reader may look
    Log("no show: " + why);
    return;
  }
  std::string why;
  if (!FShow.Start(why)) {
    Error(why);
    Log("no show: " + why);
    return;
  }
  FState = dsShowing;
  Log("show started");
}

void TDaemon::Retry() {
  if (!Held() || (WhyNoShow && !WhyNoShow().empty())) return;
  FState = dsWaiting;
  SourceIdle();
}

void TDaemon::SourceActive() {
  switch (FState) {
    case dsIdle: StartWaiting(); break;
    case dsShowing:
      EndShow("activity", dsEnding);
      FActiveSinceStop = true;
      break;
    case dsEnding: FActiveSinceStop = true; break;
    case dsStopped:
    case dsWaiting:
    case dsQuitting: break;
  }
}

void TDaemon::EndShow(const std::string& reason, TState next) {
  FEndReason = reason;
  FActiveSinceStop = false;
  FState = next;
  FShow.Stop();
}

void TDaemon::SessionLeft(const std::string& reason) {
  if (FState == dsShowing) EndShow(reason, dsEnding);
}

void TDaemon::Quit(const std::string& reason, int status) {
  FExitStatus = status;
  switch (FState) {
    case dsShowing: EndShow(reason, dsQuitting); break;
    case dsEnding:
      FEndReason = reason;
      FState = dsQuitting;
      break;
    case dsQuitting: break;
    case dsStopped:
    case dsWaiting:
    case dsIdle: Finish(status); break;
  }
}

void TDaemon::ShowEnded(bool normal, int status) {
  switch (FState) {
    case dsShowing:
      // The show closed itself: a key or mouse movement reached it.
      Log(normal && status == 0 ? "show ended: input"
                                : "show ended: error (status " + std::to_string(status) + ")");
      // The user is back, or the show could not run (the settings window
      // holds the marker): either way the next show waits for input and a
      // new wait, never restarts at once.
      FState = dsIdle;
      break;
    case dsEnding:
      Log("show ended: " + FEndReason);
      if (FActiveSinceStop)
        StartWaiting();
      else
        FState = dsIdle;  // locked or switched away: the next input starts a new wait
      break;
    case dsQuitting:
      Log("show ended: " + FEndReason);
      Finish(FExitStatus);
      break;
    case dsStopped:
    case dsWaiting:
    case dsIdle: break;
  }
}

void TDaemon::Finish(int status) {
  FState = dsStopped;
  if (OnFinished) OnFinished(status);
}

}  // namespace vantora
