#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
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
    int ExpectedWidth, ExpectedHeight;
  };
  for (const Case& c : {Case{true, 150, 200}, Case{false, 300, 400}}) {
    SCOPED_TRACE(c.Shrinks ? "fitting shrinks" : "own size");
    TDecodeJob job;
    job.Path = path;
    job.Screen = QSize(150, 200);
    job.Shrinks = c.Shrinks;
    TPictureLoader::Decode(job);
    ASSERT_EQ(job.Error, "");
    EXPECT_EQ(job.Picture.Width(), c.ExpectedWidth);
    EXPECT_EQ(job.Picture.Height(), c.ExpectedHeight);
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
