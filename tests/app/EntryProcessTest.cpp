#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
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

namespace {

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

// A show without music never opens the sound system: no media backend is
// loaded into the process, and on a machine without sound nothing
// complains on the standard error at every start.
TEST(Entry, AShowWithoutMusicLeavesTheSoundSystemAlone) {
  SessionFolder session("vantora-session");
  SessionFolder home("vantora-home");
  const std::string errors = home.Path() + "/errors.txt";
  ChildProcess program(VANTORA_PROGRAM, {"/S"},
                       {{"XDG_RUNTIME_DIR", session.Path()},
                        {"QT_QPA_PLATFORM", "offscreen"},
                        {"HOME", home.Path()},
                        {"XDG_CONFIG_HOME", home.Path() + "/config"}},
                       true, errors);
  SingleInstance probe("SingleApp", session.Path());
  ASSERT_TRUE(program.WaitFor([&] { return probe.Find(); }));
  // The windows are made and the show activated within this time; a media
  // backend would be loaded by then (it is made with the window).
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
  while (std::chrono::steady_clock::now() < until && program.Running())
    vantora::test::Nap(std::chrono::milliseconds(20));
  ASSERT_TRUE(program.Running());
  const std::string maps = FileText("/proc/" + std::to_string(program.Pid()) + "/maps");
  EXPECT_EQ(maps.find("gstreamer-1.0/"), std::string::npos) << "a media backend was loaded";
  program.Kill();
  const std::string text = FileText(errors);
  EXPECT_EQ(text.find("PulseAudio"), std::string::npos) << text;
  EXPECT_EQ(text.find("ALSA"), std::string::npos) << text;
}

// --help and --version answer on standard output with status 0, whatever
// else runs; a mistake of the GNU form gets one line and the hint on
// standard error, status 2. The frame tool behaves the same.
TEST(Entry, HelpVersionAndBadOptionsAnswerOnTheRightStream) {
  using vantora::test::RunForOutput;
  SessionFolder session("vantora-session");
  // A running instance does not keep --help from answering.
  SingleInstance running("SingleApp", session.Path());
  ASSERT_EQ(running.Acquire(), SingleInstance::arAcquired);
  const vantora::test::TEnvironment env = {{"XDG_RUNTIME_DIR", session.Path()},
                                           {"QT_QPA_PLATFORM", "no-such-platform"}};
  struct Program {
    const char* Path;
    const char* Name;
  };
  for (const Program program : {Program{VANTORA_PROGRAM, "vantora"},
                                Program{VANTORA_FRAME, "vantora-frame"}}) {
    const std::string name = program.Name;
    for (const char* help : {"--help", "-h"}) {
      const auto out = RunForOutput(program.Path, {help}, env);
      EXPECT_EQ(out.Status, 0) << name << " " << help;
      EXPECT_EQ(out.Out.rfind("Usage: " + name + " ", 0), 0u) << out.Out;
      EXPECT_NE(out.Out.find("--version"), std::string::npos) << name;
      EXPECT_EQ(out.Err, "") << name << " " << help;
    }
    const auto version = RunForOutput(program.Path, {"--version"}, env);
    EXPECT_EQ(version.Status, 0) << name;
    EXPECT_EQ(version.Out, name + " " VANTORA_VERSION "\n");
    EXPECT_EQ(version.Err, "");

    const auto bad = RunForOutput(program.Path, {"--no-such-option"}, env);
    EXPECT_EQ(bad.Status, 2) << name;
    EXPECT_EQ(bad.Out, "") << name;
    EXPECT_EQ(bad.Err, name + ": unknown option --no-such-option\nTry '" + name +
                           " --help' for more information.\n");
  }
  // A value the show cannot use is a mistake too.
  const auto fit = RunForOutput(VANTORA_PROGRAM, {"--root", "--fit", "wide"}, env);
  EXPECT_EQ(fit.Status, 2);
  EXPECT_NE(fit.Err.find("--fit"), std::string::npos) << fit.Err;
  // The Windows-style switches keep ending quietly.
  const auto preview = RunForOutput(VANTORA_PROGRAM, {"/p", "--bogus"}, env);
  EXPECT_EQ(preview.Status, 0);
  EXPECT_EQ(preview.Out + preview.Err, "");
}
