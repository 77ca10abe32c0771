// The settings window's thumbnails on a scaled screen (the main sets the
// scale factor; ctest runs the program at 2 and at 1.5): the layout stays
// in logical units, the thumbnails are decoded for the cells' device pixels
// and drawn one pixel per screen pixel.

#include <cmath>

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

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
  Form2->FormActivate();
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

}  // namespace
