#include "screens/PictureLoader.h"

#include <QMetaObject>
#include <QPointer>

namespace vantora {

namespace {

// Jobs kept for sharing: the picture being shown next and one fetched ahead,
// with room for one that a quick change of settings left behind.
constexpr std::size_t kRecentJobs = 3;

bool IsJpegName(const QString& path) {
  return path.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive) ||
         path.endsWith(QLatin1String(".jpeg"), Qt::CaseInsensitive);
}

}  // namespace

TPictureLoader::TPictureLoader(QObject* context) : FContext(context) {
  FThread = std::thread([this] { Run(); });
}

TPictureLoader::~TPictureLoader() {
  {
    std::lock_guard lock(FMutex);
    FQuit = true;
    FQueue.clear();
  }
  FWake.notify_all();
  FThread.join();
}

void TPictureLoader::Decode(TDecodeJob& job) {
  try {
    const std::string path = job.Path.toStdString();
    TJpegScale scale = TJpegScale::Full;
    if (job.Shrinks && IsJpegName(job.Path) && job.Screen.width() > 0 && job.Screen.height() > 0) {
      const TPictureSize size = ReadJpegSize(path);
      scale = CoveringScale(size.Width, size.Height, job.Screen.width(), job.Screen.height());
    }
    job.Picture.LoadFromFile(path, scale);
  } catch (const std::exception& e) {
    job.Error = e.what();
    if (job.Error.empty()) job.Error = "cannot decode " + job.Path.toStdString();
  } catch (...) {
    job.Error = "cannot decode " + job.Path.toStdString();
  }
}

std::shared_ptr<TDecodeJob> TPictureLoader::Request(const QString& path, QSize screen,
                                                    bool shrinks) {
  for (const auto& job : FRecent)
    if (job->Path == path && job->Screen == screen && job->Shrinks == shrinks) return job;
  auto job = std::make_shared<TDecodeJob>();
  job->Path = path;
  job->Screen = screen;
  job->Shrinks = shrinks;
  FRecent.push_back(job);
  while (FRecent.size() > kRecentJobs) FRecent.pop_front();
  {
    std::lock_guard lock(FMutex);
    FQueue.push_back(job);
    ++FUnfinished;
  }
  FWake.notify_one();
  return job;
}

void TPictureLoader::Forget(const std::shared_ptr<TDecodeJob>& job) { std::erase(FRecent, job); }

void TPictureLoader::Clear() { FRecent.clear(); }

void TPictureLoader::Run() {
  for (;;) {
    std::shared_ptr<TDecodeJob> job;
    {
      std::unique_lock lock(FMutex);
      FWake.wait(lock, [this] { return FQuit || !FQueue.empty(); });
      if (FQuit) return;
      job = FQueue.front();
      FQueue.pop_front();
    }
    // A job nobody holds any more is not worth decoding.
    if (job.use_count() == 1) {
      --FUnfinished;
      continue;
    }
    Decode(*job);
    QPointer<QObject> context(FContext);
    QMetaObject::invokeMethod(
        FContext,
        [this, context, job]() mutable {
          --FUnfinished;
          if (!context) return;
          job->Done = true;
          job.reset();  // the window may take the picture out when it alone holds it
          if (OnDone) OnDone();
        },
        Qt::QueuedConnection);
  }
}

}  // namespace vantora
