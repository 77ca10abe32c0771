// Replacing the settings file whole: killed writers, their leftovers, and
// files that must not be replaced.

#include "settings/AtomicFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "settings/IniFile.h"
#include "tests/support/Child.h"
#include "tests/support/FailingCalls.h"
#include "tests/support/TempFolder.h"

namespace vantora {
namespace {

namespace fs = std::filesystem;
using test::InChild;
using test::TempFolder;

using Names = std::vector<std::string>;

// In a child: the file system refuses unnamed files, as some do, so the
// writer falls back to a named temporary file.
bool RefuseUnnamedFiles() { return test::FailSystemCall(SYS_openat, EOPNOTSUPP, 2, O_TMPFILE); }

// The value every write of the kill test gives "sys" "dir": one digit
// repeated, so a torn file shows as a value of mixed or missing digits.
std::string Value(int i) { return std::string(1500, char('0' + i % 10)); }

bool Whole(const std::string& path) {
  const TIniFile ini(path);
  const std::string dir = ini.ReadString("sys", "dir", "");
  return dir.size() == 1500 && dir == std::string(1500, dir[0]) &&
         ini.ReadString("song", "play", "") == "no";
}

// How many kills are made; VANTORA_KILLS asks for more (a measurement).
int Kills() {
  const char* n = std::getenv("VANTORA_KILLS");
  return n != nullptr ? std::max(1, std::atoi(n)) : 40;
}

class KilledWriters : public ::testing::TestWithParam<bool> {};

// A writer is killed with SIGKILL at a random moment of its writes, again
// and again. The file is whole after every kill, and after the next write
// no temporary file is left beside it.
TEST_P(KilledWriters, NeverTearTheFileNorLeaveTemporaryFiles) {
  const bool unnamedRefused = GetParam();
  TempFolder folder{"vantora-kill"};
  const std::string path = folder.Path("scr.ini");
  TIniFile(path).WriteString("song", "play", "no");
  TIniFile(path).WriteString("sys", "dir", Value(0));

  // Kill within about four writes' time, so kills fall anywhere in a write.
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 5; ++i) TIniFile(path).WriteString("sys", "dir", Value(i));
  const auto writeTime = (std::chrono::steady_clock::now() - start) / 5;
  std::mt19937 random(12345);
  std::uniform_int_distribution<long> delay(0, 4 * writeTime.count());

  // Kills that tore the file, that left a temporary file until the next
  // write, and that left one even after it (removed here, so that each kill
  // is counted on its own).
  int torn = 0, leftBehind = 0, leftAfterWrite = 0;
  for (int kill = 0, kills = Kills(); kill < kills; ++kill) {
    const pid_t writer = ::fork();
    if (writer == 0) {
      if (unnamedRefused && !RefuseUnnamedFiles()) ::_exit(9);
      try {
        for (int i = 0;; ++i) TIniFile(path).WriteString("sys", "dir", Value(i));
      } catch (...) {
        ::_exit(8);
      }
    }
    std::this_thread::sleep_for(std::chrono::steady_clock::duration(delay(random)));
    ::kill(writer, SIGKILL);
    int status = 0;
    ::waitpid(writer, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
        << "the writer ended by itself: " << status;

    if (!Whole(path)) ++torn;
    if (folder.Names() != Names{"scr.ini"}) ++leftBehind;
    TIniFile(path).WriteString("sys", "3", std::to_string(kill));
    if (folder.Names() != Names{"scr.ini"}) ++leftAfterWrite;
    for (const std::string& name : folder.Names())
      if (name != "scr.ini") fs::remove(folder.Path(name));
  }
  std::cout << "kills " << Kills() << ": torn " << torn
            << ", temporary file left until the next write " << leftBehind << ", after it "
            << leftAfterWrite << "\n";
  EXPECT_EQ(torn, 0);
  EXPECT_EQ(leftAfterWrite, 0);
}

INSTANTIATE_TEST_SUITE_P(UnnamedOrNamedTemporary, KilledWriters, ::testing::Bool(),
                         [](const auto& info) {
                           return info.param ? "NamedTemporary" : "UnnamedTemporary";
                         });

// A pid that has just ended, so no process has it.
pid_t EndedPid() {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(0);
  ::waitpid(pid, nullptr, 0);
  return pid;
}

TEST(Leftovers, OnlyThoseOfEndedWritersAreRemoved) {
  TempFolder folder{"vantora-leftover"};
  const std::string path = folder.Path("scr.ini");
  const std::string ended = std::to_string(EndedPid());
  folder.WriteText("scr.ini", "[sys]\n");
  // Left by killed writers: removed.
  folder.WriteText("scr.ini.tmp" + ended + "-0", "[sys]\n3=1");
  folder.WriteText("scr.ini.tmp" + ended + "-17", "");
  // Not ours to remove: a live writer's file (pid 1 always runs), another
  // file's temporaries, names of another pattern, and a link, which is not
  // followed.
  folder.WriteText("scr.ini.tmp1-0", "");
  folder.WriteText("other.ini.tmp" + ended + "-0", "");
  folder.WriteText("scr.ini.tmp", "");
  folder.WriteText("scr.ini.tmpx-0", "");
  folder.WriteText("scr.ini.tmp" + ended, "");
  folder.WriteText("victim", "keep");
  fs::create_symlink(folder.Path("victim"), folder.Path("scr.ini.tmp" + ended + "-1"));

  // A writer at work holds its temporary file locked: kept even though its
  // name carries an ended pid.
  const std::string locked = "scr.ini.tmp" + ended + "-2";
  folder.WriteText(locked, "");
  const int lockedFd = ::open(folder.Path(locked).c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(lockedFd, 0);
  ASSERT_EQ(::flock(lockedFd, LOCK_EX), 0);

  ReplaceWholeFile(path, "[sys]\n3=2\n");
  ::close(lockedFd);

  const Names expected = {"other.ini.tmp" + ended + "-0",
                          "scr.ini",
                          "scr.ini.tmp",
                          "scr.ini.tmp" + ended,
                          "scr.ini.tmp" + ended + "-1",
                          locked,
                          "scr.ini.tmp1-0",
                          "scr.ini.tmpx-0",
                          "victim"};
  Names sorted = expected;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(folder.Names(), sorted);
  EXPECT_TRUE(fs::is_symlink(folder.Path("scr.ini.tmp" + ended + "-1")));
  EXPECT_EQ(TIniFile(folder.Path("victim")).ReadString("x", "y", "keep"), "keep");
}

TEST(Leftovers, AnotherUsersFilesAreNotTouched) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to make a file of another user";
  TempFolder folder{"vantora-leftover"};
  const std::string foreign = "scr.ini.tmp" + std::to_string(EndedPid()) + "-0";
  folder.WriteText(foreign, "");
  ASSERT_EQ(::chown(folder.Path(foreign).c_str(), test::kNobody, test::kNobody), 0);
  ReplaceWholeFile(folder.Path("scr.ini"), "[sys]\n");
  EXPECT_EQ(folder.Names(), (Names{"scr.ini", foreign}));
}

// Exit codes of a child that attempts a write.
enum { kWroteIt = 1, kRightError = 2, kWrongError = 3, kNoSetup = 9 };

int AttemptWrite(const std::string& path) {
  try {
    TIniFile(path).WriteInteger("sys", "3", 9000);
    return kWroteIt;
  } catch (const EIniFileException& e) {
    return e.what() == "Unable to write to " + path ? kRightError : kWrongError;
  } catch (...) {
    return kWrongError;
  }
}

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

// Files that may not be written are refused, whole and unchanged, although
// the folder would let them be renamed over.
TEST(ProtectedFiles, AreRefusedAndLeftAsTheyWere) {
  TempFolder folder{"vantora-protected"};
  const std::string path = folder.Path("scr.ini");
  const std::string original = "[sys]\n3=20000\n";
  const auto reset = [&](mode_t mode) {
    ::chmod(path.c_str(), 0600);
    folder.WriteText("scr.ini", original);
    ::chmod(path.c_str(), mode);
  };
  const auto unchanged = [&](mode_t mode) {
    EXPECT_EQ(ModeOf(path), mode);
    EXPECT_EQ(TIniFile(path).ReadInteger("sys", "3", 0), 20000);
    EXPECT_EQ(folder.Names(), Names{"scr.ini"});
  };

  // Marked read-only, as the user (root too) sees it.
  reset(0444);
  EXPECT_EQ(AttemptWrite(path), kRightError);
  unchanged(0444);

  // Private, and its permissions cannot be carried over to the new file:
  // refused rather than come back readable by others.
  reset(0600);
  EXPECT_EQ(InChild([&] {
              if (!test::FailSystemCall(SYS_fchmod, EPERM)) return int(kNoSetup);
              return AttemptWrite(path);
            }),
            kRightError);
  unchanged(0600);

  // Another user's file in a folder anyone may write to.
  if (::geteuid() == 0) {
    ::chmod(folder.Path().c_str(), 0777);
    reset(0644);
    EXPECT_EQ(InChild([&] { return test::DropRoot() ? AttemptWrite(path) : int(kNoSetup); }),
              kRightError);
    unchanged(0644);
  }
}

// A writer that may write another user's file but not give a file away
// (here: every chown refused) makes the new file its own, and drops the
// group's permissions, since the file is no longer in the group that had
// them; the others' permissions stay as they were.
TEST(ProtectedFiles, AFileThatCannotBeGivenBackKeepsNoForeignGroupAccess) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to make a file of another user";
  TempFolder folder{"vantora-owner"};
  const std::string path = folder.WriteText("scr.ini", "[sys]\n3=20000\n");
  ASSERT_EQ(::chown(path.c_str(), test::kNobody, test::kNobody), 0);
  ASSERT_EQ(::chmod(path.c_str(), 0664), 0);
  EXPECT_EQ(InChild([&] {
              if (!test::FailSystemCall(SYS_fchown, EPERM)) return int(kNoSetup);
              return AttemptWrite(path);
            }),
            kWroteIt);
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 0u);
  EXPECT_EQ(st.st_gid, 0u);
  EXPECT_EQ(st.st_mode & 07777, 0604u);
  EXPECT_EQ(TIniFile(path).ReadInteger("sys", "3", 0), 9000);
  // Where the owner can be kept, it is, with every permission.
  ASSERT_EQ(::chmod(path.c_str(), 0664), 0);
  ASSERT_EQ(::chown(path.c_str(), test::kNobody, test::kNobody), 0);
  EXPECT_EQ(AttemptWrite(path), kWroteIt);
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, test::kNobody);
  EXPECT_EQ(st.st_mode & 07777, 0664u);
}

// A named pipe in the settings file's place is neither waited on nor
// replaced: reads give the defaults and writes are refused.
TEST(ProtectedFiles, ANamedPipeIsNotWaitedOn) {
  TempFolder folder{"vantora-protected"};
  const std::string path = folder.Path("scr.ini");
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  EXPECT_EQ(InChild([&] {
              ::alarm(5);  // a hang ends the child
              if (TIniFile(path).ReadInteger("sys", "3", 15000) != 15000) return int(kWrongError);
              return AttemptWrite(path);
            }),
            kRightError);
  EXPECT_TRUE(fs::is_fifo(path));
}

}  // namespace
}  // namespace vantora
