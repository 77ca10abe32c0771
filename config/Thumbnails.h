#pragma once
// Thumbnails of the settings window's grid, decoded off the window thread.
//
// A JPEG is decoded through libjpeg's DCT scaling at the smallest scale
// (1/8, 1/4, 1/2 or full) whose output still covers the rectangle the
// thumbnail is drawn at, which for a photo is most of the decoding saved;
// the result is then shrunk smoothly to exactly that rectangle. Pictures of
// the other formats are decoded whole. A file that cannot be read gives an empty thumbnail
// with its error text.
//
// TThumbnailPool decodes a page of files on a few worker threads at once.
// Starting a new batch drops the queued jobs of the earlier one; jobs under
// way finish, and their results carry the old batch number so the caller
// can ignore them.

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <QImage>
#include <QString>
#include <QThreadPool>

namespace vantora {

struct TThumbnail {
  QImage Image;  // scaled to the drawn rectangle; null on failure
  int PictureWidth = 0;  // the picture's own size, which the fitting uses
  int PictureHeight = 0;
  std::string Error;  // empty when the decode succeeded
};

// The thumbnail for a cell of cellWidth x cellHeight device pixels on a
// screen of the given device pixel ratio (FitThumbnailOnScreen).
TThumbnail DecodeThumbnail(const QString& path, int cellWidth, int cellHeight, double ratio = 1);

class TThumbnailPool {
 public:
  // Called on a worker thread for each job of a batch.
  using TDone = std::function<void(unsigned batch, int index, TThumbnail thumbnail)>;

  explicit TThumbnailPool(int threads = 2, int cellWidth = 105, int cellHeight = 81,
                          double ratio = 1);
  ~TThumbnailPool();
  TThumbnailPool(const TThumbnailPool&) = delete;
  TThumbnailPool& operator=(const TThumbnailPool&) = delete;

  // Queues one job per (index, path) pair and returns the new batch number.
  unsigned Start(std::vector<std::pair<int, QString>> jobs, TDone done);
  // Blocks until nothing is queued or being decoded (benchmarks, shutdown).
  void Wait();

 private:
  const int FCellWidth;
  const int FCellHeight;
  const double FRatio;  // the screen's device pixel ratio
  unsigned FBatch = 0;  // the caller's thread only
  QThreadPool FWorkers;
};

}  // namespace vantora
