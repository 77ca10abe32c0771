#pragma once
// The show on every screen: one show window (TForm1) per screen, each
// frameless over its screen, above other windows, with the cursor hidden.
// Each runs its own sequence with the same settings; window k starts k
// pictures further along the list, so neighbours do not show the same
// picture at the same moment, and draws its own effects. They share:
//
// - one decoder, so a picture that two screens of the same size need at the
//   same time is decoded once;
// - one listing of the picture folder, and in random order without repeats
//   one shuffled cycle: no screen shows a picture again before every screen
//   has had its share of the cycle, and one cycle state is kept;
// - one music playlist, played by the first window (the others have silent
//   players);
// - one exit guard, the first window's: mouse activity over any window arms
//   it, so movement that crosses screens counts, and once it trips its
//   application-wide hook ends the show at the next key or move anywhere;
// - one end: a key on any window, or any window closing, closes them all.
//
// Their display times run together: a window whose next picture is ready
// waits for the others' (at most a second, so a slow decode or a failing
// picture on one screen does not stop the rest), and then all transitions
// start at once.
//
// Screens that come, go or change size while the show runs are followed: a
// new screen gets a window of its own, a removed screen's window goes, and
// the windows keep covering their screens. The first window never goes, as
// it holds the music and the guard: when its screen is removed it takes
// over the screen of another window, which goes instead.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QTimer>

#include "platform/MediaPlayer.h"
#include "platform/ProgramFolder.h"
#include "screens/Unit1.h"

class QScreen;

namespace vantora {

class TScreenShows : public QObject {
 public:
  using TPlayerMaker = std::function<std::unique_ptr<TMediaPlayerBase>()>;

  // player: makes the first window's media player (a TMediaPlayer when
  // unset).
  explicit TScreenShows(std::string programFolder = vantora::ProgramFolder(),
                        TPlayerMaker player = {});
  ~TScreenShows() override;
  TScreenShows(const TScreenShows&) = delete;
  TScreenShows& operator=(const TScreenShows&) = delete;

  // Opens and shows a window on every screen.
  void Show();
  // Closes every window; the show ends.
  void Close();

  // The windows, the first one (music and guard) first.
  std::vector<TForm1*> Windows() const;
  // Every window logs its frames to stats (null: none), as its screen's
  // index; stats outlives the windows.
  void LogFrames(TFrameStats* stats);

  // The decoder and the picture library the windows share.
  const TPictureLoader& Loader() const { return *FLoader; }
  const TPictureLibrary& Library() const { return *FLibrary; }
  // Runs when the windows closed.
  std::function<void()> OnClosed;

  // Makes the windows match the screens as they are now (the screen
  // notifications call it soon after a change).
  void FollowScreens();

 private:
  struct TShown {
    TForm1* Window;  // owned
    QPointer<QScreen> Screen;
    int Index;  // the screen's place when the window opened
  };
  void Open(QScreen* s, int index);
  void Remove(std::size_t i);
  void Watch(QScreen* s);
  void ScreensChanged();
  bool MayStart(const TForm1* asking);
  // Lets every held transition start; the asking window starts its own.
  void StartAll(const TForm1* asking = nullptr);
  void StartNext();

  std::string FProgramFolder;
  TPlayerMaker FPlayer;
  std::shared_ptr<TPictureLoader> FLoader;
  std::shared_ptr<TPictureLibrary> FLibrary;
  std::vector<TShown> FShown;
  bool FShowing = false;
  bool FClosing = false;
  bool FFollowDue = false;
  TFrameStats* FStats = nullptr;  // the frame log, or null
  // Windows let go whose transitions have not started yet, started one
  // per turn of the event loop: preparing a transition takes the window
  // thread a while, and a key pressed meanwhile must not wait for all.
  std::vector<QPointer<TForm1>> FReleased;
  bool FStartQueued = false;
  QTimer FHold;  // how long a ready window waits for the others
};

}  // namespace vantora
