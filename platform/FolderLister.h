#pragma once
// Lists a picture folder (or tree) on a thread of its own and hands the names
// to the window's thread as they are found, so a window never waits for a
// large library to be listed: it starts on the first batch and takes the
// rest as it comes.
//
// OnBatch and OnDone run in the thread of the context object given at
// construction. Start drops a listing under way: its walk gives up and
// batches of it still queued for the window are ignored.

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include <QObject>
#include <QString>
#include <QStringList>

namespace vantora {

class TFolderLister {
 public:
  explicit TFolderLister(QObject* context);
  ~TFolderLister();
  TFolderLister(const TFolderLister&) = delete;
  TFolderLister& operator=(const TFolderLister&) = delete;

  void Start(const QString& folder, const QString& mask, bool subfolders);
  // Drops the listing under way, if any.
  void Stop();
  // Whether the listing last started has not yet delivered everything.
  bool Listing() const { return FListing; }

  std::function<void(const QStringList& batch)> OnBatch;
  std::function<void()> OnDone;

 private:
  void Deliver(unsigned run, QStringList batch, bool last);

  QObject* FContext;
  std::thread FThread;
  std::shared_ptr<std::atomic<bool>> FCancel;
  unsigned FRun = 0;  // window thread only
  bool FListing = false;
};

}  // namespace vantora
