#pragma once
// The application-wide error report: an error raised inside an event handler
// ends that handler, is shown in a message box with the error's text, and
// the program goes on. Tests replace the message box with a recorder.
//
// The box is not modal, so the window behind it keeps working (the show
// goes on changing pictures and its exit guard still watches the mouse),
// and there is at most one: while it is up, a report it already holds adds
// nothing and a new report adds a line to it. The cursor shows while it is
// up, also over the show, which hides it. Its object name is "ErrorReportBox".

#include <exception>
#include <functional>

#include <QString>

namespace vantora {

using TErrorReporter = std::function<void(const QString& text)>;

// Shows text through the current reporter (a message box by default).
void ReportError(const QString& text);
// Replaces the reporter; an empty function restores the message box.
// Returns the previous one.
TErrorReporter SetErrorReporter(TErrorReporter reporter);

// Runs a handler; an error it throws is reported and goes no further.
template <class F>
void RunHandler(F&& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    ReportError(QString::fromLocal8Bit(e.what()));
  } catch (...) {
    ReportError(QStringLiteral("Unknown error"));
  }
}

}  // namespace vantora
