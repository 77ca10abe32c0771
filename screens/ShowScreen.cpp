#include "screens/ShowScreen.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMetaObject>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

#include "effects/TransEffect.h"
#include "platform/Cursor.h"
#include "platform/DevicePixels.h"
#include "platform/ErrorReport.h"
#include "platform/FileList.h"
#include "platform/RegularFile.h"
#include "platform/ProgramFolder.h"
#include "platform/ProgramWindow.h"
#include "settings/SettingKeys.h"
#include "screens/Music.h"

namespace vantora {

namespace {

Qt::WindowFlags FlagsOf(const TShowOptions& options) {
  Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint;
  if (options.StaysOnTop) flags |= Qt::WindowStaysOnTopHint;
  if (options.ToolWindow) flags |= Qt::Tool;
  return flags;
}

}  // namespace

TShowScreen::TShowScreen(const TShowOptions& options, std::string programFolder,
                         std::unique_ptr<TMediaPlayerBase> player, QWidget* parent)
    : QWidget(parent, FlagsOf(options)),
      TransitionView1(new TTransitionView(this)),
      MediaPlayer1(player ? std::move(player) : std::make_unique<TMediaPlayer>()),
      Guard(options.ClosingInterval),
      Music(*MediaPlayer1),
      FProgramFolder(std::move(programFolder)),
      FMask(options.Mask),
      FOwnsScreen(options.OwnsScreen),
      FPictureOffset(options.PictureOffset),
      FHome(options.Screen),
      FLoader(options.Loader),
      FSharesLoader(options.OneOfSeveral()),
      FSequence(options.Library) {
  setWindowTitle(QStringLiteral("Vantora"));
  QPalette black = palette();
  black.setColor(QPalette::Window, Qt::black);
  setPalette(black);
  setAutoFillBackground(true);
  // Mouse moves arrive without a button pressed; keys reach the window.
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(TransitionView1);
  TransitionView1->SetAlign(alClient);
  TransitionView1->SetCenter(true);
  TransitionView1->SetColor(Rgb(0, 0, 0));  // the window's colour
  TransitionView1->SetStep(options.InitialStep);
  TransitionView1->SetDirectFrames(true);  // full-screen frames cost one copy, not two
  // The window's thread paints every frame and takes the keys that end the
  // show; on a machine with fewer cores than busy threads (a worker per
  // screen, the decoder) it gets the processor first.
  TransitionView1->SetThreadPriority(tpLower);
  TransitionView1->OnMouseMove = [this](QObject*, Qt::KeyboardModifiers, int, int) {
    TransitionView1MouseMove();
  };
  TransitionView1->OnMouseDown = [this](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int,
                                        int) { TransitionView1MouseMove(); };

  Timer1.OnTimer = [this] { RunHandler([this] { Timer1Timer(); }); };
  Timer2.OnTimer = [this] { RunHandler([this] { Timer2Timer(); }); };
  Guard.OnTrip = [this] { GuardTripped(); };
  if (FOwnsScreen && !options.OneOfSeveral()) {
    FCovers = std::make_unique<TScreenCovers>(this, FlagsOf(options));
    FCovers->OnMouse = [this] { TransitionView1MouseMove(); };
  }
  if (!FLoader) {
    FLoader = std::make_shared<TPictureLoader>(this);
    FLoader->OnDone = [this] { PumpShows(); };
  }
  if (FHome) {
    setScreen(FHome);
    // Only the first of several windows takes the focus when they open.
    if (options.PictureOffset > 0) setAttribute(Qt::WA_ShowWithoutActivating);
  }
  FSequence.OnBatch = [this](const QStringList& batch) { NamesFound(batch); };
  FSequence.OnComplete = [this] { ListingComplete(); };

  // Without a window manager a full-screen state does not resize the
  // window, so it takes the screen's size from the start.
  if (QScreen* s = HomeScreen(); s && FOwnsScreen) setGeometry(s->geometry());
}

void TShowScreen::LogFrames(TFrameStats* stats, int index) {
  if (stats == nullptr) {
    TransitionView1->OnProgress = nullptr;
    return;
  }
  // OnProgress follows each frame on screen (on the transition's worker).
  TTransitionView* view = TransitionView1;
  TransitionView1->OnProgress = [stats, index, view](QObject*) {
    stats->Frame(index, view->Style());
  };
}

QScreen* TShowScreen::HomeScreen() const { return FHome ? FHome.data() : screen(); }

void TShowScreen::MoveToScreen(QScreen* s) {
  if (s == nullptr || !FSharesLoader) return;
  const bool moved = s != FHome;
  FHome = s;
  if (moved) setScreen(s);
  if (isVisible() && FOwnsScreen) CoverScreen();
}

TShowScreen::~TShowScreen() {
  Timer1.SetEnabled(false);
  Timer2.SetEnabled(false);
  FSequence.Stop();
  FShows.clear();
  // A window destroyed without being closed still gives the cursor back.
  if (FCursorHidden) ShowCursor(true);
  // The control goes first, so no event of it reaches a half-destroyed window.
  delete TransitionView1;
}

QSize TShowScreen::ScreenSize() const {
  // In device pixels, which the control composes in: a scaled screen has
  // more of them than logical units.
  QSize logical = TransitionView1->size();
  if (!FOwnsScreen)
    logical = size();  // the pictures fill the host's window
  else if (QScreen* s = HomeScreen())
    logical = s->size();
  return DevicePixels(logical, devicePixelRatioF());
}

bool TShowScreen::FittingShrinks() const { return TransitionView1->Stretch(); }

TPictureExtras TShowScreen::Extras() const {
  return {Pics.Caption, Pics.MinSide};
}

QString TShowScreen::PicturePath(const QString& name) const {
  if (!Edit1.isEmpty()) return Edit1 + QLatin1Char('/') + name;
  return QString::fromStdString(DefaultPictureFolderFor(FProgramFolder)) + QLatin1Char('/') + name;
}

void TShowScreen::FormActivate() {
  // Music of an earlier activation stops.
  Music.StopPlaying();
  // Back to the first picture; what an earlier activation fetched is dropped.
  PicIndex = 0;
  EffectNo = 0;
  FShows.clear();
  // A shared loader also holds the other screens' pictures.
  if (!FSharesLoader) FLoader->Clear();
  FFailedInARow = 0;
  // A fresh settings-file object.
  FIni = std::make_unique<TIniFile>(SettingsFileFor(FProgramFolder));
  Music.SetSettings(FIni.get());
  // A refused settings file (absurdly large) shows with the defaults and
  // says so.
  if (const std::string problem = FIni->Problem(); !problem.empty())
    ReportError(QString::fromStdString(problem));
  // The default picture folder, unless the settings name another.
  FileListBox1 = QString::fromStdString(DefaultPictureFolderFor(FProgramFolder));
  // The first effect number; the second draw stands even when it is 0.
  EffectNo = Random(150);
  if (EffectNo == 0) EffectNo = Random(150);
  // The picture folder from the settings file, when it names one.
  Edit1 = QString::fromStdString(ReadSetting(*FIni, settings::PictureFolder));
  if (!Edit1.isEmpty()) FileListBox1 = Edit1;
  // The picture list, taken once per activation on the listing's own
  // thread; it fills as the names come.
  Pics = ReadPicsSettings(*FIni);
  Memo1.clear();
  PicCount = 0;
  FWaitingForNames = false;
  FFirstShown = false;
  FSequence.Start(FileListBox1, FMask, Pics, UserStateFolder());
  // With several screens, neighbours do not show the same picture at once:
  // each starts its list at its own offset once the first names are in.
  FOffsetDue = true;
  // Display interval, direction and step. The control's step is 16 bits
  // wide; it clamps what arrives.
  Timer2.SetInterval(ReadSetting(*FIni, settings::DisplayInterval));
  TransitionView1->SetReverse(ReadSetting(*FIni, settings::Reverse));
  TransitionView1->SetStep(std::uint16_t(ReadSetting(*FIni, settings::Step)));
  // Fitting, the key read afresh for each test; other values keep it.
  if (ReadSetting(*FIni, settings::Fitting) == 1) {
    TransitionView1->SetStretch(true);
    TransitionView1->SetStretchFine(true);
  }
  if (ReadSetting(*FIni, settings::Fitting) == 2) {
    TransitionView1->SetStretchFine(false);
    TransitionView1->SetStretch(true);
  }
  if (ReadSetting(*FIni, settings::Fitting) == 0) {
    TransitionView1->SetStretchFine(false);
    TransitionView1->SetStretch(false);
  }
  // The picture timer shows the first picture as soon as timers run; the
  // pictures ahead start loading now.
  Timer1.SetEnabled(true);
  FListOrder = ReadSetting(*FIni, settings::ListOrder);
  FetchAhead();
  // A song that cannot be opened is reported, and the activation goes
  // on: the window still covers the screen and hides the cursor.
  RunHandler([this] { Music.Start(); });
  // The window covers the screen.
  if (isVisible() && FOwnsScreen) CoverScreen();
  // One hiding per window: an activation while the cursor is already
  // hidden by this window keeps the counter where it is, so closing always
  // gives the cursor back.
  if (FOwnsScreen && !FCursorHidden) {
    ShowCursor(false);
    FCursorHidden = true;
  }
}

void TShowScreen::CoverScreen() {
  if (QScreen* s = HomeScreen()) setGeometry(s->geometry());
  setWindowState(windowState() | Qt::WindowFullScreen);
}

void TShowScreen::NamesFound(const QStringList& batch) {
  Memo1 += batch;
  PicCount = int(Memo1.size());
  if (FOffsetDue && PicIndex == 0) PicIndex = FPictureOffset % PicCount;
  FOffsetDue = false;
  if (FWaitingForNames) {
    FWaitingForNames = false;
    Timer1.SetEnabled(true);
  }
  FetchAhead();
}

void TShowScreen::ListingComplete() {
  if (FWaitingForNames) {
    FWaitingForNames = false;
    Timer1.SetEnabled(true);
  }
}

bool TShowScreen::PictureAvailable(bool listOrder) {
  bool available;
  if (listOrder) {
    available = PicIndex < PicCount || ListComplete();
  } else if (FSequence.NoRepeat()) {
    std::optional<QString> next = FSequence.NextUnrepeated(
        [this](const QString& name) { return IsRegularFile(PicturePath(name)); });
    available = next.has_value();
    if (next) FNextUnrepeated = std::move(*next);
  } else {
    // Random(PicCount) over the whole list, so that a run draws as every
    // run before it did.
    available = ListComplete();
  }
  if (!available) {
    Timer1.SetEnabled(false);
    FWaitingForNames = true;
    // The first names are on their way anyway; beyond them the show waits
    // for the listing, which must not hold back. Random(PicCount) waits
    // for the whole list.
    if (PicCount > 0 || (!listOrder && !FSequence.NoRepeat())) FSequence.GoOn(true);
  }
  return available;
}

QString TShowScreen::RandomPicture() {
  if (!FSequence.NoRepeat()) {
    PicIndex = Random(PicCount);
    return Memo1.value(PicIndex);
  }
  // Taken by the tick's check; a second pick in one tick (the order key
  // changed between its two reads) takes the next of the cycle.
  if (FNextUnrepeated) return *std::exchange(FNextUnrepeated, std::nullopt);
  return FSequence
      .NextUnrepeated([this](const QString& name) { return IsRegularFile(PicturePath(name)); })
      .value_or(QString());
}

void TShowScreen::Timer1Timer() {
  FTickAsked = false;
  FClearDue = ReadSetting(*FIni, settings::ClearBefore);
  FNextUnrepeated.reset();
  if (!PictureAvailable(ReadSetting(*FIni, settings::ListOrder))) {
    FClearDue = false;
    return;
  }
  if (ReadSetting(*FIni, settings::ListOrder)) {
    FListOrder = true;
    if (ReadSetting(*FIni, settings::EffectsInSequence) && PicIndex < PicCount) {
      EffectNo = EffectNo + 1;
      TransitionView1->SetStyle(EffectNo);
      ShowAPicture(Memo1.value(PicIndex));
    }
    if (!ReadSetting(*FIni, settings::EffectsInSequence) && PicIndex < PicCount) {
      EffectNo = Random(150);
      TransitionView1->SetStyle(EffectNo);
      ShowAPicture(Memo1.value(PicIndex));
    }
  }
  if (!ReadSetting(*FIni, settings::ListOrder)) {
    FListOrder = false;
    if (ReadSetting(*FIni, settings::EffectsInSequence)) {
      const QString name = RandomPicture();
      EffectNo = EffectNo + 1;
      TransitionView1->SetStyle(EffectNo);
      ShowAPicture(name);
    }
    if (!ReadSetting(*FIni, settings::EffectsInSequence)) {
      const QString name = RandomPicture();
      EffectNo = Random(150);
      TransitionView1->SetStyle(EffectNo);
      ShowAPicture(name);
    }
  }
  // A tick that asks for no picture clears at once.
  if (FClearDue) TransitionView1->Clear();
  FClearDue = false;
  // Nothing to show (an empty folder, or the list at its end): wait the
  // display interval like any other picture, rather than tick again at
  // once and spin.
  if (!FTickAsked) {
    Timer1.SetEnabled(false);
    Timer2.SetEnabled(true);
  }
}

void TShowScreen::ShowAPicture(const QString& name) {
  FTickAsked = true;
  // A line past the end of the list reads as an empty name, which names the
  // folder itself and so no file.
  const QString path = PicturePath(name);
  TPictureClaim job;
  if (IsRegularFile(path))
    job = TPictureClaim(FLoader->Request(path, ScreenSize(), FittingShrinks(),
                                         TransitionView1->StretchFine(), Extras()));
  // The listing waits while the first picture is made ready.
  if (!FFirstShown) FSequence.Hold();
  FShows.push_back({std::move(job), FClearDue});
  FClearDue = false;
  PicIndex = PicIndex + 1;
  Timer1.SetEnabled(false);
  PumpShows();
}

void TShowScreen::PumpShows() {
  while (!FShows.empty()) {
    if (FShows.front().Job && !FShows.front().Job->Done) return;  // its OnDone comes back here
    if (MayStart && !MayStart()) return;  // PicturesDecoded comes back here
    TPictureClaim job = std::move(FShows.front().Job);
    const bool clear = FShows.front().Clear;
    FShows.pop_front();
    const bool shown = (!job || job->Error.empty()) && StartTransition(std::move(job), clear);
    if (shown) {
      FFailedInARow = 0;
      Timer2.SetEnabled(true);
      // The first picture is on screen: the listing may have the machine.
      if (!std::exchange(FFirstShown, true)) FSequence.GoOn(false);
    } else if (++FFailedInARow >= PicCount || (FListOrder && PicIndex >= PicCount)) {
      // A whole list's worth of pictures failed (in random order too), or
      // the list is at its end: wait the interval rather than spin.
      FFailedInARow = 0;
      Timer2.SetEnabled(true);
    } else {
      Timer1.SetEnabled(true);  // straight on to the next picture
    }
  }
  FetchAhead();
}

bool TShowScreen::StartTransition(TPictureClaim job, bool clear) {
  // Cleared right before the new picture's transition, with no paint in
  // between: the transition still starts from what the screen shows.
  if (clear) TransitionView1->Clear();
  if (job) {
    FLoader->Forget(job.Job());  // no later request shares it
    TransitionView1->SetPicture(job.Take());
  }
  try {
    TransitionView1->Execute();
  } catch (const std::exception&) {
    return false;  // a picture the control cannot take is skipped, like an undecodable one
  }
  return true;
}

void TShowScreen::FetchAhead() {
  if (!FListOrder || PicCount == 0 || !FShows.empty()) return;
  const int next = PicIndex < PicCount ? PicIndex : 0;
  const QString path = PicturePath(Memo1.value(next));
  if (IsRegularFile(path))
    FLoader->Request(path, ScreenSize(), FittingShrinks(), TransitionView1->StretchFine(), Extras());
}

void TShowScreen::Timer2Timer() {
  // A folder that had nothing to show is looked at again once per
  // interval, so pictures copied into it later appear; the next tick waits
  // for that listing.
  if (PicCount == 0 && ListComplete()) FSequence.Start(FileListBox1, FMask, Pics, UserStateFolder());
  // A list still growing goes on past its current end instead of wrapping.
  if (ReadSetting(*FIni, settings::ListOrder) && PicIndex == PicCount && ListComplete())
    PicIndex = 0;
  if (EffectNo == 150) EffectNo = 0;
  Timer2.SetEnabled(false);
  Timer1.SetEnabled(true);
}

void TShowScreen::StopPictures() {
  FSequence.Stop();
  FWaitingForNames = false;
  Timer1.SetEnabled(false);
  Timer2.SetEnabled(false);
  FShows.clear();
  FLoader->Clear();
}

void TShowScreen::TransitionView1MouseMove() {
  if (OnMouseActivity)
    OnMouseActivity();
  else
    Guard.MouseEvent();
}

void TShowScreen::FormClose() {
  if (FCursorHidden) {
    ShowCursor(true);
    FCursorHidden = false;
  }
  Guard.FormClose();
}

void TShowScreen::RunActivation() {
  RunHandler([this] { FormActivate(); });
}

bool TShowScreen::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate) {
    if (FShowActivationDue) {
      FShowActivationDue = false;
      FAbsorbActivate = false;
      RunActivation();
    } else if (FAbsorbActivate) {
      FAbsorbActivate = false;  // the showing already ran this activation
    } else if (FReactivates) {
      FReactivates = false;
      RunActivation();
    }
  } else if (e->type() == QEvent::WindowDeactivate) {
    // Coming back from another of our windows is a new activation; coming
    // back from a message box (an error report) or another program is not.
    // The show windows of several screens pass the focus between them
    // (the pointer moves to another screen): the show goes on.
    QWidget* now = QApplication::activeWindow();
    const auto* sibling = dynamic_cast<const TShowScreen*>(now);
    const bool oneShow = sibling && sibling->FLoader == FLoader;
    FReactivates = now != this && IsProgramWindow(now) && !oneShow;
    FAbsorbActivate = false;
  }
  return QWidget::event(e);
}

void TShowScreen::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  FShowActivationDue = true;
  FReactivates = false;
  if (FOwnsScreen && !testAttribute(Qt::WA_ShowWithoutActivating)) {
    raise();
    activateWindow();
    setFocus(Qt::ActiveWindowFocusReason);
  } else if (FOwnsScreen) {
    raise();
  }
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (!FShowActivationDue) return;
        FShowActivationDue = false;
        FAbsorbActivate = true;
        RunActivation();
      },
      Qt::QueuedConnection);
}

void TShowScreen::hideEvent(QHideEvent* e) {
  QWidget::hideEvent(e);
  FShowActivationDue = false;
  FAbsorbActivate = false;
  FReactivates = false;
}

void TShowScreen::closeEvent(QCloseEvent* e) {
  RunHandler([this] { FormClose(); });
  e->accept();
  if (OnClosed) OnClosed();
}

void TShowScreen::keyPressEvent(QKeyEvent* e) {
  e->accept();
  close();
}

}  // namespace vantora
