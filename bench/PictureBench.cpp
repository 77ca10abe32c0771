// JPEG decoding of a 24-megapixel photo-sized picture, at full size and with
// libjpeg's 1/8 DCT scaling (what the show and the thumbnails use to cut
// the cost of large pictures), for baseline and progressive files.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "raster/Picture.h"

using namespace vantora;

namespace {

constexpr int kWidth = 6000, kHeight = 4000;

// Gradients with fine texture, so the entropy-coded data is about as dense
// as a photo's rather than a flat picture's.
Bitmap PhotoLike() {
  Bitmap b(kWidth, kHeight);
  std::uint32_t s = 1;
  for (int y = 0; y < kHeight; ++y) {
    TPixel* row = b.ScanLine(y);
    for (int x = 0; x < kWidth; ++x) {
      s = s * 1664525u + 1013904223u;
      const int grain = int(s >> 28);
      const int r = (x * 255 / kWidth + grain) & 255;
      const int g = int(128 + 100 * std::sin(y * 0.01 + x * 0.003)) + grain;
      const int bl = ((x + y) * 255 / (kWidth + kHeight) + grain) & 255;
      row[x] = Rgb(r, std::min(g, 255), bl);
    }
  }
  return b;
}

const std::vector<std::uint8_t>& Encoded(bool progressive) {
  static const Bitmap picture = PhotoLike();
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
  state.counters["MPixel/s"] = benchmark::Counter(
      double(kWidth) * kHeight / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_DecodeJpeg)
    ->ArgsProduct({{0, 1}, {1, 8}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
