#include "platform/ErrorReport.h"

#include <utility>

#include <QApplication>
#include <QMessageBox>

namespace vantora {

namespace {

void ShowMessageBox(const QString& text) {
  QString title = QCoreApplication::applicationName();
  if (title.isEmpty()) title = QStringLiteral("Vantora");
  QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok);
  // Over the full-screen, always-on-top show the box must stay visible.
  box.setWindowFlag(Qt::WindowStaysOnTopHint);
  box.exec();
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
