// The settings window's thumbnails on a scaled screen (the main sets the
// scale factor; ctest runs the program at 2 and at 1.5): the layout stays
// in logical units, the thumbnails are decoded for the cells' device pixels
// and drawn one pixel per screen pixel.

#include <cmath>

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include "config/Unit5.h"
#include "platform/DevicePixels.h"
#include "tests/config/ConfigFixture.h"

using namespace vantora;
using namespace vantora::test;

namespace {

class HiDpiThumbnails : public ConfigFixture {};

TEST_F(HiDpiThumbnails, AThumbnailHasAsManyDevicePixelsAsItsCell) {
  const double ratio = QGuiApplication::primaryScreen()->devicePixelRatio();
  ASSERT_GT(ratio, 1.0);
  // Of the cell's proportions: it fills the 105 x 81 cell.
  WritePicture(Pics() + "/photo.jpg", 1050, 810);
  Form2->show();
  ActivateAndList();
  WaitForThumbnails();

  TImage* cell = Form2->Image(1);
  EXPECT_EQ(cell->size(), QSize(105, 81));  // the layout keeps its logical units
  const QImage& thumb = cell->Image();
  ASSERT_FALSE(thumb.isNull());
  // The cell's device pixels, within the one a fractional size rounds to.
  EXPECT_NEAR(thumb.width(), 105 * ratio, 1.0);
  EXPECT_NEAR(thumb.height(), 81 * ratio, 1.0);
  EXPECT_EQ(thumb.devicePixelRatio(), ratio);

  // Drawn pixel for pixel: what the cell shows is the thumbnail itself.
  const QImage shown = cell->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const TRect drawn = cell->DrawnRect();
  ASSERT_EQ(drawn.Width(), thumb.width());
  int misses = 0;
  for (int y = 0; y < thumb.height(); ++y)
    for (int x = 0; x < thumb.width(); ++x) {
      const QPoint at(drawn.Left + x, drawn.Top + y);
      if (!shown.rect().contains(at)) continue;  // past a fractional cell's last pixel
      if (shown.pixel(at) != thumb.pixel(x, y)) ++misses;
    }
  EXPECT_EQ(misses, 0);
}

// A picture smaller than the cell takes its own size in logical units, as
// on an unscaled screen: its width times the ratio in device pixels, not
// its width in device pixels (half as large at scale 2).
TEST_F(HiDpiThumbnails, ASmallPictureKeepsItsOwnSizeInLogicalUnits) {
  const double ratio = QGuiApplication::primaryScreen()->devicePixelRatio();
  ASSERT_GT(ratio, 1.0);
  WritePicture(Pics() + "/small.jpg", 60, 40);
  Form2->show();
  Form2->FormActivate();
  WaitForThumbnails();
  const TRect drawn = Form2->Image(1)->DrawnRect();
  EXPECT_EQ(drawn.Width(), DevicePixels(60, ratio));
  EXPECT_EQ(drawn.Height(), DevicePixels(40, ratio));
  EXPECT_EQ(Form2->Image(1)->Image().width(), drawn.Width());
  // Still centred in the cell's device pixels.
  EXPECT_EQ(drawn.Left, (DevicePixels(105, ratio) - drawn.Width()) / 2);
}

// The about box's face is drawn for the screen's device pixels: as many
// image pixels as screen pixels, no soft blow-up of the 400 x 300 artwork.
TEST_F(HiDpiThumbnails, TheAboutBoxArtworkHasTheScreensResolution) {
  const double ratio = QGuiApplication::primaryScreen()->devicePixelRatio();
  ASSERT_GT(ratio, 1.0);
  TForm5 about;
  const QImage& face = about.Image1()->Image();
  EXPECT_EQ(face.size(), DevicePixels(QSize(400, 300), ratio));
  EXPECT_EQ(face.devicePixelRatio(), ratio);
  about.show();
  EXPECT_EQ(about.Image1()->size(), QSize(400, 300));
  // What the box shows is that image, one pixel per screen pixel.
  const QImage shown = about.grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(shown.size(), face.size());
  EXPECT_EQ(shown.pixel(200, 100), face.pixel(200, 100));
}

}  // namespace
