#include "platform/Timer.h"

namespace vantora {

namespace {
bool gDrivenByHand = false;
}

void Timer::SetDrivenByHand(bool value) { gDrivenByHand = value; }

Timer::Timer(int interval) : FInterval(interval) {
  FTimer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&FTimer, &QTimer::timeout, [this] {
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
  if (FEnabled && FInterval > 0) FTimer.start(FInterval);
}

void Timer::Tick() {
  if (FEnabled && OnTimer) OnTimer();
}

}  // namespace vantora
