#pragma once
// TTransitionView: a widget that shows one picture and changes to the next
// one through an animated transition, composed frame by frame by one of the
// effects of the effect table (or by the owner, for style 0), on a worker
// thread or in the caller's loop, and painted with its own background and
// fitting rules.
//
// Threads of a threaded run. The widget's thread sets the properties, runs
// Execute (OnStart), Stop, every paint and the end of the run (OnComplete,
// OnStop); the TAnimateThread raises OnBeforeNewFrame, OnCustomDraw,
// OnAfterNewFrame and OnProgress. Per frame the worker takes FLock, composes
// FScreen under the canvas locks, adds the frame's rectangle to
// FPendingFrame, posts WM_SHOWFRAME and waits on FFrameEvent, which the
// paint of that rectangle signals, before OnProgress and the next frame.
// Which thread touches which member, and the locks, are told where the
// members are declared.
// Stop terminates the worker, which wakes its sleep and both waits on
// FFrameEvent (they end on the event or on termination), joins it, signals
// FFrameEvent for the next run and deals at once with what the worker
// posted (its done message, frame requests, stop request); called on the
// worker, Stop is posted to the widget's thread, as no thread joins itself.
// Each worker has a generation number, carried by its frame requests and its
// WM_THREADDONE, so that no event of an earlier worker can finish the
// current run or release its wait for a paint.

#include <QEvent>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "effects/TransEffect.h"
#include "raster/Bitmap.h"
#include "raster/Picture.h"
#include "raster/Rect.h"
#include "raster/Region.h"
#include "transition/LockedBitmap.h"
#include "transition/ManualResetEvent.h"

namespace vantora {

enum TBackgroundMode { bmNone = 0, bmTiled = 1, bmStretched = 2, bmCentered = 3 };
enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };
// How the owner's layout places the control; alClient means a layout fills
// the window with it, so the control never sizes itself to its picture.
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// The system's window colour, the control's colour until the owner sets one.
constexpr TPixel clWindow = Rgb(255, 255, 255);

// Design-time placeholder of the About property; never created.
class TAbout {};

using TNotifyEvent = std::function<void(QObject* Sender)>;
using TCustomDrawEvent = std::function<void(QObject* Sender, Bitmap& Picture, Bitmap& Screen)>;
using TMouseMoveEvent =
    std::function<void(QObject* Sender, Qt::KeyboardModifiers Shift, int X, int Y)>;
using TMouseEvent = std::function<void(QObject* Sender, Qt::MouseButton Button,
                                       Qt::KeyboardModifiers Shift, int X, int Y)>;

// The largest rectangle of Source's proportions inside Bounds, centred in it
// (pictures smaller than Bounds are enlarged). Only Source's size matters.
TRect FitRect(const TRect& Source, const TRect& Bounds);
// G repeated from the top-left corner of R: height(R) div height(G) + 1 rows
// and width(R) div width(G) + 1 columns; the last ones are cut by Canvas.
void TileDraw(Bitmap& Canvas, const TRect& R, const Picture& G, const Region* clip = nullptr);
// The smallest rectangle holding both (an empty one adds nothing).
TRect United(const TRect& a, const TRect& b);

class TCustomTransitionView;

// The worker of a threaded transition: advances the progress one frame per
// completed paint, at most one frame per Delay milliseconds, and posts
// WM_THREADDONE to the control when it ends (also after an error).
class TAnimateThread {
 public:
  TAnimateThread(TCustomTransitionView* View, std::uint64_t Generation,
                 TThreadPriority Priority = tpNormal);
  ~TAnimateThread();
  TAnimateThread(const TAnimateThread&) = delete;
  TAnimateThread& operator=(const TAnimateThread&) = delete;

  void Terminate();
  bool Terminated() const { return FTerminated.load(); }
  void WaitFor();
  bool Started() const { return FStarted.load(); }
  std::uint64_t Generation() const { return FGeneration; }

 private:
  void Execute();
  void NextFrame();

  std::atomic<bool> FStarted{false};
  std::atomic<bool> FTerminated{false};
  TCustomTransitionView* FView;  // not owned
  std::uint64_t FGeneration;  // tells this worker's done message from older ones
  TThreadPriority FPriority;
  ManualResetEvent FWake;  // cuts the sleep between frames short on Terminate
  std::thread FThread;  // started last, when every other member is ready
};

class TCustomTransitionView : public QWidget {
 public:
  // WM_THREADDONE: posted by the worker when it ends.
  static constexpr QEvent::Type WM_THREADDONE = QEvent::Type(QEvent::User + 1);
  // Posted by the worker for each frame to be shown.
  static constexpr QEvent::Type WM_SHOWFRAME = QEvent::Type(QEvent::User + 2);
  // Posted when Stop is called on the worker (from a frame's event handler).
  static constexpr QEvent::Type WM_STOPREQUEST = QEvent::Type(QEvent::User + 3);
  // The tick count in milliseconds of the frame loops; tests replace it.
  static std::function<std::uint32_t()> TickCount;
  // Points of a threaded run where a test may hold a thread to force one
  // interleaving of the worker and Stop: the worker's wait for the paint of
  // the previous frame has ended (and it was not terminated), and Stop has
  // told the worker to end but not yet joined it. Unset outside tests.
  enum TRunPoint { rpFrameWaitEnded, rpStopSignalled };
  static std::function<void(TRunPoint)> OnRunPoint;

  explicit TCustomTransitionView(QWidget* parent = nullptr);
  ~TCustomTransitionView() override;

  // Properties.
  TAbout* About() const { return FAbout; }  // design-time placeholder, never stored
  void SetAbout(TAbout* Value) { FAbout = Value; }
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  TBackgroundMode BgMode() const { return FBgMode; }
  void SetBgMode(TBackgroundMode Value);
  const vantora::Picture& BgPicture() const { return FBgPicture; }
  void SetBgPicture(const vantora::Picture* Value);  // nullptr clears the graphic
  bool Center() const { return FCenter; }
  void SetCenter(bool Value);
  int Delay() const { return FDelay.load(); }
  void SetDelay(int Value) { FDelay = std::uint16_t(std::clamp(Value, 0, 65535)); }
  bool Manual() const { return FManual; }
  void SetManual(bool Value);
  bool OverDraw() const { return FOverDraw; }
  void SetOverDraw(bool Value) { FOverDraw = Value; }
  const vantora::Picture& Picture() const { return FPicture; }
  void SetPicture(const vantora::Picture* Value);  // nullptr clears the graphic
  void SetPicture(vantora::Picture&& Value);
  bool Reverse() const { return FReverse.load(); }
  void SetReverse(bool Value) { FReverse = Value; }
  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value);
  bool StretchFine() const { return FStretchFine; }
  void SetStretchFine(bool Value);
  int Step() const { return FStep.load(); }
  void SetStep(int Value);
  int Style() const { return FStyle.load(); }
  void SetStyle(int Value);
  std::string StyleName() const;
  void SetStyleName(const std::string& Value);
  bool Threaded() const { return FThreaded; }
  void SetThreaded(bool Value) { FThreaded = Value; }
  TThreadPriority ThreadPriority() const { return FThreadPriority; }
  void SetThreadPriority(TThreadPriority Value) { FThreadPriority = Value; }
  TPixel Color() const { return FColor; }
  void SetColor(TPixel Value);
  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign Value);
  int Progress() const { return FProgress.load(); }
  void SetProgress(int Value);
  bool Busy() const { return FBusy.load(); }

  // Where the frame bitmap sits when not stretched, and the frame bitmap
  // itself (the last frame stays shown after a transition).
  TRect PicRect() const { return FPicRect; }
  const LockedBitmap& Screen() const { return FScreen; }
  // What the last paints put on screen (the client area). With DirectFrames
  // it is brought up to date first, which only the widget's thread may ask.
  const LockedBitmap& Buffer();
  // Frames go to the window straight from the frame bitmap wherever they
  // cover what is repainted, without first being copied into the buffer,
  // which catches up only when it is needed (the start of the next
  // transition, Clear, a repaint that shows background). On a large
  // screen this halves what each frame costs the widget's thread. Off by
  // default: the buffer then always holds what is on screen, for any
  // thread that looks.
  bool DirectFrames() const { return FDirectFrames; }
  void SetDirectFrames(bool Value) { FDirectFrames = Value; }

  // Events, raised by the virtual operations below.
  TNotifyEvent OnChange;
  TNotifyEvent OnProgress;
  TNotifyEvent OnComplete;
  TCustomDrawEvent OnCustomDraw;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TCustomDrawEvent OnBeforeNewFrame;
  TCustomDrawEvent OnAfterNewFrame;
  TCustomDrawEvent OnStart;
  TNotifyEvent OnStop;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseDown;

  // Fills R of Canvas with the background: Color, then BgPicture by BgMode.
  // Only the pixels inside clip are written when a clip is given.
  virtual void PaintBackground(Bitmap& Canvas, const TRect& R, const Region* clip = nullptr);
  virtual void DoChange();
  virtual void DoProgress();
  virtual void DoCustomDraw(Bitmap& Picture, Bitmap& Screen);
  virtual void DoBeforeNewFrame(Bitmap& Picture, Bitmap& Screen);
  // Whether DoBeforeNewFrame must be called at every frame, between the reset
  // of the frame to the old content and the effect. A descendant that
  // overrides DoBeforeNewFrame returns true; the plain control calls it only
  // for an OnBeforeNewFrame handler, and without one lets the effects that
  // can compose a frame in one pass skip the reset.
  virtual bool WantsBeforeNewFrame() const { return false; }
  virtual void DoAfterNewFrame(Bitmap& Picture, Bitmap& Screen);
  virtual void DoComplete();
  virtual void DoStart(Bitmap& Picture, Bitmap& Screen);
  virtual void DoStop();
  // Starts a transition from what is shown to Picture.
  virtual void Execute();
  // Ends a running transition at once: OnStop, never OnComplete.
  virtual void Stop();
  // Forgets the shown frame; the control then shows its background only.
  virtual void Clear();

 protected:
  // Composes the part E of the client area into FBuffer and shows it.
  virtual void Paint(const TRect& E);

  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void enterEvent(QEnterEvent* e) override;
  void leaveEvent(QEvent* e) override;

 private:
  friend class TAnimateThread;

  // The client area in device pixels. The frame, the buffer and every
  // placement are in device pixels, so a picture at its own size covers one
  // screen pixel per pixel and fitting fills the screen's real pixels on a
  // scaled screen too; only the widget's geometry and paint requests are in
  // logical units, converted by the two below.
  TRect ClientRect() const;
  TRect DeviceRect(const QRect& logical) const;
  // Asks for a repaint of the widget's logical area that covers R.
  void UpdateDevice(const TRect& R, bool now = false);
  void PictureChanged();
  void BgPictureChanged();
  void AdjustClientSize();
  void CalcPicRect();
  void SyncBufferSize();
  // With DirectFrames: E is shown straight from the frame bitmap when the
  // frame covers it at its own size; false when it must be composed.
  bool PaintDirect(const TRect& E);
  // Composes into FBuffer what direct frames put on screen since it was
  // last brought up to date.
  void CatchUpBuffer();
  void Invalidate();
  TRect StretchTarget() const;
  TRect PlacedFrameRect() const;

  void Prepare();
  int NextProgress() const;
  bool AtEnd() const;
  void Animate();
  void AnimateInLoop();
  void RenderFrame();
  void InvalidateFrame(const TRect& R);
  TRect ClientFrameRect(const TRect& R) const;
  void ShowFrame(const TRect& R, std::uint64_t Generation);
  void ThreadDone(std::uint64_t Generation);
  void PostFromWorker(QEvent* e);
  void Finish();
  bool StopThread();
  // Whether this thread is composing a frame of this control further out,
  // and so holds FLock and the canvas locks of FImage, FScreen, FOldScreen.
  bool ComposingHere() const;

  // Who touches what. Unmarked members belong to the widget's thread. Those
  // marked "both" are also read (and the atomics written) by the worker
  // during a threaded run. FImage, FOldScreen, FPicWidth and FPicHeight are
  // set by Prepare before the worker starts and reset only after it has
  // been joined, so the worker reads them unlocked.
  // Locks, each a plain mutex taken once per thread: FLock guards a change
  // of FProgress together with the composition of its frame; a bitmap's
  // canvas lock guards its pixels and size; FPendingLock guards
  // FPendingFrame. Order: FLock, FImage, FScreen, FOldScreen, FPendingLock;
  // Paint takes FBuffer, then FScreen. No thread waits while holding one.

  TAbout* FAbout = nullptr;
  vantora::Picture FPicture;
  vantora::Picture FBgPicture;
  TBackgroundMode FBgMode = bmTiled;
  bool FAutoSize = true;
  bool FCenter = false;
  bool FStretch = false;
  bool FStretchFine = false;
  bool FOverDraw = true;
  bool FThreaded = true;
  TThreadPriority FThreadPriority = tpNormal;
  bool FManual = false;
  // both: read by the worker at every frame while the widget's thread may
  // set them.
  std::atomic<int> FStyle{51};
  std::atomic<std::uint16_t> FStep{4};
  std::atomic<std::uint16_t> FDelay{40};
  std::atomic<int> FProgress{0};
  std::atomic<bool> FReverse{false};
  std::atomic<bool> FBusy{false};
  TPixel FColor = clWindow;
  TAlign FAlign = alNone;

  LockedBitmap FScreen;  // both: the frame that Paint shows, picture-sized
  TRect FPicRect;  // where FScreen sits in client coordinates when not stretched
  std::unique_ptr<TAnimateThread> FThread;
  std::uint64_t FThreadGeneration = 0;  // number of the last worker started
  bool FPainting = false;
  LockedBitmap FBuffer;  // client-sized composition of background and frame
  bool FStopping = false;
  bool FDirectFrames = false;
  // Where direct frames reached the screen that FBuffer does not hold yet
  // (client coordinates; empty when the buffer is up to date).
  TRect FBufferBehind;
  // FBuffer has not been painted completely since it was made or resized.
  bool FNeedBackground = true;
  // both: the shown content at the new picture's place, the new picture
  std::unique_ptr<LockedBitmap> FOldScreen;
  std::unique_ptr<LockedBitmap> FImage;
  // The two above, kept between runs so that the next one of the same size
  // reuses their memory (see Prepare).
  std::unique_ptr<LockedBitmap> FSpareOldScreen;
  std::unique_ptr<LockedBitmap> FSpareImage;
  int FPicWidth = 0;  // both
  int FPicHeight = 0;  // both
  std::mutex FLock;  // both: a change of progress with its frame
  // both: the last composed frame has been painted
  ManualResetEvent FFrameEvent{true};
  bool FDestroying = false;
  std::uint64_t FRunId = 0;  // counts prepared transitions, so a loop knows its own
  int FPaintCount = 0;  // completed paints, to tell whether a repaint happened

  // both: frame rectangle (picture coordinates) composed but not yet shown.
  std::mutex FPendingLock;
  TRect FPendingFrame;
};

// The control as the screens place it: everything of TCustomTransitionView.
class TTransitionView : public TCustomTransitionView {
 public:
  using TCustomTransitionView::TCustomTransitionView;
};

}  // namespace vantora
