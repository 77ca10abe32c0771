#pragma once
// Sources that tell when the session has been idle (no key, pointer or touch
// input) for a given time, and when the user is back. Each desktop offers
// its own: the Wayland idle protocols, GNOME's idle monitor on the session
// bus, the X server's screen-saver extension. The daemon sees only this
// interface.

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vantora {

class TIdleSource {
 public:
  virtual ~TIdleSource() = default;

  // The protocol or service, as --verbose names it.
  virtual std::string Name() const = 0;

  // Watches for timeoutMs without input: OnIdle once that time has passed,
  // then OnActive at the next input, then OnIdle again after the next
  // timeoutMs without input, and so on. Watching again with the same time
  // changes nothing; with another time the count starts over.
  virtual void Watch(int timeoutMs) = 0;

  std::function<void()> OnIdle;
  std::function<void()> OnActive;
  // The source stopped working for good (the compositor or the bus went
  // away); the text says why.
  std::function<void(const std::string&)> OnLost;

 protected:
  void DoIdle() {
    if (OnIdle) OnIdle();
  }
  void DoActive() {
    if (OnActive) OnActive();
  }
  void DoLost(const std::string& why) {
    if (OnLost) OnLost(why);
  }
};

// A new source of type TSource made from arguments, once its Open(why)
// succeeded; null otherwise, with why saying why.
template <class TSource, class... TArgs>
std::unique_ptr<TIdleSource> OpenedSource(std::string& why, TArgs&&... arguments) {
  auto source = std::make_unique<TSource>(std::forward<TArgs>(arguments)...);
  if (!source->Open(why)) return nullptr;
  return source;
}

// One way of watching, tried in its turn: Open connects and checks that the
// session offers it, or returns null and says why in why.
struct TIdleSourceCandidate {
  std::string Name;
  std::function<std::unique_ptr<TIdleSource>(std::string& why)> Open;
};

struct TIdleSourceChoice {
  std::unique_ptr<TIdleSource> Source;  // null when no candidate worked
  // Every candidate tried before the one chosen (all of them when none
  // worked), with why it was not taken.
  std::vector<std::pair<std::string, std::string>> Failures;

  // "NAME: why; NAME: why" of the failures.
  std::string FailureText() const;
};

// The first candidate that opens, in order.
TIdleSourceChoice ChooseIdleSource(const std::vector<TIdleSourceCandidate>& candidates);

// This session's candidates, in order of preference: ext-idle-notify-v1,
// org_kde_kwin_idle, org.gnome.Mutter.IdleMonitor, MIT-SCREEN-SAVER.
std::vector<TIdleSourceCandidate> SessionIdleSources();

}  // namespace vantora
