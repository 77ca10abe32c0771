#include "platform/Timer.h"

#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include "tests/support/QtApp.h"

namespace vantora {
namespace {

// Time stands still unless the test moves it.
class TimerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::QtApp();
    Timer::Clock = [this] { return FNow; };
  }
  void TearDown() override { Timer::Clock = FRealClock; }
  void Advance(std::int64_t ms) { FNow += ms; }

 private:
  std::int64_t FNow = 1000;
  std::function<std::int64_t()> FRealClock = Timer::Clock;
};

TEST_F(TimerTest, SwitchingOnARunningTimerKeepsItsPeriod) {
  Timer timer(200);
  timer.SetEnabled(true);
  Advance(60);
  timer.SetEnabled(true);
  // A restart would put the next tick 200 ms ahead again.
  EXPECT_EQ(timer.RemainingTime(), 140);
  EXPECT_TRUE(timer.Running());
}

TEST_F(TimerTest, SwitchingOnFromOffOrChangingTheIntervalStartsAFullPeriod) {
  Timer timer(200);
  timer.SetEnabled(true);
  Advance(60);
  timer.SetEnabled(false);
  EXPECT_FALSE(timer.Running());
  EXPECT_EQ(timer.RemainingTime(), -1);
  timer.SetEnabled(true);
  EXPECT_EQ(timer.RemainingTime(), 200);
  Advance(60);
  timer.SetInterval(300);
  EXPECT_EQ(timer.RemainingTime(), 300);
}

TEST_F(TimerTest, IntervalZeroNeverTicks) {
  Timer timer(0);
  timer.SetEnabled(true);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_FALSE(timer.Running());
  timer.SetInterval(5);
  EXPECT_TRUE(timer.Running());
}

TEST_F(TimerTest, TickRunsTheHandlerOnlyWhileEnabled) {
  Timer timer(1000);
  int ticks = 0;
  timer.OnTimer = [&] { ++ticks; };
  timer.Tick();
  EXPECT_EQ(ticks, 0);
  timer.SetEnabled(true);
  timer.Tick();
  EXPECT_EQ(ticks, 1);
}

// The event loop sleeps until the ticks wake it; a lost tick ends the wait
// at the guard instead of hanging the test.
TEST_F(TimerTest, TicksArriveFromTheEventLoop) {
  Timer timer(1);
  QEventLoop loop;
  int ticks = 0;
  timer.OnTimer = [&] {
    if (++ticks < 3) return;
    timer.SetEnabled(false);
    loop.quit();
  };
  timer.SetEnabled(true);
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
  guard.start(10000);
  loop.exec();
  EXPECT_EQ(ticks, 3);
  EXPECT_FALSE(timer.Running());
}

}  // namespace
}  // namespace vantora
