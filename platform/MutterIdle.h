#pragma once
// GNOME's idle monitor on the session bus (Wayland and X11 sessions of
// GNOME): an idle watch for the wait time and, once it fired, a watch for
// the user's return.

#include <memory>
#include <string>

#include "platform/IdleSource.h"

namespace vantora {

// Null, with the reason in why, when there is no session bus or no one
// owns org.gnome.Mutter.IdleMonitor on it.
std::unique_ptr<TIdleSource> OpenMutterIdleSource(std::string& why);

}  // namespace vantora
