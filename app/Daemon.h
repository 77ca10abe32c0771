#pragma once
// The daemon's course: wait until the session has been idle for the wait
// time, start the show, end it when the user is back (or the session locks
// or switches away), wait again. It knows the idle source and the show only
// through their interfaces, so tests drive it with fakes, event by event.

#include <functional>
#include <string>

#include "platform/IdleSource.h"

namespace vantora {

// The show as a process of its own.
class TShowProcess {
 public:
  virtual ~TShowProcess() = default;
  // Starts the show; false (with the reason in why) when it cannot start.
  virtual bool Start(std::string& why) = 0;
  // Asks the running show to end; OnEnded follows, within a second.
  virtual void Stop() = 0;
  // The show ended: by itself (normal true, status its exit status) or
  // after Stop (then either).
  std::function<void(bool normal, int status)> OnEnded;
};

class TDaemon {
 public:
  enum TState {
    dsStopped,  // before Begin, and after the end
    dsWaiting,  // the idle source counts the wait time
    dsIdle,  // idle, no show runs (held back, or it ended by itself): waits for input
    dsShowing,  // the show runs
    dsEnding,  // the show was asked to end
    dsQuitting,  // the daemon was asked to end and waits for its show to go
  };

  TDaemon(TIdleSource& source, TShowProcess& show);

  // The wait time in seconds, asked each time a wait starts, so a changed
  // setting counts from the next wait on.
  std::function<int()> WaitSeconds;
  // Why no show may start now (locked, switched away, idle inhibited, another
  // screen saver runs), or empty.
  std::function<std::string()> WhyNoShow;
  // A line for --verbose.
  std::function<void(const std::string&)> OnLog;
  // An error the user should see without --verbose: the idle source was
  // lost, the show could not start.
  std::function<void(const std::string&)> OnError;
  // The daemon is done; status is the process's exit status.
  std::function<void(int status)> OnFinished;

  void Begin();
  // The session locked or switched away (reason as logged): the show ends.
  void SessionLeft(const std::string& reason);
  // Ends the show, if one runs, then the daemon.
  void Quit(const std::string& reason, int status = 0);
  // While a show is held back (Held), asks the session again: an inhibitor
  // may have gone (the film ended) while the user stays away.
  void Retry();

  // Idle, and no show only because the session said no.
  bool Held() const { return FState == dsIdle && FHeld; }

  TState State() const { return FState; }

 private:
  void StartWaiting();
  void SourceIdle();
  void SourceActive();
  void ShowEnded(bool normal, int status);
  void EndShow(const std::string& reason, TState next);
  void Finish(int status);
  void Log(const std::string& line) {
    if (OnLog) OnLog(line);
  }
  void Error(const std::string& text) {
    if (OnError) OnError(text);
  }

  TIdleSource& FSource;
  TShowProcess& FShow;
  TState FState = dsStopped;
  std::string FEndReason;  // why the show was asked to end
  bool FActiveSinceStop = false;  // input came while the show was ending
  bool FHeld = false;  // in dsIdle because WhyNoShow said no
  int FExitStatus = 0;
};

}  // namespace vantora
