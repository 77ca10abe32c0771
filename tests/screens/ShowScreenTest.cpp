#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "tests/raster/FormatFiles.h"
#include "tests/screens/ShowFixture.h"
#include "tests/screens/TimerClock.h"

namespace vantora {
namespace {

using test::ExpectedDraws;
using test::Started;

class ShowScreen : public test::ShowFixture {
 protected:
  // Three pictures a, b, c of widths 10, 20, 30.
  void ThreePictures() {
    WritePicture(Pics("b.jpg"), 20);
    WritePicture(Pics("a.jpg"), 10);
    WritePicture(Pics("C.JPG"), 30);
  }
  void Order(bool pictures, bool effects) {
    FIni->WriteBool("sys", "1", pictures);
    FIni->WriteBool("sys", "2", effects);
  }
};

TEST_F(ShowScreen, ListOrderWithEffectsInSequenceStartsWithEffect5AndWraps) {
  ThreePictures();
  TForm1& form = Make();
  Activate(form);
  EXPECT_EQ(form.Memo1, (QStringList{"a.jpg", "b.jpg", "C.JPG"}));
  EXPECT_EQ(form.EffectNo, 4);  // draws 0, then 4
  PictureTick(form);
  EXPECT_FALSE(form.Timer1.Enabled());  // handed over to the interval timer
  EXPECT_EQ(FStarted.size(), 1u);
  form.Timer2.Tick();
  Cycle(form, 3);
  EXPECT_EQ(FStarted, (std::vector<Started>{{5, 10}, {6, 20}, {7, 30}, {8, 10}}));
  // The index wraps in the interval tick, not in the picture tick.
  Cycle(form, 1);
  PictureTick(form);
  EXPECT_EQ(form.PicIndex, 3);
  form.Timer2.Tick();
  EXPECT_EQ(form.PicIndex, 0);
}

TEST_F(ShowScreen, Effect150IsFollowedByEffect1) {
  ThreePictures();
  TForm1& form = Make();
  Activate(form);
  form.EffectNo = 148;
  Cycle(form, 4);
  EXPECT_EQ(FStarted, (std::vector<Started>{{149, 10}, {150, 20}, {1, 30}, {2, 10}}));
}

TEST_F(ShowScreen, TheFourOrders) {
  struct Case {
    bool pictures, effects;
  };
  for (const Case c : {Case{true, false}, Case{false, true}, Case{false, false}}) {
    SCOPED_TRACE(testing::Message() << "list order " << c.pictures << ", sequence " << c.effects);
    FStarted.clear();
    SetRandSeed(0);
    QDir(Pics()).removeRecursively();
    QDir(FDir.path()).mkdir("pics");
    ThreePictures();
    Order(c.pictures, c.effects);
    TForm1& form = Make();
    Activate(form);
    ExpectedDraws draws;
    int effect = draws.Random(150);
    if (effect == 0) effect = draws.Random(150);
    std::vector<Started> expected;
    int index = 0;
    for (int i = 0; i < 8; ++i) {
      if (!c.pictures) index = draws.Random(3);
      effect = c.effects ? effect + 1 : draws.Random(150);
      expected.push_back({effect, 10 * (index + 1)});
      if (c.pictures) index = (index + 1) % 3;
    }
    Cycle(form, 8);
    EXPECT_EQ(FStarted, expected);
    for (const Started& s : FStarted) EXPECT_LT(s.Style, 150);
  }
}

TEST_F(ShowScreen, OrderKeysAreReadAtEveryTick) {
  ThreePictures();
  TForm1& form = Make();
  Activate(form);
  Cycle(form, 1);
  Order(true, false);  // random effects from the next tick on
  ExpectedDraws draws;
  draws.Random(150), draws.Random(150);  // the activation's draws
  const int effect = draws.Random(150);
  Cycle(form, 1);
  EXPECT_EQ(FStarted, (std::vector<Started>{{5, 10}, {effect, 20}}));
}

TEST_F(ShowScreen, EmptyOrMissingFolderShowsNothing) {
  struct Case {
    const char* name;
    const char* dir;  // "sys" "dir"
    bool listOrder;
  };
  WritePicture(FDir.filePath("elsewhere.jpg"), 10);
  const Case cases[] = {
      {"empty pics, list order", "", true},
      {"empty pics, random order", "", false},
      {"missing folder, list order", "/no/such/folder", true},
      {"missing folder, random order", "/no/such/folder", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FIni->WriteString("sys", "dir", c.dir);
    Order(c.listOrder, true);
    TForm1& form = Make();
    Activate(form);
    EXPECT_EQ(form.PicCount, 0);
    form.Timer1.Tick();
    ASSERT_TRUE(test::WaitFor([&] { return form.PendingShows() == 0; }));
    // In either order the show waits the display interval, as after a
    // picture, instead of ticking again at once.
    EXPECT_FALSE(form.Timer1.Enabled());
    EXPECT_TRUE(form.Timer2.Enabled());
    EXPECT_TRUE(FStarted.empty());
    form.Timer2.Tick();
    EXPECT_TRUE(form.Timer1.Enabled());
  }
  EXPECT_TRUE(FReports.isEmpty());
}

// A picture copied into the empty folder shows after the next interval.
TEST_F(ShowScreen, AnEmptyFolderIsLookedAtAgainEachInterval) {
  Order(true, true);
  TForm1& form = Make();
  Activate(form);
  PictureTick(form);
  ASSERT_TRUE(form.Timer2.Enabled());
  WritePicture(Pics("new.jpg"), 10);
  form.Timer2.Tick();
  ASSERT_TRUE(test::WaitFor([&] { return form.ListComplete(); }));
  EXPECT_EQ(form.PicCount, 1);
  PictureTick(form);
  ASSERT_EQ(FStarted.size(), 1u);
  EXPECT_EQ(FStarted[0].Width, 10);
}

TEST_F(ShowScreen, ConfiguredFolderAndMasksOfShowAndPreview) {
  const QString other = FDir.filePath("photos");
  QDir().mkpath(other);
  for (const char* name : {"b.bmp", "a.jpg", "c.jpeg", "D.BMP", "e.gif", "f.jpg.txt"})
    WritePicture(other + "/" + name, 10);
  QFile::copy(other + "/a.jpg", other + "/.hidden.jpg");
  WritePicture(Pics("in-pics.jpg"), 10);
  FIni->WriteString("sys", "dir", other.toStdString());
  TForm1& show = Make();
  Activate(show);
  EXPECT_EQ(show.Memo1, (QStringList{"a.jpg", "c.jpeg"}));
  Tform6& preview = Make<Tform6>();
  Activate(preview);
  EXPECT_EQ(preview.Memo1, (QStringList{"a.jpg", "b.bmp", "c.jpeg", "D.BMP"}));
  // The preview shows a ".bmp" like any other picture.
  Cycle(preview, 4);
  EXPECT_EQ(FStarted.size(), 4u);
}

namespace {

// A picture file of the given width in the format its name gives.
void WriteFormat(const QString& path, int width) {
  Bitmap b(width, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < width; ++x) b.SetPixel(x, y, Rgb(width, x * 7, y * 9));
  const testfiles::TRgba16 samples = testfiles::TRgba16::Of(b);
  const QString ext = path.section('.', -1).toLower();
  const std::vector<std::uint8_t> bytes =
      ext == "png"    ? testfiles::WritePng(samples)
      : ext == "webp" ? testfiles::WriteWebp(samples, false)
      : ext == "avif" ? testfiles::WriteHeif(samples, true)
      : ext == "bmp"  ? EncodeBmp24(b)
      : ext == "jpg"  ? EncodeJpeg(b, 90, false)
                      : testfiles::WriteHeif(samples, false);
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

}  // namespace

// The show takes the photo formats of any case beside JPEG; the preview
// takes them too, and Windows bitmaps besides. Each is decoded and shown,
// a PNG named ".jpg" as well.
TEST_F(ShowScreen, PngWebpHeicAndAvifPhotosAreShown) {
  const struct {
    const char* Name;
    int Width;
  } files[] = {{"a.jpg", 20}, {"b.PNG", 21}, {"c.webp", 22}, {"d.HEIC", 23}, {"e.heif", 24},
               {"f.Avif", 25}, {"g.bmp", 26}, {"h.jpg", 27}, {"i.gif", 28}};
  for (const auto& f : files) WriteFormat(Pics(f.Name), f.Width);
  QFile::remove(Pics("h.jpg"));
  QFile::copy(Pics("b.PNG"), Pics("h.jpg"));  // a PNG whose name says JPEG
  TForm1& show = Make();
  Activate(show);
  EXPECT_EQ(show.Memo1,
            (QStringList{"a.jpg", "b.PNG", "c.webp", "d.HEIC", "e.heif", "f.Avif", "h.jpg"}));
  Cycle(show, 7);
  std::vector<int> widths;
  for (const Started& s : FStarted) widths.push_back(s.Width);
  EXPECT_EQ(widths, (std::vector<int>{20, 21, 22, 23, 24, 25, 21}));
  EXPECT_TRUE(FReports.isEmpty());

  FStarted.clear();
  Tform6& preview = Make<Tform6>();
  Activate(preview);
  EXPECT_EQ(preview.Memo1, (QStringList{"a.jpg", "b.PNG", "c.webp", "d.HEIC", "e.heif", "f.Avif",
                                        "g.bmp", "h.jpg"}));
  Cycle(preview, 8);
  EXPECT_EQ(FStarted.size(), 8u);
  EXPECT_EQ(FStarted[6].Width, 26);
}

TEST_F(ShowScreen, MissingAndUndecodableFiles) {
  ThreePictures();
  WriteJunk(Pics("b2.jpg"));  // between b and C
  TForm1& form = Make();
  Activate(form);
  // A file removed after the listing: the previous picture again, with the
  // next effect.
  QFile::remove(Pics("b.jpg"));
  Cycle(form, 2);
  // b2 cannot be decoded: skipped at once, without a report, and C follows
  // in the same interval.
  PictureTick(form);
  EXPECT_TRUE(form.Timer1.Enabled());
  EXPECT_FALSE(form.Timer2.Enabled());
  Cycle(form, 2);
  EXPECT_EQ(FStarted, (std::vector<Started>{{5, 10}, {6, 10}, {8, 30}, {9, 10}}));
  EXPECT_TRUE(FReports.isEmpty());
}

TEST_F(ShowScreen, AnUndecodableLastPictureHandsOverToTheIntervalTick) {
  WritePicture(Pics("a.jpg"), 10);
  WriteJunk(Pics("z.jpg"));
  TForm1& form = Make();
  Activate(form);
  Cycle(form, 1);
  PictureTick(form);  // z: skipped, and list order at its end
  EXPECT_FALSE(form.Timer1.Enabled());
  ASSERT_TRUE(form.Timer2.Enabled());
  form.Timer2.Tick();
  Cycle(form, 1);
  EXPECT_EQ(FStarted, (std::vector<Started>{{5, 10}, {7, 10}}));
}

TEST_F(ShowScreen, AnIntervalShorterThanATransitionSkipsPictures) {
  ThreePictures();
  WritePicture(Pics("d.jpg"), 40);
  TForm1& form = Make();
  Activate(form);
  form.Timer1.Tick();
  ASSERT_TRUE(test::WaitFor([&] { return form.PendingShows() == 0; }));
  ASSERT_TRUE(form.TransitionView1->Busy());
  // The first transition still runs: the next picture is loaded, but
  // Execute does nothing, and that picture is skipped.
  form.Timer2.Tick();
  form.Timer1.Tick();
  ASSERT_TRUE(test::WaitFor([&] { return form.PendingShows() == 0; }));
  EXPECT_EQ(form.TransitionView1->Picture().Width(), 20);
  form.TransitionView1->Stop();
  form.Timer2.Tick();
  Cycle(form, 1);
  EXPECT_EQ(FStarted, (std::vector<Started>{{5, 10}, {7, 30}}));
}

TEST_F(ShowScreen, DisplayIntervalZeroKeepsTheFirstPicture) {
  ThreePictures();
  FIni->WriteInteger("sys", "3", 0);
  TForm1& form = Make();
  Activate(form);
  PictureTick(form);
  EXPECT_TRUE(form.Timer2.Enabled());
  EXPECT_FALSE(form.Timer2.Running());
  EXPECT_EQ(FStarted.size(), 1u);
}

TEST_F(ShowScreen, ActivationReadsIntervalReverseStepAndFitting) {
  struct Case {
    int interval, step, fitting;
    bool reverse;
    int expectedStep;
    bool stretch, stretchFine;
  };
  const Case cases[] = {
      {15000, 6, 0, false, 6, false, false},
      {4000, 250, 1, true, 100, true, true},
      {1000, 0, 2, false, 1, true, false},
      {2000, 65536 + 7, 3, false, 7, true, false},  // 3 keeps the fitting of before
      {2000, 8, 0, false, 8, false, false},
      {2000, 8, 7, false, 8, false, false},
  };
  TForm1& form = Make();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fitting);
    FIni->WriteInteger("sys", "3", c.interval);
    FIni->WriteInteger("sys", "6", c.step);
    FIni->WriteInteger("sys", "4", c.fitting);
    FIni->WriteBool("sys", "5", c.reverse);
    Activate(form);
    EXPECT_EQ(form.Timer2.Interval(), c.interval);
    EXPECT_EQ(form.TransitionView1->Step(), c.expectedStep);
    EXPECT_EQ(form.TransitionView1->Reverse(), c.reverse);
    EXPECT_EQ(form.TransitionView1->Stretch(), c.stretch);
    EXPECT_EQ(form.TransitionView1->StretchFine(), c.stretchFine);
  }
}

TEST_F(ShowScreen, ReactivationRestartsPicturesAndMusic) {
  ThreePictures();
  for (int i = 0; i < 2; ++i) {
    QFile f(FDir.filePath(QString("s%1.wav").arg(i)));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    FIni->WriteString("song", "song" + std::to_string(i), f.fileName().toStdString());
  }
  FIni->WriteString("song", "play", "yes");
  FIni->WriteInteger("song", "how", 2);
  TForm1& form = Make();
  Activate(form);
  Cycle(form, 2);
  FPlayer->Finish();
  form.Music.Timer4.Tick();
  ASSERT_EQ(FPlayer->Mode(), mpPlaying);
  Activate(form);  // while song 1 plays
  EXPECT_EQ(FPlayer->Stops, 1);
  Cycle(form, 1);
  const QString s0 = FDir.filePath("s0.wav"), s1 = FDir.filePath("s1.wav");
  EXPECT_EQ(FPlayer->Played, (QStringList{s0, s1, s0}));
  EXPECT_EQ(FStarted.back().Width, 10);  // the first picture again
  EXPECT_EQ(form.Music.SongIndex, 0);
}

TEST_F(ShowScreen, ASongThatCannotBeOpenedIsReportedAndTheShowStillCoversTheScreen) {
  ThreePictures();
  const QString song = FDir.filePath("broken.mid");
  QFile(song).open(QIODevice::WriteOnly);
  FIni->WriteString("song", "play", "yes");
  FIni->WriteString("song", "song0", song.toStdString());
  TForm1& form = Make();
  FPlayer->Broken.insert(song);
  Activate(form);
  EXPECT_EQ(FReports.size(), 1);
  EXPECT_TRUE(form.Timer1.Enabled());
  EXPECT_EQ(CursorCounter(), -1);
  form.close();
  EXPECT_EQ(CursorCounter(), 0);
}

TEST_F(ShowScreen, TheCursorIsHiddenOnceWhileTheWindowShows) {
  TForm1& form = Make();
  ASSERT_EQ(CursorCounter(), 0);
  form.show();
  ASSERT_TRUE(test::WaitFor([&] { return CursorCounter() == -1; }));
  EXPECT_TRUE(form.Timer1.Enabled());  // the showing ran the activation
  Activate(form);
  EXPECT_EQ(CursorCounter(), -1);
  form.close();
  EXPECT_EQ(CursorCounter(), 0);
  EXPECT_EQ(form.Guard.Edit2, kGuardMarker);
}

TEST_F(ShowScreen, LargePicturesAreDecodedAtTheSizeTheScreenShows) {
  // A picture a little more than 4 times the screen, a little less wide
  // for its height than the screen.
  const QSize screen = Make().screen()->size();
  const int width = 4 * screen.width() + 100, height = 4 * screen.height() + 200;
  WritePicture(Pics("big.jpg"), width, height);
  struct Case {
    int fitting;
    int width, height;
  };
  // Own size: the part the screen shows. Fit: as high as the screen, with
  // the picture's proportions. Stretch: the screen's size.
  const int fitWidth = MulDiv(width, screen.height(), height);
  for (const Case c : {Case{0, screen.width(), screen.height()}, Case{1, fitWidth, screen.height()},
                       Case{2, screen.width(), screen.height()}}) {
    SCOPED_TRACE(c.fitting);
    FStarted.clear();
    FIni->WriteInteger("sys", "4", c.fitting);
    TForm1& form = Make();
    Activate(form);
    Cycle(form, 1);
    ASSERT_EQ(FStarted.size(), 1u);
    EXPECT_EQ(FStarted[0].Width, c.width);
    EXPECT_EQ(form.TransitionView1->Picture().Height(), c.height);
  }
}

TEST_F(ShowScreen, AnyKeyClosesTheShow) {
  TForm1& form = Make();
  form.show();
  ASSERT_TRUE(test::WaitFor([&] { return form.Timer1.Enabled() && form.ListComplete(); }));
  QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
  QCoreApplication::sendEvent(&form, &key);
  EXPECT_FALSE(form.isVisible());
}

// Sends a mouse move to the control, as the platform would.
void MoveMouse(QWidget* target) {
  QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QCoreApplication::sendEvent(target, &move);
}

TEST_F(ShowScreen, TheShowGuardInstallsAHookThatClosesAtTheNextMoveOrKey) {
  struct Case {
    const char* name;
    QEvent::Type after;  // the event that follows the trip
    bool closes;
  };
  const Case cases[] = {
      {"mouse move", QEvent::MouseMove, true},
      {"key down", QEvent::KeyPress, true},
      {"button press", QEvent::MouseButtonPress, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TForm1& form = Make();
    form.show();
    ASSERT_TRUE(test::WaitFor([&] { return form.Timer1.Enabled() && form.ListComplete(); }));
    test::TimerClock clock({&form.Guard.Timer3, &form.Guard.Timer5});
    clock.At(0, [&] { MoveMouse(form.TransitionView1); });
    clock.At(600, [&] { MoveMouse(form.TransitionView1); });
    // Tripped: the hook is in, but the event that tripped it closes nothing.
    ASSERT_TRUE(form.AppMessage.Installed());
    QCoreApplication::processEvents();
    EXPECT_TRUE(form.isVisible());
    clock.Run(2000);  // the guard itself goes idle; the hook stays
    if (c.after == QEvent::KeyPress) {
      // Sent to another object than the window: the hook still sees it.
      QKeyEvent key(QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier);
      QObject other;
      QCoreApplication::sendEvent(&other, &key);
    } else if (c.after == QEvent::MouseMove) {
      MoveMouse(form.TransitionView1);
    } else {
      QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                        Qt::LeftButton, Qt::NoModifier);
      QObject other;
      QCoreApplication::sendEvent(&other, &press);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(form.isVisible(), !c.closes);
    form.close();
  }
}

TEST_F(ShowScreen, OverAnErrorBoxTheCursorShowsAndTheGuardStillEndsTheShow) {
  SetErrorReporter({});  // the real box
  TForm1& form = Make();
  form.show();
  ASSERT_TRUE(test::WaitFor([&] { return form.Timer1.Enabled() && form.ListComplete(); }));
  ASSERT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BlankCursor);
  for (int pass = 0; pass < 3; ++pass) ReportError("Cannot open /music/broken.mp3");
  QList<QWidget*> boxes;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == "ErrorReportBox" && w->isVisible()) boxes << w;
  ASSERT_EQ(boxes.size(), 1);  // the repeats pile up no boxes
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);  // usable with the mouse
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);  // the show still gets the mouse
  test::TimerClock clock({&form.Guard.Timer3, &form.Guard.Timer5});
  clock.At(0, [&] { MoveMouse(form.TransitionView1); });
  clock.At(600, [&] { MoveMouse(form.TransitionView1); });
  QCoreApplication::processEvents();
  MoveMouse(form.TransitionView1);  // tripped: the next move ends the show
  QCoreApplication::processEvents();
  EXPECT_FALSE(form.isVisible());
  boxes.first()->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  SetErrorReporter([this](const QString& t) { FReports << t; });
}

TEST_F(ShowScreen, ThePreviewGuardClosesThePreviewAtOnce) {
  Tform6& preview = Make<Tform6>();
  preview.show();
  ASSERT_TRUE(test::WaitFor([&] { return preview.Timer1.Enabled(); }));
  test::TimerClock clock({&preview.Guard.Timer3, &preview.Guard.Timer5});
  clock.At(0, [&] { MoveMouse(preview.TransitionView1); });
  clock.At(1000, [&] { MoveMouse(preview.TransitionView1); });
  EXPECT_FALSE(preview.isVisible());
  EXPECT_EQ(preview.Guard.Edit2, kGuardMarker);
  EXPECT_EQ(CursorCounter(), 0);
  // The preview button restores the guard before the next showing.
  preview.ResetGuard();
  EXPECT_FALSE(preview.Guard.Timer3.Enabled());
  EXPECT_FALSE(preview.Guard.Timer5.Enabled());
}

TEST_F(ShowScreen, ClosingThePreviewStopsItsMusicAndItsFollowUp) {
  const QString s0 = FDir.filePath("s0.wav"), s1 = FDir.filePath("s1.wav");
  QFile(s0).open(QIODevice::WriteOnly);
  QFile(s1).open(QIODevice::WriteOnly);
  FIni->WriteString("song", "play", "yes");
  FIni->WriteInteger("song", "how", 2);
  FIni->WriteString("song", "song0", s0.toStdString());
  FIni->WriteString("song", "song1", s1.toStdString());
  Tform6& preview = Make<Tform6>();
  preview.show();
  ASSERT_TRUE(test::WaitFor([&] { return FPlayer->Mode() == mpPlaying; }));
  preview.close();
  EXPECT_EQ(FPlayer->Mode(), mpNotReady);
  // The stopped song's notification comes; the hidden preview waits.
  FPlayer->Finish();
  preview.Music.Timer4.Tick();
  EXPECT_EQ(FPlayer->Played, QStringList{s0});
  EXPECT_TRUE(preview.Music.Timer4.Enabled());
  // Shown again: the music starts over at song0.
  preview.show();
  ASSERT_TRUE(test::WaitFor([&] { return FPlayer->Played.size() == 2; }));
  EXPECT_EQ(FPlayer->Played, (QStringList{s0, s0}));
}

TEST_F(ShowScreen, AClosedPreviewChangesNoMorePictures) {
  ThreePictures();
  Order(false, true);  // random order: nothing is decoded before the tick
  Tform6& preview = Make<Tform6>();
  preview.show();
  ASSERT_TRUE(test::WaitFor([&] { return preview.Timer1.Enabled(); }));
  FStarted.clear();
  // Closed while the first picture is still being decoded.
  preview.Timer1.Tick();
  preview.close();
  test::RunEventsFor(300);  // whatever the decoder still sends
  EXPECT_TRUE(FStarted.empty());
  EXPECT_FALSE(preview.Timer1.Enabled());
  EXPECT_FALSE(preview.Timer2.Enabled());
}

TEST_F(ShowScreen, TheTimersHandOverThroughTheEventLoop) {
  ThreePictures();
  FIni->WriteInteger("sys", "3", 100);
  FIni->WriteInteger("sys", "6", 100);
  Timer::SetDrivenByHand(false);
  TForm1& form = Make();
  form.TransitionView1->SetManual(false);
  form.TransitionView1->SetDelay(0);
  form.show();
  ASSERT_TRUE(test::WaitFor([&] { return FStarted.size() >= 4; }));
  form.close();
  // The real timers tick: the first picture with effect 5, then the next
  // ones with rising effect numbers (a slow machine may skip a picture).
  EXPECT_EQ(FStarted[0], (Started{5, 10}));
  for (std::size_t i = 1; i < FStarted.size(); ++i)
    EXPECT_GT(FStarted[i].Style, FStarted[i - 1].Style);
}

// Between transitions the show does nothing until the interval ends: no
// timer of its own ticks, neither after a picture nor after the exit guard
// was armed by a single mouse move and went idle again.
TEST_F(ShowScreen, BetweenTransitionsOnlyTheIntervalTimerRuns) {
  ThreePictures();
  TForm1& form = Make();
  form.show();
  ASSERT_TRUE(test::WaitFor([&] { return form.Timer1.Enabled() && form.ListComplete(); }));
  const auto onlyTheInterval = [&] {
    return !form.Timer1.Running() && form.Timer2.Running() && !form.Guard.Timer3.Running() &&
           !form.Guard.Timer5.Running() && !form.Music.Timer4.Running() &&
           !form.TransitionView1->Busy();
  };
  PictureTick(form);
  ASSERT_TRUE(test::WaitFor([&] { return form.UnfinishedDecodes() == 0; }));  // b decoded ahead
  EXPECT_TRUE(onlyTheInterval());
  test::TimerClock clock({&form.Guard.Timer3, &form.Guard.Timer5});
  clock.At(0, [&] { MoveMouse(form.TransitionView1); });
  clock.Run(1000);
  EXPECT_TRUE(form.isVisible());
  EXPECT_TRUE(onlyTheInterval());
}

TEST_F(ShowScreen, ClearingStillStartsEachTransitionFromThePreviousPicture) {
  ThreePictures();
  Order(false, true);  // random order: the tick's picture is decoded after it
  FIni->WriteBool("sys", "7", true);
  FIni->WriteInteger("sys", "4", 2);  // stretched: every picture fills the screen
  FIni->WriteInteger("sys", "6", 100);  // one frame
  TForm1& form = Make();
  form.TransitionView1->SetManual(false);
  form.TransitionView1->SetThreaded(false);
  form.TransitionView1->SetDelay(0);
  std::vector<TPixel> oldCentre;  // the middle of what each transition starts from
  form.TransitionView1->OnStart = [&](QObject*, Bitmap&, Bitmap& old) {
    oldCentre.push_back(old.Pixel(old.Width() / 2, old.Height() / 2));
  };
  form.show();
  ASSERT_TRUE(test::WaitFor([&] { return form.Timer1.Enabled() && form.ListComplete(); }));
  for (int picture = 0; picture < 3; ++picture) {
    form.Timer1.Tick();
    // While the picture is decoded the screen keeps the previous one.
    EXPECT_EQ(form.TransitionView1->Screen().Empty(), picture == 0);
    ASSERT_TRUE(test::WaitFor([&] { return form.PendingShows() == 0; }));
    test::RunEventsFor(20);  // the paints of the finished transition
    ASSERT_TRUE(form.Timer2.Enabled());
    form.Timer2.Tick();
  }
  ASSERT_EQ(oldCentre.size(), 3u);
  EXPECT_EQ(oldCentre[0], Rgb(0, 0, 0));  // the black start screen
  for (int i = 1; i < 3; ++i) EXPECT_NE(oldCentre[i], Rgb(0, 0, 0)) << "transition " << i;
}

TEST_F(ShowScreen, UndecodablePicturesInRandomOrderWaitTheIntervalAfterAListsWorth) {
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) WriteJunk(Pics(name));
  Order(false, true);
  TForm1& form = Make();
  Activate(form);
  for (int interval = 0; interval < 2; ++interval) {
    int attempts = 0;
    while (form.Timer1.Enabled() && attempts < 50) {
      form.Timer1.Tick();
      ASSERT_TRUE(test::WaitFor([&] { return form.PendingShows() == 0; }));
      ++attempts;
    }
    EXPECT_EQ(attempts, 3);  // one per listed picture, then the interval
    ASSERT_TRUE(form.Timer2.Enabled());
    form.Timer2.Tick();
  }
  EXPECT_TRUE(FStarted.empty());
  EXPECT_TRUE(FReports.isEmpty());
}

}  // namespace
}  // namespace vantora
