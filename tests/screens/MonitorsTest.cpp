// The show and the preview with two monitors: the show puts a window with
// pictures on each, the preview covers the other in black; all close
// together. The offscreen platform is given two screens by its
// configuration file, which main writes before the application starts.

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>

#include <qpa/qplatformnativeinterface.h>

#include "screens/HostScreen.h"
#include "screens/ScreenShows.h"
#include "tests/screens/ShowFixture.h"
#include "tests/support/ScopedEnv.h"

using namespace vantora;
using namespace vantora::test;

namespace {

const QRect kPrimary(0, 0, 800, 600);
const QRect kSecond(800, 0, 800, 600);

QJsonObject ScreenConfig(const char* name, QRect r) {
  return {{"name", name}, {"x", r.x()}, {"y", r.y()}, {"width", r.width()}, {"height", r.height()}};
}

// Plugs, unplugs and resizes the offscreen platform's monitors, as a user
// does with real ones during the show: the platform announces each change
// as the system's does.
void SetScreens(std::initializer_list<QJsonObject> screens) {
  using TSetConfiguration = void (*)(const QJsonObject&, QPlatformNativeInterface*);
  QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
  ASSERT_NE(native, nullptr);
  const auto set =
      reinterpret_cast<TSetConfiguration>(native->nativeResourceForIntegration("setConfiguration"));
  ASSERT_NE(set, nullptr);
  QJsonArray list;
  for (const QJsonObject& s : screens) list.append(s);
  set(QJsonObject{{"screens", list}}, native);
  QCoreApplication::processEvents();
}

QWidget* OnlyCover(const TShowScreen& form) {
  const auto covers = form.Covers()->Covers();
  return covers.size() == 1 ? covers.front() : nullptr;
}

class Monitors : public ShowFixture {
 protected:
  void TearDown() override {
    if (FShows) FShows->Close();
    FShows.reset();
    ShowFixture::TearDown();
  }
  // The show of /S, a window per screen, its transitions caller-driven.
  std::vector<TForm1*> ShowOnEveryScreen() {
    FShows = std::make_unique<TScreenShows>(FFolder, [this] {
      auto player = std::make_unique<StubPlayer>();
      FPlayer = player.get();
      return player;
    });
    FShows->Show();
    const auto windows = FShows->Windows();
    for (TForm1* w : windows) w->TransitionView1->SetManual(true);
    EXPECT_TRUE(test::WaitFor([&] {
      return std::all_of(windows.begin(), windows.end(),
                         [](TForm1* w) { return w->Timer1.Enabled() && w->ListComplete(); });
    }));
    return windows;
  }
  static void PictureTicks(const std::vector<TForm1*>& windows) {
    for (TForm1* w : windows) w->Timer1.Tick();
    ASSERT_TRUE(test::WaitFor([&] {
      return std::all_of(windows.begin(), windows.end(),
                         [](TForm1* w) { return w->PendingShows() == 0; });
    }));
  }
  static void MoveOver(QWidget* w) {
    QMouseEvent event(QEvent::MouseMove, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w->childAt(5, 5) ? w->childAt(5, 5) : w, &event);
  }
  std::unique_ptr<TScreenShows> FShows;
};

TEST_F(Monitors, EveryScreenShowsItsOwnPicturesAndAKeyOnAnyEndsThemAll) {
  ASSERT_EQ(QGuiApplication::screens().size(), 2);
  for (auto [name, width] : {std::pair{"a.jpg", 30}, {"b.jpg", 40}, {"c.jpg", 50}})
    WritePicture(Pics(name), width);
  FIni->WriteString("sys", "2", "0");  // random effects, drawn per screen
  const auto windows = ShowOnEveryScreen();
  ASSERT_EQ(windows.size(), 2u);
  EXPECT_EQ(windows[0]->geometry(), kPrimary);
  EXPECT_EQ(windows[1]->geometry(), kSecond);
  for (TForm1* w : windows) {
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(w->Covers(), nullptr);  // no black covers: pictures everywhere
  }
  EXPECT_EQ(CursorCounter(), -2);  // hidden by each window, shown by each on closing

  // The second screen starts one picture further along, and both move on.
  for (int round = 0; round < 3; ++round) {
    PictureTicks(windows);
    EXPECT_EQ(windows[0]->TransitionView1->Picture().Width(), 30 + 10 * round) << round;
    EXPECT_EQ(windows[1]->TransitionView1->Picture().Width(), 30 + 10 * ((round + 1) % 3))
        << round;
    for (TForm1* w : windows) {
      ASSERT_TRUE(w->Timer2.Enabled()) << round;
      w->TransitionView1->Stop();
      w->Timer2.Tick();
    }
  }

  // One music playlist: only the first window's player is ours.
  EXPECT_NE(FPlayer, nullptr);
  EXPECT_EQ(windows[0]->MediaPlayer1.get(), FPlayer);
  EXPECT_NE(dynamic_cast<TSilentPlayer*>(windows[1]->MediaPlayer1.get()), nullptr);

  QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
  QCoreApplication::sendEvent(windows[1], &key);
  for (TForm1* w : windows) EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(CursorCounter(), 0);
}

TEST_F(Monitors, TheWindowsFollowScreensPluggedUnpluggedAndResizedDuringTheShow) {
  for (auto [name, width] : {std::pair{"a.jpg", 30}, {"b.jpg", 40}, {"c.jpg", 50}})
    WritePicture(Pics(name), width);
  struct Restore {
    ~Restore() { SetScreens({ScreenConfig("primary", kPrimary), ScreenConfig("second", kSecond)}); }
  } restore;
  std::vector<TForm1*> windows = ShowOnEveryScreen();
  ASSERT_EQ(windows.size(), 2u);
  PictureTicks(windows);
  bool closed = false;
  FShows->OnClosed = [&] { closed = true; };
  const auto geometries = [&] {
    std::vector<QRect> g;
    for (TForm1* w : FShows->Windows()) g.push_back(w->isVisible() ? w->geometry() : QRect());
    return g;
  };

  // Unplugged: its window goes, the show goes on on the other screen.
  SetScreens({ScreenConfig("primary", kPrimary)});
  ASSERT_TRUE(test::WaitFor([&] { return FShows->Windows().size() == 1; }));
  EXPECT_EQ(geometries(), std::vector<QRect>{kPrimary});
  EXPECT_FALSE(closed);

  // Plugged back at another size, with a third beside it: each gets a show
  // of its own, over the whole screen, with pictures.
  const QRect larger(800, 0, 1024, 768), third(1824, 0, 640, 480);
  SetScreens({ScreenConfig("primary", kPrimary), ScreenConfig("second", larger),
              ScreenConfig("third", third)});
  ASSERT_TRUE(test::WaitFor([&] { return FShows->Windows().size() == 3; }));
  ASSERT_TRUE(test::WaitFor([&] { return geometries() == std::vector{kPrimary, larger, third}; }))
      << "windows do not cover their screens";
  windows = FShows->Windows();
  for (TForm1* w : windows) {
    w->TransitionView1->SetManual(true);
    w->TransitionView1->Stop();
    if (w->Timer2.Enabled()) w->Timer2.Tick();  // the first one's display interval ends
    ASSERT_TRUE(test::WaitFor([&] { return w->Timer1.Enabled() && w->ListComplete(); }));
  }
  PictureTicks(windows);
  for (TForm1* w : windows) EXPECT_FALSE(w->TransitionView1->Picture().Empty());

  // A screen that changes size: its window follows.
  const QRect wider(0, 0, 1000, 600);
  SetScreens({ScreenConfig("primary", wider), ScreenConfig("second", larger),
              ScreenConfig("third", third)});
  ASSERT_TRUE(test::WaitFor([&] { return geometries() == std::vector{wider, larger, third}; }));

  // The primary screen unplugged: the first window (which plays the music)
  // stays and moves to a screen that is left.
  TForm1* first = windows[0];
  SetScreens({ScreenConfig("second", larger), ScreenConfig("third", third)});
  ASSERT_TRUE(test::WaitFor([&] { return FShows->Windows().size() == 2; }));
  EXPECT_EQ(FShows->Windows().front(), first);
  ASSERT_TRUE(test::WaitFor([&] {
    std::vector<QRect> g = geometries();
    std::sort(g.begin(), g.end(), [](QRect a, QRect b) { return a.x() < b.x(); });
    return g == std::vector{larger, third};
  }));
  EXPECT_FALSE(closed);

  // One key on any screen still ends them all.
  QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
  QCoreApplication::sendEvent(FShows->Windows().back(), &key);
  EXPECT_TRUE(closed);
  for (TForm1* w : FShows->Windows()) EXPECT_FALSE(w->isVisible());
}

TEST_F(Monitors, TheScreensStartTheirTransitionsTogether) {
  WritePicture(Pics("a.jpg"), 30);
  WritePicture(Pics("b.jpg"), 40);
  const auto windows = ShowOnEveryScreen();
  ASSERT_EQ(windows.size(), 2u);
  windows[0]->Timer1.Tick();
  ASSERT_TRUE(test::WaitFor([&] { return windows[0]->ReadyToStart(); }));
  RunEventsFor(20);
  // Decoded, but held for the other screen's picture.
  EXPECT_EQ(windows[0]->PendingShows(), 1);
  EXPECT_FALSE(windows[0]->Timer2.Enabled());
  EXPECT_TRUE(windows[0]->TransitionView1->Picture().Empty());
  windows[1]->Timer1.Tick();
  ASSERT_TRUE(test::WaitFor([&] {
    return windows[0]->PendingShows() == 0 && windows[1]->PendingShows() == 0;
  }));
  for (TForm1* w : windows) {
    EXPECT_EQ(w->PendingShows(), 0);
    EXPECT_TRUE(w->Timer2.Enabled());
    EXPECT_TRUE(w->TransitionView1->Busy());
  }
  // A screen whose picture does not come holds the others a second at most.
  for (TForm1* w : windows) {
    w->TransitionView1->Stop();
    w->Timer2.Tick();
  }
  windows[0]->Timer1.Tick();
  ASSERT_TRUE(test::WaitFor([&] { return windows[0]->PendingShows() == 0; }));
  EXPECT_TRUE(windows[0]->Timer2.Enabled());
  EXPECT_TRUE(windows[1]->Timer1.Enabled());
}

TEST_F(Monitors, MouseActivityOverAnyScreenFeedsOneGuardThatEndsEveryWindow) {
  WritePicture(Pics("a.jpg"), 30);
  const auto windows = ShowOnEveryScreen();
  ASSERT_EQ(windows.size(), 2u);
  MoveOver(windows[1]);
  EXPECT_TRUE(windows[0]->Guard.Timer3.Enabled());  // the first window's guard arms
  EXPECT_FALSE(windows[1]->Guard.Timer3.Enabled());
  windows[0]->Guard.Timer3.Tick();  // it opens
  MoveOver(windows[0]);  // the movement goes on over the other screen
  EXPECT_TRUE(windows[0]->AppMessage.Installed());
  RunEventsFor(10);
  MoveOver(windows[1]);
  ASSERT_TRUE(test::WaitFor([&] { return !windows[0]->isVisible() && !windows[1]->isVisible(); }));
}

TEST_F(Monitors, APictureTwoScreensNeedAtTheSameSizeIsDecodedOnce) {
  WritePicture(Pics("only.jpg"), 30);
  const auto windows = ShowOnEveryScreen();
  ASSERT_EQ(windows.size(), 2u);
  // Both screens want the one picture first; it is decoded once.
  ASSERT_TRUE(test::WaitFor([&] { return FShows->Loader().Unfinished() == 0; }));
  EXPECT_EQ(FShows->Loader().Decodes(), 1);
  PictureTicks(windows);
  for (TForm1* w : windows) EXPECT_EQ(w->TransitionView1->Picture().Width(), 30);
}

// A shared shuffled cycle: n pictures of widths 30, 40, … in a folder and its
// subfolder, shown in random order without repeats.
class SharedCycle : public Monitors {
 protected:
  void Pictures(int n) {
    QDir(Pics()).mkpath("2024");
    for (int i = 0; i < n; ++i)
      WritePicture(Pics(i % 2 ? QStringLiteral("2024/p%1.jpg").arg(i) : QStringLiteral("p%1.jpg").arg(i)),
                   30 + 10 * i);
    FIni->WriteString("pics", "subfolders", "yes");
    FIni->WriteString("pics", "norepeat", "yes");
    FIni->WriteBool("sys", "1", false);  // random order
  }
  // One picture on each screen, noted in FShown, and the display interval's end.
  void Round(const std::vector<TForm1*>& windows) {
    PictureTicks(windows);
    for (TForm1* w : windows) {
      FShown << w->TransitionView1->Picture().Width();
      w->TransitionView1->Stop();
      ASSERT_TRUE(w->Timer2.Enabled());
      w->Timer2.Tick();
    }
  }
  static void WaitForTicks(const std::vector<TForm1*>& windows) {
    ASSERT_TRUE(test::WaitFor([&] {
      return std::all_of(windows.begin(), windows.end(),
                         [](TForm1* w) { return w->Timer1.Enabled() && w->ListComplete(); });
    }));
  }
  const test::ScopedEnv FState{"XDG_STATE_HOME", FDir.filePath("state").toStdString()};
  QList<int> FShown;
};

TEST_F(SharedCycle, TheScreensListTheFolderOnceAndShareOneCycleWithoutRepeats) {
  Pictures(6);
  {
    const auto windows = ShowOnEveryScreen();
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_EQ(FShows->Library().Listings(), 1);
    for (TForm1* w : windows) EXPECT_EQ(w->PicCount, 6);
    Round(windows);
    Round(windows);
    FShows->Close();
    FShows.reset();
  }
  // Four pictures on two screens, none twice.
  EXPECT_EQ(QSet<int>(FShown.begin(), FShown.end()).size(), 4) << FShown.size();
  // The next show goes on with the same cycle: the two pictures not shown
  // yet, one on each screen, before any comes again.
  Round(ShowOnEveryScreen());
  ASSERT_EQ(FShown.size(), 6);
  EXPECT_EQ(QSet<int>(FShown.begin(), FShown.end()), (QSet<int>{30, 40, 50, 60, 70, 80}));
  EXPECT_EQ(FShows->Library().Listings(), 1);
}

TEST_F(SharedCycle, AWindowActivatedAgainGoesOnWithTheSharedCycle) {
  Pictures(8);
  const auto windows = ShowOnEveryScreen();
  ASSERT_EQ(windows.size(), 2u);
  Round(windows);
  // Another program's window came over the first screen and went; then
  // over the second.
  for (TForm1* activated : windows) {
    activated->FormActivate();
    WaitForTicks(windows);
    Round(windows);
  }
  ASSERT_EQ(FShown.size(), 6);
  EXPECT_EQ(QSet<int>(FShown.begin(), FShown.end()).size(), 6);
}

TEST_F(Monitors, ClosingEndsEveryWindowAndGivesTheCursorBack) {
  WritePicture(Pics("a.jpg"), 30);
  const auto windows = ShowOnEveryScreen();
  ASSERT_EQ(windows.size(), 2u);
  windows[0]->close();  // as SIGTERM's end or a host's request would
  for (TForm1* w : windows) EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(CursorCounter(), 0);
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
  ASSERT_TRUE(test::WaitFor([&] { return form.Timer1.Enabled() && form.ListComplete(); }));
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
