#pragma once
// A window timer: Enabled, Interval and OnTimer, as the screens and dialogs
// use them to hand work from one step to the next.
//
// Switching on a timer that already runs keeps its period: only a change
// from off to on starts a fresh period. (QTimer::start() would restart the
// period every time, which would let a stream of mouse events postpone the
// exit guard's ticks for ever.) Changing the interval of a running timer
// starts a fresh period with the new interval. An interval of 0 never ticks.

#include <cstdint>
#include <functional>

#include <QTimer>

namespace vantora {

class Timer {
 public:
  explicit Timer(int interval = 1000);
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  int Interval() const { return FInterval; }
  void SetInterval(int value);

  // Raised at every tick while the timer is on.
  std::function<void()> OnTimer;

  // Runs one tick now, as the event loop would; tests drive timers this way.
  void Tick();
  // While set, the event loop's ticks are dropped and only Tick() runs
  // handlers, so a test that runs the event loop keeps control of time.
  static void SetDrivenByHand(bool value);
  // Whether ticks are really coming, and the milliseconds to the next one
  // by Clock (-1 when none is due): for tests of the period rule.
  bool Running() const { return FTimer.isActive(); }
  int RemainingTime() const;
  // Monotonic milliseconds, read when a period starts and by RemainingTime;
  // a test sets its own clock to step time without waiting.
  static std::function<std::int64_t()> Clock;

 private:
  void Update();

  bool FEnabled = false;
  int FInterval;
  std::int64_t FPeriodStart = 0;  // by Clock; a period starts at each tick
  QTimer FTimer;
};

}  // namespace vantora
