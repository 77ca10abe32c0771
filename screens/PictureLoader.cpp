#include "screens/PictureLoader.h"

#include <algorithm>

#include <QMetaObject>
#include <QPointer>

#include "platform/ThreadPriority.h"
#include "raster/Draw.h"
#include "screens/Caption.h"
#include "transition/TransitionView.h"

namespace vantora {

namespace {

// Jobs kept for sharing, per window that requests: the picture being shown
// next and one fetched ahead, with room for one that a quick change of
// settings left behind.
constexpr std::size_t kRecentJobs = 3;

// How much nicer the decoder is than the thread that started it. A picture
// decoded ahead has the whole display interval to finish, while a running
// transition needs its frame every Delay milliseconds: on a busy machine the
// decoder gives way to the transition's worker and the window's thread. On
// an idle core it still decodes at full speed.
constexpr int kDecoderNicer = 10;

// Lowers the calling pool thread's priority once; a new thread starts with
// the nice value of the thread that made it.
void LowerDecoderPriority() {
  thread_local bool lowered = false;
  if (lowered) return;
  lowered = true;
  MakeThisThreadNicer(kDecoderNicer);
}

// The picture at the size the fitting gives it on the screen, sampled as
// the fitting samples (rows and columns that do not fit are dropped). A
// picture the fitting enlarges stays as it is.
void ScaleToScreen(TDecodeJob& job) {
  const Bitmap& picture = job.Picture.AsBitmap();
  const TRect own = picture.BoundsRect();
  const TRect screen{0, 0, job.Screen.width(), job.Screen.height()};
  const TRect target = job.Proportional ? FitRect(own, screen) : screen;
  if (target.IsEmpty() ||
      std::int64_t(target.Width()) * target.Height() >= std::int64_t(own.Width()) * own.Height())
    return;
  // The whole picture is sampled onto every pixel of the scaled one.
  Bitmap scaled = Bitmap::ForOverwrite(target.Width(), target.Height());
  StretchCopy(scaled, scaled.BoundsRect(), picture, own);
  Bitmap::Recycle(job.Picture.TakeBitmap());  // the next decode's memory
  job.Picture.Assign(std::move(scaled));
}

// At its own size a picture larger than the screen is centred on it and
// cut by its edges: only the part the screen shows is kept (where the
// control centres it, with the same rounding), so the control never holds
// and copies camera-sized bitmaps of which a screen shows a third.
void CropToScreen(TDecodeJob& job) {
  const Bitmap& picture = job.Picture.AsBitmap();
  const int w = picture.Width(), h = picture.Height();
  const int sw = job.Screen.width(), sh = job.Screen.height();
  if (sw <= 0 || sh <= 0 || (w <= sw && h <= sh)) return;
  // The control's offset of a centred picture: (client - picture) div 2,
  // truncated toward zero.
  const int left = w > sw ? -((sw - w) / 2) : 0;
  const int top = h > sh ? -((sh - h) / 2) : 0;
  const TRect part{left, top, left + std::min(w, sw), top + std::min(h, sh)};
  Bitmap cropped = Bitmap::ForOverwrite(part.Width(), part.Height());  // part lies inside
  StretchCopy(cropped, cropped.BoundsRect(), picture, part);
  Bitmap::Recycle(job.Picture.TakeBitmap());
  job.Picture.Assign(std::move(cropped));
}

}  // namespace

TPictureLoader::TPictureLoader(QObject* context) : FContext(context) {
  FWorker.setMaxThreadCount(1);
}

TPictureLoader::~TPictureLoader() {
  // Queued decodes are dropped and one under way gives up at its next row:
  // the show ends at once, not after a camera photo nobody will see.
  FCancel = true;
  FWorker.clear();
  FWorker.waitForDone();
  Bitmap::ForgetRecycled();  // the decodes' memory goes with the show
}

void TPictureLoader::Decode(TDecodeJob& job, const std::atomic<bool>* cancel) {
  try {
    TWantedSize wanted;
    if (job.Shrinks && job.Screen.width() > 0 && job.Screen.height() > 0) {
      const TPictureSize screen{job.Screen.width(), job.Screen.height()};
      wanted = [screen](TPictureSize) { return screen; };
    }
    TDecodeLimits limits;
    limits.Cancel = cancel;
    const TPictureSize full = job.Picture.LoadFromFile(job.Path.toStdString(), wanted, limits);
    if (std::min(full.Width, full.Height) < job.Extras.MinSide) {
      job.Picture.Clear();
      job.Error = "smaller than the smallest picture shown: " + job.Path.toStdString();
      return;
    }
    if (wanted)
      ScaleToScreen(job);
    else
      CropToScreen(job);
    const QString caption = CaptionText(job.Path, job.Extras.Caption);
    if (!caption.isEmpty()) {
      Bitmap picture = job.Picture.TakeBitmap();
      DrawCaption(picture, caption, {job.Screen, job.Shrinks, job.Proportional});
      job.Picture.Assign(std::move(picture));
    }
  } catch (const std::exception& e) {
    job.Error = e.what();
    if (job.Error.empty()) job.Error = "cannot decode " + job.Path.toStdString();
  } catch (...) {
    job.Error = "cannot decode " + job.Path.toStdString();
  }
}

std::shared_ptr<TDecodeJob> TPictureLoader::Request(const QString& path, QSize screen,
                                                    bool shrinks, bool proportional,
                                                    const TPictureExtras& extras) {
  for (const auto& job : FRecent)
    if (job->Path == path && job->Screen == screen && job->Shrinks == shrinks &&
        job->Proportional == proportional && job->Extras == extras)
      return job;
  auto job = std::make_shared<TDecodeJob>();
  job->Path = path;
  job->Screen = screen;
  job->Shrinks = shrinks;
  job->Proportional = proportional;
  job->Extras = extras;
  FRecent.push_back(job);
  while (FRecent.size() > kRecentJobs * std::size_t(std::max(FWindows, 1))) FRecent.pop_front();
  ++FUnfinished;
  FWorker.start([this, wanted = std::weak_ptr<TDecodeJob>(job)] { Run(wanted); });
  return job;
}

TPictureClaim::TPictureClaim(std::shared_ptr<TDecodeJob> job) : FJob(std::move(job)) {
  if (FJob) ++FJob->Claims;
}

TPictureClaim& TPictureClaim::operator=(TPictureClaim&& other) noexcept {
  if (this != &other) {
    Drop();
    FJob = std::move(other.FJob);
  }
  return *this;
}

void TPictureClaim::Drop() {
  if (FJob) --FJob->Claims;
  FJob.reset();
}

vantora::Picture TPictureClaim::Take() {
  const std::shared_ptr<TDecodeJob> job = std::move(FJob);
  if (--job->Claims > 0) return job->Picture;
  return std::move(job->Picture);
}

void TPictureLoader::Forget(const std::shared_ptr<TDecodeJob>& job) { std::erase(FRecent, job); }

void TPictureLoader::Clear() { FRecent.clear(); }

void TPictureLoader::Run(const std::weak_ptr<TDecodeJob>& wanted) {
  // The worker does not own its jobs: the requests do (the list of recent
  // jobs and whoever keeps what Request gave). A job they all dropped before
  // its turn is not worth decoding.
  const std::shared_ptr<TDecodeJob> job = wanted.lock();
  if (!job) {
    --FUnfinished;
    return;
  }
  LowerDecoderPriority();  // only this pool's threads run here
  ++FDecodes;
  Decode(*job, &FCancel);
  QPointer<QObject> context(FContext);
  QMetaObject::invokeMethod(
      FContext,
      [this, context, wanted] {
        --FUnfinished;
        if (!context) return;
        if (const auto job = wanted.lock()) job->Done = true;
        if (OnDone) OnDone();
      },
      Qt::QueuedConnection);
}

}  // namespace vantora
