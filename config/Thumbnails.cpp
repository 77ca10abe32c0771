#include "config/Thumbnails.h"

#include <memory>

#include "config/Image.h"
#include "raster/Picture.h"

namespace vantora {

TThumbnail DecodeThumbnail(const QString& path, int cellWidth, int cellHeight, double ratio) {
  TThumbnail thumb;
  try {
    Picture picture;
    // A JPEG is decoded at the smallest scale that still covers the cell's
    // drawn rectangle for its upright size.
    const TPictureSize size = picture.LoadFromFile(path.toStdString(), [&](TPictureSize full) {
      const TRect drawn = FitThumbnailOnScreen(cellWidth, cellHeight, full.Width, full.Height, ratio);
      return TPictureSize{drawn.Width(), drawn.Height()};
    });
    thumb.PictureWidth = size.Width;
    thumb.PictureHeight = size.Height;
    const TRect drawn = FitThumbnailOnScreen(cellWidth, cellHeight, size.Width, size.Height, ratio);
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

TThumbnailPool::TThumbnailPool(int threads, int cellWidth, int cellHeight, double ratio)
    : FCellWidth(cellWidth), FCellHeight(cellHeight), FRatio(ratio) {
  FWorkers.setMaxThreadCount(threads);
}

TThumbnailPool::~TThumbnailPool() {
  FWorkers.clear();
  FWorkers.waitForDone();
}

unsigned TThumbnailPool::Start(std::vector<std::pair<int, QString>> jobs, TDone done) {
  const unsigned batch = ++FBatch;
  FWorkers.clear();  // the earlier batch's jobs that have not started
  auto shared = std::make_shared<TDone>(std::move(done));
  for (auto& [index, path] : jobs)
    FWorkers.start([this, batch, index = index, path = std::move(path), shared] {
      (*shared)(batch, index, DecodeThumbnail(path, FCellWidth, FCellHeight, FRatio));
    });
  return batch;
}

void TThumbnailPool::Wait() { FWorkers.waitForDone(); }

}  // namespace vantora
