#pragma once
// The X server's idle time (MIT-SCREEN-SAVER extension), for any X11
// session. The server reports how long ago the last input came; the source
// asks when the wait could be over at the earliest, so while the user works
// it wakes about once per wait time. Applications that keep the screen on
// (video players, presentations) reset the server's screen saver, which
// restarts this idle time as well.

#include <memory>
#include <string>

#include "platform/IdleSource.h"

namespace vantora {

// Null, with the reason in why, when there is no X display or the server
// lacks the extension.
std::unique_ptr<TIdleSource> OpenX11IdleSource(std::string& why);

}  // namespace vantora
