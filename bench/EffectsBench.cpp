// Frame composition per effect, exactly as the transition control composes a
// frame (ComposeFrame, no hook): the old picture copied onto the frame and
// the effect drawn over it, or, for the effects with a one pass (the push
// and the region effects), each pixel of the frame written once from the two
// pictures. Every effect at 1920 x 1080 and 3840 x 2160, Step 4, progress
// 25, 50 and 75; the two effects whose cost grows with Step also at Step 20.
//
// "x_copy" is the time of one frame divided by that of a plain memcpy of a
// whole frame of the same size (BM_FullFrameCopy), between the same bitmaps.
// A frame of 16 MiB and more is written with streamed stores, which the
// library's memcpy of this machine does not use at that size: the reset copy
// alone then costs less than 1.
//
// "Peer/pixman_fade/..." follows each fade (118) line: the same frame made by
// a plain copy and pixman's crossfade (the new picture OVER the frame through
// a solid mask of P %), so the two ratios stand side by side in one run.
//
//   build/bin/effects_bench --benchmark_filter='Compose/1[0-9]/' --benchmark_repetitions=5

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "effects/ComposeFrame.h"
#include "effects/TransEffect.h"

using namespace vantora;

namespace {

// Smooth gradients with some texture, different in the two pictures.
Bitmap Picture(int w, int h, int seed) {
  Bitmap b(w, h);
  for (int y = 0; y < h; ++y) {
    TPixel* row = b.ScanLine(y);
    for (int x = 0; x < w; ++x) row[x] = Rgb(x * 255 / w + seed, y * 255 / h, (x ^ y) * seed);
  }
  return b;
}

// CPU time of this thread: the machine is shared, so wall time says little.
double ThreadSeconds() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + 1e-9 * double(ts.tv_nsec);
}

// The old and new pictures and the frame of one size, made once.
struct TFrameSet {
  Bitmap Old, New, Screen;
};
TFrameSet& FrameSet(int w, int h) {
  static std::map<std::pair<int, int>, std::unique_ptr<TFrameSet>> sets;
  auto& set = sets[{w, h}];
  if (!set) set.reset(new TFrameSet{Picture(w, h, 3), Picture(w, h, 7), Bitmap(w, h)});
  return *set;
}

// Median CPU seconds of one full-frame memcpy of w x h pixels, between the
// same bitmaps that the composition uses. Measured afresh by every benchmark,
// right after its own run: the machine is shared and its load drifts, so a
// baseline taken once at start-up would skew later ratios.
double FrameCopySeconds(int w, int h) {
  TFrameSet& set = FrameSet(w, h);
  const std::size_t bytes = std::size_t(w) * h * sizeof(TPixel);
  std::vector<double> times;
  for (int k = 0; k < 15; ++k) {
    const double t0 = ThreadSeconds();
    std::memcpy(set.Screen.Bits(), set.Old.Bits(), bytes);
    benchmark::ClobberMemory();
    times.push_back(ThreadSeconds() - t0);
  }
  std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
  return times[times.size() / 2];
}

void ReportVsCopy(benchmark::State& state, int w, int h) {
  state.counters["x_copy"] =
      benchmark::Counter(FrameCopySeconds(w, h), benchmark::Counter::kIsIterationInvariantRate |
                                                     benchmark::Counter::kInvert);
}

void BM_FullFrameCopy(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  TFrameSet& set = FrameSet(w, h);
  for (auto _ : state) {
    std::memcpy(set.Screen.Bits(), set.Old.Bits(), std::size_t(w) * h * sizeof(TPixel));
    benchmark::ClobberMemory();
  }
  ReportVsCopy(state, w, h);
}
BENCHMARK(BM_FullFrameCopy)->Args({1920, 1080})->Args({3840, 2160});

void BM_Compose(benchmark::State& state, int style, int w, int h, int step, int progress) {
  TFrameSet& set = FrameSet(w, h);
  for (auto _ : state) {
    ComposeFrame(set.Screen, set.Old, set.New, style, step, progress);
    benchmark::ClobberMemory();
  }
  ReportVsCopy(state, w, h);
}

// A pixman image over the pixels of b (no copy); byte 3 is ignored.
pixman_image_t* PixmanView(const Bitmap& b) {
  return pixman_image_create_bits(PIXMAN_x8r8g8b8, b.Width(), b.Height(),
                                  const_cast<std::uint32_t*>(b.Bits()),
                                  b.Width() * int(sizeof(TPixel)));
}

// The fade frame as pixman makes it: the reset copy, then the new picture
// OVER the frame through a solid mask of alpha P %.
void BM_PixmanFade(benchmark::State& state, int w, int h, int progress) {
  TFrameSet& set = FrameSet(w, h);
  pixman_image_t* source = PixmanView(set.New);
  pixman_image_t* frame = PixmanView(set.Screen);
  const pixman_color_t alpha{0, 0, 0, std::uint16_t(0xFFFF * progress / 100)};
  pixman_image_t* mask = pixman_image_create_solid_fill(&alpha);
  for (auto _ : state) {
    std::memcpy(set.Screen.Bits(), set.Old.Bits(), std::size_t(w) * h * sizeof(TPixel));
    pixman_image_composite32(PIXMAN_OP_OVER, source, mask, frame, 0, 0, 0, 0, 0, 0, w, h);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(mask);
  pixman_image_unref(frame);
  pixman_image_unref(source);
  ReportVsCopy(state, w, h);
}

std::string SizeName(int w, int h) { return std::to_string(w) + "x" + std::to_string(h); }

// Compose/<effect>/<width>x<height>/Step<s>/P<progress>, and after the fade
// Peer/pixman_fade/<width>x<height>/P<progress>.
void RegisterCompose(int style, int w, int h, int step, int progress) {
  const std::string name = "Compose/" + std::to_string(style) + "/" + SizeName(w, h) + "/Step" +
                           std::to_string(step) + "/P" + std::to_string(progress);
  benchmark::RegisterBenchmark(name.c_str(), BM_Compose, style, w, h, step, progress)
      ->Unit(benchmark::kMillisecond);
  if (style != 118) return;
  const std::string peer = "Peer/pixman_fade/" + SizeName(w, h) + "/P" + std::to_string(progress);
  benchmark::RegisterBenchmark(peer.c_str(), BM_PixmanFade, w, h, progress)
      ->Unit(benchmark::kMillisecond);
}

const bool kRegistered = [] {
  const std::pair<int, int> sizes[] = {{1920, 1080}, {3840, 2160}};
  for (int style = 1; style <= kEffectCount; ++style)
    for (auto [w, h] : sizes)
      for (int progress : {25, 50, 75}) RegisterCompose(style, w, h, 4, progress);
  for (int style : {117, 127})
    for (auto [w, h] : sizes) RegisterCompose(style, w, h, 20, 50);
  return true;
}();

}  // namespace
