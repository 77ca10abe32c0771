// The idle sources a session may offer, in the order they are tried: the
// Wayland protocols first (they know the compositor's inhibitors), then
// GNOME's monitor (GNOME on Wayland offers neither protocol), then the X
// server's idle time, which every X11 session has.

#include "platform/IdleSource.h"
#include "platform/MutterIdle.h"
#include "platform/WaylandIdle.h"
#include "platform/X11Idle.h"

namespace vantora {

std::vector<TIdleSourceCandidate> SessionIdleSources() {
  return {
      {"ext-idle-notify-v1",
       [](std::string& why) { return OpenWaylandIdleSource(wpExtIdleNotify, why); }},
      {"org_kde_kwin_idle", [](std::string& why) { return OpenWaylandIdleSource(wpKdeIdle, why); }},
      {"org.gnome.Mutter.IdleMonitor", OpenMutterIdleSource},
      {"MIT-SCREEN-SAVER", OpenX11IdleSource},
  };
}

}  // namespace vantora
