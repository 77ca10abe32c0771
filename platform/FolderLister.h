#pragma once
// Lists a picture folder (or tree) on a thread of its own and hands the names
// to the window's thread as they are found, so a window never waits for a
// large library to be listed: it starts on the first batch and takes the
// rest as it comes.
//
// OnBatch and OnDone run in the thread of the context object given at
// construction. Start drops a listing under way: its walk gives up and
// batches of it still queued for the window are ignored.
//
// Once its first names are handed over, the walk gives way to the window's
// thread and the decoder, which a user waits for: it goes on at a lower
// priority. A window that shows its first picture from the first names
// asks the walk to Hold while that picture is decoded and its transition
// prepared: the walk stops before the next subfolder, until GoOn (or a
// second at most), so the first picture of a large tree comes as fast as
// that of a small folder. GoOn(true) says the window waits for the rest of
// the listing, which then runs at full speed.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
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

  // held: as if Hold came at once, before the walk enters any subfolder.
  void Start(const QString& folder, const QString& mask, bool subfolders, bool held = false);
  // Holds the walk under way before its next subfolder, until GoOn.
  void Hold();
  // Lets a held walk go on; waiting: the window waits for the names to come.
  void GoOn(bool waiting);
  // Drops the listing under way, if any.
  void Stop();
  // Whether the listing last started has not yet delivered everything.
  bool Listing() const { return FListing; }

  std::function<void(const QStringList& batch)> OnBatch;
  std::function<void()> OnDone;

 private:
  void Deliver(unsigned run, QStringList batch, bool last);

  // What the window's thread tells a walk under way.
  struct TWalk {
    std::atomic<bool> Cancel{false};
    std::mutex Lock;
    std::condition_variable Changed;
    bool Held = false;  // under Lock
    bool Waiting = false;  // under Lock
  };

  QObject* FContext;
  std::thread FThread;
  std::shared_ptr<TWalk> FWalk;
  unsigned FRun = 0;  // window thread only
  bool FListing = false;
};

}  // namespace vantora
