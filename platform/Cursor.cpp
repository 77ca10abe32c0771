#include "platform/Cursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace vantora {

namespace {
int gCounter = 0;
}

int ShowCursor(bool show) {
  const bool wasShown = gCounter >= 0;
  gCounter += show ? 1 : -1;
  const bool isShown = gCounter >= 0;
  // An application-wide blank cursor stands for the hidden one; it is set
  // and removed only when the counter crosses zero, so the override stack
  // never holds more than one entry of ours.
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) && wasShown != isShown) {
    if (isShown)
      QGuiApplication::restoreOverrideCursor();
    else
      QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
  }
  return gCounter;
}

int CursorCounter() { return gCounter; }

}  // namespace vantora
