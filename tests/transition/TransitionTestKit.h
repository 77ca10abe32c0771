#pragma once
// Helpers of the transition control's tests: plain pictures, an event log
// that the worker thread may write, and a bounded wait for the end of a run.

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "raster/Draw.h"
#include "tests/support/QtApp.h"
#include "transition/TransitionView.h"

namespace vantora::testkit {

inline Picture SolidPicture(int w, int h, TPixel color) {
  Bitmap b(w, h);
  FillRect(b, b.BoundsRect(), color);
  Picture p;
  p.Assign(std::move(b));
  return p;
}

// A picture whose every pixel tells its own position, to check placement.
inline Picture GradientPicture(int w, int h) {
  Bitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, Rgb(x & 255, y & 255, (x >> 8) * 16 + (y >> 8)));
  Picture p;
  p.Assign(std::move(b));
  return p;
}

// Records the events of a control as short words ("Start", "Before",
// "Custom", "After", "Progress 12", "Complete", "Stop").
class EventLog {
 public:
  void Attach(TCustomTransitionView& v) {
    v.OnStart = [this](QObject*, Bitmap&, Bitmap&) { Add("Start"); };
    v.OnBeforeNewFrame = [this](QObject*, Bitmap&, Bitmap&) { Add("Before"); };
    v.OnCustomDraw = [this](QObject*, Bitmap&, Bitmap&) { Add("Custom"); };
    v.OnAfterNewFrame = [this](QObject*, Bitmap&, Bitmap&) { Add("After"); };
    v.OnProgress = [this, &v](QObject*) {
      Add("Progress " + std::to_string(v.Progress()));
      std::lock_guard<std::mutex> lock(FMutex);
      FProgress.push_back(v.Progress());
    };
    v.OnComplete = [this](QObject*) { Add("Complete"); };
    v.OnStop = [this](QObject*) { Add("Stop"); };
  }
  void Add(const std::string& word) {
    std::lock_guard<std::mutex> lock(FMutex);
    FWords.push_back(word);
  }
  std::vector<std::string> Words() const {
    std::lock_guard<std::mutex> lock(FMutex);
    return FWords;
  }
  std::vector<int> Progress() const {
    std::lock_guard<std::mutex> lock(FMutex);
    return FProgress;
  }
  int Count(const std::string& word) const {
    int n = 0;
    for (const std::string& w : Words()) n += w == word;
    return n;
  }

 private:
  mutable std::mutex FMutex;
  std::vector<std::string> FWords;
  std::vector<int> FProgress;
};

// What the window of a top-level control shows now, read from the offscreen
// platform's backing store without painting anything.
inline Bitmap OnScreen(const QWidget& w) {
  const QImage shown =
      w.screen()->grabWindow(w.winId()).toImage().convertToFormat(QImage::Format_RGB32);
  Bitmap b(shown.width(), shown.height());
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      b.SetPixel(x, y, reinterpret_cast<const TPixel*>(shown.constScanLine(y))[x] & 0xFFFFFF);
  return b;
}

// Whether the control's paint buffer holds exactly what its window shows.
inline ::testing::AssertionResult BufferIsOnScreen(TCustomTransitionView& v) {
  const Bitmap shown = OnScreen(v);
  CanvasLock lock(v.Buffer());
  const Bitmap& buffer = v.Buffer();
  if (shown.Width() != buffer.Width() || shown.Height() != buffer.Height())
    return ::testing::AssertionFailure() << "screen " << shown.Width() << "x" << shown.Height()
                                         << ", buffer " << buffer.Width() << "x" << buffer.Height();
  int differ = 0, firstX = -1, firstY = -1;
  for (int y = 0; y < buffer.Height(); ++y)
    for (int x = 0; x < buffer.Width(); ++x)
      if ((buffer.Pixel(x, y) & 0xFFFFFF) != shown.Pixel(x, y) && differ++ == 0)
        firstX = x, firstY = y;
  if (differ == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << differ << " pixels differ, the first at " << firstX << "," << firstY;
}

inline bool WaitIdle(const TCustomTransitionView& v) {
  return test::WaitFor([&] { return !v.Busy(); });
}

// A flag one thread raises and another waits for, at most ten seconds.
class Flag {
 public:
  void Raise() {
    {
      std::lock_guard<std::mutex> lock(FMutex);
      FRaised = true;
    }
    FChanged.notify_all();
  }
  bool Wait() {
    std::unique_lock<std::mutex> lock(FMutex);
    return FChanged.wait_for(lock, std::chrono::seconds(10), [this] { return FRaised; });
  }

 private:
  std::mutex FMutex;
  std::condition_variable FChanged;
  bool FRaised = false;
};

// Ends the test program with a message when its scope is not left within
// ten seconds: a deadlock between the worker and the widget's thread then
// fails the test instead of hanging the suite.
class HangGuard {
 public:
  explicit HangGuard(const char* what)
      : FWhat(what), FWatch([this] {
          if (!FLeft.Wait()) {
            std::fprintf(stderr, "hung: %s\n", FWhat);
            std::_Exit(1);
          }
        }) {}
  ~HangGuard() {
    FLeft.Raise();
    FWatch.join();
  }

 private:
  const char* FWhat;
  Flag FLeft;
  std::thread FWatch;
};

}  // namespace vantora::testkit
