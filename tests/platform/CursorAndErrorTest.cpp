#include <QCursor>
#include <QDialog>
#include <QMessageBox>
#include <QWindow>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include "platform/Cursor.h"
#include "platform/ErrorReport.h"
#include "platform/ProgramWindow.h"
#include "tests/support/QtApp.h"

namespace vantora {
namespace {

TEST(Cursor, HiddenWhileTheCounterIsBelowZero) {
  test::QtApp();
  const int start = CursorCounter();
  ASSERT_EQ(start, 0);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(ShowCursor(false), -1);
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BlankCursor);
  // Two hidings need two showings.
  EXPECT_EQ(ShowCursor(false), -2);
  EXPECT_EQ(ShowCursor(true), -1);
  EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(ShowCursor(true), 0);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  // Showing more often than hiding keeps the cursor shown.
  EXPECT_EQ(ShowCursor(true), 1);
  EXPECT_EQ(ShowCursor(false), 0);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(ErrorReport, HandlerErrorsAreReportedWithTheirTextAndGoNoFurther) {
  QStringList reports;
  const TErrorReporter previous = SetErrorReporter([&](const QString& t) { reports << t; });
  bool after = false;
  RunHandler([] { throw std::runtime_error("Unable to write to /x/scr.ini"); });
  RunHandler([] { throw 42; });
  RunHandler([&] { after = true; });
  SetErrorReporter(previous);
  EXPECT_EQ(reports, (QStringList{"Unable to write to /x/scr.ini", "Unknown error"}));
  EXPECT_TRUE(after);
}

}  // namespace
}  // namespace vantora

namespace vantora {
namespace {

// A dialog kept in front of the main window is its secondary window: the
// window manager is told so (transient parent) and keeps it above, while it
// stays a window of its own that counts as one of the program's.
TEST(ProgramWindow, ADialogKeptInFrontOfTheMainWindowIsItsSecondaryWindow) {
  test::QtApp();
  QWidget main;
  auto* dialog = new QDialog;
  dialog->setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  KeepInFrontOf(dialog, &main);
  main.show();
  dialog->show();
  ASSERT_NE(dialog->windowHandle(), nullptr);
  EXPECT_EQ(dialog->windowHandle()->transientParent(), main.windowHandle());
  EXPECT_TRUE(dialog->isWindow());
  EXPECT_EQ(dialog->windowType(), Qt::Tool);
  EXPECT_TRUE(IsProgramWindow(dialog));
  // The error box is never one of the program's windows proper: coming
  // back from it is no return from another window.
  QMessageBox box(QMessageBox::Critical, "Vantora", "text", QMessageBox::Ok, &main);
  box.setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  box.setWindowModality(Qt::NonModal);
  EXPECT_FALSE(IsProgramWindow(&box));
}

}  // namespace
}  // namespace vantora
