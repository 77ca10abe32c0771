// Starting the show on a photo library: time from the show window being
// shown to the first picture's first frame on screen, for a folder of 10
// pictures, for 100,000 pictures in 1,000 folders (subfolders on) and for
// 99,999 in one folder, in list order, in random order and in random order
// without repeats (a new cycle and a resumed one), and
// the longest the window's thread was kept from its events meanwhile
// (a key press waits that long to end the show). Also the listing alone:
// 99,999 pictures in one folder, and the tree of 100,000, walked by
// ListPictures off any window.
//
// The libraries live on tmpfs (/dev/shm when there is one), as hard links of
// a few small JPEGs, so the figures are the program's, not the disk's.
//
//   build/bin/library_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>

#include "platform/FileList.h"
#include "raster/Picture.h"
#include "screens/HostScreen.h"
#include "screens/Unit1.h"
#include "settings/SettingKeys.h"

namespace vantora {
namespace {

using Clock = std::chrono::steady_clock;

QString TmpfsRoot() { return QDir("/dev/shm").exists() ? "/dev/shm" : QDir::tempPath(); }

void WriteJpeg(const QString& path, int shade) {
  Bitmap b(320, 240);
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x) b.SetPixel(x, y, Rgb(shade, x, y));
  const auto bytes = EncodeJpeg(b, 85, false);
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

// A program folder whose "pics" holds folders x files pictures (folders 0:
// the files straight in "pics"), hard links of four JPEGs.
struct Library {
  QTemporaryDir Dir{TmpfsRoot() + "/vantora-library-XXXXXX"};
  std::string Folder;
  Library(int folders, int files) {
    Folder = Dir.path().toStdString() + "/";
    const QString pics = Dir.filePath("pics");
    QDir().mkpath(pics);
    QString originals[4];
    for (int i = 0; i < 4; ++i) {
      originals[i] = Dir.filePath(QStringLiteral("original%1.jpg").arg(i));
      WriteJpeg(originals[i], 60 * i);
    }
    int n = 0;
    for (int f = 0; f < std::max(1, folders); ++f) {
      const QString folder = folders ? pics + QStringLiteral("/%1").arg(f, 4, 10, QChar('0')) : pics;
      QDir().mkpath(folder);
      for (int i = 0; i < files; ++i, ++n) {
        const QString name = folder + QStringLiteral("/IMG_%1.JPG").arg(n, 6, 10, QChar('0'));
        // Hard links keep 100,000 pictures small; a copy where links are refused.
        if (::link(QFile::encodeName(originals[n % 4]).constData(),
                   QFile::encodeName(name).constData()) != 0)
          QFile::copy(originals[n % 4], name);
      }
    }
    TIniFile ini(SettingsFileFor(Folder));
    WriteYes(ini, settings::Subfolders, folders > 0);
    WriteSetting(ini, settings::DisplayInterval, 600000);
  }
};

Library& Ten() {
  static Library l(0, 10);
  return l;
}
Library& Tree() {
  static Library l(1000, 100);
  return l;
}
Library& Flat() {
  static Library l(0, 99999);
  return l;
}

// The order the pictures are shown in: the list's, Random(PicCount), or
// random without repeats, from a fresh cycle (no state yet, as on the
// first run) or resuming the cycle of the run before.
enum TOrder { kListOrder, kRandom, kFreshCycle, kResumedCycle };

const char* OrderName(int order) {
  switch (order) {
    case kListOrder: return "list order";
    case kRandom: return "random";
    case kFreshCycle: return "no repeats, new cycle";
    default: return "no repeats, resumed";
  }
}

void BM_FirstPicture(benchmark::State& state) {
  Library& library = state.range(0) == 10 ? Ten() : state.range(0) == 99999 ? Flat() : Tree();
  const int order = int(state.range(1));
  state.SetLabel(QStringLiteral("%1, %2")
                     .arg(state.range(0) == 10      ? "10 pictures, one folder"
                          : state.range(0) == 99999 ? "99,999 pictures, one folder"
                                                    : "100,000 pictures in 1,000 folders",
                          OrderName(order))
                     .toStdString());
  {
    TIniFile ini(SettingsFileFor(library.Folder));
    WriteSetting(ini, settings::ListOrder, order == kListOrder);
    WriteYes(ini, settings::NoRepeat, order == kFreshCycle || order == kResumedCycle);
  }
  // The cycle's state, kept apart for each library.
  const QString stateHome = QString::fromStdString(library.Folder) + "state";
  qputenv("XDG_STATE_HOME", stateHome.toUtf8());
  QDir(stateHome).removeRecursively();
  double stallMs = 0;
  for (auto _ : state) {
    if (order == kFreshCycle) QDir(stateHome).removeRecursively();
    // Each run starts from a quiet event loop, as the program does: what the
    // window of the run before left queued (its closing, deferred deletes)
    // is not counted against this one.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    TForm1 form(library.Folder, std::make_unique<TSilentPlayer>());
    std::atomic<bool> framed{false};
    form.TransitionView1->OnProgress = [&](QObject*) { framed = true; };
    // A 1 ms timer notes the first frame, ends the run once the listing is
    // complete, and measures how late the window's thread serves it.
    QEventLoop loop;
    QElapsedTimer since;
    QTimer probe;
    probe.setInterval(1);
    double worst = 0, firstMs = -1;
    const auto t0 = Clock::now();
    QObject::connect(&probe, &QTimer::timeout, [&] {
      worst = std::max(worst, since.nsecsElapsed() / 1e6);
      since.restart();
      if (framed && firstMs < 0)
        firstMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
      if (firstMs >= 0 && form.ListComplete()) loop.quit();
    });
    Timer::SetDrivenByHand(false);
    since.start();
    probe.start();
    form.show();
    loop.exec();
    probe.stop();
    Timer::SetDrivenByHand(true);
    // A show that ran on keeps its whole cycle, which the next run then
    // resumes: one more pick, untimed, with the listing complete.
    if (order == kResumedCycle) form.Timer1Timer();
    state.SetIterationTime(firstMs / 1000);
    stallMs = std::max(stallMs, worst);
    state.counters["pictures"] = form.PicCount;
    form.close();
  }
  state.counters["longest_stall_ms"] = stallMs;
  qunsetenv("XDG_STATE_HOME");
}
BENCHMARK(BM_FirstPicture)
    ->ArgsProduct({{10, 100000, 99999}, {kListOrder, kRandom, kFreshCycle, kResumedCycle}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_Listing(benchmark::State& state) {
  Library& library = state.range(0) ? Tree() : Flat();
  state.SetLabel(state.range(0) ? "100,000 in 1,000 folders" : "99,999 in one folder");
  const QString pics = QString::fromStdString(library.Folder) + "pics";
  const TFileMask mask(QStringLiteral("*.jpg;*.bmp"));
  for (auto _ : state) {
    const auto t0 = Clock::now();
    double first = -1;
    qsizetype count = 0;
    ListPictures(pics, mask, state.range(0) != 0, [&](QStringList batch) {
      if (first < 0) first = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
      count += batch.size();
    });
    state.counters["first_batch_ms"] = first;
    state.counters["pictures"] = double(count);
  }
}
BENCHMARK(BM_Listing)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vantora

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  vantora::Timer::SetDrivenByHand(true);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
