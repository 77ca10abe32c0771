// Runs of the transition control: frame sequences, the order and count of
// events, Stop, Manual, destruction mid-run and errors, threaded and in the
// caller's loop.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <QWindow>

#include <memory>
#include <stdexcept>

#include "tests/transition/TransitionTestKit.h"

namespace vantora {
namespace {

using testkit::EventLog;
using testkit::SolidPicture;
using testkit::WaitIdle;

constexpr TPixel kRed = Rgb(255, 0, 0);
constexpr TPixel kBlue = Rgb(0, 0, 255);

// How frames are produced: in the caller's loop, or by the worker with the
// control hidden (no paint ever comes) or shown (each frame is painted).
enum class Mode { Loop, ThreadHidden, ThreadShown };
const Mode kModes[] = {Mode::Loop, Mode::ThreadHidden, Mode::ThreadShown};

const char* Name(Mode m) {
  return m == Mode::Loop ? "loop" : m == Mode::ThreadHidden ? "thread, hidden" : "thread, shown";
}

// A control 40 x 30 showing a red picture, with Delay 0 and blue loaded next.
template <class View = TTransitionView>
std::unique_ptr<View> MakeView(Mode m) {
  auto v = std::make_unique<View>();
  v->SetAlign(alClient);
  v->resize(40, 30);
  v->SetDelay(0);
  v->SetThreaded(m != Mode::Loop);
  if (m == Mode::ThreadShown) {
    v->show();
    EXPECT_TRUE(test::WaitFor([&] { return v->windowHandle() && v->windowHandle()->isExposed(); }));
  }
  v->SetPicture(SolidPicture(40, 30, kRed));
  v->SetStep(100);
  v->Execute();
  EXPECT_TRUE(WaitIdle(*v));
  v->SetPicture(SolidPicture(40, 30, kBlue));
  return v;
}

// What a transition of a control made by MakeView starts from: the red
// picture on screen, or the bare background when the control was never
// painted.
TPixel OldContent(Mode m) { return m == Mode::ThreadShown ? kRed : clWindow; }

// A threaded run of Step 10 whose first frame has come; the worker then
// sleeps Delay (5 s) before the next, so the test acts between two frames.
std::unique_ptr<TTransitionView> StartSlowRun(Mode m, EventLog& log) {
  auto v = MakeView(m);
  log.Attach(*v);
  v->SetStep(10);
  v->SetDelay(5000);
  v->Execute();
  EXPECT_TRUE(test::WaitFor([&] { return !log.Progress().empty(); }));
  return v;
}

void RunToEnd(TCustomTransitionView& v) {
  v.Execute();
  ASSERT_TRUE(WaitIdle(v));
}

TEST(TransitionRun, FramesFollowStepAndDirection) {
  struct Case {
    int Step;
    bool Reverse;
    std::vector<int> Frames;
  };
  const Case cases[] = {
      {6, false, {6, 12, 18, 24, 30, 36, 42, 48, 54, 60, 66, 72, 78, 84, 90, 96, 100}},
      {30, false, {30, 60, 90, 100}},
      {100, false, {100}},
      {6, true, {94, 88, 82, 76, 70, 64, 58, 52, 46, 40, 34, 28, 22, 16, 10, 4, 0}},
      {100, true, {0}},
  };
  for (const Mode m : kModes)
    for (const Case& c : cases) {
      auto v = MakeView(m);
      EventLog log;
      log.Attach(*v);
      v->SetStep(c.Step);
      v->SetReverse(c.Reverse);
      RunToEnd(*v);
      EXPECT_EQ(log.Progress(), c.Frames)
          << Name(m) << ", Step " << c.Step << ", Reverse " << c.Reverse;
      EXPECT_EQ(log.Count("Complete"), 1);
      EXPECT_EQ(log.Count("Stop"), 1);
    }
}

TEST(TransitionRun, NaturalEndRaisesEventsInOrder) {
  const std::vector<std::string> expected = {"Start", "Before", "Custom", "After", "Progress 30",
                                             "Before", "Custom", "After", "Progress 60", "Before",
                                             "Custom", "After", "Progress 90", "Before", "After",
                                             "Progress 100",  // the last frame draws the picture
                                                              // itself
                                             "Complete", "Stop"};
  for (const Mode m : kModes) {
    auto v = MakeView(m);
    EventLog log;
    log.Attach(*v);
    v->SetStyle(0);
    v->SetStep(30);
    RunToEnd(*v);
    EXPECT_EQ(log.Words(), expected) << Name(m);
    EXPECT_FALSE(v->Busy());
  }
}

TEST(TransitionRun, OnProgressFollowsTheFrameOnScreen) {
  auto v = MakeView(Mode::ThreadShown);
  std::atomic<TPixel> shown{0};
  v->OnProgress = [&](QObject*) {
    CanvasLock lock(v->Buffer());
    shown = v->Buffer().Pixel(20, 15);
  };
  RunToEnd(*v);  // Step 100: the one frame shows the blue picture
  EXPECT_EQ(shown, kBlue);
}

// A descendant reacts to the frames by overriding their operations; it does
// not call the inherited ones, so the events stay unraised.
class FrameWatcher : public TTransitionView {
 public:
  std::vector<std::string> Seen;  // written on the worker, read after the run
  bool WantsBeforeNewFrame() const override { return true; }
  void DoBeforeNewFrame(Bitmap& Picture, Bitmap& Screen) override {
    Note("Before", Picture, Screen);
  }
  void DoAfterNewFrame(Bitmap& Picture, Bitmap& Screen) override { Note("After", Picture, Screen); }

 private:
  void Note(const std::string& what, const Bitmap& picture, const Bitmap& screen) {
    Seen.push_back(what + " " + std::to_string(Progress()) +
                   (picture.Pixel(0, 0) == kBlue ? " blue" : "") +
                   (screen.Pixel(0, 0) == kBlue ? " shows blue" : ""));
  }
};

TEST(TransitionRun, FrameOperationsOverriddenByADescendantAreCalledForEachFrame) {
  struct Case {
    int Style, Step;
    std::vector<std::string> Seen;
  };
  const Case cases[] = {
      // Frames before the last show the old content.
      {0, 50, {"Before 50 blue", "After 50 blue", "Before 100 blue", "After 100 blue shows blue"}},
      // Push and squeeze right brings the new picture in at the left; every
      // frame still starts from the old content, also after one that showed
      // blue at (0, 0).
      {130,
       25,
       {"Before 25 blue", "After 25 blue shows blue", "Before 50 blue", "After 50 blue shows blue",
        "Before 75 blue", "After 75 blue shows blue", "Before 100 blue",
        "After 100 blue shows blue"}},
  };
  // With handlers assigned they stay unraised; without any, the overrides
  // alone must still be called.
  for (const Mode m : kModes)
    for (const Case& c : cases)
      for (const bool handlers : {true, false}) {
        auto v = MakeView<FrameWatcher>(m);
        v->Seen.clear();  // the frame that put the red picture up
        EventLog log;
        if (handlers) log.Attach(*v);
        v->SetStyle(c.Style);
        v->SetStep(c.Step);
        RunToEnd(*v);
        EXPECT_EQ(v->Seen, c.Seen) << Name(m) << ", style " << c.Style << ", handlers " << handlers;
        EXPECT_EQ(log.Count("Before") + log.Count("After"), 0) << Name(m);
      }
}

TEST(TransitionRun, APushFrameSqueezesWhatTheBeforeFrameHandlerDrewOnTheOldContent) {
  constexpr TPixel kGreen = Rgb(0, 255, 0);
  for (const Mode m : kModes) {
    auto v = MakeView(m);
    v->SetStyle(130);  // push and squeeze right
    v->SetStep(50);
    const TPixel old = OldContent(m);
    std::vector<int> notOld;  // per frame, the pixels the handler found not old
    v->OnBeforeNewFrame = [&](QObject*, Bitmap&, Bitmap& screen) {
      int n = 0;
      for (int y = 0; y < screen.Height(); ++y)
        for (int x = 0; x < screen.Width(); ++x) n += screen.Pixel(x, y) != old;
      notOld.push_back(n);
      FillRect(screen, {0, 0, 20, 30}, kGreen);  // the left half of the old content
    };
    std::vector<TPixel> row;
    v->OnAfterNewFrame = [&](QObject*, Bitmap&, Bitmap& screen) {
      if (v->Progress() != 50) return;
      for (int x = 0; x < screen.Width(); ++x) row.push_back(screen.Pixel(x, 15));
    };
    RunToEnd(*v);
    EXPECT_EQ(notOld, (std::vector<int>{0, 0})) << Name(m);
    // At 50 the new picture fills columns 0..19, and the old content with
    // the green half, squeezed to half its width, columns 20..39.
    std::vector<TPixel> expected(40, old);
    std::fill(expected.begin(), expected.begin() + 20, kBlue);
    std::fill(expected.begin() + 20, expected.begin() + 30, kGreen);
    EXPECT_EQ(row, expected) << Name(m);
  }
}

TEST(TransitionRun, CustomStyleWithoutHandlerShowsOldContentUntilTheLastFrame) {
  for (const Mode m : kModes) {
    auto v = MakeView(m);
    v->SetStyle(0);
    v->SetStep(30);
    std::vector<TPixel> middle;
    v->OnAfterNewFrame = [&](QObject*, Bitmap&, Bitmap& screen) {
      middle.push_back(screen.Pixel(20, 15));
    };
    RunToEnd(*v);
    const TPixel old = OldContent(m);
    EXPECT_EQ(middle, (std::vector<TPixel>{old, old, old, kBlue})) << Name(m);
    EXPECT_TRUE(v->Screen() == v->Picture().AsBitmap());
  }
}

TEST(TransitionRun, ReversedRunEndsOnTheOldContent) {
  for (const Mode m : kModes) {
    auto v = MakeView(m);
    v->SetReverse(true);
    v->SetStep(25);
    RunToEnd(*v);
    EXPECT_EQ(v->Progress(), 0);
    EXPECT_EQ(v->Screen().Pixel(0, 0), OldContent(m)) << Name(m);
    EXPECT_EQ(v->Screen().Pixel(39, 29), OldContent(m)) << Name(m);
  }
}

TEST(TransitionRun, ExecuteWithoutPictureOrWhileBusyDoesNothing) {
  TTransitionView v;
  EventLog log;
  log.Attach(v);
  v.Execute();
  EXPECT_FALSE(v.Busy());
  EXPECT_TRUE(log.Words().empty());

  v.SetPicture(SolidPicture(10, 10, kRed));
  v.SetManual(true);
  v.Execute();
  v.Execute();
  EXPECT_EQ(log.Words(), (std::vector<std::string>{"Start"}));
  v.Stop();
}

TEST(TransitionRun, StopRaisesOnStopOnlyAndLeavesTheControlIdle) {
  for (const Mode m : {Mode::ThreadHidden, Mode::ThreadShown}) {
    EventLog log;
    auto v = StartSlowRun(m, log);  // Stop wakes the sleeping worker
    ASSERT_FALSE(log.Progress().empty());
    v->Stop();
    EXPECT_FALSE(v->Busy()) << Name(m);
    EXPECT_EQ(log.Count("Stop"), 1);
    EXPECT_EQ(log.Count("Complete"), 0);
    // The stopped worker's done message must not finish anything again, and
    // the next run goes through whole.
    v->SetDelay(0);
    v->SetStep(50);
    RunToEnd(*v);
    EXPECT_EQ(log.Count("Stop"), 2) << Name(m);
    EXPECT_EQ(log.Count("Complete"), 1) << Name(m);
    EXPECT_EQ(log.Count("Start"), 2);
  }
}

TEST(TransitionRun, StopFromOnStartFinishesTheRunBeforeAnyFrame) {
  for (const Mode m : kModes) {
    auto v = MakeView(m);
    EventLog log;
    log.Attach(*v);
    v->OnStart = [&](QObject*, Bitmap&, Bitmap&) { v->Stop(); };
    v->Execute();
    // Give a worker wrongly started for the finished run the time to reach
    // its wait for a frame; the next run and the destruction below would
    // then never return.
    QElapsedTimer pause;
    pause.start();
    while (pause.elapsed() < 50) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_FALSE(v->Busy()) << Name(m);
    EXPECT_TRUE(log.Progress().empty()) << Name(m);
    EXPECT_EQ(log.Words(), std::vector<std::string>{"Stop"}) << Name(m);
    v->OnStart = nullptr;
    RunToEnd(*v);  // the next run goes through whole
    EXPECT_EQ(log.Count("Complete"), 1) << Name(m);
  }  // and the control goes away without waiting for a stray worker
}

TEST(TransitionRun, StopFromAHandlerOnTheWorkerStopsTheRun) {
  for (const Mode m : {Mode::ThreadHidden, Mode::ThreadShown}) {
    auto v = MakeView(m);
    EventLog log;
    log.Attach(*v);
    v->SetStep(5);
    v->OnProgress = [&, logProgress = v->OnProgress](QObject* sender) {
      logProgress(sender);
      if (v->Progress() == 10) v->Stop();
    };
    RunToEnd(*v);
    EXPECT_EQ(log.Count("Stop"), 1) << Name(m);
    EXPECT_EQ(log.Count("Complete"), 0) << Name(m);
    EXPECT_LT(log.Progress().back(), 100) << Name(m);
  }
}

// Stop arrives just after the worker's wait for the previous paint has
// ended and before it resets the frame event: the worker then composes one
// more frame and waits for its paint, which the widget's thread, joining
// the worker, can never give. Every wait of the worker must end on Stop.
TEST(TransitionRun, StopRightAfterTheWorkerWokeEndsTheRun) {
  for (const Mode m : {Mode::ThreadHidden, Mode::ThreadShown}) {
    auto v = MakeView(m);
    EventLog log;
    log.Attach(*v);
    v->SetStep(10);
    testkit::Flag workerHeld, stopSignalled;
    std::atomic<bool> first{true};
    TCustomTransitionView::OnRunPoint = [&](TCustomTransitionView::TRunPoint p) {
      if (p == TCustomTransitionView::rpStopSignalled) stopSignalled.Raise();
      if (p == TCustomTransitionView::rpFrameWaitEnded && first.exchange(false)) {
        workerHeld.Raise();
        stopSignalled.Wait();
      }
    };
    {
      testkit::HangGuard guard("Stop while the worker resets the frame event");
      v->Execute();
      ASSERT_TRUE(workerHeld.Wait());
      v->Stop();
    }
    TCustomTransitionView::OnRunPoint = nullptr;
    EXPECT_FALSE(v->Busy()) << Name(m);
    EXPECT_EQ(log.Count("Stop"), 1) << Name(m);
    EXPECT_EQ(log.Count("Complete"), 0) << Name(m);
    // The stopped worker's last frame was never painted; the next run must
    // not wait for that paint.
    v->SetStep(50);
    RunToEnd(*v);
    EXPECT_EQ(log.Count("Complete"), 1) << Name(m);
  }
}

// A handler on the worker asks for a stop, and the widget's thread stops the
// run itself before it gets to the request: the request is used up, and the
// next run goes through whole.
TEST(TransitionRun, AStopAskedForOnTheWorkerDoesNotStopTheNextRun) {
  auto v = MakeView(Mode::ThreadHidden);
  EventLog log;
  log.Attach(*v);
  v->SetStep(10);
  testkit::Flag asked;
  v->OnAfterNewFrame = [&](QObject*, Bitmap&, Bitmap&) {
    v->Stop();
    asked.Raise();
  };
  v->Execute();
  ASSERT_TRUE(asked.Wait());
  v->Stop();
  v->OnAfterNewFrame = nullptr;
  v->SetStep(50);
  RunToEnd(*v);
  EXPECT_EQ(log.Count("Complete"), 1);
  EXPECT_EQ(log.Count("Stop"), 2);
}

TEST(TransitionRun, StopFromAHandlerEndsTheCallersLoop) {
  auto v = MakeView(Mode::Loop);
  EventLog log;
  log.Attach(*v);
  v->SetStep(6);
  v->OnProgress = [&, logProgress = v->OnProgress](QObject* sender) {
    logProgress(sender);
    if (v->Progress() == 12) v->Stop();
  };
  v->Execute();  // returns: the loop ended
  EXPECT_FALSE(v->Busy());
  EXPECT_EQ(log.Count("Stop"), 1);
  EXPECT_EQ(log.Count("Complete"), 0);
  EXPECT_EQ(log.Words().back(), "Stop");  // raised inside the handler of frame 12
  EXPECT_EQ(log.Progress(), (std::vector<int>{6, 12}));
}

TEST(TransitionRun, StopFromAPostedEventInsideTheCallersLoop) {
  auto v = MakeView(Mode::Loop);
  EventLog log;
  log.Attach(*v);
  v->SetStep(6);
  // The clock stands still, so the loop keeps processing events until the
  // posted Stop arrives.
  const auto clock = TCustomTransitionView::TickCount;
  TCustomTransitionView::TickCount = [] { return std::uint32_t(0); };
  v->SetDelay(0);
  v->OnStart = [&](QObject*, Bitmap&, Bitmap&) {
    QMetaObject::invokeMethod(
        v.get(), [&] { v->Stop(); }, Qt::QueuedConnection);
  };
  v->Execute();
  TCustomTransitionView::TickCount = clock;
  EXPECT_FALSE(v->Busy());
  EXPECT_EQ(log.Progress(), std::vector<int>{6});
  EXPECT_EQ(log.Count("Stop"), 1);
  EXPECT_EQ(log.Count("Complete"), 0);
}

TEST(TransitionRun, CallersLoopWaitsMoreThanDelayBetweenFrames) {
  auto v = MakeView(Mode::Loop);
  v->SetStep(50);
  v->SetDelay(40);
  // A clock that moves 10 ms each time it is read.
  const auto clock = TCustomTransitionView::TickCount;
  std::uint32_t now = 0;
  int reads = 0;
  TCustomTransitionView::TickCount = [&] {
    ++reads;
    return now += 10;
  };
  v->Execute();
  TCustomTransitionView::TickCount = clock;
  // Frame 50: one read for T0, then the loop goes on until elapsed > 40,
  // i.e. the reads at +10 .. +50 (five); frame 100: one read for T0.
  EXPECT_EQ(reads, 7);
  EXPECT_FALSE(v->Busy());
}

TEST(TransitionRun, ManualModeShowsTheFramesTheCallerAsksFor) {
  for (const bool threaded : {false, true}) {
    TTransitionView v;
    v.SetThreaded(threaded);
    v.SetPicture(SolidPicture(20, 20, kBlue));
    EventLog log;
    log.Attach(v);
    v.SetManual(true);
    v.Execute();
    EXPECT_TRUE(v.Busy());
    v.SetProgress(30);
    v.SetProgress(30);  // no change, no frame
    v.SetProgress(250);  // taken as 100
    EXPECT_EQ(log.Progress(), (std::vector<int>{30, 100}));
    EXPECT_TRUE(v.Screen() == v.Picture().AsBitmap());
    EXPECT_TRUE(v.Busy());  // stays prepared until Stop
    v.Stop();
    EXPECT_FALSE(v.Busy());
    EXPECT_EQ(log.Words(), (std::vector<std::string>{"Start", "Before", "After", "Progress 30",
                                                     "Before", "After", "Progress 100", "Stop"}));
  }
}

TEST(TransitionRun, SwitchingManualOffResumesFromTheCurrentProgress) {
  for (const Mode m : kModes) {
    auto v = MakeView(m);
    EventLog log;
    log.Attach(*v);
    v->SetStep(30);
    v->SetManual(true);
    v->Execute();
    v->SetProgress(50);
    v->SetManual(false);
    ASSERT_TRUE(WaitIdle(*v));
    EXPECT_EQ(log.Progress(), (std::vector<int>{50, 80, 100})) << Name(m);
    EXPECT_EQ(log.Count("Complete"), 1);
    EXPECT_EQ(log.Count("Stop"), 1);
  }
}

TEST(TransitionRun, SwitchingManualOnHoldsAThreadedRun) {
  EventLog log;
  auto v = StartSlowRun(Mode::ThreadShown, log);
  ASSERT_FALSE(log.Progress().empty());
  v->SetManual(true);
  QCoreApplication::processEvents();
  EXPECT_TRUE(v->Busy());
  EXPECT_EQ(log.Count("Stop"), 0);
  const int held = v->Progress();
  v->SetProgress(held + 5);
  EXPECT_EQ(log.Progress().back(), held + 5);
  v->Stop();
  EXPECT_EQ(log.Count("Stop"), 1);
  EXPECT_EQ(log.Count("Complete"), 0);
}

TEST(TransitionRun, DestructionMidRunRaisesNoEndEvents) {
  {
    EventLog log;
    auto v = StartSlowRun(Mode::ThreadShown, log);
    ASSERT_FALSE(log.Progress().empty());
    v.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(log.Count("Stop"), 0);
    EXPECT_EQ(log.Count("Complete"), 0);
  }
  {
    // Not threaded: a transition prepared in Manual mode.
    auto v = MakeView(Mode::Loop);
    EventLog log;
    log.Attach(*v);
    v->SetManual(true);
    v->Execute();
    v->SetProgress(40);
    v.reset();
    EXPECT_EQ(log.Count("Stop"), 0);
    EXPECT_EQ(log.Count("Complete"), 0);
  }
}

TEST(TransitionRun, NewPictureDuringARunOnlyRaisesOnChange) {
  auto v = MakeView(Mode::Loop);
  int changes = 0;
  v->OnChange = [&](QObject*) { ++changes; };
  v->SetManual(true);
  v->Execute();
  v->SetPicture(SolidPicture(40, 30, Rgb(0, 255, 0)));
  EXPECT_EQ(changes, 1);
  v->SetProgress(100);
  EXPECT_EQ(v->Screen().Pixel(10, 10), kBlue);  // the picture the run started with
  v->Stop();
}

TEST(TransitionRun, ClearDuringARunDoesNothing) {
  auto v = MakeView(Mode::Loop);
  v->SetManual(true);
  v->Execute();
  v->SetProgress(50);
  v->Clear();
  EXPECT_FALSE(v->Screen().Empty());
  v->Stop();
  v->Clear();
  EXPECT_TRUE(v->Screen().Empty());
}

TEST(TransitionRun, StyleChangeDuringAThreadedRunTakesEffectWithoutDeadlock) {
  auto v = MakeView(Mode::ThreadShown);
  EventLog log;
  log.Attach(*v);
  v->SetStep(5);
  v->SetStyle(30);
  v->Execute();
  ASSERT_TRUE(test::WaitFor([&] { return !log.Progress().empty(); }));
  for (int s : {118, 119, 122, 7}) v->SetStyle(s);
  ASSERT_TRUE(WaitIdle(*v));
  EXPECT_EQ(v->Style(), 7);
  EXPECT_EQ(log.Count("Complete"), 1);
  EXPECT_TRUE(v->Screen() == v->Picture().AsBitmap());
}

TEST(TransitionRun, WorkerRunsAtTheRequestedLowerPriority) {
  const std::pair<TThreadPriority, int> cases[] = {{tpIdle, 19}, {tpLowest, 10}, {tpLower, 5}};
  for (const auto& [priority, nice] : cases) {
    auto v = MakeView(Mode::ThreadHidden);
    std::atomic<int> seen{-100};
    v->SetThreadPriority(priority);
    v->OnProgress = [&](QObject*) { seen = getpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid))); };
    RunToEnd(*v);
    EXPECT_EQ(seen, nice) << "priority " << priority;
  }
}

TEST(TransitionErrors, ErrorWhilePreparingReachesTheCallerAndLeavesTheControlIdle) {
  auto v = MakeView(Mode::Loop);
  EventLog log;
  log.Attach(*v);
  v->OnStart = [](QObject*, Bitmap&, Bitmap&) { throw std::runtime_error("start failed"); };
  EXPECT_THROW(v->Execute(), std::runtime_error);
  EXPECT_FALSE(v->Busy());
  EXPECT_EQ(log.Count("Stop"), 0);
  v->OnStart = nullptr;
  RunToEnd(*v);
  EXPECT_EQ(log.Count("Complete"), 1);
}

TEST(TransitionErrors, ErrorInAFrameOfTheCallersLoopReachesTheCaller) {
  auto v = MakeView(Mode::Loop);
  EventLog log;
  log.Attach(*v);
  v->SetStep(30);
  v->OnAfterNewFrame = [&](QObject*, Bitmap&, Bitmap&) {
    if (v->Progress() == 60) throw std::runtime_error("frame failed");
  };
  EXPECT_THROW(v->Execute(), std::runtime_error);
  EXPECT_FALSE(v->Busy());
  EXPECT_EQ(log.Count("Complete"), 0);
  EXPECT_EQ(log.Count("Stop"), 0);
  EXPECT_EQ(log.Progress(), std::vector<int>{30});
  // The frame lock and canvas locks were released: a worker can take them.
  v->OnAfterNewFrame = nullptr;
  v->SetThreaded(true);
  RunToEnd(*v);
  EXPECT_EQ(log.Count("Complete"), 1);
}

TEST(TransitionErrors, ErrorInAFrameOnTheWorkerFinishesTheRun) {
  for (const Mode m : {Mode::ThreadHidden, Mode::ThreadShown}) {
    auto v = MakeView(m);
    EventLog log;
    log.Attach(*v);
    v->SetStep(30);
    v->OnBeforeNewFrame = [&](QObject*, Bitmap&, Bitmap&) {
      if (v->Progress() == 60) throw std::runtime_error("frame failed");
    };
    RunToEnd(*v);
    EXPECT_EQ(log.Progress(), std::vector<int>{30}) << Name(m);
    EXPECT_EQ(log.Count("Complete"), 1);
    EXPECT_EQ(log.Count("Stop"), 1);
    // The failed frame was never painted; the next run must not wait for it.
    v->OnBeforeNewFrame = nullptr;
    RunToEnd(*v);
    EXPECT_EQ(log.Count("Complete"), 2) << Name(m);
  }
}

}  // namespace
}  // namespace vantora
