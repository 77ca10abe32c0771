#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/SingleInstance.h"
#include "tests/support/Child.h"
#include "tests/support/ScopedEnv.h"
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

// The marker's folder as the environment gives it: a session folder, a
// home, a temporary folder shared by every user (sticky, as /tmp is).
class MarkerLocation : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(Root.Path("session"));
    fs::create_directories(Root.Path("home"));
    fs::create_directories(Root.Path("tmp"));
    ::chmod(Root.Path("session").c_str(), 0700);
    ::chmod(Root.Path("tmp").c_str(), 01777);
  }
  static std::string Uid() { return std::to_string(::geteuid()); }
  std::string OwnTmp() const { return Root.Path("tmp/vantora-" + Uid()); }
  static std::string Host() {
    char name[256] = {};
    ::gethostname(name, sizeof name - 1);
    return name;
  }
  static mode_t ModeOf(const std::string& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_mode & 07777;
  }

  TempFolder Root{"vantora-location"};
  test::ScopedEnv Runtime{"XDG_RUNTIME_DIR", std::nullopt};
  test::ScopedEnv Cache{"XDG_CACHE_HOME", std::nullopt};
  test::ScopedEnv Home{"HOME", Root.Path("home")};
  test::ScopedEnv Tmp{"TMPDIR", Root.Path("tmp")};
};

TEST_F(MarkerLocation, SessionFolderThenTheUsersCacheThenAFolderOfTheirOwnInTmp) {
  {
    test::ScopedEnv runtime("XDG_RUNTIME_DIR", Root.Path("session"));
    EXPECT_EQ(SingleInstance().LockPath(), Root.Path("session/vantora-SingleApp.lock"));
  }
  {
    // A session folder others may write to is not used.
    ::chmod(Root.Path("session").c_str(), 0777);
    test::ScopedEnv runtime("XDG_RUNTIME_DIR", Root.Path("session"));
    EXPECT_EQ(SingleInstance().LockPath(),
              Root.Path("home/.cache/vantora/SingleApp-" + Host() + ".lock"));
    EXPECT_EQ(ModeOf(Root.Path("home/.cache")), 0700u);
    EXPECT_EQ(ModeOf(Root.Path("home/.cache/vantora")), 0700u);
  }
  {
    test::ScopedEnv cache("XDG_CACHE_HOME", Root.Path("cache"));
    EXPECT_EQ(SingleInstance().LockPath(),
              Root.Path("cache/vantora/SingleApp-" + Host() + ".lock"));
  }
  {
    // No home: the user's own private folder in the temporary folder.
    test::ScopedEnv home("HOME", Root.Path("no-such-home/x"));
    SingleInstance guard;
    EXPECT_EQ(guard.LockPath(), OwnTmp() + "/vantora-SingleApp.lock");
    EXPECT_EQ(ModeOf(OwnTmp()), 0700u);
    EXPECT_EQ(guard.Acquire(), SingleInstance::arAcquired);
    EXPECT_EQ(SingleInstance().Acquire(), SingleInstance::arHeldElsewhere);
  }
}

// Plants, as the user nobody, what another user can put into the shared
// temporary folder: the lock file of the old scheme and the folder this
// user would take.
void PlantAsAnotherUser(const std::string& tmp, const std::string& uid) {
  ASSERT_EQ(test::InChild([&] {
              if (!test::DropRoot()) return 1;
              if (::mkdir((tmp + "/vantora-" + uid).c_str(), 0777) != 0) return 2;
              ::chmod((tmp + "/vantora-" + uid).c_str(), 0777);
              const std::string lock = tmp + "/vantora-SingleApp-" + uid + ".lock";
              const int fd = ::open(lock.c_str(), O_CREAT | O_RDWR, 0644);
              return fd >= 0 ? 0 : 3;
            }),
            0);
}

TEST_F(MarkerLocation, AnotherUserCannotSwitchTheMarkerOff) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  PlantAsAnotherUser(Root.Path("tmp"), Uid());
  SingleInstance first, second;
  EXPECT_EQ(first.Acquire(), SingleInstance::arAcquired) << first.Error();
  EXPECT_TRUE(second.Find());
  EXPECT_EQ(second.Acquire(), SingleInstance::arHeldElsewhere);
  // Nothing was put into the other user's folder.
  EXPECT_TRUE(fs::is_empty(OwnTmp()));

  // Nor is one user's marker another's: nobody takes its own meanwhile.
  EXPECT_EQ(test::InChild([&] {
              if (!test::DropRoot()) return 1;
              ::setenv("HOME", "/nonexistent", 1);
              return SingleInstance().Acquire() == SingleInstance::arAcquired ? 0 : 2;
            }),
            0);
}

TEST_F(MarkerLocation, WithoutAPrivateFolderThereIsNoMarkerAndItSaysWhy) {
  test::ScopedEnv home("HOME", Root.Path("no-such-home/x"));
  const std::string elsewhere = Root.Path("elsewhere");
  fs::create_directories(elsewhere);
  const auto unavailable = [&](const char* what) {
    SingleInstance guard;
    EXPECT_EQ(guard.LockPath(), "") << what;
    EXPECT_FALSE(guard.Find()) << what;
    EXPECT_EQ(guard.Acquire(), SingleInstance::arUnavailable) << what;
    EXPECT_NE(guard.Error().find(OwnTmp()), std::string::npos) << what << ": " << guard.Error();
  };

  // A link in the place of the user's folder is not followed.
  fs::create_directory_symlink(elsewhere, OwnTmp());
  unavailable("link");
  EXPECT_TRUE(fs::is_empty(elsewhere));
  fs::remove(OwnTmp());

  // The user's own folder opened to everyone.
  fs::create_directory(OwnTmp());
  ::chmod(OwnTmp().c_str(), 0777);
  unavailable("open folder");
  fs::remove(OwnTmp());

  if (::geteuid() == 0) {
    PlantAsAnotherUser(Root.Path("tmp"), Uid());
    unavailable("another user's folder");
    EXPECT_TRUE(fs::is_empty(OwnTmp()));
  }
}

TEST(SingleInstance, PlantedLinkIsNotUsed) {
  TempFolder folder{"vantora-marker"};
  SingleInstance guard("SingleApp", folder.Path());
  fs::create_symlink(folder.Path() + "/elsewhere", guard.LockPath());
  EXPECT_EQ(guard.Acquire(), SingleInstance::arUnavailable);
  EXPECT_FALSE(guard.Find());
  EXPECT_FALSE(fs::exists(folder.Path() + "/elsewhere"));
}
