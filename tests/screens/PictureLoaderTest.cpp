#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "screens/PictureLoader.h"
#include "tests/raster/PictureFiles.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempFolder.h"

using namespace vantora;
using namespace vantora::testfiles;

// The DCT scale of a photo stored on its side is chosen against its upright
// size: stored 400 x 300, upright 300 x 400, half size (150 x 200) covers a
// 150 x 200 screen, though the stored half (200 x 150) would not.
TEST(PictureLoader, APhotoStoredOnItsSideIsScaledForItsUprightSize) {
  test::TempFolder dir;
  const QString path = QString::fromStdString(
      dir.Write("side.jpg", WithSegment(EncodeJpeg(Bitmap(400, 300), 90, false), ExifSegment(6))));
  struct Case {
    bool Shrinks;
    QSize Screen;
    int ExpectedWidth, ExpectedHeight;
  };
  for (const Case& c : {Case{true, {150, 200}, 150, 200}, Case{false, {1000, 1000}, 300, 400}}) {
    SCOPED_TRACE(c.Shrinks ? "fitting shrinks" : "own size");
    TDecodeJob job;
    job.Path = path;
    job.Screen = c.Screen;
    job.Shrinks = c.Shrinks;
    TPictureLoader::Decode(job);
    ASSERT_EQ(job.Error, "");
    EXPECT_EQ(job.Picture.Width(), c.ExpectedWidth);
    EXPECT_EQ(job.Picture.Height(), c.ExpectedHeight);
  }
}

// The picture is decoded as the screen will show it. At its own size a
// picture larger than the screen keeps the part the centring shows, with
// the control's rounding ((client - picture) div 2, toward zero); fitted or
// stretched it is scaled down to its place on the screen.
TEST(PictureLoader, PicturesAreCutOrScaledToWhatTheScreenShows) {
  test::TempFolder dir;
  Bitmap b(9, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 9; ++x) b.SetPixel(x, y, Rgb(x * 20, y * 40, 7));
  const QString path = QString::fromStdString(dir.Write("p.bmp", EncodeBmp24(b)));
  struct Case {
    bool Shrinks, Proportional;
    QSize Screen;
    int Width, Height;
    int Left, Top;  // own size: where the part starts in the picture
  };
  const Case cases[] = {
      {false, true, {4, 3}, 4, 3, 2, 1},  // offsets -2 and -1: columns 2..5, rows 1..3
      {false, true, {20, 3}, 9, 3, 0, 1},  // wider screen: only rows are cut
      {false, true, {20, 20}, 9, 5, 0, 0},  // smaller picture: whole
      {true, true, {6, 6}, 6, 3, -1, -1},  // fit: 6 x 3.33 rounds to 6 x 3
      {true, false, {6, 6}, 6, 6, -1, -1},  // stretch: the screen's size
      {true, true, {90, 90}, 9, 5, 0, 0},  // enlarged by the fitting: whole
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Screen.width() << "x" << c.Screen.height()
                                    << (c.Shrinks ? " shrinks" : " own size"));
    TDecodeJob job;
    job.Path = path;
    job.Screen = c.Screen;
    job.Shrinks = c.Shrinks;
    job.Proportional = c.Proportional;
    TPictureLoader::Decode(job);
    ASSERT_EQ(job.Error, "");
    const Bitmap& got = job.Picture.AsBitmap();
    ASSERT_EQ(got.Width(), c.Width);
    ASSERT_EQ(got.Height(), c.Height);
    if (c.Left < 0) continue;
    for (int y = 0; y < c.Height; ++y)
      for (int x = 0; x < c.Width; ++x)
        ASSERT_EQ(got.Pixel(x, y), b.Pixel(x + c.Left, y + c.Top)) << x << "," << y;
  }
}

namespace {

// The nice values of this process's threads of the given name.
std::vector<int> NiceOfThreads(const std::string& name) {
  std::vector<int> nice;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
    std::ifstream comm(task.path() / "comm");
    std::string threadName;
    std::getline(comm, threadName);
    if (threadName != name) continue;
    nice.push_back(getpriority(PRIO_PROCESS, id_t(std::stoi(task.path().filename().string()))));
  }
  return nice;
}

}  // namespace

// A picture decoded ahead has the display interval to finish, a running
// transition only Delay milliseconds per frame: the decoder runs below the
// window's thread, so on a busy machine the frames keep their pace.
TEST(PictureLoader, DecodesBelowThePriorityOfTheWindowsThread) {
  test::TempFolder dir;
  const QString path =
      QString::fromStdString(dir.Write("a.jpg", EncodeJpeg(Bitmap(64, 48), 90, false)));
  test::QtApp();
  const int windowNice = getpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)));
  QObject context;
  TPictureLoader loader(&context);
  int done = 0;
  loader.OnDone = [&] { ++done; };
  const auto job = loader.Request(path, QSize(64, 48), false);
  ASSERT_TRUE(test::WaitFor([&] { return done == 1; }));
  ASSERT_EQ(job->Error, "");
  // The loader's pool thread outlives its decode for a while.
  const std::vector<int> decoders = NiceOfThreads("Thread (pooled)");
  ASSERT_FALSE(decoders.empty());
  EXPECT_EQ(*std::max_element(decoders.begin(), decoders.end()), std::min(19, windowNice + 10));
  EXPECT_EQ(getpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid))), windowNice);
}

// The show's window goes while a camera photo is being decoded ahead (a key
// press, or the screen-saver host's SIGTERM): the decode gives up at once
// instead of holding the program for the rest of the picture.
TEST(PictureLoader, ALoaderThatGoesEndsTheDecodeUnderWay) {
  test::TempFolder dir;
  Bitmap photo(4000, 3000);
  for (int y = 0; y < photo.Height(); ++y)
    for (int x = 0; x < photo.Width(); ++x) photo.SetPixel(x, y, TPixel(x * 7919 ^ y * 104729));
  const QString path = QString::fromStdString(dir.Write("photo.jpg", EncodeJpeg(photo, 90, true)));

  {
    SCOPED_TRACE("cancelled before it starts");
    const std::atomic<bool> cancelled{true};
    TDecodeJob job;
    job.Path = path;
    TPictureLoader::Decode(job, &cancelled);
    EXPECT_NE(job.Error.find("cancelled"), std::string::npos) << job.Error;
    EXPECT_TRUE(job.Picture.Empty());
  }

  test::QtApp();
  const int windowNice = getpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)));
  QObject context;
  auto loader = std::make_unique<TPictureLoader>(&context);
  const auto job = loader->Request(path, QSize(4000, 3000), false);
  // The pool thread lowers its priority right before it decodes.
  ASSERT_TRUE(test::WaitFor([&] {
    const std::vector<int> decoders = NiceOfThreads("Thread (pooled)");
    return std::count(decoders.begin(), decoders.end(), std::min(19, windowNice + 10)) > 0;
  }));
  loader.reset();
  EXPECT_TRUE(job->Picture.Empty()) << "the decode ran to its end";
  EXPECT_NE(job->Error.find("cancelled"), std::string::npos) << job->Error;
}
