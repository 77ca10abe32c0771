// How a transition runs: preparation, the frame loops (worker thread or the
// caller's loop), one frame, its invalidation, and the end of a run.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <vector>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

#include "effects/ComposeFrame.h"
#include "raster/Draw.h"
#include "transition/TransitionView.h"

namespace vantora {
namespace {

// The done message of a worker, carrying its generation so that a message of
// a worker that Stop already dealt with is recognised and ignored.
class TThreadDoneEvent : public QEvent {
 public:
  explicit TThreadDoneEvent(std::uint64_t generation)
      : QEvent(TCustomTransitionView::WM_THREADDONE), Generation(generation) {}
  const std::uint64_t Generation;
};

// A worker's request to show a composed frame (rectangle in picture
// coordinates); only the widget's thread may paint.
class TShowFrameEvent : public QEvent {
 public:
  TShowFrameEvent(const TRect& r, std::uint64_t generation)
      : QEvent(TCustomTransitionView::WM_SHOWFRAME), R(r), Generation(generation) {}
  const TRect R;
  const std::uint64_t Generation;
};

// The controls whose frame this thread is composing, innermost last. A
// frame's event handler may write Progress and so compose a frame within a
// frame, on the same thread, which then already holds that control's FLock
// and canvas locks; the inner frame takes none of them again.
thread_local std::vector<const TCustomTransitionView*> tComposing;
// The worker running on this thread (null elsewhere).
thread_local const TAnimateThread* tWorker = nullptr;

// Qt's event queue orders every post before its delivery, but Qt is not
// built for the race detector, which so cannot see that order and would
// take the worker's event and what it carries for a race. In such builds
// the two ends of the queue say it themselves; elsewhere they are nothing.
void Posted([[maybe_unused]] const QObject* receiver) {
#if defined(__SANITIZE_THREAD__)
  __tsan_release(const_cast<QObject*>(receiver));
#endif
}
void Delivered([[maybe_unused]] const QObject* receiver) {
#if defined(__SANITIZE_THREAD__)
  __tsan_acquire(const_cast<QObject*>(receiver));
#endif
}

// Adds a control to tComposing for a scope.
class TComposingScope {
 public:
  explicit TComposingScope(const TCustomTransitionView* view) { tComposing.push_back(view); }
  ~TComposingScope() { tComposing.pop_back(); }
  TComposingScope(const TComposingScope&) = delete;
  TComposingScope& operator=(const TComposingScope&) = delete;
};

std::uint32_t MonotonicTicks() {
  static QElapsedTimer clock = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  return std::uint32_t(clock.elapsed());
}

}  // namespace

std::function<std::uint32_t()> TCustomTransitionView::TickCount = MonotonicTicks;

bool TCustomTransitionView::ComposingHere() const {
  return std::find(tComposing.begin(), tComposing.end(), this) != tComposing.end();
}
std::function<void(TCustomTransitionView::TRunPoint)> TCustomTransitionView::OnRunPoint;

// ---------------------------------------------------------------------------
// TAnimateThread

TAnimateThread::TAnimateThread(TCustomTransitionView* View, std::uint64_t Generation,
                               TThreadPriority Priority)
    : FView(View), FGeneration(Generation), FPriority(Priority), FThread([this] { Execute(); }) {}

TAnimateThread::~TAnimateThread() {
  Terminate();
  WaitFor();
}

void TAnimateThread::Terminate() {
  FTerminated = true;
  FWake.Set();
  FView->FFrameEvent.Wake();
}

void TAnimateThread::WaitFor() {
  if (FThread.joinable()) FThread.join();
}

// The thread's priority as a nice value of the calling thread. Raising it
// above normal needs privileges; without them the thread stays at normal.
static void ApplyPriority(TThreadPriority priority) {
  static constexpr int kNice[] = {19, 10, 5, 0, -5, -10, -20};  // tpIdle .. tpTimeCritical
  if (priority == tpNormal) return;
  setpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)), kNice[priority]);
}

void TAnimateThread::Execute() {
  FStarted = true;
  tWorker = this;
  ApplyPriority(FPriority);
  try {
    while (!Terminated()) {
      const std::uint32_t t0 = TCustomTransitionView::TickCount();
      NextFrame();
      if (Terminated()) break;
      // A frame that took longer than Delay is followed at once by the next.
      const int wait = FView->Delay() - int(TCustomTransitionView::TickCount() - t0);
      if (wait > 0) FWake.WaitFor(wait);
    }
  } catch (...) {
    // An error in a frame ends the loop; the control then finishes the
    // transition as if it had ended. The failed frame will never be painted,
    // so the frame event is signalled here: left reset, it would hold back
    // the first frame of the next run until some unrelated paint came.
    FView->FFrameEvent.Set();
  }
  FView->PostFromWorker(new TThreadDoneEvent(FGeneration));
}

void TAnimateThread::NextFrame() {
  if (!FView->FFrameEvent.WaitUnless([this] { return Terminated(); }) || Terminated()) return;
  if (TCustomTransitionView::OnRunPoint)
    TCustomTransitionView::OnRunPoint(TCustomTransitionView::rpFrameWaitEnded);
  FView->FFrameEvent.Reset();
  FView->SetProgress(FView->NextProgress());
  if (FView->AtEnd()) Terminate();
}

// ---------------------------------------------------------------------------
// Execute and Prepare

void TCustomTransitionView::Execute() {
  if (FPicture.Empty() || FBusy) return;
  FBusy = true;
  try {
    Prepare();
    // An OnStart handler may have stopped this run already (Stop finishes it
    // at once); animating a finished run would leave a worker waiting for
    // frames that never come.
    if (FBusy && !FManual && !FStopping) Animate();
  } catch (...) {
    // Preparing, or a frame of a run in this thread, failed: back to idle
    // without events, and the caller sees the error.
    FImage.reset();
    FOldScreen.reset();
    FBusy = false;
    throw;
  }
}

// A w x h bitmap, made of spare when it has that size already (its pixels
// are then whatever it last held).
static std::unique_ptr<LockedBitmap> Reused(std::unique_ptr<LockedBitmap> spare, int w, int h) {
  if (spare && spare->Width() == w && spare->Height() == h) return spare;
  spare.reset();  // freed before the new one is made, so the two never coexist
  return std::make_unique<LockedBitmap>(w, h);
}

void TCustomTransitionView::Prepare() {
  ++FRunId;
  // The old content is cut from the buffer, which must hold the frame on
  // screen before the frame bitmap changes.
  CatchUpBuffer();
  FPicWidth = FPicture.Width();
  FPicHeight = FPicture.Height();
  {
    CanvasLock lock(FScreen);
    FScreen.SetSize(FPicWidth, FPicHeight);
  }
  CalcPicRect();
  SyncBufferSize();
  const TRect client = ClientRect();
  // The place where the new picture will appear, in client coordinates.
  const TRect Q = !FStretch ? FPicRect : FStretchFine ? FitRect(FPicRect, client) : client;

  // The run's bitmaps take the memory of the previous run's. At 3840 x 2160
  // two new ones would be 66 MB allocated, zeroed and faulted in on this
  // thread at every picture change, while input waits.
  FOldScreen = Reused(std::move(FSpareOldScreen), FPicWidth, FPicHeight);
  // What falls outside the buffer shows the control's colour. Where the new
  // picture's place lies wholly inside it, the copy below writes every pixel.
  if (Q.IsEmpty() || intersected(Q, client) != Q)
    FillRect(*FOldScreen, FOldScreen->BoundsRect(), FColor);
  if (FNeedBackground || !FOverDraw) {
    // The transition grows out of the bare background. It is composed apart:
    // FBuffer must go on holding what is on screen.
    Bitmap bare(client.Width(), client.Height());
    const Region clip = Region::Rectangle(intersected(Q, client));
    PaintBackground(bare, client, &clip);
    StretchCopy(*FOldScreen, FOldScreen->BoundsRect(), bare, Q);
  } else {
    // The buffer holds what the paints put on screen; the old content is cut
    // from it at the new picture's place and scaled to the picture's size.
    CanvasLock lock(FBuffer);
    StretchCopy(*FOldScreen, FOldScreen->BoundsRect(), FBuffer, Q);
  }

  // Every graphic is already a 32-bit bitmap: assigning it cannot fail for a
  // reason that drawing it would not share, and the direct-pixel effects
  // 118..122 need no format switch.
  FImage = Reused(std::move(FSpareImage), FPicWidth, FPicHeight);
  FPicture.AssignTo(*FImage);

  FProgress = FReverse ? 100 : 0;
  DoStart(*FImage, *FOldScreen);
}

// ---------------------------------------------------------------------------
// The frame loops

int TCustomTransitionView::NextProgress() const {
  const int p = FProgress, step = FStep;
  if (FReverse) return p > step ? p - step : 0;
  return p < 100 - step ? p + step : 100;
}

bool TCustomTransitionView::AtEnd() const { return FProgress == (FReverse ? 0 : 100); }

void TCustomTransitionView::Animate() {
  if (FThreaded)
    FThread = std::make_unique<TAnimateThread>(this, ++FThreadGeneration, FThreadPriority);
  else
    AnimateInLoop();
}

void TCustomTransitionView::AnimateInLoop() {
  // The loop belongs to this run only: a Stop from an event handler finishes
  // the run (and clears FStopping again before the loop looks), and a
  // handler may even start the next run, so the loop ends as soon as its own
  // run is no longer the one in progress.
  const std::uint64_t run = FRunId;
  const auto ownRun = [&] { return FBusy && FRunId == run; };
  bool atEnd = false;
  do {
    const std::uint32_t t0 = TickCount();
    SetProgress(NextProgress());
    atEnd = AtEnd();
    if (atEnd || !ownRun()) break;
    do {
      QCoreApplication::processEvents();
    } while (ownRun() && std::uint32_t(TickCount() - t0) <= FDelay && !FManual && !FStopping);
  } while (ownRun() && !FManual && !FStopping);
  if (ownRun() && (FStopping || !FManual)) Finish();
}

// ---------------------------------------------------------------------------
// One frame

void TCustomTransitionView::SetProgress(int Value) {
  Value = std::clamp(Value, 0, 100);
  if (!FBusy || Value == FProgress) return;
  {
    std::unique_lock<std::mutex> lock(FLock, std::defer_lock);
    if (!ComposingHere()) lock.lock();
    FProgress = Value;
    RenderFrame();
  }
  TRect pending;
  {
    std::lock_guard<std::mutex> lock(FPendingLock);
    pending = FPendingFrame;
    FPendingFrame = {};
  }
  if (pending.IsEmpty())
    FFrameEvent.Set();
  else if (QThread::currentThread() == thread())
    ShowFrame(pending, FThreadGeneration);
  else {
    // Only the widget's thread may paint: the worker asks it to show the
    // frame and waits until the paint has signalled FFrameEvent (Stop
    // signals it too), so OnProgress follows the frame on screen. A write
    // of Progress from a frame's own event handler does not wait: the frame
    // around it holds the canvas lock that the paint needs.
    PostFromWorker(new TShowFrameEvent(pending, tWorker ? tWorker->Generation() : 0));
    if (tComposing.empty() && tWorker) FFrameEvent.WaitUnless([] { return tWorker->Terminated(); });
  }
  DoProgress();
}

void TCustomTransitionView::RenderFrame() {
  const bool nested = ComposingHere();
  const TComposingScope composing(this);
  CanvasLock lockImage(*FImage, nested);
  CanvasLock lockScreen(FScreen, nested);
  TFrameHooks hooks;
  // Without a BeforeNewFrame hook the push effects compose the frame in one
  // pass and FScreen is never reset to the old content, so the hook is passed
  // whenever someone may look: a handler is assigned, or a descendant that
  // overrides DoBeforeNewFrame says so. The show's control takes the one pass.
  if (OnBeforeNewFrame || WantsBeforeNewFrame())
    hooks.BeforeNewFrame = [this] { DoBeforeNewFrame(*FImage, FScreen); };
  hooks.CustomDraw = [this] { DoCustomDraw(*FImage, FScreen); };
  {
    // Nobody else draws on FOldScreen during a run; its lock is held for the
    // composition, which starts by copying it.
    CanvasLock lockOld(*FOldScreen, nested);
    ComposeFrame(FScreen, *FOldScreen, *FImage, FStyle, FStep, FProgress, hooks);
  }
  InvalidateFrame({0, 0, FPicWidth, FPicHeight});
  DoAfterNewFrame(*FImage, FScreen);
}

void TCustomTransitionView::InvalidateFrame(const TRect& R) {
  // The rectangle is kept in picture coordinates and placed on the client
  // area by the widget's thread, which owns the fitting properties.
  std::lock_guard<std::mutex> lock(FPendingLock);
  FPendingFrame = United(FPendingFrame, R);
}

TRect TCustomTransitionView::ClientFrameRect(const TRect& R) const {
  if (FStretch) {
    const TRect T = StretchTarget();
    const int pw = FPicRect.Width(), ph = FPicRect.Height();
    return intersected(
        {T.Left + MulDiv(R.Left, T.Width(), pw), T.Top + MulDiv(R.Top, T.Height(), ph),
         T.Left + MulDiv(R.Right, T.Width(), pw), T.Top + MulDiv(R.Bottom, T.Height(), ph)},
        ClientRect());
  }
  const TRect moved = FCenter ? R.offset(FPicRect.Left, FPicRect.Top) : R;
  return intersected(intersected(moved, FPicRect), ClientRect());
}

void TCustomTransitionView::ShowFrame(const TRect& R, std::uint64_t Generation) {
  const TRect r = ClientFrameRect(R);
  const int paints = FPaintCount;
  if (isVisible() && !r.IsEmpty()) UpdateDevice(r, true);
  // No paint came (hidden, or nothing of the frame inside the client area):
  // release the waiting thread here. A request of a worker that was stopped
  // since must not release the next one early (generation 0: no worker).
  if (FPaintCount == paints && (Generation == 0 || Generation == FThreadGeneration))
    FFrameEvent.Set();
}

// ---------------------------------------------------------------------------
// The end of a run

void TCustomTransitionView::PostFromWorker(QEvent* e) {
  Posted(this);
  QCoreApplication::postEvent(this, e);
}

bool TCustomTransitionView::event(QEvent* e) {
  Delivered(this);
  switch (int(e->type())) {
    case WM_THREADDONE: ThreadDone(static_cast<TThreadDoneEvent*>(e)->Generation); return true;
    case WM_STOPREQUEST: Stop(); return true;
    case WM_SHOWFRAME: {
      const auto* f = static_cast<TShowFrameEvent*>(e);
      ShowFrame(f->R, f->Generation);
      return true;
    }
    default: return QWidget::event(e);
  }
}

void TCustomTransitionView::ThreadDone(std::uint64_t Generation) {
  if (!FThread || FThread->Generation() != Generation) return;
  FThread->WaitFor();
  FThread.reset();
  if (FStopping || !FManual) Finish();
}

void TCustomTransitionView::Finish() {
  FBusy = false;
  FSpareImage = std::move(FImage);
  FSpareOldScreen = std::move(FOldScreen);
  if (FDestroying) return;
  if (!FStopping) DoComplete();
  DoStop();
}

void TCustomTransitionView::Stop() {
  if (QThread::currentThread() != thread()) {
    // Called from a frame's event handler on the worker: the worker cannot
    // wait for its own end, so the widget's thread stops the run as soon as
    // it gets to it.
    PostFromWorker(new QEvent(WM_STOPREQUEST));
    return;
  }
  if (!FBusy || FStopping) return;
  FStopping = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{FStopping};
  if (FManual || !StopThread()) Finish();
}

bool TCustomTransitionView::StopThread() {
  if (!FThread) return false;
  FThread->Terminate();  // ends every wait of the worker
  if (OnRunPoint) OnRunPoint(rpStopSignalled);
  FThread->WaitFor();
  // The worker may have reset the frame event for a frame that will never
  // be painted; the next run must not wait for it.
  FFrameEvent.Set();
  // What the stopped worker posted is dealt with here and now: its end by
  // ThreadDone below, its request to stop by this very Stop, and its frame
  // requests by invalidating the frame's place, so the last frame it
  // composed still reaches the screen.
  for (const QEvent::Type type : {WM_THREADDONE, WM_STOPREQUEST, WM_SHOWFRAME})
    QCoreApplication::removePostedEvents(this, type);
  if (!FDestroying) {
    const TRect r = PlacedFrameRect();
    if (!r.IsEmpty()) UpdateDevice(r);
  }
  ThreadDone(FThread->Generation());
  return true;
}

void TCustomTransitionView::SetManual(bool Value) {
  if (Value == FManual) return;
  FManual = Value;
  StopThread();
  if (!FBusy)
    FProgress = FReverse ? 100 : 0;
  else if (!FManual)
    Animate();
}

}  // namespace vantora
