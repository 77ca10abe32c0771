#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>

#include "app/Signals.h"
#include "tests/support/Child.h"

using namespace vantora;
using namespace std::chrono_literals;

namespace {

// A child whose window thread stays busy long after SIGTERM (as with a
// camera photo at its own size): it returns 7 if it is still running when
// the work is done, about five seconds on.
int BusyAfterSigterm(std::chrono::milliseconds deadline) {
  TQuitOnSignals quitOnSignals(deadline);
  ::raise(SIGTERM);
  for (int i = 0; i < 50; ++i) ::usleep(100000);
  return 7;
}

}  // namespace

// The screen-saver host waits about half a second for its saver: with a
// deadline the process dies of the signal however busy it is; without one a
// signal only asks the event loop to quit, and the work goes on.
TEST(QuitOnSignals, ADeadlineEndsAProcessTooBusyToEndByItself) {
  const auto asked = std::chrono::steady_clock::now();
  EXPECT_EQ(test::InChild([] { return BusyAfterSigterm(100ms); }), 128 + SIGTERM);
  EXPECT_LT(std::chrono::steady_clock::now() - asked, 4s) << "the deadline did not end it";

  EXPECT_EQ(test::InChild([] {
              TQuitOnSignals quitOnSignals;
              ::raise(SIGTERM);
              ::usleep(300000);  // beyond any deadline a host mode would use
              return 7;
            }),
            7);
}

// After the clean end, the process dies of the signal that asked for it,
// as the screen-saver host expects; with no signal it returns and the
// program ends with its own status.
TEST(QuitOnSignals, TheCleanEndIsFollowedByDeathFromTheSignal) {
  EXPECT_EQ(test::InChild([] {
              TQuitOnSignals quitOnSignals;
              ::raise(SIGINT);
              if (TQuitOnSignals::Received() != SIGINT) return 3;
              TQuitOnSignals::EndBySignalReceived();
              return 7;
            }),
            128 + SIGINT);
  EXPECT_EQ(test::InChild([] {
              TQuitOnSignals quitOnSignals;
              TQuitOnSignals::EndBySignalReceived();
              return 7;
            }),
            7);
}
