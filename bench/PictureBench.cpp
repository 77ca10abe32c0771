// JPEG decoding of a 24-megapixel photo-sized picture, at full size and with
// libjpeg's 1/8 DCT scaling (what the show and the thumbnails use to cut
// the cost of large pictures), for baseline and progressive files; and the
// same baseline file tagged with each EXIF orientation, whose decode turns
// it upright as its rows come out. Then a 12-megapixel picture (4000 x 3000,
// a phone's photo) in each format the show takes, JPEG beside PNG, WebP, HEIC
// and AVIF; and, when PICTURE_BENCH_FILES names files (separated by ":"),
// the decode of each of them as the show loads it:
//   PICTURE_BENCH_FILES=a.jpg:a.png:a.webp:a.heic:a.avif
//     build/bin/picture_bench --benchmark_filter=File --benchmark_repetitions=5

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/PhotoLike.h"
#include "raster/Orientation.h"
#include "raster/Picture.h"
#include "tests/raster/FormatFiles.h"
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

// The 12-megapixel picture in each format, encoded once: JPEG at quality
// 90, PNG at libpng's default compression, lossy WebP at 90, HEIC and AVIF
// at 60 (about the size of the JPEG; the encoders at their quickest).
enum TFormat { fmJpeg, fmPng, fmWebp, fmHeic, fmAvif };
const char* const kFormatNames[] = {"JPEG", "PNG", "WebP", "HEIC", "AVIF"};

const std::vector<std::uint8_t>& PhoneSized(TFormat format) {
  static const std::vector<std::vector<std::uint8_t>> files = [] {
    const Bitmap picture = bench::PhotoLike(4000, 3000);
    const testfiles::TRgba16 samples = testfiles::TRgba16::Of(picture);
    return std::vector<std::vector<std::uint8_t>>{
        EncodeJpeg(picture, 90, false), testfiles::WritePng(samples),
        testfiles::WriteWebp(samples, false, 90),
        testfiles::WriteHeif(samples, false, 60, 1, false, true),
        testfiles::WriteHeif(samples, true, 60, 1, false, true)};
  }();
  return files[format];
}

// Argument: the format. Each decodes whole, as the show loads it.
void BM_DecodePhoneSized(benchmark::State& state) {
  const auto format = TFormat(state.range(0));
  const std::vector<std::uint8_t>& data = PhoneSized(format);
  for (auto _ : state) {
    Picture p;
    p.LoadFromMemory(data, "bench");
    benchmark::DoNotOptimize(p.AsBitmap().Bits());
  }
  state.SetLabel(std::string(kFormatNames[format]) + ", 4000 x 3000, " +
                 std::to_string(data.size() >> 10) + " KB");
}
// The CPU column counts every thread of the process: libheif and its codecs
// decode on threads of their own. On a busy machine it is the steadier figure.
BENCHMARK(BM_DecodePhoneSized)
    ->DenseRange(fmJpeg, fmAvif)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// Files named in PICTURE_BENCH_FILES, loaded as the show loads them.
void BM_DecodeFile(benchmark::State& state, const std::string& path) {
  for (auto _ : state) {
    Picture p;
    p.LoadFromFile(path, TWantedSize{});
    benchmark::DoNotOptimize(p.AsBitmap().Bits());
  }
}

const bool kFilesRegistered = [] {
  const char* list = std::getenv("PICTURE_BENCH_FILES");
  std::string rest = list ? list : "";
  while (!rest.empty()) {
    const auto colon = rest.find(':');
    const std::string path = rest.substr(0, colon);
    rest = colon == std::string::npos ? "" : rest.substr(colon + 1);
    if (!path.empty())
      benchmark::RegisterBenchmark(("BM_DecodeFile/" + path).c_str(), BM_DecodeFile, path)
          ->Unit(benchmark::kMillisecond)
          ->MeasureProcessCPUTime()
          ->UseRealTime();
  }
  return true;
}();

}  // namespace
