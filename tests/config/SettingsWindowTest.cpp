// The settings window: activation, paging, thumbnails, default settings and
// the buttons that open the other windows.

#include <functional>

#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>

#include "config/FormSupport.h"
#include "config/Image.h"
#include "tests/config/ConfigFixture.h"

namespace vantora::test {
namespace {

using SettingsWindow = ConfigFixture;

TEST(CentreWindow, CentresTheOuterRectangleWithHalvesToEven) {
  const struct {
    int ScreenW, ScreenH, Left, Top;
  } cases[] = {
      {1024, 768, 240, 158},  // 512 - 272.5 = 239.5 -> 240; 384 - 226 = 158
      {1026, 769, 240, 158},  // 240.5 -> 240; 158.5 -> 158
      {1028, 771, 242, 160},  // 241.5 -> 242; 159.5 -> 160
  };
  QWidget window(nullptr, Qt::FramelessWindowHint);
  window.resize(545, 452);
  for (const auto& c : cases) {
    CentreWindow(&window, QSize(c.ScreenW, c.ScreenH));
    EXPECT_EQ(window.pos(), QPoint(c.Left, c.Top)) << c.ScreenW << "x" << c.ScreenH;
  }
}

TEST(FitThumbnail, ShrinksWithProportionsKeptAndNeverEnlarges) {
  const struct {
    int W, H;
    TRect Drawn;
  } cases[] = {
      {50, 40, {27, 20, 77, 60}},  // fits: own size, centred, halves rounded down
      {105, 81, {0, 0, 105, 81}},  // exactly the cell
      {300, 200, {0, 5, 105, 75}},  // wide: full width, 105 / 1.5 = 70
      {6000, 4000, {0, 5, 105, 75}},
      {200, 190, {10, 0, 95, 81}},  // wide, but 105 x 190 / 200 = 99 > 81: full height, 85
      {100, 300, {39, 0, 66, 81}},  // tall: full height, 81 x 100 / 300 = 27 exactly
      {300, 300, {12, 0, 93, 81}},  // square counts as not wider: height first
      {400, 100, {0, 27, 105, 53}},  // 105 / 4 = 26.25 -> 26, free 55 -> offset 27
      {106, 10, {0, 36, 105, 45}},  // 105 x 10 / 106 = 9.9 -> 9
  };
  for (const auto& c : cases)
    EXPECT_EQ(FitThumbnail(105, 81, c.W, c.H), c.Drawn) << c.W << "x" << c.H;
}

TEST_F(SettingsWindow, ScrollMaximumIsTheCountOverTwelveRoundedHalfToEven) {
  const struct {
    int Count, Max;
  } cases[] = {{0, 0}, {6, 0}, {7, 1}, {12, 1}, {13, 1}, {18, 2}, {25, 2}, {30, 2}, {42, 4}};
  int written = 0;
  for (const auto& c : cases) {
    for (; written < c.Count; ++written)
      WritePicture(Pics() + QStringLiteral("/p%1.jpg").arg(written, 2, 10, QChar(u'0')), 8, 8);
    // A different folder first, then "pics" again, so the list is re-read.
    Form2->ApplyFilePath(Dir.path());
    Form2->Edit2 = kActivationMarker;
    ActivateAndList();
    EXPECT_EQ(Form2->Memo1.size(), c.Count);
    EXPECT_EQ(Form2->ScrollBar1()->maximum(), c.Max) << c.Count << " pictures";
    EXPECT_EQ(Form2->ScrollBar1()->value(), 0);
  }
}

TEST_F(SettingsWindow, ActivationWorkRunsOnlyWhileTheMarkerIsSet) {
  FillFolder(Pics(), 3);
  ActivateAndList();
  EXPECT_TRUE(Form2->Edit2.isEmpty());
  EXPECT_EQ(Form2->Memo1.size(), 3);

  FillFolder(Path("other"), 5);
  Ini().WriteString("sys", "dir", Path("other").toStdString());
  ActivateAndList();  // marker empty: nothing happens
  EXPECT_EQ(Form2->Memo1.size(), 3);
  EXPECT_TRUE(Form2->Edit1.isEmpty());

  Form2->Edit2 = kActivationMarker;
  ActivateAndList();
  EXPECT_EQ(Form2->Edit1, Path("other"));
  EXPECT_EQ(Form2->Memo1.size(), 5);
  EXPECT_EQ(Grid(), Page(0, 5));
}

TEST_F(SettingsWindow, PagesWithTheScrollCodesAndStopsAtTheEnds) {
  FillFolder(Pics(), 30);
  ActivateAndList();
  ASSERT_EQ(Form2->ScrollBar1()->maximum(), 2);
  EXPECT_EQ(Grid(), Page(0, 30));

  // Each step: the code, then the page and the first list position shown.
  const struct {
    TScrollCode Code;
    int Page;
    int First;
  } steps[] = {
      {scLineUp, 0, 0},  // up on page 0: nothing
      {scLineDown, 1, 12}, {scTrack, 1, 12},  // tracking, top, bottom, end: ignored
      {scTop, 1, 12},      {scBottom, 1, 12}, {scEndScroll, 1, 12},
      {scPageDown, 2, 24},  // page 2 shows six
      {scLineDown, 2, 24},  // down on the last page: nothing
      {scPageDown, 2, 24}, {scPageUp, 1, 12}, {scLineUp, 0, 0},
  };
  for (const auto& s : steps) {
    int pos = Form2->ScrollBar1()->value();
    Form2->ScrollBar1Scroll(s.Code, pos);
    EXPECT_EQ(Form2->ThumbPage, s.Page) << int(s.Code);
    EXPECT_EQ(Form2->ThumbEnd, 12 * s.Page + 12);
    EXPECT_EQ(Grid(), Page(s.First, 30)) << int(s.Code);
  }
}

TEST_F(SettingsWindow, ScrollBarActionsReachTheHandler) {
  FillFolder(Pics(), 30);
  ActivateAndList();
  Form2->ScrollBar1()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(Form2->ThumbPage, 1);
  EXPECT_EQ(Form2->ScrollBar1()->value(), 1);
  Form2->ScrollBar1()->triggerAction(QAbstractSlider::SliderToMinimum);  // Home: bar only
  EXPECT_EQ(Form2->ScrollBar1()->value(), 0);
  EXPECT_EQ(Form2->ThumbPage, 1);
  EXPECT_EQ(Grid(), Page(12, 30));
}

TEST_F(SettingsWindow, TheKeyboardAndTheWheelPageLikeTheBar) {
  FillFolder(Pics(), 50);  // Max 4
  ActivateAndList();
  QScrollBar* bar = Form2->ScrollBar1();
  EXPECT_EQ(bar->pageStep(), 0);  // the fixed-size thumb
  EXPECT_TRUE(bar->focusPolicy() & Qt::TabFocus);
  auto key = [&](Qt::Key k) {
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &press);
  };
  auto wheel = [&](QWidget* target, QPoint at, int delta) {
    QWheelEvent turn(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(target, &turn);
  };
  // Each step: what the user does, then the page shown and the bar's place.
  const struct {
    const char* Name;
    std::function<void()> Do;
    int Page, Position;
  } steps[] = {
      {"Down", [&] { key(Qt::Key_Down); }, 1, 1},
      {"Page Down", [&] { key(Qt::Key_PageDown); }, 2, 2},
      {"Page Up", [&] { key(Qt::Key_PageUp); }, 1, 1},
      {"End: the bar only", [&] { key(Qt::Key_End); }, 1, 4},
      {"Home: the bar only", [&] { key(Qt::Key_Home); }, 1, 0},
      {"Up", [&] { key(Qt::Key_Up); }, 0, 0},
      {"a notch down over a cell", [&] { wheel(Form2->Image(5), QPoint(10, 10), -120); }, 1, 1},
      {"half a notch over the bar", [&] { wheel(bar, QPoint(5, 100), -60); }, 1, 1},
      {"the other half", [&] { wheel(bar, QPoint(5, 100), -60); }, 2, 2},
      {"a notch up over a hidden cell",
       [&] {
         Form2->Image(12)->hide();
         wheel(Form2.get(), Form2->Image(12)->geometry().center(), 120);
       },
       1, 1},
      {"a notch down over the buttons", [&] { wheel(Form2.get(), QPoint(470, 200), -120); }, 1, 1},
  };
  for (const auto& s : steps) {
    s.Do();
    EXPECT_EQ(Form2->ThumbPage, s.Page) << s.Name;
    EXPECT_EQ(bar->value(), s.Position) << s.Name;
  }
}

void ExpectToolFrame(const QWidget* dialog, const char* name) {
  const Qt::WindowFlags flags = dialog->windowFlags();
  EXPECT_EQ(dialog->windowType(), Qt::Tool) << name;
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint) << name;
  EXPECT_TRUE(flags & Qt::CustomizeWindowHint) << name;  // the buttons exactly as asked
  EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)) << name;
}

TEST_F(SettingsWindow, DialogsHaveAToolFrameWithACloseBoxOnly) {
  ExpectToolFrame(Form3.get(), "user settings");
  ExpectToolFrame(Form4.get(), "folder chooser");
}

TEST_F(SettingsWindow, TheErrorBoxAndTheFileDialogHaveTheDialogsFrame) {
  const TErrorReporter recorder = SetErrorReporter({});  // the real box
  Form2->show();
  ReportError(QStringLiteral("Unable to write to /x/scr.ini"));
  QWidget* box = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == QLatin1String("ErrorReportBox") && w->isVisible()) box = w;
  ASSERT_NE(box, nullptr);
  ExpectToolFrame(box, "error box");
  EXPECT_TRUE(box->windowFlags() & Qt::WindowStaysOnTopHint);  // also over the show
  box->close();
  SetErrorReporter(recorder);

  // The insert button's file dialog, looked at while it runs.
  bool seen = false;
  QTimer::singleShot(0, [&] {
    if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
      seen = true;
      ExpectToolFrame(dialog, "file dialog");
      dialog->reject();
    }
  });
  QTimer::singleShot(5000, [] {  // never hang
    if (QWidget* w = QApplication::activeModalWidget()) w->close();
  });
  EXPECT_EQ(Form3->OpenDialog1(), QString());
  EXPECT_TRUE(seen);
}

TEST_F(SettingsWindow, ThumbReleasedShowsThePageOfItsPosition) {
  FillFolder(Pics(), 50);
  ActivateAndList();
  int pos = 3;
  Form2->ScrollBar1Scroll(scPosition, pos);
  EXPECT_EQ(Form2->ThumbPage, 3);
  EXPECT_EQ(Form2->ThumbEnd, 48);
  EXPECT_EQ(Grid(), Page(36, 50));
}

TEST_F(SettingsWindow, PagesPastTheListShowHiddenCells) {
  const struct {
    int Count;
    QStringList Page1;
  } cases[] = {
      {12, Page(12, 12)},  // Max 1, page 1 all hidden
      {13, Page(12, 13)},  // one thumbnail in Image1
  };
  for (const auto& c : cases) {
    QDir(Pics()).removeRecursively();
    FillFolder(Pics(), c.Count);
    Form2->ApplyFilePath(Dir.path());
    Form2->Edit2 = kActivationMarker;
    ActivateAndList();
    int pos = 0;
    Form2->ScrollBar1Scroll(scLineDown, pos);
    EXPECT_EQ(Form2->ThumbPage, 1);
    EXPECT_EQ(Grid(), c.Page1) << c.Count;
  }
}

TEST_F(SettingsWindow, EmptyOrMissingFolderHidesEveryCell) {
  for (const QString& folder : {Pics(), Path("missing")}) {
    Ini().WriteString("sys", "dir", folder == Pics() ? "" : folder.toStdString());
    Form2->Edit2 = kActivationMarker;
    ActivateAndList();
    EXPECT_EQ(Form2->ScrollBar1()->maximum(), 0);
    int pos = 0;
    Form2->ScrollBar1Scroll(scLineDown, pos);
    EXPECT_EQ(Form2->ThumbPage, 0);
    EXPECT_EQ(Grid(), Page(0, 0)) << folder.toStdString();
  }
}

TEST_F(SettingsWindow, ThumbnailsAreFittedAndABrokenFileLeavesItsCellEmpty) {
  WritePicture(Pics() + "/a-wide.jpg", 300, 200);
  WriteText(Pics() + "/b-broken.jpg", "this is no picture");
  WritePicture(Pics() + "/c-small.bmp", 50, 40);
  WritePicture(Pics() + "/d-tall.jpg", 100, 300);
  WritePicture(Pics() + "/e-photo.jpg", 1600, 1200);  // decoded at 1/8
  ActivateAndList();
  WaitForThumbnails();

  const struct {
    int Cell;
    TRect Drawn;
  } expected[] = {
      {1, {0, 5, 105, 75}}, {2, {}}, {3, {27, 20, 77, 60}}, {4, {39, 0, 66, 81}},
      {5, {0, 1, 105, 79}},
  };
  for (const auto& e : expected) {
    TImage* cell = Form2->Image(e.Cell);
    EXPECT_TRUE(cell->isVisibleTo(Form2.get())) << e.Cell;
    EXPECT_EQ(cell->DrawnRect(), e.Drawn) << e.Cell;
    EXPECT_EQ(cell->Empty(), e.Drawn.IsEmpty()) << e.Cell;
    if (!cell->Empty()) {
      EXPECT_EQ(cell->Image().size(), QSize(e.Drawn.Width(), e.Drawn.Height())) << e.Cell;
    }
  }
  for (int k = 6; k <= 12; ++k) EXPECT_TRUE(Form2->Image(k)->isHidden());
}

TEST_F(SettingsWindow, ResultsOfAnEarlierPageAreNotShown) {
  FillFolder(Pics(), 20);
  ActivateAndList();
  int pos = 0;
  Form2->ScrollBar1Scroll(scLineDown, pos);  // before page 0 has arrived
  WaitForThumbnails();
  for (int k = 1; k <= 8; ++k) {
    EXPECT_FALSE(Form2->Image(k)->Empty()) << k;
    EXPECT_EQ(QFileInfo(Form2->Image(k)->FileName).fileName(), Page(12, 20)[k - 1]);
  }
}

TEST_F(SettingsWindow, DefaultSettingsWriteTheirKeysAndShowThePicsFolder) {
  FillFolder(Pics(), 2);
  FillFolder(Path("custom"), 14);
  TIniFile ini = Ini();
  ini.WriteString("sys", "dir", Path("custom").toStdString());
  ini.WriteInteger("sys", "3", 4000);
  ini.WriteInteger("sys", "6", 50);
  ini.WriteBool("sys", "1", true);
  ini.WriteBool("song", "cyc", false);
  ini.WriteInteger("song", "how", 2);
  ini.WriteString("song", "play", "yes");
  ini.WriteString("song", "song0", "/music/a.mp3");
  ActivateAndList();
  int pos = 0;
  Form2->ScrollBar1Scroll(scLineDown, pos);
  ASSERT_EQ(Form2->ThumbPage, 1);
  Player->SetFileName("/music/x.mp3");
  Player->Open();
  Player->Play();

  Form2->SpeedButton6Click();

  WaitForListing();

  const struct {
    const char* Section;
    const char* Key;
    const char* Value;
  } keys[] = {
      {"sys", "1", "0"},
      {"sys", "2", "0"},
      {"sys", "3", "15000"},
      {"sys", "4", "0"},
      {"sys", "5", "0"},
      {"sys", "6", "8"},
      {"sys", "7", "0"},
      {"sys", "dir", ""},
      {"song", "play", "no"},
      // Left alone:
      {"song", "cyc", "0"},
      {"song", "how", "2"},
      {"song", "song0", "/music/a.mp3"},
  };
  for (const auto& k : keys)
    EXPECT_EQ(ini.ReadString(k.Section, k.Key, "<absent>"), k.Value) << k.Section << "/" << k.Key;
  EXPECT_EQ(Form2->Edit1, QString());
  EXPECT_EQ(Form2->Memo1.size(), 2);
  EXPECT_EQ(Form2->ThumbPage, 0);
  EXPECT_EQ(Form2->ScrollBar1()->maximum(), 0);
  EXPECT_EQ(Grid(), Page(0, 2));
  EXPECT_NE(Player->Mode(), mpPlaying);  // the dialog's music stopped
}

TEST_F(SettingsWindow, AFolderWithATrailingSeparatorStillNamesItsFiles) {
  FillFolder(Path("trail"), 1);
  Ini().WriteString("sys", "dir", Path("trail/").toStdString());
  ActivateAndList();
  EXPECT_EQ(Form2->PicturePath(0), Path("trail//p00.jpg"));
  EXPECT_EQ(Grid(), Page(0, 1));
}

TEST_F(SettingsWindow, ReapplyingTheSameFolderKeepsTheEarlierListing) {
  FillFolder(Pics(), 2);
  ActivateAndList();
  FillFolder(Pics(), 3);
  Form2->ApplyFilePath(Pics());
  EXPECT_EQ(Form2->FileListBox1Items.size(), 2);
  Form2->ApplyFilePath(Dir.path());
  Form2->ApplyFilePath(Pics());
  WaitForListing();
  EXPECT_EQ(Form2->FileListBox1Items.size(), 3);
}

TEST_F(SettingsWindow, PreviewButtonResetsTheGuardBeforeShowingThePreview) {
  QWidget preview;
  QStringList events;
  Form2->Form6 = &preview;
  Form2->ResetPreviewGuard = [&] {
    events << (preview.isVisible() ? QStringLiteral("reset while shown") : QStringLiteral("reset"));
  };
  Form2->SpeedButton5Click();
  events << (preview.isVisible() ? QStringLiteral("shown") : QStringLiteral("hidden"));
  EXPECT_EQ(events, QStringList({"reset", "shown"}));
}

TEST_F(SettingsWindow, AboutButtonBeepsThenShowsTheAboutBox) {
  QStringList events;
  Form2->Beep = [&] { events << (Form5->isVisible() ? "beep after" : "beep"); };
  Form2->SpeedButton3Click();
  EXPECT_EQ(events, QStringList({"beep"}));
  EXPECT_TRUE(Form5->isVisible());
  Form5->SpeedButton1Click();
  EXPECT_FALSE(Form5->isVisible());
}

TEST_F(SettingsWindow, ExitButtonClosesTheWindow) {
  int closes = 0;
  Form2->OnClose = [&] { ++closes; };
  Form2->show();
  ASSERT_TRUE(Form2->isVisible());
  Form2->SpeedButton4Click();
  EXPECT_FALSE(Form2->isVisible());
  EXPECT_EQ(closes, 1);  // the entry ends the program on this
}

TEST_F(SettingsWindow, LayoutHasEveryButtonAtItsPlaceWithItsCaption) {
  const struct {
    int N;
    QRect Rect;
    const char* Caption;
    QColor Colour;
  } buttons[] = {
      {5, {424, 32, 97, 33}, "预   览", Qt::blue},   {1, {424, 88, 97, 33}, "图片路径", Qt::blue},
      {2, {424, 144, 97, 33}, "用户设置", Qt::blue}, {6, {424, 200, 97, 33}, "默认设置", Qt::blue},
      {3, {424, 256, 97, 33}, "关   于", Qt::blue},  {4, {424, 328, 97, 33}, "退    出", Qt::red},
  };
  Form2->ensurePolished();
  for (const auto& b : buttons) {
    QToolButton* button = Form2->SpeedButton(b.N);
    button->ensurePolished();
    EXPECT_EQ(button->geometry(), b.Rect) << b.N;
    EXPECT_EQ(button->text(), QString::fromUtf8(b.Caption)) << b.N;
    EXPECT_TRUE(button->autoRaise());
    EXPECT_EQ(button->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(button->font().pixelSize(), 13);
    EXPECT_EQ(button->palette().color(QPalette::ButtonText), b.Colour) << b.N;
  }
  EXPECT_EQ(Form2->size(), QSize(545, 452));
  EXPECT_EQ(Form2->windowTitle(), QStringLiteral("设置："));
  EXPECT_EQ(Form2->ScrollBar1()->geometry(), QRect(368, 24, 16, 345));
  EXPECT_EQ(Form2->Image(1)->geometry(), QRect(24, 24, 105, 81));
  EXPECT_EQ(Form2->Image(12)->geometry(), QRect(248, 288, 105, 81));
  // The background decoded from the embedded picture, at its own size.
  EXPECT_EQ(Form2->Image13()->Image().size(), QSize(545, 452));
}

}  // namespace
}  // namespace vantora::test
