#include "platform/X11Idle.h"

#include <xcb/screensaver.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

#include <QTimer>

namespace vantora {

namespace {

// While idle, input is looked for this often at first, so the show ends
// soon after the user is back, and then more slowly, so a session left
// idle without a show (locked, or a video player holds it) costs little.
constexpr int kPollMs = 250;
constexpr int kSlowPollMs = 1000;
constexpr int kFastPollTimeMs = 60'000;

class TX11IdleSource : public TIdleSource {
 public:
  ~TX11IdleSource() override {
    if (FConnection != nullptr) xcb_disconnect(FConnection);
  }
  bool Open(std::string& why);
  std::string Name() const override { return "MIT-SCREEN-SAVER"; }
  void Watch(int timeoutMs) override;

 private:
  std::optional<int> IdleMs();
  void Check();

  xcb_connection_t* FConnection = nullptr;
  xcb_window_t FRoot = 0;
  QTimer FTimer;
  int FTimeoutMs = -1;
  bool FIdle = false;
  int FLastIdleMs = 0;
};

bool TX11IdleSource::Open(std::string& why) {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || display[0] == '\0') {
    why = "no X11 session (DISPLAY is not set)";
    return false;
  }
  int screenNumber = 0;
  FConnection = xcb_connect(nullptr, &screenNumber);
  if (xcb_connection_has_error(FConnection)) {
    why = std::string("cannot connect to the X server ") + display;
    return false;
  }
  const xcb_query_extension_reply_t* extension = xcb_get_extension_data(FConnection, &xcb_screensaver_id);
  if (extension == nullptr || !extension->present) {
    why = "the X server lacks the MIT-SCREEN-SAVER extension";
    return false;
  }
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(FConnection));
  for (int i = 0; i < screenNumber && screens.rem > 0; ++i) xcb_screen_next(&screens);
  if (screens.rem == 0) {
    why = "no such X screen";
    return false;
  }
  FRoot = screens.data->root;
  if (!IdleMs()) {
    why = "the X server does not report the idle time";
    return false;
  }
  FTimer.setSingleShot(true);
  FTimer.setTimerType(Qt::CoarseTimer);
  QObject::connect(&FTimer, &QTimer::timeout, [this] { Check(); });
  return true;
}

std::optional<int> TX11IdleSource::IdleMs() {
  xcb_screensaver_query_info_reply_t* info = xcb_screensaver_query_info_reply(
      FConnection, xcb_screensaver_query_info(FConnection, FRoot), nullptr);
  if (info == nullptr) return std::nullopt;
  const int idle = int(std::min<uint32_t>(info->ms_since_user_input, 0x7fffffff));
  std::free(info);
  return idle;
}

void TX11IdleSource::Watch(int timeoutMs) {
  if (timeoutMs == FTimeoutMs) return;
  FTimeoutMs = timeoutMs;
  FIdle = false;
  Check();
}

void TX11IdleSource::Check() {
  const std::optional<int> idle = IdleMs();
  if (!idle) {
    DoLost("the X server connection ended");
    return;
  }
  if (FIdle) {
    // The idle time only grows until input comes.
    if (*idle < FLastIdleMs) {
      FIdle = false;
      FTimer.start(std::max(FTimeoutMs - *idle, 1));
      DoActive();
      return;
    }
    FLastIdleMs = *idle;
    FTimer.start(*idle - FTimeoutMs < kFastPollTimeMs ? kPollMs : kSlowPollMs);
    return;
  }
  if (*idle >= FTimeoutMs) {
    FIdle = true;
    FLastIdleMs = *idle;
    FTimer.start(kPollMs);
    DoIdle();
    return;
  }
  // Nothing can change before the rest of the wait has passed.
  FTimer.start(FTimeoutMs - *idle);
}

}  // namespace

std::unique_ptr<TIdleSource> OpenX11IdleSource(std::string& why) {
  return OpenedSource<TX11IdleSource>(why);
}

}  // namespace vantora
