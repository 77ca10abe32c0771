#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/SingleInstance.h"
#include "tests/app/ChildProcess.h"

using namespace vantora;
using vantora::test::ChildProcess;
using SessionFolder = vantora::test::TempFolder;

namespace {

// A started vantora. The program keeps its marker in $XDG_RUNTIME_DIR, so
// each test gives it a session folder of its own and never meets a real
// running instance. platform: the Qt platform for the child; one that does
// not exist makes any attempt to open a window end the child abnormally.
class Program : public ChildProcess {
 public:
  Program(const std::vector<std::string>& arguments, const std::string& session,
          const std::string& platform)
      : ChildProcess(VANTORA_PROGRAM, arguments,
                     {{"XDG_RUNTIME_DIR", session}, {"QT_QPA_PLATFORM", platform}}) {}
};

}  // namespace

TEST(Entry, OtherSwitchesEndAtOnceWithoutAWindow) {
  const std::vector<std::vector<std::string>> cases = {
      {"/p", "1234"},
      {"/P"},
      {"/a", "1234"},
      {"-s"},
      {"s"},
      {""},
      {"/"},
      // Host requests that name no window.
      {"-window-id"},
      {"--window-id", "0"},
      {"-window-id", "window"},
  };
  SessionFolder session("vantora-session");
  for (const auto& arguments : cases) {
    Program program(arguments, session.Path(), "no-such-platform");
    EXPECT_EQ(program.ExitStatus(), 0) << arguments.front();
    // The marker was given back.
    SingleInstance probe("SingleApp", session.Path());
    EXPECT_FALSE(probe.Find()) << arguments.front();
  }
}

TEST(Entry, SecondStartEndsAtOnceAndLeavesTheMarkerAlone) {
  SessionFolder session("vantora-session");
  SingleInstance running("SingleApp", session.Path());
  ASSERT_EQ(running.Acquire(), SingleInstance::arAcquired);
  for (const auto& arguments : std::vector<std::vector<std::string>>{{"/S"}, {"/c"}, {}}) {
    Program program(arguments, session.Path(), "no-such-platform");
    EXPECT_EQ(program.ExitStatus(), 0);
  }
  EXPECT_TRUE(running.Held());
  SingleInstance probe("SingleApp", session.Path());
  EXPECT_TRUE(probe.Find());
}

TEST(Entry, RunningModesHoldTheMarkerUntilTheProcessEnds) {
  SessionFolder session("vantora-session");
  SingleInstance probe("SingleApp", session.Path());
  for (const auto& arguments : std::vector<std::vector<std::string>>{{"/S"}, {"/c:42"}, {}}) {
    Program program(arguments, session.Path(), "offscreen");
    ASSERT_TRUE(program.WaitFor([&] { return probe.Find(); }))
        << "the program did not take the marker or ended early";
    EXPECT_TRUE(program.Running());
    // A killed instance leaves no marker behind to block the next start.
    program.Kill();
    EXPECT_FALSE(probe.Find());
  }
  EXPECT_EQ(probe.Acquire(), SingleInstance::arAcquired);
}
