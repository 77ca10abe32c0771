#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/SingleInstance.h"

extern char** environ;

using namespace vantora;
namespace fs = std::filesystem;

namespace {

constexpr auto kPatience = std::chrono::seconds(20);

// The program's session folder for the tests, so they never meet a real
// running instance: the program keeps its marker in $XDG_RUNTIME_DIR.
class SessionFolder {
 public:
  SessionFolder() {
    std::string pattern = (fs::temp_directory_path() / "vantora-session-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp");
    FPath = pattern;
  }
  ~SessionFolder() {
    std::error_code ec;
    fs::remove_all(FPath, ec);
  }
  const std::string& Path() const { return FPath; }

 private:
  std::string FPath;
};

// A started vantora process.
class Program {
 public:
  // platform: the Qt platform for the child; a platform that does not exist
  // makes any attempt to open a window end the child abnormally.
  Program(const std::vector<std::string>& arguments, const std::string& session,
          const std::string& platform) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e)
      if (std::strncmp(*e, "XDG_RUNTIME_DIR=", 16) != 0 &&
          std::strncmp(*e, "QT_QPA_PLATFORM=", 16) != 0)
        env.push_back(*e);
    env.push_back("XDG_RUNTIME_DIR=" + session);
    env.push_back("QT_QPA_PLATFORM=" + platform);
    std::vector<std::string> args{VANTORA_PROGRAM};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv, envp;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    if (::posix_spawn(&FPid, VANTORA_PROGRAM, nullptr, nullptr, argv.data(), envp.data()) != 0)
      throw std::runtime_error("cannot start " VANTORA_PROGRAM);
  }
  ~Program() {
    if (FPid > 0) {
      ::kill(FPid, SIGKILL);
      ::waitpid(FPid, nullptr, 0);
    }
  }

  // Waits for the process to end; returns its exit status, or -1 when it
  // did not exit normally or had not ended after kPatience.
  int ExitStatus() {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < deadline) {
      int status = 0;
      const pid_t done = ::waitpid(FPid, &status, WNOHANG);
      if (done == FPid) {
        FPid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      Nap();
    }
    return -1;
  }

  bool Running() { return FPid > 0 && ::waitpid(FPid, nullptr, WNOHANG) == 0; }

  void Kill() {
    ::kill(FPid, SIGKILL);
    ::waitpid(FPid, nullptr, 0);
    FPid = -1;
  }

  // Waits until condition holds while the process runs.
  bool WaitFor(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < deadline) {
      if (condition()) return true;
      if (!Running()) return false;
      Nap();
    }
    return false;
  }

 private:
  static void Nap() {
    const timespec tenMs{0, 10'000'000};
    ::nanosleep(&tenMs, nullptr);
  }
  pid_t FPid = -1;
};

}  // namespace

TEST(Entry, OtherSwitchesEndAtOnceWithoutAWindow) {
  const std::vector<std::vector<std::string>> cases = {
      {"/p", "1234"}, {"/P"}, {"/a", "1234"}, {"-s"}, {"s"}, {""}, {"/"},
  };
  SessionFolder session;
  for (const auto& arguments : cases) {
    Program program(arguments, session.Path(), "no-such-platform");
    EXPECT_EQ(program.ExitStatus(), 0) << arguments.front();
    // The marker was given back.
    SingleInstance probe("SingleApp", session.Path());
    EXPECT_FALSE(probe.Find()) << arguments.front();
  }
}

TEST(Entry, SecondStartEndsAtOnceAndLeavesTheMarkerAlone) {
  SessionFolder session;
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
  SessionFolder session;
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
