#pragma once
// An event that stays signalled until it is reset: every waiter passes while
// it is set. The transition worker waits on one before each frame (the
// previous frame has been painted) and sleeps on another between frames, so
// that stopping can wake it at once.

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace vantora {

class ManualResetEvent {
 public:
  explicit ManualResetEvent(bool signalled = false) : FSignalled(signalled) {}

  void Set() {
    {
      std::lock_guard<std::mutex> lock(FMutex);
      FSignalled = true;
    }
    FChanged.notify_all();
  }
  void Reset() {
    std::lock_guard<std::mutex> lock(FMutex);
    FSignalled = false;
  }
  // Waits without a time limit until the event is signalled or stop()
  // holds; true when it was signalled. stop() is looked at under the
  // event's lock, so a Wake() that follows a change of what stop() reads is
  // never missed.
  template <class F>
  bool WaitUnless(F&& stop) {
    std::unique_lock<std::mutex> lock(FMutex);
    FChanged.wait(lock, [&] { return FSignalled || stop(); });
    return FSignalled;
  }
  // Makes every waiter look at its stop condition again.
  void Wake() {
    { std::lock_guard<std::mutex> lock(FMutex); }
    FChanged.notify_all();
  }
  // Waits at most ms milliseconds; true when the event was signalled.
  bool WaitFor(int ms) {
    std::unique_lock<std::mutex> lock(FMutex);
    return FChanged.wait_for(lock, std::chrono::milliseconds(ms), [this] { return FSignalled; });
  }

 private:
  mutable std::mutex FMutex;
  std::condition_variable FChanged;
  bool FSignalled;
};

}  // namespace vantora
