#include "platform/FolderLister.h"

#include <QMetaObject>
#include <QPointer>

#include "platform/FileList.h"

namespace vantora {

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
    ListPictures(
        folder, TFileMask(mask), subfolders, [&](QStringList batch) { post(std::move(batch), false); },
        cancel.get());
    if (!cancel->load()) post({}, true);
  });
}

void TFolderLister::Deliver(unsigned run, QStringList batch, bool last) {
  if (run != FRun) return;  // a listing dropped since
  if (!batch.isEmpty() && OnBatch) OnBatch(batch);
  if (last) {
    FListing = false;
    if (FThread.joinable()) FThread.join();  // it has posted its last word
    if (OnDone) OnDone();
  }
}

}  // namespace vantora
