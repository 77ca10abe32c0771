#pragma once
// The desktop's own blanking and locking: when it comes before the screen
// saver's wait time, the show would never be seen. The settings dialog and
// the daemon's --verbose output name the desktop setting to change.

#include <string>
#include <vector>

namespace vantora {

// One way the desktop blanks or locks the screen after some idle time.
struct TBlanking {
  std::string Setting;  // where the user changes it, as the warning names it
  int Seconds = 0;  // idle time before it acts; 0 = never
};

// This session's blanking: GNOME's idle delay (gsettings), KDE's screen
// energy saving and screen locking (its configuration files under
// configFolder, empty: $XDG_CONFIG_HOME or ~/.config), the X server's screen
// saver and DPMS timeouts.
std::vector<TBlanking> DesktopBlanking(const std::string& configFolder = {});

// The warning for the earliest blanking that comes before waitSeconds, or
// empty when none does.
std::string BlankingConflictText(const std::vector<TBlanking>& blanking, int waitSeconds);

// BlankingConflictText for this session.
std::string BlankingConflict(int waitSeconds);

// KDE's blanking as its files in configFolder give it (missing files and
// keys at KDE's defaults).
std::vector<TBlanking> KdeBlanking(const std::string& configFolder);

}  // namespace vantora
