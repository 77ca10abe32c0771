#include "screens/HostScreen.h"

#include <cmath>

#include <QKeyEvent>
#include <QWindow>

#include "platform/PictureMasks.h"

namespace vantora {

namespace {

TShowOptions HostOptions() {
  TShowOptions options;
  options.Mask = kShowMask;  // the pictures of the show
  options.ClosingInterval = 800;
  options.InitialStep = 4;
  options.StaysOnTop = false;
  options.ToolWindow = false;
  options.OwnsScreen = false;
  return options;
}

}  // namespace

THostScreen::THostScreen(std::string programFolder, std::unique_ptr<TMediaPlayerBase> player)
    : TShowScreen(HostOptions(), std::move(programFolder), std::move(player)) {
  // Input is the host's: an empty input shape lets the pointer through to
  // the host's window, and the window never takes the keyboard focus.
  setWindowFlags(windowFlags() | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus);
  setFocusPolicy(Qt::NoFocus);
}

THostScreen::~THostScreen() {
  // Our window is a child of the foreign one: it goes first.
  destroy();
}

void THostScreen::PlaceIn(std::uint32_t window, bool root, QSize pixels) {
  if (root) {
    // Out of the window manager's hands, below every other window.
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    FollowSize(pixels);
    show();
    windowHandle()->lower();
    return;
  }
  FHost.reset(QWindow::fromWinId(WId(window)));
  winId();  // the native window, so that it can be given its parent
  windowHandle()->setParent(FHost.get());
  FollowSize(pixels);
  show();
}

void THostScreen::FollowSize(QSize pixels) {
  // Logical size rounded up, so that a scaled screen is covered to the last
  // device pixel (the host's window cuts off what sticks out).
  const qreal ratio = devicePixelRatioF();
  setGeometry(0, 0, int(std::ceil(pixels.width() / ratio)),
              int(std::ceil(pixels.height() / ratio)));
}

void THostScreen::keyPressEvent(QKeyEvent* e) { e->ignore(); }

}  // namespace vantora
