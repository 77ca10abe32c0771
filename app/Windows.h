#pragma once
// The windows of each run mode: each function initialises the application,
// creates the mode's windows in their fixed order, shows the main window and
// runs the event loop until the main window closes.

#include <cstdint>
#include <optional>
#include <string>

namespace vantora {

void RunShowMode(int& argc, char** argv);
void RunConfigurationMode(int& argc, char** argv);
// The show inside the screen-saver host's window (0: the root window) on
// the X display named display (empty: $DISPLAY), until the process is
// asked to end or the window is destroyed. Returns the process's exit
// status: 1 when there is no X server or no such window.
int RunHostMode(int& argc, char** argv, std::uint32_t window, const std::string& display);
// The resident daemon (no window): starts the show when the session has been
// idle for waitSeconds (unset: the stored wait) until SIGTERM or SIGINT.
// verbose writes a line per event to standard error. Returns the exit
// status: 0, or 1 when no idle source works or no marker can be taken.
int RunDaemonMode(int& argc, char** argv, std::optional<int> waitSeconds, bool verbose);

}  // namespace vantora
