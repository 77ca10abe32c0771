#pragma once
// The resident daemon seen from outside: whether one runs for this session,
// starting one, ending it. The settings dialog uses these; the daemon itself
// takes its marker through DaemonMarkerName().
//
// The daemon holds a single-instance marker of its own (not the show's), so
// a show or the settings window can run beside it. The marker's lock file
// holds the daemon's process id.
// Plain POSIX, no Qt.

#include <string>

namespace vantora {

// The name of the daemon's single-instance marker.
inline constexpr const char* kDaemonMarker = "Daemon";

// True when a daemon holds the marker of this session.
bool DaemonRunning();

// Starts "program --daemon" detached from the caller: in a new session
// whose leader has gone (so it never gets a controlling terminal), with
// standard input, output and error on /dev/null, and not a child of the
// caller (no zombie is left). program empty: this program. True when the
// program was started; it may still end at once (one runs already, or no
// idle source is offered), which DaemonRunning tells a moment later.
bool StartDaemon(const std::string& program = {});

// Asks the running daemon to end (SIGTERM to the process id in its marker),
// only when the marker is really held by another process. True when the
// signal was sent; the daemon ends its show and itself within a second.
bool StopDaemon();

}  // namespace vantora
