#include "config/Thumbnails.h"

#include "config/Image.h"
#include "raster/Picture.h"

namespace vantora {

TThumbnail DecodeThumbnail(const QString& path, int cellWidth, int cellHeight) {
  TThumbnail thumb;
  try {
    const std::string file = path.toStdString();
    Picture picture;
    if (path.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive) ||
        path.endsWith(QLatin1String(".jpeg"), Qt::CaseInsensitive)) {
      const TPictureSize size = ReadJpegSize(file);
      const TRect drawn = FitThumbnail(cellWidth, cellHeight, size.Width, size.Height);
      picture.LoadFromFile(file,
                           CoveringScale(size.Width, size.Height, drawn.Width(), drawn.Height()));
      thumb.PictureWidth = size.Width;
      thumb.PictureHeight = size.Height;
    } else {
      picture.LoadFromFile(file);
      thumb.PictureWidth = picture.Width();
      thumb.PictureHeight = picture.Height();
    }
    const TRect drawn =
        FitThumbnail(cellWidth, cellHeight, thumb.PictureWidth, thumb.PictureHeight);
    QImage image = ToQImage(picture.AsBitmap());
    if (image.width() != drawn.Width() || image.height() != drawn.Height())
      image = image.scaled(drawn.Width(), drawn.Height(), Qt::IgnoreAspectRatio,
                           Qt::SmoothTransformation);
    thumb.Image = std::move(image);
  } catch (const std::exception& e) {
    thumb = TThumbnail{};
    thumb.Error = e.what();
  }
  return thumb;
}

TThumbnailPool::TThumbnailPool(int threads, int cellWidth, int cellHeight)
    : FCellWidth(cellWidth), FCellHeight(cellHeight) {
  for (int i = 0; i < threads; ++i) FThreads.emplace_back([this] { Run(); });
}

TThumbnailPool::~TThumbnailPool() {
  {
    std::lock_guard lock(FMutex);
    FStopping = true;
    FJobs.clear();
  }
  FWake.notify_all();
  for (std::thread& t : FThreads) t.join();
}

unsigned TThumbnailPool::Start(std::vector<std::pair<int, QString>> jobs, TDone done) {
  auto shared = std::make_shared<TDone>(std::move(done));
  unsigned batch;
  {
    std::lock_guard lock(FMutex);
    batch = ++FBatch;
    FJobs.clear();
    for (auto& [index, path] : jobs) FJobs.push_back({batch, index, std::move(path), shared});
  }
  FWake.notify_all();
  return batch;
}

void TThumbnailPool::Wait() {
  std::unique_lock lock(FMutex);
  FIdle.wait(lock, [this] { return FJobs.empty() && FBusy == 0; });
}

void TThumbnailPool::Run() {
  for (;;) {
    TJob job;
    {
      std::unique_lock lock(FMutex);
      FWake.wait(lock, [this] { return FStopping || !FJobs.empty(); });
      if (FStopping) return;
      job = std::move(FJobs.front());
      FJobs.pop_front();
      ++FBusy;
    }
    TThumbnail thumb = DecodeThumbnail(job.Path, FCellWidth, FCellHeight);
    (*job.Done)(job.Batch, job.Index, std::move(thumb));
    {
      std::lock_guard lock(FMutex);
      --FBusy;
      if (FJobs.empty() && FBusy == 0) FIdle.notify_all();
    }
  }
}

}  // namespace vantora
