// The show and the preview with two monitors: the pictures on the primary
// one, a black cover over the other, all closed together. The offscreen
// platform is given two screens by its configuration file, which main
// writes before the application starts.

#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QTemporaryDir>

#include "screens/HostScreen.h"
#include "tests/screens/ShowFixture.h"

using namespace vantora;
using namespace vantora::test;

namespace {

const QRect kPrimary(0, 0, 800, 600);
const QRect kSecond(800, 0, 640, 480);

class Monitors : public ShowFixture {};

QWidget* OnlyCover(const TShowScreen& form) {
  const auto covers = form.Covers()->Covers();
  return covers.size() == 1 ? covers.front() : nullptr;
}

TEST_F(Monitors, TheShowCoversTheOtherMonitorInBlackAndAKeyThereClosesBoth) {
  ASSERT_EQ(QGuiApplication::screens().size(), 2);
  TForm1& form = Make();
  form.show();
  ASSERT_TRUE(test::WaitFor([&] { return form.Timer1.Enabled(); }));
  EXPECT_EQ(form.screen()->geometry(), kPrimary);
  QWidget* cover = OnlyCover(form);
  ASSERT_NE(cover, nullptr);
  EXPECT_TRUE(cover->isVisible());
  EXPECT_EQ(cover->geometry(), kSecond);
  EXPECT_EQ(cover->palette().color(QPalette::Window), QColor(Qt::black));
  EXPECT_TRUE(cover->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(cover->windowFlags() & Qt::WindowDoesNotAcceptFocus);
  EXPECT_EQ(form.Covers()->Covers().size(), 1u);

  QPointer<QWidget> gone(cover);
  QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
  QCoreApplication::sendEvent(cover, &key);
  EXPECT_FALSE(form.isVisible());
  EXPECT_TRUE(form.Covers()->Covers().empty());
  ASSERT_TRUE(test::WaitFor([&] { return gone.isNull(); }));
  EXPECT_EQ(CursorCounter(), 0);
}

TEST_F(Monitors, MouseActivityOverTheCoverCountsForTheShowsGuard) {
  TForm1& form = Make();
  form.show();
  ASSERT_TRUE(test::WaitFor([&] { return OnlyCover(form) != nullptr; }));
  QWidget* cover = OnlyCover(form);
  auto move = [&] {
    QMouseEvent event(QEvent::MouseMove, QPointF(5, 5), QPointF(805, 5), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(cover, &event);
  };
  move();
  EXPECT_TRUE(form.Guard.Timer3.Enabled());
  EXPECT_FALSE(form.AppMessage.Installed());
  form.Guard.Timer3.Tick();  // the guard opens
  move();
  EXPECT_TRUE(form.AppMessage.Installed());
  RunEventsFor(10);
  move();  // the next move anywhere closes the show, and the cover with it
  ASSERT_TRUE(test::WaitFor([&] { return !form.isVisible(); }));
  EXPECT_TRUE(form.Covers()->Covers().empty());
}

TEST_F(Monitors, ThePreviewCoversTheOtherMonitorEachTimeItOpens) {
  Tform6& form = Make<Tform6>();
  for (int opening = 0; opening < 2; ++opening) {
    form.ResetGuard();
    form.show();
    ASSERT_TRUE(test::WaitFor([&] { return OnlyCover(form) != nullptr; })) << opening;
    EXPECT_EQ(OnlyCover(form)->geometry(), kSecond);
    EXPECT_FALSE(OnlyCover(form)->windowFlags() & Qt::WindowStaysOnTopHint);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
    QCoreApplication::sendEvent(&form, &key);
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(form.Covers()->Covers().empty());
  }
}

TEST_F(Monitors, AHostedShowCoversNothing) {
  THostScreen& form = Make<THostScreen>();
  form.show();
  ASSERT_TRUE(test::WaitFor([&] { return form.Timer1.Enabled(); }));
  EXPECT_EQ(form.Covers(), nullptr);
  for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_TRUE(w == &form || !w->isVisible());
}

}  // namespace

int main(int argc, char** argv) {
  QTemporaryDir folder;
  const QString config = folder.filePath("screens.json");
  auto screen = [](const char* name, QRect r) {
    return QString(R"({"name": "%1", "x": %2, "y": %3, "width": %4, "height": %5})")
        .arg(name)
        .arg(r.x())
        .arg(r.y())
        .arg(r.width())
        .arg(r.height());
  };
  QFile file(config);
  if (!file.open(QIODevice::WriteOnly)) return 2;
  file.write(QString(R"({"screens": [%1, %2]})")
                 .arg(screen("primary", kPrimary), screen("second", kSecond))
                 .toUtf8());
  file.close();
  qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toUtf8());
  vantora::test::QtApp();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
