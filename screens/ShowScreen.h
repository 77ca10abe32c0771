#pragma once
// The show: one full-screen window that lists a picture folder when it is
// activated and then alternates between two timers. The picture timer Timer1
// chooses the next picture and effect number, loads the picture into
// TransitionView1 and starts the transition; the interval timer Timer2 waits
// the display interval and hands back to Timer1. Music plays beside it and
// the exit guard watches the mouse.
//
// TShowScreen holds everything the show window TForm1 and the preview window
// Tform6 share; the two differ only in the few options of TShowOptions and in
// what a tripped guard and closing do.
//
// Pictures are decoded on a worker (TPictureLoader). The picture tick makes
// its random draws, moves PicIndex on and switches Timer1 off at once; the
// decoded picture is loaded and its transition started (then Timer2
// switched on) as soon as the decoder is done, in the order the ticks asked
// for them. In list order the next picture is decoded ahead during the
// display interval, so the tick normally finds it ready. With "clear the
// previous picture" set, the control is cleared right before the decoded
// picture's transition starts, not at the tick: no paint runs between the
// two, so the transition still grows out of the previous picture.
//
// The picture folder is listed on a thread of its own (TPictureSequence),
// so a library of any size never holds the window: in list order the show
// starts on the first names found and the later ones join the list behind
// them. A tick that finds no picture it may show yet (list order at the end
// of a list still growing, a random draw, which needs the whole list)
// switches Timer1 off until more names come; the list wraps to its first
// picture only once it is complete. With "pics" "norepeat" the random
// order is a shuffled cycle of its own (TShuffleCycle), which starts on the
// names found so far and takes the later ones in, and the program-wide
// generator is left to the effects.

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QPointer>
#include <QScreen>
#include <QStringList>
#include <QWidget>

#include "platform/MediaPlayer.h"
#include "platform/Timer.h"
#include "screens/ExitGuard.h"
#include "screens/FrameStats.h"
#include "screens/Music.h"
#include "screens/PictureLoader.h"
#include "screens/PictureSequence.h"
#include "screens/ScreenCovers.h"
#include "settings/IniFile.h"
#include "settings/PicsSettings.h"
#include "transition/TransitionView.h"

namespace vantora {

struct TShowOptions {
  QString Mask;  // FileListBox1's mask
  int ClosingInterval = 800;  // Timer5
  int InitialStep = 4;  // TransitionView1.Step until activation
  bool StaysOnTop = true;
  bool ToolWindow = true;  // no task-bar entry
  // The show covers the screen: it takes the focus, hides the cursor and
  // goes full screen. False for a show inside a window another program owns
  // (the screen-saver host), which keeps all of that to itself.
  bool OwnsScreen = true;
  // One of several show windows, one per screen (TScreenShows): it covers
  // Screen and no other, starts PictureOffset pictures further along the
  // list, decodes through the Loader all of them share and takes its
  // pictures from their one Library (one listing, one shuffled cycle).
  // Otherwise the window takes the screen it opens on, covers the others in
  // black, and lists and decodes on its own.
  QPointer<QScreen> Screen;
  int PictureOffset = 0;
  std::shared_ptr<TPictureLoader> Loader;
  std::shared_ptr<TPictureLibrary> Library;
  bool OneOfSeveral() const { return Loader != nullptr; }
};

class TShowScreen : public QWidget {
 public:
  // programFolder: the program file's folder with its trailing "/", from
  // which the settings file and the default picture folder are found
  // (SettingsFileFor, DefaultPictureFolderFor). player: MediaPlayer1
  // (a TMediaPlayer when null).
  TShowScreen(const TShowOptions& options, std::string programFolder,
              std::unique_ptr<TMediaPlayerBase> player = nullptr, QWidget* parent = nullptr);
  ~TShowScreen() override;

  // Handlers, public so tests can drive them.
  void FormActivate();
  void Timer1Timer();
  void Timer2Timer();
  void TransitionView1MouseMove();

  // Runs after the window closed (the windows of other screens close too).
  std::function<void()> OnClosed;
  // Mouse activity for the exit guard; the windows of several screens feed
  // one guard, so movement that goes from one screen to the next counts.
  std::function<void()> OnMouseActivity;
  // The shared loader has a decoded picture: the window takes it if it is
  // the one it waits for.
  void PicturesDecoded() { PumpShows(); }
  // When set, a decoded picture's transition starts only once this allows
  // it; the windows of several screens start theirs together, so their
  // display times run side by side. PicturesDecoded lets it try again.
  std::function<bool()> MayStart;
  // A picture asked for by a tick is decoded (or has no file): its
  // transition is due to start.
  bool ReadyToStart() const {
    return !FShows.empty() && (!FShows.front().Job || FShows.front().Job->Done);
  }
  // Logs every transition frame shown to stats (null: none) as screen
  // index; stats outlives the window.
  void LogFrames(TFrameStats* stats, int index);
  // The screen this window covers, and a new one for it (a window of
  // several screens only).
  QScreen* HomeScreen() const;
  void MoveToScreen(QScreen* s);

  // Components and state, named as in the window's layout.
  TTransitionView* TransitionView1;
  Timer Timer1{1};  // picture timer
  Timer Timer2{5000};  // interval timer; the interval comes from "sys" "3"
  QString Edit1;  // picture folder as configured (empty = "pics")
  std::unique_ptr<TMediaPlayerBase> MediaPlayer1;
  QString FileListBox1;  // the folder that is listed
  QStringList Memo1;  // the picture list, one name per line
  TExitGuard Guard;  // Edit2, Timer3, Timer5
  TMusic Music;  // SongIndex, Timer4

  int PicCount = 0;
  int PicIndex = 0;
  int EffectNo = 0;
  TPicsSettings Pics;  // "pics", read at activation

  // Whether the picture list is complete (the folder's listing has ended).
  bool ListComplete() const { return FSequence.Complete(); }

  // The black windows over the other monitors; null for a hosted show.
  const TScreenCovers* Covers() const { return FCovers.get(); }
  const std::string& ProgramFolder() const { return FProgramFolder; }
  // Decodes waiting for their turn (tests wait for this to drop to 0).
  int PendingShows() const { return int(FShows.size()); }
  // Pictures queued or being decoded, also those decoded ahead.
  int UnfinishedDecodes() const { return FLoader->Unfinished(); }

 protected:
  // A mouse event met an open guard.
  virtual void GuardTripped() = 0;
  // Closing: the cursor shown again and the marker back (subclasses add).
  virtual void FormClose();
  // Both picture timers off and pictures still being decoded forgotten.
  void StopPictures();

  bool event(QEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  QString PicturePath(const QString& name) const;
  void ShowAPicture(const QString& name);
  // The picture of a random tick: Random(PicCount), or the next of the
  // shuffled cycle.
  QString RandomPicture();
  // Whether the tick may choose a picture now; if not, Timer1 rests until
  // the listing brings more names.
  bool PictureAvailable(bool listOrder);
  void NamesFound(const QStringList& batch);
  void ListingComplete();
  void PumpShows();
  // Loads the decoded picture (none: the control keeps its picture) and
  // starts its transition; false when the control could not take it.
  bool StartTransition(TPictureClaim job, bool clear);
  void FetchAhead();
  void CoverScreen();
  QSize ScreenSize() const;
  bool FittingShrinks() const;
  TPictureExtras Extras() const;  // caption and smallest size, from "pics"
  void RunActivation();

  std::string FProgramFolder;
  QString FMask;
  bool FOwnsScreen;
  int FPictureOffset;
  QPointer<QScreen> FHome;  // the screen covered, with several (else screen())
  std::unique_ptr<TScreenCovers> FCovers;  // the other monitors (owning the screen only)
  std::unique_ptr<TIniFile> FIni;
  std::shared_ptr<TPictureLoader> FLoader;  // own, or shared by the windows of several screens
  bool FSharesLoader;
  TPictureSequence FSequence;
  bool FWaitingForNames = false;  // Timer1 rests until the listing brings more
  bool FFirstShown = false;  // the activation's first picture is on screen
  std::optional<QString> FNextUnrepeated;  // the cycle's pick for this tick
  bool FOffsetDue = false;  // PicIndex takes the screen's offset at the first names
  // A picture asked for by a tick: its decode (null = no file to load) and
  // whether the tick asked for the control to be cleared first.
  struct TPendingShow {
    TPictureClaim Job;
    bool Clear = false;
  };
  std::deque<TPendingShow> FShows;  // in the order the ticks asked
  bool FClearDue = false;  // "sys" "7" as the running tick read it
  bool FTickAsked = false;  // the running tick asked for a picture
  int FFailedInARow = 0;  // pictures skipped since the last one shown
  bool FListOrder = true;  // "sys" "1" as the last tick read it
  bool FCursorHidden = false;  // this window's one hiding of the cursor

  // Activation bookkeeping: the show runs its activation when it is shown
  // (some desktops never activate a window) and again at each activation
  // that follows another of our windows, but not twice for one showing.
  bool FShowActivationDue = false;
  bool FAbsorbActivate = false;
  bool FReactivates = false;
};

}  // namespace vantora
