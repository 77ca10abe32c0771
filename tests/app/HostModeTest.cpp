// Host mode end to end: a private X server, a window made the way a
// screen-saver host makes it, the program started on it as the host starts
// it, and the pictures read back from the window's pixels.

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "raster/Bitmap.h"
#include "raster/Picture.h"
#include "tests/app/ChildProcess.h"
#include "tests/app/XServer.h"

using namespace vantora;
using namespace vantora::test;
namespace fs = std::filesystem;

namespace {

constexpr TPixel kRed = Rgb(220, 30, 30);
constexpr TPixel kBlue = Rgb(30, 30, 220);
constexpr TPixel kBlack = Rgb(0, 0, 0);

void WriteFile(const fs::path& path, const std::string& text) { std::ofstream(path) << text; }

void WritePicture(const fs::path& path, int width, int height, TPixel colour) {
  Bitmap bitmap(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) bitmap.SetPixel(x, y, colour);
  const auto bytes = EncodeJpeg(bitmap, 95, false);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A copy of the program in a folder of its own, with two 2:1 pictures (red,
// then blue) in "pics" and a "scr.ini" beside it: list order, one-frame
// transitions, 1.5 s a picture.
class ProgramFolder {
 public:
  ProgramFolder() {
    const fs::path pics = fs::path(FFolder.Path()) / "pics";
    fs::create_directory(pics);
    WritePicture(pics / "a-red.jpg", 64, 32, kRed);
    WritePicture(pics / "b-blue.jpg", 64, 32, kBlue);
    fs::copy_file(VANTORA_PROGRAM, Program());
    fs::permissions(Program(), fs::perms::owner_all);
    SetFitting(1);
  }
  std::string Program() const { return FFolder.Path() + "/vantora"; }
  const std::string& Session() const { return FSession.Path(); }
  void SetFitting(int fitting) {
    WriteFile(fs::path(FFolder.Path()) / "scr.ini",
              "[sys]\n1=1\n2=1\n3=1500\n4=" + std::to_string(fitting) + "\n5=0\n6=100\n7=0\n");
  }

 private:
  TempFolder FFolder{"vantora-host"};
  TempFolder FSession{"vantora-session"};
};

class HostMode : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    FServer = std::make_unique<Xvfb>();
    FFolder = std::make_unique<ProgramFolder>();
  }
  static void TearDownTestSuite() {
    FFolder.reset();
    FServer.reset();
  }

  void SetUp() override {
    if (FServer->Display().empty())
      GTEST_SKIP() << "no X server for host mode: " << FServer->Error();
    FClient = std::make_unique<XClient>(FServer->Display());
    ASSERT_TRUE(FClient->Connected());
  }

  // The program as a host starts it; window: XSCREENSAVER_WINDOW (0: unset);
  // display: DISPLAY (empty: the test's X server).
  std::unique_ptr<ChildProcess> Start(std::uint32_t window,
                                      std::vector<std::string> arguments = {"--root"},
                                      const std::string& display = {}) {
    char id[16] = "";
    if (window != 0) std::snprintf(id, sizeof id, "0x%X", unsigned(window));
    return std::make_unique<ChildProcess>(
        FFolder->Program(), arguments,
        TEnvironment{{"DISPLAY", display.empty() ? FServer->Display() : display},
                     {"XSCREENSAVER_WINDOW", id},
                     {"XDG_RUNTIME_DIR", FFolder->Session()},
                     {"QT_QPA_PLATFORM", "offscreen"}});  // host mode must choose X itself
  }

  // Waits until the window shows colour at every point of at, and black at
  // every point of dark (nothing else is ever on screen at those points).
  bool Shows(ChildProcess& program, std::uint32_t window, TPixel colour,
             const std::vector<std::pair<int, int>>& at,
             const std::vector<std::pair<int, int>>& dark = {}) {
    return WaitForPixels(*FClient, program, window, [&](const XGrab& grab) {
      for (auto [x, y] : at)
        if (!Near(grab.At(x, y), colour)) return false;
      for (auto [x, y] : dark)
        if (!Near(grab.At(x, y), kBlack)) return false;
      return true;
    });
  }

  static std::unique_ptr<Xvfb> FServer;
  static std::unique_ptr<ProgramFolder> FFolder;
  std::unique_ptr<XClient> FClient;
};

std::unique_ptr<Xvfb> HostMode::FServer;
std::unique_ptr<ProgramFolder> HostMode::FFolder;

TEST_F(HostMode, ShowsThePicturesFollowsResizesAndEndsSoonAfterSigterm) {
  const std::uint32_t window = FClient->CreateWindow(10, 10, 320, 240);
  auto program = Start(window);
  // Fitted: the 2:1 pictures fill the width, 160 rows in the middle.
  const std::vector<std::pair<int, int>> inside{{5, 45}, {160, 120}, {314, 195}};
  const std::vector<std::pair<int, int>> bars{{160, 30}, {160, 210}};
  EXPECT_TRUE(Shows(*program, window, kRed, inside, bars));
  EXPECT_TRUE(Shows(*program, window, kBlue, inside, bars));
  // A 2:1 window: the picture fills all of it.
  FClient->Resize(window, 480, 240);
  EXPECT_TRUE(Shows(*program, window, kRed, {{3, 3}, {476, 236}, {240, 120}}));

  const auto asked = ChildProcess::Clock::now();
  program->Signal(SIGTERM);
  // The host expects its saver to die of the signal, not to exit.
  EXPECT_EQ(program->ExitStatus(std::chrono::seconds(5)), 128 + SIGTERM);
  const auto took = ChildProcess::Clock::now() - asked;
  EXPECT_LE(took, std::chrono::milliseconds(500))
      << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms";
  FClient->Destroy(window);
}

TEST_F(HostMode, FitsThePicturesIntoASmallWindowAsTheSettingsSay) {
  struct Case {
    int Fitting;
    std::vector<std::pair<int, int>> Inside, Outside;
  };
  const Case cases[] = {
      // Own size: 64 x 32 in the middle of 320 x 240.
      {0, {{130, 106}, {189, 133}}, {{126, 120}, {193, 120}, {160, 100}, {160, 140}}},
      // Fitted: 320 x 160, bars above and below.
      {1, {{3, 43}, {316, 196}}, {{160, 30}, {160, 210}}},
      // Stretched: the whole window.
      {2, {{2, 2}, {317, 237}, {160, 120}}, {}},
  };
  for (const Case& c : cases) {
    FFolder->SetFitting(c.Fitting);
    const std::uint32_t window = FClient->CreateWindow(0, 0, 320, 240);
    auto program = Start(window);
    EXPECT_TRUE(Shows(*program, window, kRed, c.Inside, c.Outside)) << "fitting " << c.Fitting;
    program->Signal(SIGINT);
    EXPECT_EQ(program->ExitStatus(), 128 + SIGINT) << "fitting " << c.Fitting;
    FClient->Destroy(window);
  }
  FFolder->SetFitting(1);
}

TEST_F(HostMode, EndsWhenItsWindowIsDestroyed) {
  const std::uint32_t window = FClient->CreateWindow(0, 0, 200, 100);
  auto program = Start(window);
  ASSERT_TRUE(Shows(*program, window, kRed, {{100, 50}}));
  FClient->Destroy(window);
  EXPECT_EQ(program->ExitStatus(std::chrono::seconds(5)), 0);
}

TEST_F(HostMode, RunsOneCopyPerWindowWithoutAWindowOfItsOwn) {
  const std::uint32_t left = FClient->CreateWindow(0, 0, 300, 150);
  const std::uint32_t right = FClient->CreateWindow(400, 0, 300, 150);
  // The host's own conventions: the environment, or the command line alone.
  auto first = Start(left);
  char id[16];
  std::snprintf(id, sizeof id, "%u", unsigned(right));
  auto second = Start(0, {"-window-id", id});
  EXPECT_TRUE(Shows(*first, left, kRed, {{150, 75}}));
  EXPECT_TRUE(Shows(*second, right, kRed, {{150, 75}}));
  EXPECT_TRUE(first->Running());

  // Each copy draws in a child of its window; no other window of the root
  // is mapped (Qt's own helper windows stay unmapped).
  EXPECT_EQ(FClient->Children(left).size(), 1u);
  EXPECT_EQ(FClient->Children(right).size(), 1u);
  int mapped = 0;
  for (std::uint32_t w : FClient->Children(FClient->Root())) mapped += FClient->IsMapped(w);
  EXPECT_EQ(mapped, 2);

  first->Signal(SIGTERM);
  second->Signal(SIGTERM);
  EXPECT_EQ(first->ExitStatus(), 128 + SIGTERM);
  EXPECT_EQ(second->ExitStatus(), 128 + SIGTERM);
  FClient->Destroy(left);
  FClient->Destroy(right);
}

TEST_F(HostMode, TheHostsEnvironmentWinsOverTheCommandLine) {
  const std::uint32_t window = FClient->CreateWindow(0, 0, 200, 100);
  auto program = Start(window, {"-window-id", "12345"});
  EXPECT_TRUE(Shows(*program, window, kRed, {{100, 50}}));
  FClient->Destroy(window);
  EXPECT_EQ(program->ExitStatus(), 0);
}

TEST_F(HostMode, ADisplayOptionWinsOverTheEnvironment) {
  const std::uint32_t window = FClient->CreateWindow(0, 0, 200, 100);
  char id[16];
  std::snprintf(id, sizeof id, "%u", unsigned(window));
  // DISPLAY names no X server: the window is found on the one -display names.
  auto program = Start(0, {"-display", FServer->Display(), "-window-id", id}, ":4711");
  EXPECT_TRUE(Shows(*program, window, kRed, {{100, 50}}));
  program->Signal(SIGTERM);
  EXPECT_EQ(program->ExitStatus(), 128 + SIGTERM);
  FClient->Destroy(window);
}

TEST_F(HostMode, AWindowThatDoesNotExistEndsItAtOnce) {
  auto program = Start(0, {"--window-id", "0x7FFFFF0"});
  EXPECT_EQ(program->ExitStatus(std::chrono::seconds(10)), 1);
}

}  // namespace
