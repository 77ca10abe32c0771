#include "platform/Timer.h"

#include <thread>

#include <gtest/gtest.h>

#include "tests/support/QtApp.h"

namespace vantora {
namespace {

class TimerTest : public ::testing::Test {
 protected:
  void SetUp() override { test::QtApp(); }
};

TEST_F(TimerTest, SwitchingOnARunningTimerKeepsItsPeriod) {
  Timer timer(200);
  timer.SetEnabled(true);
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  timer.SetEnabled(true);
  // A restart would put the next tick 200 ms ahead again.
  EXPECT_LE(timer.RemainingTime(), 150);
  EXPECT_TRUE(timer.Running());
}

TEST_F(TimerTest, SwitchingOnFromOffOrChangingTheIntervalStartsAFullPeriod) {
  Timer timer(200);
  timer.SetEnabled(true);
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  timer.SetEnabled(false);
  EXPECT_FALSE(timer.Running());
  timer.SetEnabled(true);
  EXPECT_GT(timer.RemainingTime(), 150);
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  timer.SetInterval(300);
  EXPECT_GT(timer.RemainingTime(), 250);
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

TEST_F(TimerTest, TicksArriveFromTheEventLoop) {
  Timer timer(1);
  int ticks = 0;
  timer.OnTimer = [&] {
    if (++ticks == 3) timer.SetEnabled(false);
  };
  timer.SetEnabled(true);
  for (int i = 0; i < 2000 && timer.Enabled(); ++i) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(ticks, 3);
}

}  // namespace
}  // namespace vantora
