#include "screens/ExitGuard.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

namespace vantora {

TExitGuard::TExitGuard(int closingInterval) : Timer5(closingInterval) {
  Timer3.OnTimer = [this] { Timer3Timer(); };
  Timer5.OnTimer = [this] { Timer5Timer(); };
}

void TExitGuard::MouseEvent() {
  if (Edit2.isEmpty() && OnTrip) OnTrip();
  Timer3.SetEnabled(true);
  Timer5.SetEnabled(true);
}

void TExitGuard::Timer3Timer() {
  Edit2.clear();
  Timer3.SetEnabled(false);
}

void TExitGuard::Timer5Timer() {
  Timer3.SetEnabled(false);
  Edit2 = kGuardMarker;
  Timer5.SetEnabled(false);
}

void TExitGuard::Reset() {
  Edit2 = kGuardMarker;
  Timer3.SetEnabled(false);
  Timer5.SetEnabled(false);
}

TAppMessage::TAppMessage(QWidget* window) : QObject(window), FWindow(window) {}

void TAppMessage::Install() {
  if (FInstalled) return;
  FInstalled = true;
  QCoreApplication::instance()->installEventFilter(this);
  // The mouse event that trips the guard is still being delivered (and may
  // travel on to the window behind the control): the hook acts from the
  // next event on.
  QMetaObject::invokeMethod(
      this, [this] { FArmed = true; }, Qt::QueuedConnection);
}

bool TAppMessage::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (FArmed && (type == QEvent::KeyPress || type == QEvent::MouseMove) && FWindow->isVisible()) {
    // Closed from the event loop: the event is still dispatched first, and
    // an event that travels on to a parent widget closes the window once.
    QPointer<QWidget> window(FWindow);
    QMetaObject::invokeMethod(
        FWindow,
        [window] {
          if (window && window->isVisible()) window->close();
        },
        Qt::QueuedConnection);
  }
  return false;
}

}  // namespace vantora
