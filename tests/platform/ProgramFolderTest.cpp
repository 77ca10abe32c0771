#include "platform/ProgramFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "tests/support/Child.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

namespace vantora {
namespace {

namespace fs = std::filesystem;
using test::ScopedEnv;
using test::TempFolder;

TEST(ProgramFolder, IsTheFolderOfTheRunningProgramWithASlash) {
  const std::string folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  EXPECT_EQ(fs::canonical(folder), fs::canonical(VANTORA_TEST_BINARY_DIR));
}

// A root folder with a program folder "bin" in it, and the user's home.
class ProgramLocation : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(Bin());
    fs::create_directories(Home());
  }
  std::string Bin() const { return Root.Path("prefix/bin"); }
  std::string Home() const { return Root.Path("home"); }
  std::string Installed() const { return Root.Path("prefix/share/vantora/pics"); }
  void InstallDemoPictures() const { fs::create_directories(Installed()); }

  TempFolder Root{"vantora-location"};
  ScopedEnv NoConfigHome{"XDG_CONFIG_HOME", std::nullopt};
  ScopedEnv HomeEnv{"HOME", Home()};
};

TEST_F(ProgramLocation, TheBuildTreeAndPortableCopiesKeepEverythingBesideTheProgram) {
  // With its own "pics", or with nothing installed beside it.
  for (const bool ownPictures : {true, false}) {
    if (ownPictures) fs::create_directories(Bin() + "/pics");
    EXPECT_EQ(SettingsFileFor(Bin() + "/"), Bin() + "/scr.ini");
    EXPECT_EQ(SettingsFileFor(Bin()), Bin() + "/scr.ini");
    EXPECT_EQ(DefaultPictureFolderFor(Bin() + "/"), Bin() + "/pics");
    EXPECT_EQ(DefaultPictureFolderFor(Bin()), Bin() + "/pics");
  }
  // A "pics" of its own wins over installed pictures.
  InstallDemoPictures();
  EXPECT_EQ(SettingsFileFor(Bin() + "/"), Bin() + "/scr.ini");
  EXPECT_EQ(DefaultPictureFolderFor(Bin() + "/"), Bin() + "/pics");
}

TEST_F(ProgramLocation, AnInstalledProgramKeepsItsSettingsInTheUsersConfigFolder) {
  InstallDemoPictures();
  // Root may write into the program folder, but an installed program's
  // settings still go to the user's folder.
  EXPECT_EQ(SettingsFileFor(Bin() + "/"), Home() + "/.config/vantora/scr.ini");
  EXPECT_EQ(DefaultPictureFolderFor(Bin() + "/"), Installed());
  {
    ScopedEnv config("XDG_CONFIG_HOME", Root.Path("cfg/"));
    EXPECT_EQ(SettingsFileFor(Bin()), Root.Path("cfg") + "/vantora/scr.ini");
  }
  {
    // A relative XDG_CONFIG_HOME is not valid and is ignored.
    ScopedEnv config("XDG_CONFIG_HOME", "cfg");
    EXPECT_EQ(SettingsFileFor(Bin()), Home() + "/.config/vantora/scr.ini");
  }
  // A writable scr.ini put beside the program is used.
  Root.WriteText("prefix/bin/scr.ini", "[sys]\n");
  EXPECT_EQ(SettingsFileFor(Bin()), Bin() + "/scr.ini");
  EXPECT_EQ(DefaultPictureFolderFor(Bin()), Installed());
  // One marked read-only is not.
  ::chmod((Bin() + "/scr.ini").c_str(), 0444);
  EXPECT_EQ(SettingsFileFor(Bin()), Home() + "/.config/vantora/scr.ini");
}

TEST_F(ProgramLocation, AProgramFolderTheUserCannotWriteToSendsTheSettingsHome) {
  fs::create_directories(Bin() + "/pics");
  Root.WriteText("prefix/bin/scr.ini", "[sys]\n");
  ::chmod((Bin() + "/scr.ini").c_str(), 0644);
  ::chmod(Bin().c_str(), 0755);
  // Exit codes: 1 the file beside, 2 the file at home, 3 anything else.
  const auto where = [&] {
    return test::InChild([&] {
      if (!test::DropRoot()) return 9;
      const std::string file = SettingsFileFor(Bin());
      if (file == Bin() + "/scr.ini") return 1;
      if (file == Home() + "/.config/vantora/scr.ini") return 2;
      return 3;
    });
  };
  if (::geteuid() == 0) {
    // A root-owned scr.ini that nobody may write, in a folder nobody may write.
    EXPECT_EQ(where(), 2);
    ::chmod((Bin() + "/scr.ini").c_str(), 0666);
    EXPECT_EQ(where(), 1) << "an existing writable file is used";
  } else {
    ::chmod((Bin() + "/scr.ini").c_str(), 0444);
    ::chmod(Bin().c_str(), 0555);
    EXPECT_EQ(where(), 2);
  }
  EXPECT_EQ(DefaultPictureFolderFor(Bin()), Bin() + "/pics");
}

}  // namespace
}  // namespace vantora
