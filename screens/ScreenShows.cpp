#include "screens/ScreenShows.h"

#include <algorithm>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include "screens/HostScreen.h"

namespace vantora {

TScreenShows::TScreenShows(std::string programFolder, TPlayerMaker player)
    : FProgramFolder(std::move(programFolder)), FPlayer(std::move(player)) {
  // The decodes report to this object, which hands them to every window.
  FLoader = std::make_shared<TPictureLoader>(this);
  FLoader->OnDone = [this] {
    for (const TShown& shown : FShown) shown.Window->PicturesDecoded();
  };
  // One listing and one shuffled cycle for every window.
  FLibrary = std::make_shared<TPictureLibrary>();
  FHold.setSingleShot(true);
  FHold.setInterval(1000);
  connect(&FHold, &QTimer::timeout, this, [this] { StartAll(); });
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  if (app == nullptr) return;
  connect(app, &QGuiApplication::screenAdded, this, [this](QScreen* s) {
    Watch(s);
    ScreensChanged();
  });
  connect(app, &QGuiApplication::screenRemoved, this, [this] { ScreensChanged(); });
  connect(app, &QGuiApplication::primaryScreenChanged, this, [this] { ScreensChanged(); });
  for (QScreen* s : QGuiApplication::screens()) Watch(s);
}

TScreenShows::~TScreenShows() {
  FClosing = true;
  for (const TShown& shown : FShown) delete shown.Window;
  FShown.clear();
  // Windows of removed screens still waiting for their deletion go now, so
  // their transition workers are joined before the loader goes.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TScreenShows::Watch(QScreen* s) {
  connect(s, &QScreen::geometryChanged, this, [this] { ScreensChanged(); });
}

std::vector<TForm1*> TScreenShows::Windows() const {
  std::vector<TForm1*> windows;
  for (const TShown& shown : FShown) windows.push_back(shown.Window);
  return windows;
}

void TScreenShows::Show() {
  FShowing = true;
  FollowScreens();
}

void TScreenShows::Open(QScreen* s, int index) {
  TScreenPlace place{s, index, FLoader, FLibrary};
  std::unique_ptr<TMediaPlayerBase> player;
  if (FShown.empty())
    player = FPlayer ? FPlayer() : nullptr;  // the first window plays the music
  else
    player = std::make_unique<TSilentPlayer>();
  auto* window = new TForm1(FProgramFolder, std::move(player), &place);
  window->OnClosed = [this] { Close(); };
  window->MayStart = [this, window] { return MayStart(window); };
  if (!FShown.empty()) {
    TForm1* first = FShown.front().Window;
    window->OnMouseActivity = [first] { first->TransitionView1MouseMove(); };
  }
  window->LogFrames(FStats, index);
  FShown.push_back({window, s, index});
  window->show();
}

void TScreenShows::Remove(std::size_t i) {
  TForm1* window = FShown[i].Window;
  FShown.erase(FShown.begin() + std::ptrdiff_t(i));
  // Not closed, which would end the show: hidden, and deleted once the
  // event it may be dispatching is done.
  window->OnClosed = nullptr;
  window->hide();
  window->deleteLater();
}

void TScreenShows::ScreensChanged() {
  // Screens change in bursts (one goes, the primary moves, the others
  // change place): the windows follow once the burst is over.
  if (FFollowDue) return;
  FFollowDue = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        FFollowDue = false;
        FollowScreens();
      },
      Qt::QueuedConnection);
}

void TScreenShows::FollowScreens() {
  if (!FShowing || FClosing) return;
  QList<QScreen*> screens = QGuiApplication::screens();
  // The primary screen first: the first window opens there.
  if (QScreen* primary = QGuiApplication::primaryScreen(); primary && screens.removeOne(primary))
    screens.prepend(primary);
  if (screens.isEmpty()) return;
  const auto alive = [&](const QPointer<QScreen>& s) { return s && screens.contains(s.data()); };
  // Windows of screens that went; the first one stays.
  for (std::size_t i = FShown.size(); i-- > 1;)
    if (!alive(FShown[i].Screen)) Remove(i);
  if (!FShown.empty() && !alive(FShown.front().Screen)) {
    if (FShown.size() > 1) {
      FShown.front().Screen = FShown[1].Screen;
      FShown.front().Index = FShown[1].Index;
      FShown.front().Window->LogFrames(FStats, FShown[1].Index);
      Remove(1);
    } else {
      FShown.front().Screen = screens.front();
    }
  }
  // Every window over its screen as it is now (its size may have changed).
  for (const TShown& shown : FShown) shown.Window->MoveToScreen(shown.Screen);
  // A window for every screen without one.
  for (QScreen* s : screens) {
    const bool covered = std::any_of(FShown.begin(), FShown.end(),
                                     [s](const TShown& shown) { return shown.Screen == s; });
    if (!covered) Open(s, int(screens.indexOf(s)));
  }
  FLoader->SetWindows(int(FShown.size()));
}

void TScreenShows::LogFrames(TFrameStats* stats) {
  FStats = stats;
  for (const TShown& shown : FShown) shown.Window->LogFrames(stats, shown.Index);
}

bool TScreenShows::MayStart(const TForm1* asking) {
  const auto released = std::find(FReleased.begin(), FReleased.end(), asking);
  if (released != FReleased.end()) {
    FReleased.erase(released);
    return true;
  }
  const bool allReady = std::all_of(FShown.begin(), FShown.end(), [](const TShown& shown) {
    return shown.Window->ReadyToStart();
  });
  if (!allReady) {
    if (!FHold.isActive()) FHold.start();
    return false;
  }
  StartAll(asking);
  return true;
}

void TScreenShows::StartAll(const TForm1* asking) {
  FHold.stop();
  for (const TShown& shown : FShown)
    if (shown.Window != asking && shown.Window->PendingShows() > 0 &&
        std::find(FReleased.begin(), FReleased.end(), shown.Window) == FReleased.end())
      FReleased.push_back(shown.Window);
  StartNext();
}

void TScreenShows::StartNext() {
  if (FStartQueued) return;
  std::erase_if(FReleased, [](const QPointer<TForm1>& w) { return w.isNull(); });
  // The next window that has its picture; one whose decode is still under
  // way starts as soon as it is done.
  const auto next = std::find_if(FReleased.begin(), FReleased.end(),
                                 [](const QPointer<TForm1>& w) { return w->ReadyToStart(); });
  if (next == FReleased.end()) return;
  FStartQueued = true;
  QMetaObject::invokeMethod(
      this,
      [this, window = *next] {
        FStartQueued = false;
        if (window && !FClosing) window->PicturesDecoded();
        StartNext();
      },
      Qt::QueuedConnection);
}

void TScreenShows::Close() {
  if (FClosing) return;
  FClosing = true;
  FHold.stop();
  FReleased.clear();
  // Every window at once: hidden first, so none stays on screen while the
  // others close.
  for (const TShown& shown : FShown) shown.Window->hide();
  // The platform sends what it has queued for the display server (here:
  // the unmapping of every window) whenever the event loop wakes or goes
  // to sleep; the end of the show may not pass through either before the
  // clean-up (joining workers, stopping the music) is done, so the windows
  // leave the screen now.
  if (auto* dispatcher = QAbstractEventDispatcher::instance()) emit dispatcher->awake();
  for (const TShown& shown : FShown) shown.Window->close();
  if (OnClosed) OnClosed();
}

}  // namespace vantora
