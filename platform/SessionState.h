#pragma once
// What the session says about showing a screen saver now: locked or
// switched away (logind), idle inhibited by an application (GNOME's session
// manager), or another screen-saver host already running for this user.

#include <functional>
#include <memory>
#include <string>

class QDBusConnection;

namespace vantora {

class TDBusSignal;

// This session as logind sees it (org.freedesktop.login1 on the system
// bus). The session is the one XDG_SESSION_ID names, else the one of this
// process. Without logind, or outside any session, it counts as active and
// unlocked.
class TLogindSession {
 public:
  // busAddress: the bus logind is on; empty: the system bus.
  explicit TLogindSession(const std::string& busAddress = {});
  ~TLogindSession();
  TLogindSession(const TLogindSession&) = delete;
  TLogindSession& operator=(const TLogindSession&) = delete;

  // False when logind is missing or knows no session of ours (Why says why).
  bool Found() const { return !FPath.empty(); }
  const std::string& Why() const { return FWhy; }
  bool Locked() const;
  bool Active() const;

  // The session locked or another session took the seat: "locked" or
  // "inactive". Called on every change logind reports that leaves it so.
  std::function<void(const std::string& reason)> OnLeft;

 private:
  bool Property(const char* name, bool fallback) const;
  void Changed();

  std::unique_ptr<QDBusConnection> FBus;
  std::string FPath;  // the session's object path; empty without logind
  std::string FWhy;
  std::unique_ptr<TDBusSignal> FPropertiesChanged;
  std::unique_ptr<TDBusSignal> FLock;
};

// True when an application inhibits idle through GNOME's session manager
// (GNOME, and desktops that share its session manager). False when there is
// no such manager.
bool IdleInhibited();

// The name of another screen-saver host that runs for this user
// ("xscreensaver", "mate-screensaver"), or empty. procRoot is for tests.
std::string OtherSaverRunning(const std::string& procRoot = "/proc");

}  // namespace vantora
