// JPEG decoding of a 24-megapixel photo-sized picture, at full size and with
// libjpeg's 1/8 DCT scaling (what the show and the thumbnails use to cut
// the cost of large pictures), for baseline and progressive files; and the
// same baseline file tagged with each EXIF orientation, whose decode turns
// it upright as its rows come out.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "bench/PhotoLike.h"
#include "raster/Orientation.h"
#include "raster/Picture.h"
#include "tests/raster/PictureFiles.h"

using namespace vantora;

namespace {

constexpr int kWidth = 6000, kHeight = 4000;

const std::vector<std::uint8_t>& Encoded(bool progressive) {
  static const Bitmap picture = bench::PhotoLike();
  static const std::vector<std::uint8_t> baseline = EncodeJpeg(picture, 90, false);
  static const std::vector<std::uint8_t> prog = EncodeJpeg(picture, 90, true);
  return progressive ? prog : baseline;
}

// Arguments: progressive (0/1), DCT scale denominator (1 or 8).
void BM_DecodeJpeg(benchmark::State& state) {
  const bool progressive = state.range(0) != 0;
  const auto scale = static_cast<TJpegScale>(state.range(1));
  const std::vector<std::uint8_t>& jpeg = Encoded(progressive);
  for (auto _ : state) {
    Bitmap b = DecodeJpeg(jpeg, "bench.jpg", scale);
    benchmark::DoNotOptimize(b.Bits());
  }
  state.SetLabel(std::string(progressive ? "progressive" : "baseline") + " 1/" +
                 std::to_string(state.range(1)));
  state.counters["MPixel/s"] = benchmark::Counter(double(kWidth) * kHeight / 1e6,
                                                  benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_DecodeJpeg)
    ->ArgsProduct({{0, 1}, {1, 8}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Argument: EXIF orientation 1..8. Orientation 1 decodes straight into the
// bitmap; the time the others take beyond it is the cost of the turn.
void BM_DecodeTurnedJpeg(benchmark::State& state) {
  const int orientation = int(state.range(0));
  const std::vector<std::uint8_t> jpeg =
      testfiles::WithSegment(Encoded(false), testfiles::ExifSegment(orientation));
  for (auto _ : state) {
    Bitmap b = DecodeJpeg(jpeg, "bench.jpg");
    benchmark::DoNotOptimize(b.Bits());
  }
  state.SetLabel("baseline, orientation " + std::to_string(orientation));
}
BENCHMARK(BM_DecodeTurnedJpeg)->DenseRange(1, 8)->Unit(benchmark::kMillisecond)->UseRealTime();

// The turn alone: the decoded rows of a 24-megapixel picture placed upright
// sixteen at a time, as the decoder places them.
void BM_PlaceStoredRows(benchmark::State& state) {
  const int orientation = int(state.range(0));
  static const Bitmap stored = bench::PhotoLike();
  Bitmap upright(SwapsSides(orientation) ? kHeight : kWidth,
                 SwapsSides(orientation) ? kWidth : kHeight);
  for (auto _ : state) {
    for (int first = 0; first < kHeight; first += 16)
      PlaceStoredRows(stored.ScanLine(first), first, std::min(16, kHeight - first), kWidth, kHeight,
                      orientation, upright);
    benchmark::DoNotOptimize(upright.Bits());
  }
  state.SetLabel("orientation " + std::to_string(orientation));
}
BENCHMARK(BM_PlaceStoredRows)->DenseRange(1, 8)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
