#pragma once
// Decodes the show's pictures on a worker thread, so the window's thread
// never waits for a decoder while a transition runs. The worker runs at a
// lower priority than the thread that made the loader: a decode gives way to
// the frames of the transition it runs beside.
//
// A request names a file and the size of the screen it will fill. When the
// fitting shrinks pictures anyway (fit or stretch), a JPEG larger than the
// screen is decoded through libjpeg's DCT scaling at the smallest scale that
// still covers the screen, and then scaled down to the size the fitting
// gives it on that screen, with the fitting's own sampling: the picture
// shown is the same, while the control's bitmaps, each transition's copies
// and every frame's paint deal with screen-sized pictures, not camera-sized
// ones. At its own size, a picture larger than the screen keeps only the
// part the screen shows. Requests for a file already requested (a picture fetched ahead, or
// the same picture on another screen of the same size) share one decode.
//
// The worker also skips a picture smaller than the "pics" "minside" (as an
// error nobody is told of) and writes the caption into the picture once it
// has its size on the screen.

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
#include "settings/PicsSettings.h"

namespace vantora {

// What is done to a picture besides decoding it.
struct TPictureExtras {
  TCaption Caption = TCaption::None;  // written into the picture
  int MinSide = 0;  // a picture whose shorter side is under this is skipped
  friend bool operator==(const TPictureExtras&, const TPictureExtras&) = default;
};

struct TDecodeJob {
  QString Path;
  QSize Screen;  // the area the picture will fill
  bool Shrinks = false;  // the fitting scales it down to the screen
  bool Proportional = true;  // fit (keeps the proportions) rather than stretch
  TPictureExtras Extras;
  // Written by the worker before Done is set, read after.
  vantora::Picture Picture;
  std::string Error;  // empty when the decode succeeded
  bool Done = false;  // read and written in the window's thread only
  int Claims = 0;  // the TPictureClaims on the job; window thread only
};

// A show's claim on the picture of a job, made when a tick asks for the
// picture and dropped when the picture is taken or the show is given up.
// Several shows may wait for one job (a short list, random order drawing a
// picture twice, screens of one size sharing a decode): each but the last
// takes a copy, the last takes the picture itself. Window thread only.
class TPictureClaim {
 public:
  TPictureClaim() = default;
  explicit TPictureClaim(std::shared_ptr<TDecodeJob> job);
  TPictureClaim(TPictureClaim&& other) noexcept : FJob(std::move(other.FJob)) {}
  TPictureClaim& operator=(TPictureClaim&& other) noexcept;
  ~TPictureClaim() { Drop(); }

  explicit operator bool() const { return FJob != nullptr; }
  const TDecodeJob* operator->() const { return FJob.get(); }
  const std::shared_ptr<TDecodeJob>& Job() const { return FJob; }
  // The picture, moved out of the job for the last claim; the claim is
  // dropped.
  vantora::Picture Take();

 private:
  void Drop();
  std::shared_ptr<TDecodeJob> FJob;
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
  std::shared_ptr<TDecodeJob> Request(const QString& path, QSize screen, bool shrinks,
                                      bool proportional = true, const TPictureExtras& extras = {});
  // Forgets one job (its picture is being taken), or every job; decodes
  // under way finish unseen.
  void Forget(const std::shared_ptr<TDecodeJob>& job);
  void Clear();

  std::function<void()> OnDone;

  // How many windows request pictures through this loader (the show
  // windows of several screens share one), so each keeps its jobs shared.
  void SetWindows(int windows) { FWindows = windows; }

  // Jobs queued or being decoded, including ones nobody waits for.
  int Unfinished() const { return FUnfinished.load(); }
  // Decodes begun so far (requests that shared one count once).
  int Decodes() const { return FDecodes.load(); }

  // Decodes one job's file (also used by the worker); a decode under way
  // gives up once cancel is set.
  static void Decode(TDecodeJob& job, const std::atomic<bool>* cancel = nullptr);

 private:
  void Run(const std::weak_ptr<TDecodeJob>& wanted);

  QObject* FContext;
  int FWindows = 1;
  std::deque<std::shared_ptr<TDecodeJob>> FRecent;  // window thread only
  std::atomic<int> FUnfinished{0};
  std::atomic<int> FDecodes{0};
  std::atomic<bool> FCancel{false};  // set when the loader goes
  // One worker, so pictures are decoded in the order they were asked for.
  QThreadPool FWorker;
};

}  // namespace vantora
