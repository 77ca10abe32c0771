#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/DaemonControl.h"
#include "platform/SingleInstance.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

using namespace vantora;
using test::TempFolder;

namespace {

// A session folder of this test's own, so no real daemon is seen or signalled.
class DaemonControl : public ::testing::Test {
 protected:
  void SetUp() override { ::chmod(Session.Path().c_str(), 0700); }
  TempFolder Session{"vantora-session"};
  test::ScopedEnv Runtime{"XDG_RUNTIME_DIR", Session.Path()};
};

// A child that takes the daemon's marker and waits; returns once it holds it.
pid_t ForkDaemonHolder() {
  int ready[2];
  if (::pipe(ready) != 0) return -1;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(ready[0]);
    SingleInstance marker(kDaemonMarker);
    const char ok = marker.Acquire() == SingleInstance::arAcquired ? 1 : 0;
    if (::write(ready[1], &ok, 1) != 1 || ok == 0) ::_exit(1);
    for (;;) ::pause();
  }
  ::close(ready[1]);
  char ok = 0;
  const bool started = ::read(ready[0], &ok, 1) == 1 && ok == 1;
  ::close(ready[0]);
  return started ? pid : -1;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

TEST_F(DaemonControl, StopSignalsOnlyARealHolderOfTheMarker) {
  EXPECT_FALSE(DaemonRunning());
  EXPECT_FALSE(StopDaemon()) << "no daemon: nothing to signal";

  const pid_t holder = ForkDaemonHolder();
  ASSERT_GT(holder, 0);
  EXPECT_TRUE(DaemonRunning());
  EXPECT_EQ(SingleInstance(kDaemonMarker).HolderPid(), holder);

  EXPECT_TRUE(StopDaemon());
  int status = 0;
  ASSERT_EQ(::waitpid(holder, &status, 0), holder);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);

  // The killed holder left its number in the file, but holds nothing: a
  // process that may have taken that number since is not signalled.
  EXPECT_FALSE(DaemonRunning());
  EXPECT_EQ(SingleInstance(kDaemonMarker).HolderPid(), 0);
  EXPECT_FALSE(StopDaemon());

  // A marker held by the caller itself is no daemon to end.
  SingleInstance own(kDaemonMarker);
  ASSERT_EQ(own.Acquire(), SingleInstance::arAcquired);
  EXPECT_FALSE(StopDaemon());
}

TEST_F(DaemonControl, StartRunsTheProgramDetachedInANewSession) {
  // A stand-in for the program that writes down how it was started.
  const std::string report = Session.Path("report");
  const std::string script = Session.WriteText(
      "fake-vantora",
      "#!/bin/sh\n"
      "out=$(readlink /proc/$$/fd/1)\n"
      "{ echo \"args=$*\"; echo \"pid=$$\"; echo \"sid=$(ps -o sid= -p $$ | tr -d ' ')\";\n"
      "  echo \"ppid=$(ps -o ppid= -p $$ | tr -d ' ')\"; echo \"stdin=$(readlink /proc/$$/fd/0)\";\n"
      "  echo \"stdout=$out\"; } > " + report + ".tmp\n"
      "mv " + report + ".tmp " + report + "\n");
  ::chmod(script.c_str(), 0755);

  ASSERT_TRUE(StartDaemon(script));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!std::filesystem::exists(report) && std::chrono::steady_clock::now() < deadline)
    ::usleep(10'000);
  const std::string text = ReadFile(report);
  ASSERT_FALSE(text.empty()) << "the program did not run";

  EXPECT_NE(text.find("args=--daemon\n"), std::string::npos) << text;
  std::string pid, sid, ppid;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("pid=", 0) == 0) pid = line.substr(4);
    if (line.rfind("sid=", 0) == 0) sid = line.substr(4);
    if (line.rfind("ppid=", 0) == 0) ppid = line.substr(5);
  }
  // The session of the middle child, which led it and is gone: the daemon
  // can never take a controlling terminal again.
  ASSERT_FALSE(sid.empty());
  EXPECT_NE(sid, std::to_string(::getsid(0))) << "not in the caller's session";
  EXPECT_NE(sid, pid) << "not a session leader";
  EXPECT_NE(ppid, std::to_string(::getpid())) << "not a child of the caller";
  EXPECT_NE(text.find("stdin=/dev/null\n"), std::string::npos) << text;
  EXPECT_NE(text.find("stdout=/dev/null\n"), std::string::npos) << text;

  EXPECT_FALSE(StartDaemon(Session.Path("no-such-program")));
}
