// Filling a page of the settings window's thumbnail grid: twelve 6000 x 4000
// JPEG files decoded through DCT scaling on the thumbnail pool's worker
// threads, against decoding the same twelve files one by one at full size.
// Baseline and progressive files are measured apart, since DCT scaling saves
// much more on baseline files.
//
//   build/bin/thumb_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only

#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <QString>

#include "bench/PhotoLike.h"
#include "config/Thumbnails.h"
#include "raster/Picture.h"

using namespace vantora;

namespace {

constexpr int kPage = 12;

// Twelve files of each kind in a temporary folder, written once.
const std::vector<QString>& PageFiles(bool progressive) {
  static const std::filesystem::path folder = [] {
    auto f = std::filesystem::temp_directory_path() / "vantora-thumb-bench";
    std::filesystem::create_directories(f);
    const Bitmap picture = bench::PhotoLike();
    for (bool prog : {false, true}) {
      const auto bytes = EncodeJpeg(picture, 90, prog);
      for (int i = 0; i < kPage; ++i) {
        std::ofstream out(f / ((prog ? "p" : "b") + std::to_string(i) + ".jpg"), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
      }
    }
    return f;
  }();
  static std::vector<QString> files[2];
  std::vector<QString>& list = files[progressive ? 1 : 0];
  if (list.empty())
    for (int i = 0; i < kPage; ++i)
      list.push_back(QString::fromStdString(
          (folder / ((progressive ? "p" : "b") + std::to_string(i) + ".jpg")).string()));
  return list;
}

std::string Kind(bool progressive) { return progressive ? "progressive" : "baseline"; }

// Arguments: progressive (0/1), worker threads.
void BM_FillThumbnailPage(benchmark::State& state) {
  const bool progressive = state.range(0) != 0;
  const std::vector<QString>& files = PageFiles(progressive);
  TThumbnailPool pool(int(state.range(1)));
  int failures = 0;
  for (auto _ : state) {
    std::vector<std::pair<int, QString>> jobs;
    for (int i = 0; i < kPage; ++i) jobs.emplace_back(i + 1, files[i]);
    std::atomic<int> failed{0};
    pool.Start(std::move(jobs), [&](unsigned, int, TThumbnail thumb) {
      if (thumb.Image.isNull()) ++failed;
    });
    pool.Wait();
    failures += failed;
  }
  if (failures) state.SkipWithError("a thumbnail failed to decode");
  state.SetLabel(Kind(progressive) + ", " + std::to_string(state.range(1)) + " thread(s)");
}
BENCHMARK(BM_FillThumbnailPage)
    ->ArgsProduct({{0, 1}, {1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The same twelve files decoded one after another at full size.
void BM_DecodePageFullSize(benchmark::State& state) {
  const bool progressive = state.range(0) != 0;
  const std::vector<QString>& files = PageFiles(progressive);
  for (auto _ : state) {
    for (const QString& file : files) {
      Picture picture;
      picture.LoadFromFile(file.toStdString());
      benchmark::DoNotOptimize(picture.AsBitmap().Bits());
    }
  }
  state.SetLabel(Kind(progressive) + ", one by one, full size");
}
BENCHMARK(BM_DecodePageFullSize)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
