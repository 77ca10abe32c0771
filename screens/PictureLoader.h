#pragma once
// Decodes the show's pictures on a worker thread, so the window's thread
// never waits for a decoder while a transition runs. The worker runs at a
// lower priority than the thread that made the loader: a decode gives way to
// the frames of the transition it runs beside.
//
// A request names a file and the size of the screen it will fill. When the
// fitting shrinks pictures anyway (fit or stretch), a JPEG larger than the
// screen is decoded through libjpeg's DCT scaling at the smallest scale that
// still covers the screen; the fitting then scales it as before. Requests
// for a file already requested (a picture fetched ahead) share one decode.

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include <QObject>
#include <QSize>
#include <QString>
#include <QThreadPool>

#include "raster/Picture.h"

namespace vantora {

struct TDecodeJob {
  QString Path;
  QSize Screen;  // the area the picture will fill
  bool Shrinks = false;  // the fitting scales it down to the screen
  // Written by the worker before Done is set, read after.
  vantora::Picture Picture;
  std::string Error;  // empty when the decode succeeded
  bool Done = false;  // read and written in the window's thread only
};

class TPictureLoader {
 public:
  // OnDone runs in the window's thread (the thread that owns context) after
  // each decode, whatever its outcome.
  explicit TPictureLoader(QObject* context);
  ~TPictureLoader();
  TPictureLoader(const TPictureLoader&) = delete;
  TPictureLoader& operator=(const TPictureLoader&) = delete;

  // The job for path, shared with an earlier request of the same file and
  // size, or queued now.
  std::shared_ptr<TDecodeJob> Request(const QString& path, QSize screen, bool shrinks);
  // Forgets one job (its picture is being taken), or every job; decodes
  // under way finish unseen.
  void Forget(const std::shared_ptr<TDecodeJob>& job);
  void Clear();

  std::function<void()> OnDone;

  // Jobs queued or being decoded, including ones nobody waits for.
  int Unfinished() const { return FUnfinished.load(); }

  // Decodes one job's file (also used by the worker); a decode under way
  // gives up once cancel is set.
  static void Decode(TDecodeJob& job, const std::atomic<bool>* cancel = nullptr);

 private:
  void Run(const std::shared_ptr<TDecodeJob>& job);

  QObject* FContext;
  std::deque<std::shared_ptr<TDecodeJob>> FRecent;  // window thread only
  std::atomic<int> FUnfinished{0};
  std::atomic<bool> FCancel{false};  // set when the loader goes
  // One worker, so pictures are decoded in the order they were asked for.
  QThreadPool FWorker;
};

}  // namespace vantora
