#include <gtest/gtest.h>

#include <QColor>

#include "config/Thumbnails.h"
#include "raster/Picture.h"
#include "tests/raster/PictureFiles.h"
#include "tests/support/TempFolder.h"

using namespace vantora;
using namespace vantora::testfiles;

// A photo stored lying on its side: 400 x 300, red on the left, blue on the
// right, tagged to be turned a quarter right, so upright it is 300 x 400,
// red above blue.
TEST(Thumbnails, APhotoStoredOnItsSideFillsItsCellUpright) {
  Bitmap stored(400, 300);
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 400; ++x) stored.SetPixel(x, y, x < 200 ? Rgb(220, 0, 0) : Rgb(0, 0, 220));
  test::TempFolder dir;
  const std::string path =
      dir.Write("side.jpg", WithSegment(EncodeJpeg(stored, 95, false), ExifSegment(6)));

  const TThumbnail thumb = DecodeThumbnail(QString::fromStdString(path), 105, 81);
  ASSERT_EQ(thumb.Error, "");
  EXPECT_EQ(thumb.PictureWidth, 300);
  EXPECT_EQ(thumb.PictureHeight, 400);
  // Full cell height, width 81 x 300 / 400 truncated.
  ASSERT_EQ(thumb.Image.width(), 60);
  ASSERT_EQ(thumb.Image.height(), 81);
  const QColor top = thumb.Image.pixelColor(30, 10), bottom = thumb.Image.pixelColor(30, 70);
  EXPECT_GT(top.red(), 180);
  EXPECT_LT(top.blue(), 40);
  EXPECT_GT(bottom.blue(), 180);
  EXPECT_LT(bottom.red(), 40);
}
