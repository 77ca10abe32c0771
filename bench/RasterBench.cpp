// Drawing-layer benchmarks. Every figure is also given as "x_copy": the CPU
// time of one iteration divided by that of a plain memcpy of a whole frame of
// the same size, the budget every effect frame is held to. Read the medians.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <map>
#include <random>
#include <utility>
#include <vector>

#include "raster/Draw.h"
#include "raster/Region.h"

using namespace vantora;

namespace {

Bitmap Filled(int w, int h, TPixel seed) {
  Bitmap b(w, h);
  for (int y = 0; y < h; ++y) {
    TPixel* row = b.ScanLine(y);
    for (int x = 0; x < w; ++x) row[x] = seed + TPixel(x * 7 + y * 13);
  }
  return b;
}

// CPU time of this thread: the machine is shared, so wall time says little.
double ThreadSeconds() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + 1e-9 * double(ts.tv_nsec);
}

// CPU seconds of one full-frame memcpy of w x h pixels: the median of the
// repetitions of BM_FullFrameCopy run so far, or, when that benchmark is
// filtered out, the median of a measurement made here.
std::map<std::pair<int, int>, std::vector<double>>& CopyTimes() {
  static std::map<std::pair<int, int>, std::vector<double>> times;
  return times;
}

double Median(std::vector<double> v) {
  std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
  return v[v.size() / 2];
}

double TimeCopies(const Bitmap& src, Bitmap& dst, int count) {
  const std::size_t bytes = std::size_t(src.Width()) * src.Height() * sizeof(TPixel);
  const double t0 = ThreadSeconds();
  for (int k = 0; k < count; ++k) {
    std::memcpy(dst.Bits(), src.Bits(), bytes);
    benchmark::ClobberMemory();
  }
  return (ThreadSeconds() - t0) / count;
}

double FrameCopySeconds(int w, int h) {
  std::vector<double>& times = CopyTimes()[{w, h}];
  if (times.empty()) {
    const Bitmap src = Filled(w, h, 1);
    Bitmap dst(w, h);
    TimeCopies(src, dst, 3);  // touch every page first
    for (int k = 0; k < 9; ++k) times.push_back(TimeCopies(src, dst, 10));
  }
  return Median(times);
}

// Adds the CPU time of one iteration since start as a multiple of a
// full-frame copy of w x h.
void ReportVsCopy(benchmark::State& state, int w, int h, double start) {
  const double perIteration = (ThreadSeconds() - start) / double(state.iterations());
  state.counters["x_copy"] = perIteration / FrameCopySeconds(w, h);
}

constexpr int kW = 1920, kH = 1080;

// Every benchmark runs several times and reports mean, median and spread;
// the median is the figure to read (the machine may be shared).
void Repeated(benchmark::internal::Benchmark* b) { b->Repetitions(7)->ReportAggregatesOnly(true); }

// ---- Baseline and stretch copies ------------------------------------------

void BM_FullFrameCopy(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  const Bitmap src = Filled(w, h, 1);
  Bitmap dst(w, h);
  TimeCopies(src, dst, 1);
  const double start = ThreadSeconds();
  for (auto _ : state) {
    std::memcpy(dst.Bits(), src.Bits(), std::size_t(w) * h * sizeof(TPixel));
    benchmark::ClobberMemory();
  }
  CopyTimes()[{w, h}].push_back((ThreadSeconds() - start) / double(state.iterations()));
  ReportVsCopy(state, w, h, start);
}
BENCHMARK(BM_FullFrameCopy)->Args({1920, 1080})->Args({3840, 2160})->Apply(Repeated);

void BM_PlainCopyFullFrame(benchmark::State& state) {
  const Bitmap src = Filled(kW, kH, 1);
  Bitmap dst(kW, kH);
  const double start = ThreadSeconds();
  for (auto _ : state) {
    PlainCopy(dst, dst.BoundsRect(), src);
    benchmark::ClobberMemory();
  }
  ReportVsCopy(state, kW, kH, start);
}
BENCHMARK(BM_PlainCopyFullFrame)->Apply(Repeated);

// Full frame 1920 x 1080 from a source of range(0) x range(1).
void BM_StretchCopyFullFrame(benchmark::State& state) {
  const Bitmap src = Filled(int(state.range(0)), int(state.range(1)), 1);
  Bitmap dst(kW, kH);
  const double start = ThreadSeconds();
  for (auto _ : state) {
    StretchCopy(dst, dst.BoundsRect(), src, src.BoundsRect());
    benchmark::ClobberMemory();
  }
  ReportVsCopy(state, kW, kH, start);
}
BENCHMARK(BM_StretchCopyFullFrame)
    ->Args({960, 540})
    ->Args({1280, 720})
    ->Args({3840, 2160})
    ->Apply(Repeated);

// ---- Regions as the effects build them --------------------------------------

// 700 rectangles of mixed shapes scattered over the frame.
Region ScatteredRects(RegionBuilder& b) {
  std::mt19937 rng(1);
  std::uniform_int_distribution<int> x(-50, kW), y(-50, kH), w(5, 200), h(5, 120);
  for (int k = 0; k < 700; ++k) {
    const int l = x(rng), t = y(rng);
    b.AddRect(l, t, l + w(rng), t + h(rng));
  }
  return b.Build();
}

// The triangle grid of the triangular shred: (N + 1)^2 right triangles of a
// cell grid. N = 89 gives the 8100 triangles of an 800 x 600 frame at the
// finest step; a 1920 x 1080 frame at that step has N = 213 (45 796
// triangles of 8 x 4 pixels).
void TriangleGrid(RegionBuilder& b, int progress, int N = 89) {
  const int X = kW * progress / 100, Y = kH * progress / 100;
  const int x = X / N, y = Y / N, cw = kW / N, ch = kH / N;
  for (int row = N; row >= 0; --row)
    for (int col = N; col >= 0; --col) {
      const int gx = col * cw, gy = row * ch;
      b.AddTriangle(gx - x, gy - y, gx + x, gy - y, gx - x, gy + y);
    }
}

// Criss-crossed bars: one 5-pixel bar per 10 rows growing sideways and one
// per 10 columns growing down, about 300 rectangles, most of them tall.
template <class AddRect>
void CrissCrossBars(AddRect&& add, int progress) {
  const int A = 2 * kW * progress / 100, V = 2 * kH * progress / 100;
  for (int t = 0, i = 0; t < kH + 5; t += 10, ++i) add(-5, t, std::min(A - i * 5, kW), t + 5);
  for (int l = 0, i = 0; l < kW + 5; l += 10, ++i) add(l, -5, l + 5, std::min(V - i * 5, kH));
}
void CrissCrossBars(RegionBuilder& b, int progress) {
  CrissCrossBars([&](int x1, int y1, int x2, int y2) { b.AddRect(x1, y1, x2, y2); }, progress);
}

// Uneven shred: a 5-pixel strip per 5 rows with a jittered length, each the
// union of one or two rectangles (about 430 rectangles).
void UnevenShred(RegionBuilder& b, std::mt19937& rng, int progress) {
  const int X = kW * progress / 100;
  std::uniform_int_distribution<int> jitter(0, 40);
  for (int t = 0; t < kH; t += 5) {
    b.AddRect(0, t, X + jitter(rng), t + 5);
    if ((t / 5) % 2) b.AddRect(kW - X / 4 - jitter(rng), t, kW, t + 5);
  }
}

// Random squares: one square 2d wide about every grid point of step d that
// the random draw picks (1530 of them at d = 18 on 1920 x 1080 at half
// progress, as many as the largest count the effect builds).
void RandomSquares(RegionBuilder& b, std::mt19937& rng) {
  const int d = 18;
  std::uniform_int_distribution<int> pick(0, 99);
  int count = 0;
  for (int x = 0; x < kW && count < 1530; x += d)
    for (int y = 0; y < kH && count < 1530; y += d)
      if (pick(rng) < 30) {
        b.AddRect(x - d, y - d, x + d, y + d);
        ++count;
      }
}

template <class Fill>
void BuildAndMaybeDraw(benchmark::State& state, Fill&& fill) {
  const bool draw = state.range(0) != 0;
  const Bitmap image = Filled(kW, kH, 5);
  Bitmap screen(kW, kH);
  RegionBuilder b;
  std::size_t bands = 0;
  const double start = ThreadSeconds();
  for (auto _ : state) {
    fill(b);
    const Region g = b.Build();
    if (draw) ClippedDraw(screen, image, g);
    benchmark::DoNotOptimize(g);
    benchmark::ClobberMemory();
    g.ForEachBand([&](int, int, std::span<const TSpan>) { ++bands; });
  }
  state.counters["bands"] = benchmark::Counter(double(bands), benchmark::Counter::kAvgIterations);
  ReportVsCopy(state, kW, kH, start);
}

void BM_TriangleGrid8100(benchmark::State& state) {
  BuildAndMaybeDraw(state, [](RegionBuilder& b) { TriangleGrid(b, 50); });
}
BENCHMARK(BM_TriangleGrid8100)->ArgName("draw")->Arg(0)->Arg(1)->Apply(Repeated);

void BM_TriangleGrid45796(benchmark::State& state) {
  BuildAndMaybeDraw(state, [](RegionBuilder& b) { TriangleGrid(b, 50, 213); });
}
BENCHMARK(BM_TriangleGrid45796)->ArgName("draw")->Arg(0)->Arg(1)->Apply(Repeated);

void BM_CrissCrossBars(benchmark::State& state) {
  BuildAndMaybeDraw(state, [](RegionBuilder& b) { CrissCrossBars(b, 30); });
}
BENCHMARK(BM_CrissCrossBars)->ArgName("draw")->Arg(0)->Arg(1)->Apply(Repeated);

void BM_UnevenShred(benchmark::State& state) {
  std::mt19937 rng(3);
  BuildAndMaybeDraw(state, [&](RegionBuilder& b) { UnevenShred(b, rng, 40); });
}
BENCHMARK(BM_UnevenShred)->ArgName("draw")->Arg(0)->Arg(1)->Apply(Repeated);

void BM_RandomSquares(benchmark::State& state) {
  std::mt19937 rng(4);
  BuildAndMaybeDraw(state, [&](RegionBuilder& b) { RandomSquares(b, rng); });
}
BENCHMARK(BM_RandomSquares)->ArgName("draw")->Arg(0)->Arg(1)->Apply(Repeated);

// The bars built the way the effects describe them, one Unite per
// rectangle, to show what the builder saves.
void BM_CrissCrossBarsByUnite(benchmark::State& state) {
  const double start = ThreadSeconds();
  for (auto _ : state) {
    Region g;
    CrissCrossBars(
        [&](int x1, int y1, int x2, int y2) { g.Unite(Region::Rectangle(x1, y1, x2, y2)); }, 30);
    benchmark::DoNotOptimize(g);
  }
  ReportVsCopy(state, kW, kH, start);
}
BENCHMARK(BM_CrissCrossBarsByUnite)->Apply(Repeated);

// The clipped draw of a whole frame through g, a region built beforehand.
void ClippedDrawThrough(benchmark::State& state, const Region& g) {
  const Bitmap image = Filled(kW, kH, 5);
  Bitmap screen(kW, kH);
  const double start = ThreadSeconds();
  for (auto _ : state) {
    ClippedDraw(screen, image, g);
    benchmark::ClobberMemory();
  }
  ReportVsCopy(state, kW, kH, start);
}

void BM_ClippedDraw700Rects(benchmark::State& state) {
  RegionBuilder b;
  ClippedDrawThrough(state, ScatteredRects(b));
}
BENCHMARK(BM_ClippedDraw700Rects)->Apply(Repeated);

// The draw alone through the 8100-triangle region: about 100 000 spans of
// some 20 pixels each.
void BM_ClippedDrawTriangleGrid(benchmark::State& state) {
  RegionBuilder b;
  TriangleGrid(b, 50);
  ClippedDrawThrough(state, b.Build());
}
BENCHMARK(BM_ClippedDrawTriangleGrid)->Apply(Repeated);

// A rounded rectangle far larger than the frame, as the curved reveals make.
void BM_CurvedRevealRoundRect(benchmark::State& state) {
  const Bitmap image = Filled(kW, kH, 5);
  Bitmap screen(kW, kH);
  const double start = ThreadSeconds();
  for (auto _ : state) {
    const Region g = Region::RoundRect(-2 * kW, -5, 2 * 900, kH + 5, 2 * kW, 2 * kW);
    ClippedDraw(screen, image, g);
    benchmark::ClobberMemory();
  }
  ReportVsCopy(state, kW, kH, start);
}
BENCHMARK(BM_CurvedRevealRoundRect)->Apply(Repeated);

}  // namespace
