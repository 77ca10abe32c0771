// The show with camera photos: two 6000 x 4000 JPEGs shown alternately by
// TForm1 on a 1920 x 1080 screen (offscreen platform), for each fitting.
//
//   BM_ShowFrames      frames per second of the transitions, Delay 0 (the
//                      ceiling) and Delay 40 (the show's pace, 25 per second)
//   BM_TickToFrame     time from the picture tick to the first frame on
//                      screen, in list order (the picture decoded ahead
//                      during the display interval) and in random order
//                      (decoded after the tick)
//   BM_FramePace       frame intervals (median, p95, max) of transitions at
//                      Delay 40 while the next picture decodes: in list order
//                      the show starts decoding the following picture as soon
//                      as a transition has started, so every transition of the
//                      benchmark runs beside a 24-megapixel decode in list
//                      order; in random order nothing is decoded ahead, so
//                      its frames are the same transitions without a decode
//   BM_ShowMinute      a minute of 3-second pictures on real timers: the CPU
//                      of the process and the share of it that is decoding
//   BM_Idle            between transitions (the next picture decoded, the
//                      interval running on real timers): CPU and wake-ups
//                      per second of the whole process, goal zero
//
//   build-x/bin/show_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

#include "bench/PhotoLike.h"
#include "raster/Picture.h"
#include "screens/HostScreen.h"
#include "screens/Unit1.h"
#include "settings/SettingKeys.h"

namespace vantora {
namespace {

// A photo-like 6000 x 4000 picture: smooth light with fine grain, so the
// JPEG has the size and decoding cost of a real one.
void WritePhoto(const QString& path, int seed) {
  const Bitmap b = bench::PhotoLike(6000, 4000, seed);
  const auto bytes = EncodeJpeg(b, 90, false);
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

struct Photos {
  QTemporaryDir Dir;
  std::string Folder;
  Photos() {
    Folder = Dir.path().toStdString() + "/";
    QDir(Dir.path()).mkdir("pics");
    WritePhoto(Dir.filePath("pics/photo1.jpg"), 0);
    WritePhoto(Dir.filePath("pics/photo2.jpg"), 1);
  }
};

Photos& SharedPhotos() {
  static Photos photos;
  return photos;
}

template <class F>
void RunUntil(F done) {
  while (!done()) QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
}

using Clock = std::chrono::steady_clock;

// CPU time of the whole process (window thread, transition worker, decoder),
// in ms: the machine may be shared, so wall-clock rates alone say little.
double ProcessCpuMs() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// What the threads of this process have used so far: CPU in ms (from the
// scheduler's nanosecond count) and wake-ups (voluntary context switches),
// in total and for the picture decoder's pool thread. A thread that ended
// is no longer listed, so the totals are only compared over spans in which
// the same threads live.
struct ThreadUse {
  double CpuMs = 0, DecoderCpuMs = 0;
  std::int64_t Wakeups = 0;
};

ThreadUse ThreadsNow() {
  ThreadUse use;
  for (const QString& tid : QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    const std::string task = "/proc/self/task/" + tid.toStdString();
    std::ifstream comm(task + "/comm"), sched(task + "/schedstat"), status(task + "/status");
    std::string name, line;
    std::getline(comm, name);
    double ns = 0;
    sched >> ns;
    use.CpuMs += ns / 1e6;
    // QThreadPool names its threads so; only the loader has a pool here.
    if (name == "Thread (pooled)") use.DecoderCpuMs += ns / 1e6;
    while (std::getline(status, line))
      if (line.rfind("voluntary_ctxt_switches:", 0) == 0)
        use.Wakeups += std::stoll(line.substr(24));
  }
  return use;
}

// The q-quantile (0..1) of values, nearest rank.
double Quantile(std::vector<double> values, double q) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const auto rank = std::size_t(std::max(1.0, std::ceil(q * double(values.size()))));
  return values[std::min(rank, values.size()) - 1];
}

// Runs the event loop for ms milliseconds with the window's timers ticking by
// themselves; the loop itself wakes only at the end.
void RunRealTimers(int ms) {
  Timer::SetDrivenByHand(false);
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
  Timer::SetDrivenByHand(true);
}

// A shown TForm1 on the photos, its timers driven by the benchmark.
struct Show {
  TIniFile Ini;
  TForm1 Form;
  std::atomic<std::int64_t> Frames{0};
  std::atomic<Clock::rep> FirstFrame{0};
  std::atomic<double> FirstFrameCpu{0};
  // Each frame's time on screen and whether a decode was under way then.
  std::mutex LogLock;
  std::vector<std::pair<Clock::time_point, bool>> FrameLog;

  Show(int fitting, int delay, bool listOrder, int interval = 600000)
      : Ini(SettingsFileFor(SharedPhotos().Folder)),
        Form(SharedPhotos().Folder, std::make_unique<TSilentPlayer>()) {
    WriteSetting(Ini, settings::DisplayInterval, interval);
    WriteSetting(Ini, settings::Fitting, fitting);
    WriteSetting(Ini, settings::ListOrder, listOrder);
    Form.TransitionView1->SetDelay(delay);
    // OnProgress runs on the worker after each frame was shown.
    Form.TransitionView1->OnProgress = [this](QObject*) {
      Clock::rep none = 0;
      if (FirstFrame.compare_exchange_strong(none, Clock::now().time_since_epoch().count()))
        FirstFrameCpu = ProcessCpuMs();
      ++Frames;
      std::lock_guard<std::mutex> lock(LogLock);
      FrameLog.emplace_back(Clock::now(), Form.UnfinishedDecodes() > 0);
    };
    Form.show();
    RunUntil([&] { return Form.Timer1.Enabled() && Form.ListComplete(); });  // activated, listed
  }
  // One picture tick; returns when its transition has ended.
  double PictureTickToEnd() {
    FirstFrame = 0;
    const auto t0 = Clock::now();
    Form.Timer1.Tick();
    RunUntil([&] { return Form.PendingShows() == 0 && !Form.TransitionView1->Busy(); });
    return std::chrono::duration<double, std::milli>(Clock::duration(FirstFrame.load()) -
                                                     t0.time_since_epoch())
        .count();
  }
  void IntervalTick() { Form.Timer2.Tick(); }
};

const char* const kFittingNames[] = {"own size", "fit", "stretch"};

void BM_ShowFrames(benchmark::State& state) {
  const int fitting = int(state.range(0));
  const int delay = int(state.range(1));
  Show show(fitting, delay, true);
  state.SetLabel(kFittingNames[fitting]);
  double transitionMs = 0;
  double cpuMs = 0;
  for (auto _ : state) {
    // A display interval: the next picture is decoded ahead.
    RunUntil([&] { return show.Form.UnfinishedDecodes() == 0; });
    const std::int64_t frames0 = show.Frames;
    const auto t0 = Clock::now();
    const double cpu0 = ProcessCpuMs();
    const double toFirst = show.PictureTickToEnd();
    cpuMs += ProcessCpuMs() - cpu0;
    // Frames are timed from the first one shown to the end.
    const double total = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    transitionMs += total - toFirst;
    state.counters["frames"] = double(show.Frames - frames0);
    show.IntervalTick();
  }
  state.counters["frames/s"] =
      transitionMs > 0 ? 1000.0 * double(show.Frames - state.iterations()) / transitionMs : 0;
  state.counters["cpu_ms/frame"] = show.Frames ? cpuMs / double(show.Frames) : 0;
}
BENCHMARK(BM_ShowFrames)
    ->ArgsProduct({{0, 1, 2}, {0, 40}})
    ->ArgNames({"fitting", "delay"})
    ->Iterations(4)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_TickToFrame(benchmark::State& state) {
  const int fitting = int(state.range(0));
  const bool listOrder = state.range(1) == 1;
  Show show(fitting, 40, listOrder);
  state.SetLabel(std::string(kFittingNames[fitting]) + (listOrder ? ", list order" : ", random"));
  double sum = 0;
  double cpuMs = 0;
  for (auto _ : state) {
    RunUntil([&] { return show.Form.UnfinishedDecodes() == 0; });
    // CPU from the tick until the first frame is shown (decoding ahead in
    // list order happened before the tick and is not counted).
    const double cpu0 = ProcessCpuMs();
    show.FirstFrameCpu = 0;
    sum += show.PictureTickToEnd();
    cpuMs += show.FirstFrameCpu - cpu0;
    show.IntervalTick();
  }
  state.counters["tick_to_first_frame_ms"] = sum / double(state.iterations());
  state.counters["tick_to_first_frame_cpu_ms"] = cpuMs / double(state.iterations());
}
BENCHMARK(BM_TickToFrame)
    ->ArgsProduct({{0, 1, 2}, {1, 0}})
    ->ArgNames({"fitting", "list"})
    ->Iterations(4)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_FramePace(benchmark::State& state) {
  const int fitting = int(state.range(0));
  const bool listOrder = state.range(1) == 1;
  Show show(fitting, 40, listOrder);
  state.SetLabel(std::string(kFittingNames[fitting]) +
                 (listOrder ? ", list order: decoding ahead" : ", random: nothing decodes"));
  std::vector<double> intervals, decodingIntervals;
  std::int64_t frames = 0, framesDecoding = 0;
  for (auto _ : state) {
    // The previous decode is done: this tick's transition starts the next.
    RunUntil([&] { return show.Form.UnfinishedDecodes() == 0; });
    {
      std::lock_guard<std::mutex> lock(show.LogLock);
      show.FrameLog.clear();
    }
    show.PictureTickToEnd();
    std::lock_guard<std::mutex> lock(show.LogLock);
    for (std::size_t i = 0; i < show.FrameLog.size(); ++i) {
      ++frames;
      framesDecoding += show.FrameLog[i].second;
      if (i == 0) continue;
      const double ms = std::chrono::duration<double, std::milli>(show.FrameLog[i].first -
                                                                  show.FrameLog[i - 1].first)
                            .count();
      intervals.push_back(ms);
      // An interval that ends on a frame shown while a decode ran.
      if (show.FrameLog[i].second) decodingIntervals.push_back(ms);
    }
    show.IntervalTick();
  }
  state.counters["median_ms"] = Quantile(intervals, 0.5);
  state.counters["p95_ms"] = Quantile(intervals, 0.95);
  state.counters["max_ms"] = Quantile(intervals, 1.0);
  state.counters["p95_decoding_ms"] = Quantile(decodingIntervals, 0.95);
  // How many of the frames were shown while the next picture was decoding.
  state.counters["decoding_%"] = frames ? 100.0 * double(framesDecoding) / double(frames) : 0;
}
BENCHMARK(BM_FramePace)
    ->ArgsProduct({{0, 1, 2}, {1, 0}})
    ->ArgNames({"fitting", "list"})
    ->Iterations(16)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_ShowMinute(benchmark::State& state) {
  const int fitting = int(state.range(0));
  Show show(fitting, 40, true, 3000);
  state.SetLabel(kFittingNames[fitting]);
  for (auto _ : state) {
    const std::int64_t frames0 = show.Frames;
    const ThreadUse before = ThreadsNow();
    const double cpu0 = ProcessCpuMs();
    const auto t0 = Clock::now();
    RunRealTimers(60000);
    const double wallMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    const ThreadUse after = ThreadsNow();
    const double cpuMs = ProcessCpuMs() - cpu0;
    state.counters["cpu_%"] = 100.0 * cpuMs / wallMs;
    state.counters["decoding_%_of_cpu"] =
        cpuMs > 0 ? 100.0 * (after.DecoderCpuMs - before.DecoderCpuMs) / cpuMs : 0;
    // Each transition shows a frame for every step up to 100.
    const double framesPerPicture = std::ceil(100.0 / show.Form.TransitionView1->Step());
    state.counters["pictures"] = double(show.Frames - frames0) / framesPerPicture;
  }
}
BENCHMARK(BM_ShowMinute)
    ->Arg(1)
    ->ArgName("fitting")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_Idle(benchmark::State& state) {
  const int fitting = int(state.range(0));
  Show show(fitting, 40, true);
  state.SetLabel(kFittingNames[fitting]);
  for (auto _ : state) {
    show.PictureTickToEnd();
    // The picture after it decoded ahead; the interval runs from here.
    RunUntil([&] { return show.Form.UnfinishedDecodes() == 0; });
    const ThreadUse before = ThreadsNow();
    const auto t0 = Clock::now();
    RunRealTimers(5000);
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    const ThreadUse after = ThreadsNow();
    state.counters["cpu_ms/s"] = (after.CpuMs - before.CpuMs) / seconds;
    state.counters["wakeups/s"] = double(after.Wakeups - before.Wakeups) / seconds;
    show.IntervalTick();
  }
}
BENCHMARK(BM_Idle)
    ->Arg(1)
    ->ArgName("fitting")
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace vantora

int main(int argc, char** argv) {
  // A 1920 x 1080 offscreen screen, unless the caller chose a platform.
  QTemporaryDir configDir;
  if (!std::getenv("QT_QPA_PLATFORM")) {
    const QString config = configDir.filePath("screen.json");
    QFile f(config);
    f.open(QIODevice::WriteOnly);
    f.write(R"({"screens": [{"name": "bench", "x": 0, "y": 0, "width": 1920, "height": 1080,
                "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    f.close();
    setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config.toStdString()).c_str(), 1);
  }
  QApplication app(argc, argv);
  vantora::Timer::SetDrivenByHand(true);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::AddCustomContext("screen", QString("%1 x %2")
                                            .arg(QGuiApplication::primaryScreen()->size().width())
                                            .arg(QGuiApplication::primaryScreen()->size().height())
                                            .toStdString());
  vantora::SharedPhotos();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
