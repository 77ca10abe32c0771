#include "platform/FolderLister.h"

#include <algorithm>
#include <utility>

#include <QMetaObject>
#include <QPointer>

#include "platform/FileList.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace vantora {

namespace {

// Once the first names are handed over, the walk gives way to the window's
// thread and to the decoder of the first pictures, which a user waits for;
// the rest of a large library can come a little later. On an idle core it
// still runs at full speed.
constexpr int kListerNicer = 15;

void LowerListerPriority() {
  const auto tid = id_t(syscall(SYS_gettid));
  setpriority(PRIO_PROCESS, tid, std::min(19, getpriority(PRIO_PROCESS, tid) + kListerNicer));
}

}  // namespace

TFolderLister::TFolderLister(QObject* context) : FContext(context) {}

TFolderLister::~TFolderLister() { Stop(); }

void TFolderLister::Stop() {
  ++FRun;
  FListing = false;
  if (FCancel) FCancel->store(true);
  // The walk looks at the flag at every entry, so this returns at once.
  if (FThread.joinable()) FThread.join();
  FCancel.reset();
}

void TFolderLister::Start(const QString& folder, const QString& mask, bool subfolders) {
  Stop();
  const unsigned run = FRun;
  FListing = true;
  FCancel = std::make_shared<std::atomic<bool>>(false);
  QPointer<QObject> context(FContext);
  auto post = [this, context, run](QStringList batch, bool last) {
    QMetaObject::invokeMethod(
        FContext,
        [this, context, run, batch = std::move(batch), last]() mutable {
          if (context) Deliver(run, std::move(batch), last);
        },
        Qt::QueuedConnection);
  };
  FThread = std::thread([folder, mask, subfolders, cancel = FCancel, post] {
    bool lowered = false;
    ListPictures(
        folder, TFileMask(mask), subfolders,
        [&](QStringList batch) {
          post(std::move(batch), false);
          // The first pictures are what the show waits for; after them the
          // walk gives way.
          if (!std::exchange(lowered, true)) LowerListerPriority();
        },
        cancel.get());
    if (!cancel->load()) post({}, true);
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
