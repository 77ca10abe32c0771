#pragma once
// The windows of each run mode: each function initialises the application,
// creates the mode's windows in their fixed order, shows the main window and
// runs the event loop until the main window closes.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "screens/FrameStats.h"

namespace vantora {

// statsFile: the frame log of --stats (empty: none).
void RunShowMode(int& argc, char** argv, const std::string& statsFile = {});
void RunConfigurationMode(int& argc, char** argv);
// The show inside the screen-saver host's window (0: the root window) on
// the X display named display (empty: $DISPLAY), until the process is
// asked to end or the window is destroyed. Returns the process's exit
// status: 1 when there is no X server or no such window.
int RunHostMode(int& argc, char** argv, std::uint32_t window, const std::string& display,
                const std::string& statsFile = {});
// The resident daemon (no window): starts the show when the session has been
// idle for waitSeconds (unset: the stored wait) until SIGTERM or SIGINT.
// verbose writes a line per event to standard error. Returns the exit
// status: 0, or 1 when no idle source works or no marker can be taken.
int RunDaemonMode(int& argc, char** argv, std::optional<int> waitSeconds, bool verbose);

// The frame log of --stats, or null when none is asked for or the file
// cannot be written (which is said on stderr; the show runs anyway).
std::unique_ptr<TFrameStats> OpenFrameStats(const std::string& statsFile);

}  // namespace vantora
