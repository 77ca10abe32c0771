#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/SingleInstance.h"
#include "tests/support/TempFolder.h"

extern char** environ;

using namespace vantora;
namespace fs = std::filesystem;
using test::TempFolder;

namespace {

// What a second process sees of the marker: bit 0 = Find() reported it
// held, bits 1.. = the result of its own Acquire().
int ProbeInChild(const std::string& folder) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    SingleInstance other("SingleApp", folder);
    const int found = other.Find() ? 1 : 0;
    ::_exit(found | (other.Acquire() << 1));
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

constexpr int kSeesHolder = 1 | (SingleInstance::arHeldElsewhere << 1);
constexpr int kSeesNone = 0 | (SingleInstance::arAcquired << 1);

// Forks a child that takes the marker and then waits to be killed; returns
// once the child holds it.
pid_t ForkHolder(const std::string& folder, bool spawnSleeper, pid_t* sleeper = nullptr) {
  int ready[2];
  if (::pipe(ready) != 0) throw std::runtime_error("pipe");
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(ready[0]);
    SingleInstance guard("SingleApp", folder);
    pid_t started = 0;
    if (guard.Acquire() != SingleInstance::arAcquired) ::_exit(1);
    if (spawnSleeper) {
      char arg0[] = "sleep", arg1[] = "30";
      char* argv[] = {arg0, arg1, nullptr};
      if (::posix_spawnp(&started, "sleep", nullptr, nullptr, argv, environ) != 0) ::_exit(1);
    }
    if (::write(ready[1], &started, sizeof started) != sizeof started) ::_exit(1);
    if (spawnSleeper) ::_exit(0);  // ends without releasing the marker
    for (;;) ::pause();
  }
  ::close(ready[1]);
  pid_t started = 0;
  const bool ok = ::read(ready[0], &started, sizeof started) == sizeof started;
  ::close(ready[0]);
  if (!ok) throw std::runtime_error("holder did not start");
  if (sleeper != nullptr) *sleeper = started;
  return pid;
}

}  // namespace

TEST(SingleInstance, OnlyOneHolderAtATime) {
  TempFolder folder{"vantora-marker"};
  SingleInstance guard("SingleApp", folder.Path());
  EXPECT_FALSE(guard.Find());
  EXPECT_EQ(ProbeInChild(folder.Path()), kSeesNone);

  ASSERT_EQ(guard.Acquire(), SingleInstance::arAcquired);
  EXPECT_TRUE(guard.Held());
  EXPECT_FALSE(guard.Find()) << "its own marker is not someone else's";
  EXPECT_EQ(guard.Acquire(), SingleInstance::arAcquired);
  EXPECT_EQ(ProbeInChild(folder.Path()), kSeesHolder);

  // A second guard in the same process is a second holder, too.
  SingleInstance second("SingleApp", folder.Path());
  EXPECT_TRUE(second.Find());
  EXPECT_EQ(second.Acquire(), SingleInstance::arHeldElsewhere);

  // Markers of other names do not interfere.
  SingleInstance otherName("OtherApp", folder.Path());
  EXPECT_EQ(otherName.Acquire(), SingleInstance::arAcquired);

  guard.Release();
  EXPECT_FALSE(guard.Held());
  EXPECT_FALSE(second.Find());
  EXPECT_EQ(ProbeInChild(folder.Path()), kSeesNone);
  EXPECT_EQ(second.Acquire(), SingleInstance::arAcquired);
}

TEST(SingleInstance, KilledHolderLeavesNoStaleMarker) {
  TempFolder folder{"vantora-marker"};
  const pid_t holder = ForkHolder(folder.Path(), false);
  SingleInstance guard("SingleApp", folder.Path());
  EXPECT_TRUE(guard.Find());
  EXPECT_EQ(guard.Acquire(), SingleInstance::arHeldElsewhere);

  ::kill(holder, SIGKILL);
  int status = 0;
  ::waitpid(holder, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));

  EXPECT_FALSE(guard.Find());
  EXPECT_EQ(guard.Acquire(), SingleInstance::arAcquired);
}

TEST(SingleInstance, ProgramsStartedByTheHolderDoNotKeepTheMarker) {
  TempFolder folder{"vantora-marker"};
  pid_t sleeper = 0;
  const pid_t holder = ForkHolder(folder.Path(), true, &sleeper);
  int status = 0;
  ::waitpid(holder, &status, 0);
  ASSERT_GT(sleeper, 0);
  // The holder is gone; a leaked descriptor in the program it started would
  // still hold the lock.
  SingleInstance guard("SingleApp", folder.Path());
  EXPECT_EQ(guard.Acquire(), SingleInstance::arAcquired);
  ::kill(sleeper, SIGKILL);
}

TEST(SingleInstance, LockFileLocation) {
  TempFolder folder{"vantora-marker"};
  const char* saved = std::getenv("XDG_RUNTIME_DIR");
  const std::string savedValue = saved != nullptr ? saved : "";

  ::setenv("XDG_RUNTIME_DIR", folder.Path().c_str(), 1);
  EXPECT_EQ(SingleInstance().LockPath(), folder.Path() + "/vantora-SingleApp.lock");

  // Without a session folder the user id keeps users apart.
  ::unsetenv("XDG_RUNTIME_DIR");
  const std::string fallback = SingleInstance().LockPath();
  EXPECT_TRUE(fallback.ends_with("/vantora-SingleApp-" + std::to_string(::getuid()) + ".lock"))
      << fallback;

  if (saved != nullptr) ::setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1);
}

TEST(SingleInstance, PlantedLinkIsNotUsed) {
  TempFolder folder{"vantora-marker"};
  SingleInstance guard("SingleApp", folder.Path());
  fs::create_symlink(folder.Path() + "/elsewhere", guard.LockPath());
  EXPECT_EQ(guard.Acquire(), SingleInstance::arUnavailable);
  EXPECT_FALSE(guard.Find());
  EXPECT_FALSE(fs::exists(folder.Path() + "/elsewhere"));
}
