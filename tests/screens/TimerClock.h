#pragma once
// Simulated time for timers: a timer switched on from off at time s ticks at
// s + Interval, s + 2 Interval, ...; switching it on while on changes
// nothing. Run(t) fires every tick due up to t in time order, so handlers
// can be driven along a time line without waiting.

#include <map>
#include <vector>

#include "platform/Timer.h"

namespace vantora::test {

class TimerClock {
 public:
  explicit TimerClock(std::vector<Timer*> timers) : FTimers(std::move(timers)) { Observe(); }

  int Now() const { return FNow; }

  // Runs the ticks due up to time t, then moves the clock to t.
  void Run(int t) {
    for (;;) {
      Timer* next = nullptr;
      int due = 0;
      for (Timer* timer : FTimers) {
        auto it = FStart.find(timer);
        if (it == FStart.end() || timer->Interval() <= 0) continue;
        const int d = NextTick(it->second, timer->Interval());
        if (d <= t && (!next || d < due)) {
          next = timer;
          due = d;
        }
      }
      if (!next) break;
      FNow = due;
      FLastTick[next] = due;
      next->Tick();
      Observe();
    }
    FNow = t;
  }
  // Runs a handler at time t (after the ticks due by then).
  template <class F>
  void At(int t, F handler) {
    Run(t);
    handler();
    Observe();
  }

 private:
  static int NextTick(int start, int interval) { return start + interval; }
  // Records the start of every timer that went from off to on.
  void Observe() {
    for (Timer* timer : FTimers) {
      const bool on = timer->Enabled();
      if (on && !FStart.count(timer)) FStart[timer] = FNow;
      if (!on) FStart.erase(timer);
      // A tick that leaves a timer on starts its next period from now.
      auto tick = FLastTick.find(timer);
      if (on && tick != FLastTick.end() && tick->second == FNow) FStart[timer] = FNow;
    }
    FLastTick.clear();
  }

  std::vector<Timer*> FTimers;
  std::map<Timer*, int> FStart;
  std::map<Timer*, int> FLastTick;
  int FNow = 0;
};

}  // namespace vantora::test
