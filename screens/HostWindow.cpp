#include "screens/HostWindow.h"

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>

#include <QSocketNotifier>

namespace vantora {

THostWindow::THostWindow() = default;

THostWindow::~THostWindow() {
  FNotifier.reset();
  if (FConnection != nullptr) xcb_disconnect(FConnection);
}

bool THostWindow::Open(std::uint32_t window, const std::string& display) {
  int screenNumber = 0;
  FConnection = xcb_connect(display.empty() ? nullptr : display.c_str(), &screenNumber);
  if (xcb_connection_has_error(FConnection)) {
    const char* named = display.empty() ? std::getenv("DISPLAY") : display.c_str();
    FError = std::string("cannot connect to the X server ") +
             (named != nullptr ? named : "(DISPLAY is not set)");
    return false;
  }
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(FConnection));
  for (int i = 0; i < screenNumber && screens.rem > 0; ++i) xcb_screen_next(&screens);
  if (screens.rem == 0) {
    FError = "the X server has no screen";
    return false;
  }
  FRoot = screens.data->root;
  FWindow = window != 0 ? window : FRoot;

  // Watching first, then asking for the size: a window destroyed in between
  // fails the geometry request instead of going unnoticed.
  const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
  xcb_generic_error_t* error = xcb_request_check(
      FConnection,
      xcb_change_window_attributes_checked(FConnection, FWindow, XCB_CW_EVENT_MASK, &mask));
  xcb_get_geometry_reply_t* geometry = nullptr;
  if (error == nullptr)
    geometry = xcb_get_geometry_reply(FConnection, xcb_get_geometry(FConnection, FWindow), &error);
  std::free(error);
  if (geometry == nullptr) {
    char id[16];
    std::snprintf(id, sizeof id, "0x%X", unsigned(FWindow));
    FError = std::string("no window ") + id + " on the X server";
    return false;
  }
  FSize = QSize(geometry->width, geometry->height);
  std::free(geometry);
  return true;
}

void THostWindow::Watch() {
  if (FConnection == nullptr || FNotifier) return;
  FNotifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(FConnection),
                                                QSocketNotifier::Read);
  QObject::connect(FNotifier.get(), &QSocketNotifier::activated, [this] { ReadEvents(); });
  ReadEvents();
}

void THostWindow::ReadEvents() {
  while (!FGone) {
    xcb_generic_event_t* event = xcb_poll_for_event(FConnection);
    if (event == nullptr) break;
    const std::uint8_t type = event->response_type & 0x7F;
    if (type == XCB_CONFIGURE_NOTIFY) {
      const auto* configure = reinterpret_cast<xcb_configure_notify_event_t*>(event);
      const QSize size(configure->width, configure->height);
      if (configure->window == FWindow && size != FSize) {
        FSize = size;
        if (OnResize) OnResize(size);
      }
    } else if (type == XCB_DESTROY_NOTIFY) {
      if (reinterpret_cast<xcb_destroy_notify_event_t*>(event)->window == FWindow) Destroyed();
    }
    std::free(event);
  }
  if (xcb_connection_has_error(FConnection)) Destroyed();
}

void THostWindow::Destroyed() {
  if (FGone) return;
  FGone = true;
  if (FNotifier) FNotifier->setEnabled(false);
  if (OnDestroyed) OnDestroyed();
}

}  // namespace vantora
