#pragma once
// An image control: shows one picture, either at its own size from the
// top-left corner (the window backgrounds) or centred and shrunk to fit the
// control with its proportions kept (the thumbnail cells). It holds the
// picture already scaled to the size it is drawn at, so painting is a copy.

#include <QImage>
#include <QString>
#include <QWidget>

#include "raster/Bitmap.h"
#include "raster/Rect.h"

namespace vantora {

// Where a picture of pictureWidth x pictureHeight is drawn in a cell of
// cellWidth x cellHeight: a picture that fits keeps its own size; a larger
// one is shrunk with its proportions kept (a wide picture takes the cell's
// width first, a tall or square one its height first; the other side is
// truncated, and if it still does not fit the other side is taken instead).
// The rectangle is offset by half the free space, rounded down.
TRect FitThumbnail(int cellWidth, int cellHeight, int pictureWidth, int pictureHeight);

// The same on a screen of the given device pixel ratio, in device pixels:
// the cell counted in device pixels, and the picture at its own size in
// logical units, as the layout counts sizes. So a small picture looks as
// large as on an unscaled screen, and a large one fills the cell's device
// pixels.
TRect FitThumbnailOnScreen(int cellDeviceWidth, int cellDeviceHeight, int pictureWidth,
                           int pictureHeight, double ratio);

// The bitmap as a QImage sharing nothing with it.
QImage ToQImage(const Bitmap& bitmap);

class TImage : public QWidget {
 public:
  explicit TImage(QWidget* parent = nullptr);

  // A picture drawn from the top-left corner at its own size divided by
  // ratio: an artwork drawn for a screen of that density is shown at its
  // logical size, one image pixel per screen pixel.
  void SetPicture(const QImage& image, double ratio = 1);
  // A thumbnail: image already scaled to FitThumbnail of the picture's
  // original size in the control's device pixels, drawn at that rectangle
  // one pixel per screen pixel.
  void SetThumbnail(const QImage& image, int pictureWidth, int pictureHeight);
  void Clear();

  bool Empty() const { return FImage.isNull(); }
  const QImage& Image() const { return FImage; }
  // Where the picture is drawn, in the image's pixels: logical units times
  // the image's ratio (device pixels for a thumbnail).
  TRect DrawnRect() const { return FDrawn; }

  // The file whose picture the control shows or is waiting for.
  QString FileName;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage FImage;
  TRect FDrawn;
};

}  // namespace vantora
