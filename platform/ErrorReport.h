#pragma once
// The application-wide error report: an error raised inside an event handler
// ends that handler, is shown in a message box with the error's text, and
// the program goes on. Tests replace the message box with a recorder.

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
