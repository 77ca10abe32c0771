// A saver started by a screen-saver host with only HOME, DISPLAY and
// XAUTHORITY finds the session's runtime folder and bus again.

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/SessionEnvironment.h"
#include "platform/SingleInstance.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

using namespace vantora;
namespace fs = std::filesystem;

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "(unset)";
}

// A listening Unix socket at path, as the session bus leaves it.
int BindSocket(const std::string& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

class StrippedEnvironment : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(Own());
    ::chmod(Own().c_str(), 0700);
  }
  std::string Own() const { return Base.Path() + "/" + std::to_string(::geteuid()); }

  test::TempFolder Base{"vantora-run-user"};
  test::ScopedEnv Runtime{"XDG_RUNTIME_DIR", std::nullopt};
  test::ScopedEnv Bus{"DBUS_SESSION_BUS_ADDRESS", std::nullopt};
};

TEST_F(StrippedEnvironment, TheUsersRuntimeFolderAndItsBusAreFoundAgain) {
  const int bus = BindSocket(Own() + "/bus");
  ASSERT_GE(bus, 0);
  CompleteSessionEnvironment(Base.Path());
  EXPECT_EQ(Env("XDG_RUNTIME_DIR"), Own());
  EXPECT_EQ(Env("DBUS_SESSION_BUS_ADDRESS"), "unix:path=" + Own() + "/bus");
  // The marker then lives where the settings windows of the full session
  // keep theirs.
  EXPECT_EQ(SingleInstance().LockPath(), Own() + "/vantora-SingleApp.lock");
  ::close(bus);
}

TEST_F(StrippedEnvironment, WhatIsSetStaysAndWhatIsUnsafeIsNotTaken) {
  {
    // Without a bus socket only the runtime folder comes back.
    CompleteSessionEnvironment(Base.Path());
    EXPECT_EQ(Env("XDG_RUNTIME_DIR"), Own());
    EXPECT_EQ(Env("DBUS_SESSION_BUS_ADDRESS"), "(unset)");
  }
  {
    // Set variables are the session's own: never replaced.
    test::ScopedEnv runtime("XDG_RUNTIME_DIR", "/elsewhere");
    test::ScopedEnv bus("DBUS_SESSION_BUS_ADDRESS", "unix:path=/elsewhere/bus");
    BindSocket(Own() + "/bus");
    CompleteSessionEnvironment(Base.Path());
    EXPECT_EQ(Env("XDG_RUNTIME_DIR"), "/elsewhere");
    EXPECT_EQ(Env("DBUS_SESSION_BUS_ADDRESS"), "unix:path=/elsewhere/bus");
  }
  {
    // A runtime folder others may write to, or none at all, is not taken.
    ::unsetenv("XDG_RUNTIME_DIR");
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    ::chmod(Own().c_str(), 0777);
    CompleteSessionEnvironment(Base.Path());
    EXPECT_EQ(Env("XDG_RUNTIME_DIR"), "(unset)");
    EXPECT_EQ(Env("DBUS_SESSION_BUS_ADDRESS"), "(unset)");
    CompleteSessionEnvironment(Base.Path() + "/missing");
    EXPECT_EQ(Env("XDG_RUNTIME_DIR"), "(unset)");
  }
}

}  // namespace
