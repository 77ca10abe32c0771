#include "config/Image.h"

#include <cstdint>
#include <cstring>

#include <QPainter>

#include "platform/DevicePixels.h"

namespace vantora {

TRect FitThumbnail(int cellWidth, int cellHeight, int pictureWidth, int pictureHeight) {
  int w = pictureWidth;
  int h = pictureHeight;
  if (w > 0 && h > 0 && (w > cellWidth || h > cellHeight)) {
    // The proportional side is computed in whole numbers: cell x (one side
    // / other side), truncated. Doing it through a floating-point aspect
    // ratio would sometimes land just below a whole number and lose a
    // pixel (81 x (100 / 300) gives 26.999...).
    const std::int64_t pw = pictureWidth, ph = pictureHeight;
    if (pictureWidth > pictureHeight) {
      w = cellWidth;
      h = int(cellWidth * ph / pw);
      if (h > cellHeight) {
        h = cellHeight;
        w = int(cellHeight * pw / ph);
      }
    } else {
      h = cellHeight;
      w = int(cellHeight * pw / ph);
      if (w > cellWidth) {
        w = cellWidth;
        h = int(cellWidth * ph / pw);
      }
    }
  }
  // The free space is never negative here, so halving truncates downward.
  const int left = (cellWidth - w) / 2;
  const int top = (cellHeight - h) / 2;
  return {left, top, left + w, top + h};
}

TRect FitThumbnailOnScreen(int cellDeviceWidth, int cellDeviceHeight, int pictureWidth,
                           int pictureHeight, double ratio) {
  return FitThumbnail(cellDeviceWidth, cellDeviceHeight, DevicePixels(pictureWidth, ratio),
                      DevicePixels(pictureHeight, ratio));
}

QImage ToQImage(const Bitmap& bitmap) {
  QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_RGB32);
  for (int y = 0; y < bitmap.Height(); ++y)
    std::memcpy(image.scanLine(y), bitmap.ScanLine(y), std::size_t(bitmap.Width()) * 4);
  return image;
}

TImage::TImage(QWidget* parent) : QWidget(parent) {}

void TImage::SetPicture(const QImage& image, double ratio) {
  FImage = image;
  FImage.setDevicePixelRatio(ratio);
  FDrawn = {0, 0, image.width(), image.height()};
  update();
}

void TImage::SetThumbnail(const QImage& image, int pictureWidth, int pictureHeight) {
  const double ratio = devicePixelRatioF();
  FImage = image;
  FImage.setDevicePixelRatio(ratio);
  FDrawn = FitThumbnailOnScreen(DevicePixels(width(), ratio), DevicePixels(height(), ratio),
                                pictureWidth, pictureHeight, ratio);
  update();
}

void TImage::Clear() {
  FImage = QImage();
  FDrawn = {};
  update();
}

void TImage::paintEvent(QPaintEvent*) {
  if (FImage.isNull() || FDrawn.IsEmpty()) return;
  // FDrawn is in the image's pixels, which its ratio turns into logical
  // units: an image drawn at its own size is copied pixel for pixel.
  QPainter painter(this);
  const double ratio = FImage.devicePixelRatio();
  const QPointF at(FDrawn.Left / ratio, FDrawn.Top / ratio);
  if (FDrawn.Width() == FImage.width() && FDrawn.Height() == FImage.height())
    painter.drawImage(at, FImage);
  else
    painter.drawImage(QRectF(at, QSizeF(FDrawn.Width() / ratio, FDrawn.Height() / ratio)), FImage);
}

}  // namespace vantora
