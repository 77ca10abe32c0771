#pragma once
// Screen-saver hosts start their savers with a stripped environment: MATE's
// keeps little more than HOME, DISPLAY and XAUTHORITY. Without
// XDG_RUNTIME_DIR the sound server's socket, the session bus and the
// single-instance marker's folder are not found, so music would not play
// and the marker would move to another folder than the settings windows
// use. This puts back what the session's well-known places tell.
// Plain POSIX, no Qt.

#include <string>

namespace vantora {

// When XDG_RUNTIME_DIR is missing, sets it to runtimeBase/UID if that is the
// user's private folder; when DBUS_SESSION_BUS_ADDRESS is missing and the
// runtime folder holds the session bus's socket "bus", points it there.
// Variables that are set are never changed. runtimeBase stands in for
// /run/user in tests.
void CompleteSessionEnvironment(const std::string& runtimeBase = "/run/user");

}  // namespace vantora
