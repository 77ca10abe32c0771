#pragma once
// Idle sources over a Wayland connection of their own (independent of the
// platform Qt uses, so the daemon needs no windowing at all): the
// compositor's ext-idle-notify-v1 global or the older org_kde_kwin_idle, on
// the first seat. Both honour the compositor's idle inhibitors (a video
// player in front, a presentation), so no extra check is needed for those.

#include <memory>
#include <string>

#include "platform/IdleSource.h"

namespace vantora {

enum TWaylandIdleProtocol { wpExtIdleNotify, wpKdeIdle };

// Connects to $WAYLAND_DISPLAY and binds the protocol's global and a seat;
// null, with the reason in why, when there is no Wayland session or the
// compositor does not offer them.
std::unique_ptr<TIdleSource> OpenWaylandIdleSource(TWaylandIdleProtocol protocol,
                                                   std::string& why);

}  // namespace vantora
