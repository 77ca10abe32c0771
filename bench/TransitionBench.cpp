// The transition control at full-HD size: whole threaded transitions with
// Delay 0 (frames per second, for each way of fitting the picture), and the
// cost of one paint of a small changed rectangle against a whole-window paint.
// At 3840 x 2160, as the show sets it up (direct frames): how long starting a
// transition holds the widget's thread (BM_Start4K), the time in which a key
// waits unserved at each picture change.
//
//   build/bin/transition_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only

#include <QApplication>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <ctime>

#include "raster/Draw.h"
#include "transition/TransitionView.h"

namespace vantora {
namespace {

Picture GradientPicture(int w, int h) {
  Bitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, Rgb(x * 255 / w, y * 255 / h, (x ^ y) & 255));
  Picture p;
  p.Assign(std::move(b));
  return p;
}

// CPU time of the whole process (the worker and the widget's thread), in ms:
// the machine may be shared, so wall-clock rates alone say little.
double ProcessCpuMs() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

void ProcessEventsUntilIdle(const TCustomTransitionView& v) {
  while (v.Busy()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// A shown, exposed 1920 x 1080 control with a tiled background.
struct FullHdView {
  TTransitionView View;
  Picture Background = GradientPicture(64, 64);

  FullHdView() {
    View.SetAlign(alClient);
    View.resize(1920, 1080);
    View.SetBgPicture(&Background);
    View.SetCenter(true);
    View.SetDelay(0);
    View.show();
    while (!View.windowHandle() || !View.windowHandle()->isExposed())
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    View.repaint();
  }
};

enum Fitting { kNatural, kStretch, kStretchFine };

void BM_ThreadedTransition(benchmark::State& state) {
  const Fitting fitting = Fitting(state.range(0));
  FullHdView f;
  f.View.SetStretch(fitting != kNatural);
  f.View.SetStretchFine(fitting == kStretchFine);
  const Picture pictures[2] = {
      fitting == kNatural ? GradientPicture(1920, 1080) : GradientPicture(1280, 720),
      fitting == kNatural ? GradientPicture(1920, 1080) : GradientPicture(1280, 720)};
  std::int64_t frames = 0;
  f.View.OnProgress = [&](QObject*) { ++frames; };
  int next = 0;
  const double cpu0 = ProcessCpuMs();
  for (auto _ : state) {
    f.View.SetPicture(&pictures[next]);
    next ^= 1;
    f.View.Execute();
    ProcessEventsUntilIdle(f.View);
  }
  const double cpu = ProcessCpuMs() - cpu0;
  state.counters["frames/s"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
  state.counters["cpu_ms/frame"] = frames ? cpu / double(frames) : 0.0;
}
BENCHMARK(BM_ThreadedTransition)
    ->Arg(kNatural)
    ->Arg(kStretch)
    ->Arg(kStretchFine)
    ->ArgNames({"fitting"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// One paint of a 64 x 64 rectangle (arg 0) or of the whole window (arg 1),
// with a centred full-size picture on a tiled background.
void BM_Paint(benchmark::State& state) {
  FullHdView f;
  const Picture p = GradientPicture(1920, 1080);
  f.View.SetPicture(&p);
  f.View.SetThreaded(false);
  f.View.SetStep(100);
  f.View.Execute();
  const bool whole = state.range(0) == 1;
  for (auto _ : state) {
    if (whole)
      f.View.repaint();
    else
      f.View.repaint(900, 500, 64, 64);
  }
}
BENCHMARK(BM_Paint)->Arg(0)->Arg(1)->ArgNames({"whole"})->Unit(benchmark::kMicrosecond);

// Execute on a 3840 x 2160 control showing the previous picture: what the
// widget's thread spends before the worker takes over. Each iteration then
// lets the transition run to its end, untimed.
void BM_Start4K(benchmark::State& state) {
  const bool fit = state.range(0) == 1;
  TTransitionView view;
  view.SetAlign(alClient);
  view.resize(3840, 2160);
  view.SetColor(Rgb(0, 0, 0));
  view.SetBgMode(bmNone);
  view.SetCenter(true);
  view.SetStretch(fit);
  view.SetStretchFine(fit);
  view.SetDirectFrames(true);
  view.SetDelay(0);
  view.SetStep(50);
  view.show();
  while (!view.windowHandle() || !view.windowHandle()->isExposed())
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  // Fitted pictures come decoded at the size they are shown at; a picture at
  // its own size is as large as the screen.
  const Picture pictures[2] = {GradientPicture(3840, 2160), GradientPicture(3840, 2160)};
  int next = 0;
  for (auto _ : state) {
    view.SetPicture(&pictures[next]);
    next ^= 1;
    const auto t0 = std::chrono::steady_clock::now();
    view.Execute();
    const auto t1 = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    ProcessEventsUntilIdle(view);
  }
}
BENCHMARK(BM_Start4K)
    ->Arg(0)
    ->Arg(1)
    ->ArgNames({"fit"})
    ->Iterations(20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vantora

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
