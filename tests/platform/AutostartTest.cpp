// "Start when I log in": the desktop's autostart entry of the daemon.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/Autostart.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

using namespace vantora;
namespace fs = std::filesystem;

namespace {

std::string Read(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// An executable file named "vantora" in folder.
std::string Program(const std::string& folder) {
  fs::create_directories(folder);
  const std::string path = folder + "/vantora";
  std::ofstream(path) << "#!/bin/sh\n";
  ::chmod(path.c_str(), 0755);
  return path;
}

TEST(Autostart, TheEntryGoesIntoTheUsersAutostartFolderAndComesOutAgain) {
  test::TempFolder home("vantora-autostart");
  test::ScopedEnv homeVar("HOME", home.Path());
  {
    test::ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(AutostartEntryPath(), home.Path() + "/.config/autostart/vantora-daemon.desktop");
  }
  test::ScopedEnv config("XDG_CONFIG_HOME", home.Path() + "/config");
  const std::string entry = home.Path() + "/config/autostart/vantora-daemon.desktop";
  EXPECT_EQ(AutostartEntryPath(), entry);

  std::string error;
  EXPECT_FALSE(AutostartEnabled());
  ASSERT_TRUE(SetAutostart(true, "vantora --daemon", error)) << error;
  EXPECT_TRUE(AutostartEnabled());
  const std::string text = Read(entry);
  EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u) << text;
  EXPECT_NE(text.find("\nExec=vantora --daemon\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\nType=Application\n"), std::string::npos) << text;
  if (std::system("command -v desktop-file-validate >/dev/null") == 0) {
    EXPECT_EQ(std::system(("desktop-file-validate '" + entry + "'").c_str()), 0);
  }

  ASSERT_TRUE(SetAutostart(false, "", error)) << error;
  EXPECT_FALSE(fs::exists(entry));
  EXPECT_TRUE(SetAutostart(false, "", error)) << "removing no entry is no failure: " << error;

  // A folder that cannot hold it says why.
  std::ofstream(home.Path() + "/config/blocked") << "";
  test::ScopedEnv blocked("XDG_CONFIG_HOME", home.Path() + "/config/blocked");
  EXPECT_FALSE(SetAutostart(true, "vantora --daemon", error));
  EXPECT_NE(error.find("blocked"), std::string::npos) << error;
}

TEST(Autostart, TheCommandNamesTheProgramByNameOnlyWhenThePathFindsThisOne) {
  test::TempFolder root("vantora-command");
  const std::string installed = Program(root.Path() + "/bin");
  const std::string build = Program(root.Path() + "/my build");
  test::ScopedEnv path("PATH", "/nonexistent:" + root.Path() + "/bin");
  EXPECT_EQ(DaemonCommand(installed), "vantora --daemon");
  // Another copy: the entry must start that copy, by its full path, quoted
  // where it holds a blank.
  EXPECT_EQ(DaemonCommand(build), "\"" + build + "\" --daemon");
  test::ScopedEnv noPath("PATH", "/nonexistent");
  EXPECT_EQ(DaemonCommand(installed), installed + " --daemon");
  // The characters the entry's quoting reserves are escaped.
  EXPECT_EQ(DaemonCommand("/a$b/vantora"), "\"/a\\\\$b/vantora\" --daemon");
}

}  // namespace
