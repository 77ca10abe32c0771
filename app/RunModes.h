#pragma once
// The run switch of the command line and the run mode it selects.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantora {

enum TRunMode {
  rmNone,  // no window: the program ends at once
  rmShow,  // the full-screen show
  rmConfiguration,  // the settings window and its dialogs
  rmHost,  // the show inside a window of the desktop's screen-saver host
  rmDaemon,  // the resident process that starts the show when the session is idle
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
  // Daemon: the wait in seconds that --wait gives, instead of the stored one.
  std::optional<int> WaitSeconds;
  // --verbose: one line per event on standard error.
  bool Verbose = false;
  // The program's own options were misused (Problem says how): the program
  // ends with status 2 instead of doing nothing with success.
  bool BadOption = false;
  // The show and host mode: the file that "--stats FILE" names, which logs
  // every frame put on screen; empty for none.
  std::string StatsFile;
};

// arguments: the command-line arguments after the program name.
// screensaverWindow: the value of XSCREENSAVER_WINDOW, or null when unset.
//
// No argument at all selects configuration; a first argument of "/S" or
// "/C" (after upper-casing) selects the show or configuration. Otherwise
// the screen-saver hosts' switches anywhere on the line select host mode:
// "-root"/"--root" (the root window), "-window-id ID"/"--window-id ID" or
// "--window-id=ID"; "-display NAME"/"--display NAME" names the X server the
// window is on. XSCREENSAVER_WINDOW, when it names a window, takes
// precedence over both: the host sets it to the window it wants drawn on.
// A first argument that is one of the program's own "--" options (see
// kOptions in RunModes.cpp: --daemon, --wait SECONDS, --verbose) reads the
// whole line as such options; an unknown one or a bad value is a Problem.
// Anything else (the host's preview "/P" or password "/A" requests, "-s",
// "") selects nothing. "--stats FILE" (or "--stats=FILE"), anywhere on the
// line, names the show's frame log.
TRunRequest RunRequestOf(const std::vector<std::string>& arguments, const char* screensaverWindow);

// An X window id in decimal or with a 0x/0X prefix in hexadecimal; nothing
// for 0, for numbers past 32 bits and for anything that is not a number.
std::optional<std::uint32_t> ParseWindowId(const std::string& text);

}  // namespace vantora
