#include "platform/Cursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace vantora {

namespace {
int gCounter = 0;
int gKeptShown = 0;
bool gBlankSet = false;  // our blank cursor is on the override stack

// An application-wide blank cursor stands for the hidden one; it is set and
// removed only when the wanted state changes, so the override stack never
// holds more than one entry of ours.
void Apply() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
  const bool blank = gCounter < 0 && gKeptShown == 0;
  if (blank == gBlankSet) return;
  if (blank)
    QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
  else
    QGuiApplication::restoreOverrideCursor();
  gBlankSet = blank;
}
}  // namespace

int ShowCursor(bool show) {
  gCounter += show ? 1 : -1;
  Apply();
  return gCounter;
}

int CursorCounter() { return gCounter; }

void KeepCursorShown(bool keep) {
  gKeptShown += keep ? 1 : -1;
  Apply();
}

}  // namespace vantora
