#include "platform/Timer.h"

#include <algorithm>

#include <QElapsedTimer>

namespace vantora {

namespace {

bool gDrivenByHand = false;

std::int64_t MonotonicMilliseconds() {
  static const QElapsedTimer clock = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  return clock.elapsed();
}

}  // namespace

std::function<std::int64_t()> Timer::Clock = MonotonicMilliseconds;

void Timer::SetDrivenByHand(bool value) { gDrivenByHand = value; }

Timer::Timer(int interval) : FInterval(interval) {
  FTimer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&FTimer, &QTimer::timeout, [this] {
    FPeriodStart = Clock();
    if (!gDrivenByHand) Tick();
  });
}

void Timer::SetEnabled(bool value) {
  if (value == FEnabled) return;  // a running timer keeps its period
  FEnabled = value;
  Update();
}

void Timer::SetInterval(int value) {
  if (value == FInterval) return;
  FInterval = value;
  Update();
}

void Timer::Update() {
  FTimer.stop();
  if (FEnabled && FInterval > 0) {
    FTimer.start(FInterval);
    FPeriodStart = Clock();
  }
}

int Timer::RemainingTime() const {
  if (!Running()) return -1;
  return int(std::max<std::int64_t>(0, FInterval - (Clock() - FPeriodStart)));
}

void Timer::Tick() {
  if (FEnabled && OnTimer) OnTimer();
}

}  // namespace vantora
