#pragma once
// "Start when I log in": the desktop's autostart entry of the daemon,
// $XDG_CONFIG_HOME/autostart/vantora-daemon.desktop (~/.config/autostart
// when that variable is unset). Desktops that follow the freedesktop
// autostart rules (GNOME, KDE Plasma, Xfce, MATE, Cinnamon, LXQt) start
// what it names when the user logs in. Plain C++, no Qt.

#include <string>

namespace vantora {

// The entry's path; empty when no home folder is known.
std::string AutostartEntryPath();

// The entry's text for a daemon started as command (for example
// "vantora --daemon").
std::string AutostartEntryText(const std::string& command);

// The command line that starts this program's daemon: "vantora --daemon"
// when the program found as "vantora" on PATH is this one (an installed
// program), else the program file's own path, quoted for a desktop entry.
std::string DaemonCommand(const std::string& programFile);

// Writes the entry (replacing it atomically) or removes it. False with the
// reason in error when that failed; removing an absent entry succeeds.
bool SetAutostart(bool on, const std::string& command, std::string& error);

// True when the entry exists.
bool AutostartEnabled();

}  // namespace vantora
