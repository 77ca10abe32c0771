#include <gtest/gtest.h>

#include "screens/PictureLoader.h"
#include "tests/raster/PictureFiles.h"
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
