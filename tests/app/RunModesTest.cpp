#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/RunModes.h"
#include "tests/support/TempFolder.h"

using namespace vantora;

namespace {

// A command line as a test failure shows it: [arg][arg]...
std::string Shown(const std::vector<std::string>& arguments) {
  std::string shown;
  for (const auto& a : arguments) shown += "[" + a + "]";
  return shown;
}

}  // namespace

TEST(RunModes, SwitchTable) {
  struct Case {
    std::vector<std::string> Arguments;
    TRunMode Mode;
  };
  const Case cases[] = {
      {{}, rmConfiguration},
      {{"/s"}, rmShow},
      {{"/S"}, rmShow},
      {{"/S1234"}, rmShow},
      {{"/Sabc"}, rmShow},
      {{"/S", "1234"}, rmShow},
      {{"/s:5678", "/c"}, rmShow},  // only the first argument counts
      {{"/c"}, rmConfiguration},
      {{"/C"}, rmConfiguration},
      {{"/c:1234"}, rmConfiguration},
      {{"/p", "1234"}, rmNone},
      {{"/p 1234"}, rmNone},
      {{"/P"}, rmNone},
      {{"/A"}, rmNone},
      {{"/a", "1234"}, rmNone},
      {{"-s"}, rmNone},
      {{"s"}, rmNone},
      {{"S"}, rmNone},
      {{"c"}, rmNone},
      {{""}, rmNone},
      {{"", "/S"}, rmNone},
      {{"/"}, rmNone},
      {{" /S"}, rmNone},
      {{"\\S"}, rmNone},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RunRequestOf(c.Arguments, nullptr).Mode, c.Mode) << Shown(c.Arguments);
  }
}

TEST(RunModes, SwitchIsTheFirstTwoCharactersUpperCased) {
  const std::pair<std::string, std::string> cases[] = {
      {"/s", "/S"}, {"/Sabc", "/S"}, {"/c:1234", "/C"}, {"/", "/"},
      {"", ""},     {"ab", "AB"},    {"-s", "-S"},      {"/\xC3\xA9", "/\xC3"},
  };
  for (const auto& [argument, expected] : cases)
    EXPECT_EQ(RunSwitch(argument), expected) << argument;
}

TEST(RunModes, HostSwitchesSelectHostModeWithTheirWindow) {
  struct Case {
    std::vector<std::string> Arguments;
    const char* Environment;  // XSCREENSAVER_WINDOW, null when unset
    TRunMode Mode;
    std::uint32_t Window;
    bool Problem = false;  // the request says why it cannot be followed
  };
  const Case cases[] = {
      {{"-root"}, nullptr, rmHost, 0},
      {{"--root"}, nullptr, rmHost, 0},
      {{"--root"}, "0x1c00007", rmHost, 0x1c00007},
      {{"-window-id", "4194311"}, nullptr, rmHost, 4194311},
      {{"--window-id", "0x400007"}, nullptr, rmHost, 0x400007},
      {{"--window-id=0X40000A"}, nullptr, rmHost, 0x40000A},
      // The hosts put other switches around theirs.
      {{"-fps", "--root", "-install"}, nullptr, rmHost, 0},
      {{"-root", "-window-id", "77"}, nullptr, rmHost, 77},
      // The environment wins over the command line, even over a bad id.
      {{"-window-id", "77"}, "88", rmHost, 88},
      {{"-window-id", "junk"}, "0x58", rmHost, 0x58},
      // An unusable environment leaves the command line in charge.
      {{"--root"}, "", rmHost, 0},
      {{"--root"}, "none", rmHost, 0},
      {{"-window-id", "77"}, "0", rmHost, 77},
      // No host switch: the environment alone selects nothing.
      {{}, "0x58", rmConfiguration, 0},
      {{"/s"}, "0x58", rmShow, 0},
      {{"/c", "--root"}, nullptr, rmConfiguration, 0},
      {{"/S", "-window-id", "77"}, nullptr, rmShow, 0},
      {{"-p"}, "0x58", rmNone, 0},
      {{"root"}, nullptr, rmNone, 0},
      {{"---root"}, nullptr, rmNone, 0, true},  // an unknown option of the GNU form
      {{"-window-id=77"}, nullptr, rmNone, 0},
      // A host switch without a usable window: nothing, with the reason.
      {{"-window-id"}, nullptr, rmNone, 0, true},
      {{"-window-id", "0"}, nullptr, rmNone, 0, true},
      {{"-window-id", "-5"}, nullptr, rmNone, 0, true},
      {{"--window-id="}, nullptr, rmNone, 0, true},
  };
  for (const Case& c : cases) {
    std::string shown = Shown(c.Arguments);
    shown += c.Environment ? std::string(" env ") + c.Environment : " no env";
    const TRunRequest request = RunRequestOf(c.Arguments, c.Environment);
    EXPECT_EQ(request.Mode, c.Mode) << shown;
    EXPECT_EQ(request.HostWindow, c.Window) << shown;
    EXPECT_EQ(!request.Problem.empty(), c.Problem) << shown << ": " << request.Problem;
  }
}

TEST(RunModes, QtsDisplayOptionNamesTheHostsXServer) {
  struct Case {
    std::vector<std::string> Arguments;
    const char* Environment;
    TRunMode Mode;
    std::uint32_t Window;
    std::string Display;
  };
  const Case cases[] = {
      {{"-display", ":7", "--root"}, nullptr, rmHost, 0, ":7"},
      {{"--root", "--display", "host:3.0", "-window-id", "9"}, nullptr, rmHost, 9, "host:3.0"},
      {{"-display", ":7", "-root"}, "0x58", rmHost, 0x58, ":7"},
      {{"--root"}, nullptr, rmHost, 0, ""},
      // The option alone asks for no host mode, and its value is no switch.
      {{"-display", ":7"}, nullptr, rmNone, 0, ""},
      {{"-display", "--root"}, nullptr, rmNone, 0, ""},
  };
  for (const Case& c : cases) {
    const std::string shown = Shown(c.Arguments);
    const TRunRequest request = RunRequestOf(c.Arguments, c.Environment);
    EXPECT_EQ(request.Mode, c.Mode) << shown;
    EXPECT_EQ(request.HostWindow, c.Window) << shown;
    EXPECT_EQ(request.HostDisplay, c.Display) << shown;
  }
}

TEST(RunModes, WindowIdsAreDecimalOrHexadecimalAndFitIn32Bits) {
  const std::pair<std::string, std::optional<std::uint32_t>> cases[] = {
      {"1", 1},
      {"4294967295", 0xFFFFFFFFu},
      {"0xFFFFFFFF", 0xFFFFFFFFu},
      {"0x1c00007", 0x1c00007},
      {"012", 12},  // decimal, not octal
      {"4294967296", std::nullopt},
      {"0x100000000", std::nullopt},
      {"99999999999999999999999", std::nullopt},
      {"0", std::nullopt},
      {"0x0", std::nullopt},
      {"0x", std::nullopt},
      {"", std::nullopt},
      {"+5", std::nullopt},
      {" 5", std::nullopt},
      {"5 ", std::nullopt},
      {"1e3", std::nullopt},
      {"0x1g", std::nullopt},
      {"ff", std::nullopt},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ParseWindowId(text), expected) << text;
}

TEST(RunModes, DaemonOptions) {
  struct Case {
    std::vector<std::string> Arguments;
    TRunMode Mode;
    std::optional<int> Wait;
    bool Verbose;
    bool Problem;
  };
  const Case cases[] = {
      {{"--daemon"}, rmDaemon, std::nullopt, false, false},
      {{"--daemon", "--wait", "3", "--verbose"}, rmDaemon, 3, true, false},
      {{"--verbose", "--daemon", "--wait=86400"}, rmDaemon, 86400, true, false},
      {{"--wait", "7", "--daemon"}, rmDaemon, 7, false, false},
      // Values that are no whole number of seconds in range.
      {{"--daemon", "--wait", "0"}, rmNone, std::nullopt, false, true},
      {{"--daemon", "--wait", "-3"}, rmNone, std::nullopt, false, true},
      {{"--daemon", "--wait", "3s"}, rmNone, std::nullopt, false, true},
      {{"--daemon", "--wait", "0x10"}, rmNone, std::nullopt, false, true},
      {{"--daemon", "--wait", "86401"}, rmNone, std::nullopt, false, true},
      {{"--daemon", "--wait", "99999999999"}, rmNone, std::nullopt, false, true},
      {{"--daemon", "--wait="}, rmNone, std::nullopt, false, true},
      {{"--daemon", "--wait"}, rmNone, std::nullopt, false, true},
      {{"--daemon=yes"}, rmNone, std::nullopt, false, true},
      {{"--daemon", "--frobnicate"}, rmNone, std::nullopt, false, true},
      {{"--daemon", "/S"}, rmNone, std::nullopt, false, true},
      // Tuning options alone start nothing.
      {{"--verbose"}, rmNone, std::nullopt, false, true},
      {{"--wait", "3"}, rmNone, std::nullopt, false, true},
      // The classic switches keep their meaning; an option behind them is ignored.
      {{"/S", "--daemon"}, rmShow, std::nullopt, false, false},
      {{"-daemon"}, rmNone, std::nullopt, false, false},
  };
  for (const Case& c : cases) {
    const TRunRequest request = RunRequestOf(c.Arguments, nullptr);
    EXPECT_EQ(request.Mode, c.Mode) << Shown(c.Arguments);
    EXPECT_EQ(request.WaitSeconds, c.Wait) << Shown(c.Arguments);
    EXPECT_EQ(request.Verbose, c.Verbose) << Shown(c.Arguments);
    EXPECT_EQ(!request.Problem.empty(), c.Problem) << Shown(c.Arguments) << request.Problem;
    EXPECT_EQ(request.BadOption, c.Problem) << Shown(c.Arguments);
  }
}

TEST(RunModes, StatsNamesTheFrameLogOfTheShowAndOfHostMode) {
  struct Case {
    std::vector<std::string> Arguments;
    TRunMode Mode;
    std::string Stats;
  };
  const Case cases[] = {
      {{"/S", "--stats", "/tmp/frames.txt"}, rmShow, "/tmp/frames.txt"},
      {{"/s", "--stats=f"}, rmShow, "f"},
      {{"--stats", "f", "--root"}, rmHost, "f"},
      {{"--root", "--stats=f"}, rmHost, "f"},
      {{"/S", "--stats"}, rmShow, ""},  // no file named: no log
      {{"/S"}, rmShow, ""},
      {{"/C", "--stats", "f"}, rmConfiguration, ""},  // only a show logs frames
      {{"--stats", "f"}, rmNone, ""},
  };
  for (const Case& c : cases) {
    const TRunRequest request = RunRequestOf(c.Arguments, nullptr);
    EXPECT_EQ(request.Mode, c.Mode) << Shown(c.Arguments);
    EXPECT_EQ(request.StatsFile, c.Stats) << Shown(c.Arguments);
  }
}

TEST(RunModes, OptionsAskForHelpVersionOrAShapedRun) {
  using O = TSettingOverride;
  struct Case {
    std::vector<std::string> Arguments;
    TRunMode Mode;
    std::vector<TSettingOverride> Overrides;
    bool Bad = false;  // a misused option: status 2
  };
  const Case cases[] = {
      {{"--help"}, rmHelp, {}},
      {{"-h"}, rmHelp, {}},
      {{"--root", "--help"}, rmHelp, {}},
      {{"--bogus", "--help"}, rmHelp, {}},  // help wins over a mistake beside it
      {{"--version"}, rmVersion, {}},
      {{"--version", "--root"}, rmVersion, {}},
      // The show's options, behind a host switch or /S.
      {{"--root", "--delay", "10"}, rmHost, {O{"sys", "3", "10000"}}},
      {{"--delay=7", "-root"}, rmHost, {O{"sys", "3", "7000"}}},
      {{"--root", "--fit", "own"}, rmHost, {O{"sys", "4", "0"}}},
      {{"--root", "--fit=fit"}, rmHost, {O{"sys", "4", "1"}}},
      {{"/S", "--fit", "stretch"}, rmShow, {O{"sys", "4", "2"}}},
      {{"/s", "--random"}, rmShow, {O{"sys", "1", "0"}}},
      {{"--root", "--random", "--in-order"}, rmHost, {O{"sys", "1", "0"}, O{"sys", "1", "1"}}},
      // Behind /S anything else is ignored, as ever; /C takes no options.
      {{"/S", "--bogus", "--help", "-window-id", "77"}, rmShow, {}},
      {{"/C", "--fit", "own"}, rmConfiguration, {}},
      {{"/P", "--bogus"}, rmNone, {}},
      // The daemon and its companions.
      {{"--daemon"}, rmDaemon, {}},
      {{"--daemon", "--wait", "3", "--verbose"}, rmDaemon, {}},
      // Mistakes of the GNU form.
      {{"--bogus"}, rmNone, {}, true},
      {{"--root", "--bogus=1"}, rmNone, {}, true},
      {{"--root", "--fit", "wide"}, rmNone, {}, true},
      {{"--root", "--fit"}, rmNone, {}, true},
      {{"--root", "--delay"}, rmNone, {}, true},
      {{"--root", "--delay", "0"}, rmNone, {}, true},
      {{"--root", "--delay", "-5"}, rmNone, {}, true},
      {{"--root", "--delay", "1.5"}, rmNone, {}, true},
      {{"--root", "--delay", "86401"}, rmNone, {}, true},
      {{"--root", "--random=yes"}, rmNone, {}, true},
      {{"--help=me"}, rmNone, {}, true},
      {{"--wait", "0", "--daemon"}, rmNone, {}, true},
      {{"/S", "--delay", "0", "--fit", "own"}, rmShow, {O{"sys", "4", "0"}}},  // a bad value is left out
      {{"--daemon", "--fit", "own"}, rmNone, {}, true},  // the daemon's shows read the file
      {{"--root", "stray"}, rmNone, {}, true},
      // Options that shape a show, with nothing to run.
      {{"--fit", "own"}, rmNone, {}, true},
      {{"--verbose"}, rmNone, {}, true},
      // Single-dash switches of the hosts stay harmless.
      {{"-fps", "-install"}, rmNone, {}},
  };
  for (const Case& c : cases) {
    const TRunRequest request = RunRequestOf(c.Arguments, nullptr);
    EXPECT_EQ(request.Mode, c.Mode) << Shown(c.Arguments) << ": " << request.Problem;
    EXPECT_EQ(request.BadOption, c.Bad) << Shown(c.Arguments);
    EXPECT_EQ(!request.Problem.empty(), c.Bad) << Shown(c.Arguments);
    EXPECT_EQ(request.Overrides, c.Overrides) << Shown(c.Arguments);
  }
  const TRunRequest daemon = RunRequestOf({"--daemon", "--wait=3", "--verbose"}, nullptr);
  EXPECT_EQ(daemon.WaitSeconds, 3);
  EXPECT_TRUE(daemon.Verbose);
  EXPECT_EQ(RunRequestOf({"/S", "--stats", "frames.txt"}, nullptr).StatsFile, "frames.txt");
}

TEST(RunModes, TheFolderOptionNamesAnExistingFolderByItsFullPath) {
  vantora::test::TempFolder home("vantora-home");
  namespace fs = std::filesystem;
  fs::create_directories(home.Path() + "/Pictures/Summer");
  const std::string saved = std::getenv("HOME") ? std::getenv("HOME") : "";
  ::setenv("HOME", home.Path().c_str(), 1);
  const fs::path cwd = fs::current_path();
  fs::current_path(home.Path() + "/Pictures");
  const std::string summer = fs::canonical(home.Path() + "/Pictures/Summer").string();
  const std::pair<std::string, std::string> cases[] = {
      {"~/Pictures/Summer", summer},
      {"~/Pictures/Summer/", summer},
      {"Summer", summer},
      {"./Summer/../Summer", summer},
      {summer, summer},
  };
  for (const auto& [given, expected] : cases) {
    const TRunRequest request = RunRequestOf({"--root", "--folder", given}, nullptr);
    ASSERT_EQ(request.Mode, rmHost) << given << ": " << request.Problem;
    ASSERT_EQ(request.Overrides.size(), 1u) << given;
    EXPECT_EQ(request.Overrides[0], (TSettingOverride{"sys", "dir", expected})) << given;
  }
  for (const char* missing : {"Winter", "~/Winter", ""}) {
    const TRunRequest request = RunRequestOf({"--root", "--folder", missing}, nullptr);
    EXPECT_TRUE(request.BadOption) << missing;
  }
  fs::current_path(cwd);
  if (saved.empty())
    ::unsetenv("HOME");
  else
    ::setenv("HOME", saved.c_str(), 1);
}

// --help and the manual page follow the option table: an option added to
// the table without a word in either is caught here.
TEST(RunModes, HelpAndManualPageNameEveryOption) {
  std::ifstream page(VANTORA_SOURCE_DIR "/packaging/vantora.6.in");
  ASSERT_TRUE(page.good());
  std::stringstream text;
  text << page.rdbuf();
  std::string manual = text.str();
  const std::string help = UsageText("vantora");
  for (const TOption& o : OptionTable()) {
    EXPECT_NE(help.find(o.Name), std::string::npos) << o.Name;
    if (o.ShortForm) {
      EXPECT_NE(help.find(o.ShortForm), std::string::npos) << o.ShortForm;
    }
    // groff writes a minus as "\-".
    std::string escaped;
    for (char c : std::string(o.Name)) escaped += c == '-' ? std::string("\\-") : std::string(1, c);
    EXPECT_NE(manual.find(escaped), std::string::npos) << o.Name << " is not in vantora.6";
  }
  for (const char* windowsSwitch : {"/S", "/C", "/P"}) {
    EXPECT_NE(help.find(windowsSwitch), std::string::npos) << windowsSwitch;
    EXPECT_NE(manual.find(windowsSwitch), std::string::npos) << windowsSwitch;
  }
  EXPECT_EQ(VersionText("vantora"), "vantora " VANTORA_VERSION "\n");
}
