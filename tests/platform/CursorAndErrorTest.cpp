#include <QCursor>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include "platform/Cursor.h"
#include "platform/ErrorReport.h"
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
