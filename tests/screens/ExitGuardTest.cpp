#include "screens/ExitGuard.h"

#include <vector>

#include <gtest/gtest.h>

#include "tests/support/QtApp.h"
#include "tests/screens/TimerClock.h"

namespace vantora {
namespace {

struct TimeLine {
  const char* name;
  int closingInterval;  // 800 show, 1300 preview
  std::vector<int> mouse;  // times of single mouse events, ms
  std::vector<int> trips;  // times at which the guard trips
};

TEST(ExitGuard, TimeLinesOfTheShowAndThePreview) {
  test::QtApp();
  const TimeLine lines[] = {
      {"one event", 800, {0}, {}},
      {"300 ms apart", 800, {0, 300}, {}},
      {"600 ms apart, show", 800, {0, 600}, {600}},
      {"600 ms apart, preview", 1300, {0, 600}, {600}},
      {"1000 ms apart, show", 800, {0, 1000}, {}},
      {"1000 ms apart, preview", 1300, {0, 1000}, {1000}},
      {"1500 ms apart, preview", 1300, {0, 1500}, {}},
      {"499 ms is still closed", 800, {0, 499}, {}},
      {"800 ms has closed again", 800, {0, 800}, {}},
      // Continuous movement, an event every 50 ms: trips at the first event
      // after 500 ms, once per arming; the closing tick at 800 ms ends the
      // open phase, and the next event arms anew (open again from 1300).
      {"continuous",
       800,
       {0,   50,  100, 150, 200, 250, 300, 350, 400,  450, 500,
        550, 600, 650, 700, 750, 800, 850, 900, 1300, 1350},
       {500, 550, 600, 650, 700, 750, 1300, 1350}},
  };
  for (const TimeLine& line : lines) {
    SCOPED_TRACE(line.name);
    TExitGuard guard(line.closingInterval);
    std::vector<int> trips;
    test::TimerClock clock({&guard.Timer3, &guard.Timer5});
    guard.OnTrip = [&] { trips.push_back(clock.Now()); };
    for (int t : line.mouse) clock.At(t, [&] { guard.MouseEvent(); });
    EXPECT_EQ(trips, line.trips);
    // Stillness afterwards: the guard ends idle.
    clock.Run(line.mouse.back() + 2000);
    EXPECT_FALSE(guard.IsOpen());
    EXPECT_FALSE(guard.Timer3.Enabled());
    EXPECT_FALSE(guard.Timer5.Enabled());
  }
}

TEST(ExitGuard, OpensAt500AndClosesAtTheClosingInterval) {
  test::QtApp();
  for (int closing : {800, 1300}) {
    TExitGuard guard(closing);
    test::TimerClock clock({&guard.Timer3, &guard.Timer5});
    clock.At(0, [&] { guard.MouseEvent(); });
    clock.Run(499);
    EXPECT_FALSE(guard.IsOpen());
    clock.Run(500);
    EXPECT_TRUE(guard.IsOpen());
    EXPECT_FALSE(guard.Timer3.Enabled());
    clock.Run(closing - 1);
    EXPECT_TRUE(guard.IsOpen());
    clock.Run(closing);
    EXPECT_FALSE(guard.IsOpen());
    EXPECT_FALSE(guard.Timer5.Enabled());
  }
}

TEST(ExitGuard, ResetAndClosingRestoreTheIdleGuard) {
  test::QtApp();
  TExitGuard guard(1300);
  int trips = 0;
  guard.OnTrip = [&] { ++trips; };
  test::TimerClock clock({&guard.Timer3, &guard.Timer5});
  clock.At(0, [&] { guard.MouseEvent(); });
  clock.At(600, [&] { guard.MouseEvent(); });
  ASSERT_EQ(trips, 1);
  guard.FormClose();
  EXPECT_FALSE(guard.IsOpen());
  guard.Reset();
  EXPECT_FALSE(guard.Timer3.Enabled());
  EXPECT_FALSE(guard.Timer5.Enabled());
  // Reopened right away, one event only arms the guard.
  guard.MouseEvent();
  EXPECT_EQ(trips, 1);
}

}  // namespace
}  // namespace vantora
