#include "platform/ErrorReport.h"

#include <utility>

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

#include "platform/Cursor.h"
#include "platform/ProgramWindow.h"
#include "platform/WindowFrame.h"

namespace vantora {

namespace {

// The caption the program's windows show.
const QString kTitle = QStringLiteral("Vantora");

// The window the box belongs to: the active one, else any program window
// that shows. A box with an owner is a secondary window, so closing it is
// never taken for the closing of the program's last window.
QWidget* BoxOwner() {
  if (QWidget* active = QApplication::activeWindow(); active && active->isVisible()) return active;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && IsProgramWindow(w)) return w;
  return nullptr;
}

QPointer<QMessageBox>& OpenBox() {
  static QPointer<QMessageBox> box;
  return box;
}

void ShowMessageBox(const QString& text) {
  QPointer<QMessageBox>& open = OpenBox();
  if (open) {
    // One box at a time: a report that repeats while it is up (a broken
    // song in a looping playlist) adds nothing, a new one adds its line.
    if (!open->text().split(u'\n').contains(text)) open->setText(open->text() + u'\n' + text);
    open->raise();
    return;
  }
  auto* box = new QMessageBox(QMessageBox::Critical, kTitle, text, QMessageBox::Ok, BoxOwner());
  box->setObjectName(QStringLiteral("ErrorReportBox"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  // Not modal: the show goes on behind the box and its exit guard still
  // sees the mouse; over the full-screen, always-on-top show the box must
  // stay visible, and usable with the mouse there.
  box->setWindowModality(Qt::NonModal);
  // Framed like the program's dialogs: a close box only.
  UseToolWindowFrame(box);
  box->setWindowFlag(Qt::WindowStaysOnTopHint);
  KeepCursorShown(true);
  QObject::connect(box, &QObject::destroyed, [] { KeepCursorShown(false); });
  open = box;
  box->show();
  box->raise();
  box->activateWindow();
}

TErrorReporter& Reporter() {
  static TErrorReporter reporter;
  return reporter;
}

}  // namespace

void ReportError(const QString& text) {
  if (Reporter()) {
    Reporter()(text);
    return;
  }
  if (qobject_cast<QApplication*>(QCoreApplication::instance()))
    ShowMessageBox(text);
  else
    qWarning("%s", qPrintable(text));
}

TErrorReporter SetErrorReporter(TErrorReporter reporter) {
  return std::exchange(Reporter(), std::move(reporter));
}

}  // namespace vantora
