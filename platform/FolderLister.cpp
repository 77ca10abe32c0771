#include "platform/FolderLister.h"

#include <chrono>
#include <utility>

#include <QMetaObject>
#include <QPointer>

#include "platform/FileList.h"
#include "platform/ThreadPriority.h"

namespace vantora {

namespace {

// Once the first names are handed over, the walk gives way to the window's
// thread and to the decoder of the first pictures, which a user waits for;
// the rest of a large library can come a little later. On an idle core it
// still runs at full speed.
constexpr int kListerNicer = 15;

// The longest a walk holds when nobody lets it go on (a first picture that
// takes long to decode).
constexpr auto kLongestHold = std::chrono::seconds(1);

}  // namespace

TFolderLister::TFolderLister(QObject* context) : FContext(context) {}

TFolderLister::~TFolderLister() { Stop(); }

void TFolderLister::Stop() {
  ++FRun;
  FListing = false;
  if (FWalk) {
    std::lock_guard lock(FWalk->Lock);
    FWalk->Cancel.store(true);
    FWalk->Held = false;
    FWalk->Changed.notify_all();
  }
  // The walk looks at the flag at every entry and a held walk wakes, so
  // this returns at once.
  if (FThread.joinable()) FThread.join();
  FWalk.reset();
}

void TFolderLister::Hold() {
  if (!FWalk) return;
  std::lock_guard lock(FWalk->Lock);
  FWalk->Held = true;
}

void TFolderLister::GoOn(bool waiting) {
  if (!FWalk) return;
  std::lock_guard lock(FWalk->Lock);
  FWalk->Held = false;
  FWalk->Waiting = FWalk->Waiting || waiting;
  FWalk->Changed.notify_all();
}

void TFolderLister::Start(const QString& folder, const QString& mask, bool subfolders,
                          bool held) {
  Stop();
  const unsigned run = FRun;
  FListing = true;
  FWalk = std::make_shared<TWalk>();
  FWalk->Held = held;
  QPointer<QObject> context(FContext);
  auto post = [this, context, run](QStringList batch, bool last) {
    QMetaObject::invokeMethod(
        FContext,
        [this, context, run, batch = std::move(batch), last]() mutable {
          if (context) Deliver(run, std::move(batch), last);
        },
        Qt::QueuedConnection);
  };
  FThread = std::thread([folder, mask, subfolders, walk = FWalk, post] {
    bool first = true;
    const std::function<void()> pause = [&walk = *walk] {
      std::unique_lock lock(walk.Lock);
      if (!walk.Held) return;
      walk.Changed.wait_for(lock, kLongestHold, [&] { return !walk.Held; });
      walk.Held = false;  // once: a hold that ran out is over
    };
    ListPictures(
        folder, TFileMask(mask), subfolders,
        [&](QStringList batch) {
          post(std::move(batch), false);
          // The first pictures are what the show waits for; after them the
          // walk gives way, unless the window waits for what it finds.
          if (!std::exchange(first, false)) return;
          std::lock_guard lock(walk->Lock);
          if (!walk->Waiting) MakeThisThreadNicer(kListerNicer);
        },
        &walk->Cancel, pause);
    if (!walk->Cancel.load()) post({}, true);
  });
}

void TFolderLister::Deliver(unsigned run, QStringList batch, bool last) {
  if (run != FRun) return;  // a listing dropped since
  if (!batch.isEmpty() && OnBatch) OnBatch(batch);
  if (last) {
    // The thread has posted its last word and is ending; it is joined by
    // the next Start or Stop, not here, where a walk at a low priority
    // could keep the window waiting for it to be scheduled once more.
    FListing = false;
    if (OnDone) OnDone();
  }
}

}  // namespace vantora
