#pragma once
// The command line: the run switch and the options, and the run mode they
// select.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vantora {

enum TRunMode {
  rmNone,  // no window: the program ends at once
  rmShow,  // the full-screen show
  rmConfiguration,  // the settings window and its dialogs
  rmHost,  // the show inside a window of the desktop's screen-saver host
  rmDaemon,  // the resident process that starts the show when the session is idle
  rmHelp,  // prints the usage to standard output
  rmVersion,  // prints the program's name and version to standard output
};

// A setting that one run of the show takes instead of the settings file's:
// section, key and the value as the file would hold it.
struct TSettingOverride {
  std::string Section;
  std::string Key;
  std::string Value;
  bool operator==(const TSettingOverride&) const = default;
};

// The first two characters of the first argument, upper-cased (fewer when
// the argument is shorter). Anything behind them, such as ":1234" or a
// window handle, and every further argument are ignored.
std::string RunSwitch(const std::string& firstArgument);

// What the command line asks for.
struct TRunRequest {
  TRunMode Mode = rmNone;
  // Host mode: the X window to draw in; 0 means the root window.
  std::uint32_t HostWindow = 0;
  // Host mode: the X display named by "-display NAME" (Qt's own option,
  // which some hosts pass); empty means $DISPLAY.
  std::string HostDisplay;
  // Why a host request or an option cannot be followed (rmNone then);
  // empty otherwise.
  std::string Problem;
  // The program's own options were misused (Problem says how): the program
  // ends with status 2 instead of doing nothing with success.
  bool BadOption = false;
  // Settings this run takes instead of the settings file's, in the order
  // given (a later one for the same key wins). Never written to the file.
  std::vector<TSettingOverride> Overrides;
  // Daemon: the wait in seconds that --wait gives, instead of the stored one.
  std::optional<int> WaitSeconds;
  // --verbose: one line per event on standard error.
  bool Verbose = false;
  // The show and host mode: the file that "--stats FILE" names, which logs
  // every frame put on screen; empty for none.
  std::string StatsFile;
};

// arguments: the command-line arguments after the program name.
// screensaverWindow: the value of XSCREENSAVER_WINDOW, or null when unset.
//
// No argument at all selects configuration; a first argument of "/S" or
// "/C" (after upper-casing) selects the show or configuration; behind "/S"
// the options that shape a show still count, and anything else behind a
// Windows-style switch (a bad value included) is ignored. Any other
// Windows-style first argument (the host's preview "/P" or password "/A"
// requests) selects nothing.
//
// Otherwise the options of OptionTable() count anywhere on the line, in
// their "--name VALUE", "--name=VALUE" or listed short form:
// "-root"/"--root" (the root window), "-window-id ID"/"--window-id ID"
// select host mode; "-display NAME"/"--display NAME" names the X server the
// window is on. XSCREENSAVER_WINDOW, when it names a window, takes
// precedence over the window on the line: the host sets it to the window it
// wants drawn on. An unknown option of the GNU form ("--name"), a missing or
// bad value, a stray word on a line that starts with such an option, or
// options that shape a show without a show to shape are a BadOption. The
// hosts' single-dash switches ("-fps", "-s") are ignored; a line of nothing
// else selects nothing.
TRunRequest RunRequestOf(const std::vector<std::string>& arguments, const char* screensaverWindow);

// An X window id in decimal or with a 0x/0X prefix in hexadecimal; nothing
// for 0, for numbers past 32 bits and for anything that is not a number.
std::optional<std::uint32_t> ParseWindowId(const std::string& text);

// Where an option counts.
enum TOptionScope {
  osAlone,  // on a line of its own kind: --help, --version, --daemon
  osHost,  // the screen-saver hosts' switches; ignored behind "/S"
  osRun,  // shapes a run of the show: also taken behind "/S"
};

// What the options of a line have said so far: the request, and what only
// the parser needs (the modes asked for, the host's window).
struct TParsedLine {
  TRunRequest Request;
  bool Help = false, Version = false, Daemon = false, Host = false;
  std::optional<std::uint32_t> Window;  // -window-id's, when it parsed
  std::string Display;  // -display's
  std::string HostProblem;  // why -window-id's value is unusable
};

// One command-line option: one row of the table that the parser, --help and
// the manual page follow.
struct TOption {
  const char* Name;  // the GNU form, "--folder"
  const char* ShortForm;  // another spelling ("-h", "-root"), or null
  const char* Value;  // the value's placeholder ("DIR"), or null for a flag
  TOptionScope Scope;
  const char* Help;  // the option's line in --help
  // Takes the option into the line. value is null when the option takes a
  // value and the line ends before it. A value that cannot be used makes
  // the request a BadOption with the reason in Problem.
  void (*Take)(TParsedLine& line, const std::string* value);
};

const std::vector<TOption>& OptionTable();

// The text of --help: usage, the Windows-style switches, every option of
// the table, the exit statuses.
std::string UsageText(const std::string& programName);
// The line behind a bad option's error.
std::string UsageHint(const std::string& programName);
// "NAME VERSION".
std::string VersionText(const std::string& programName);

}  // namespace vantora
