#include "config/Unit5.h"

#include <QToolButton>

#include "config/Artwork.h"
#include "config/FormSupport.h"
#include "config/Image.h"
#include "platform/DevicePixels.h"
#include "ui_Unit5.h"

namespace vantora {

TForm5::TForm5(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::TForm5>()) {
  ui->setupUi(this);
  setWindowFlags(Qt::FramelessWindowHint | Qt::Tool);
  setFixedSize(400, 300);
  UseCaptionFont(this);
  // On a scaled screen the face is drawn from its double-size artwork at
  // the screen's own resolution, not blown up from the 400 x 300 one.
  const double ratio = devicePixelRatioF();
  if (ratio > 1) {
    const QImage large = ToQImage(DecodeArtwork(AboutFace2xJpeg(), "about face"));
    const QSize device = DevicePixels(QSize(400, 300), ratio);
    ui->Image1->SetPicture(
        large.size() == device
            ? large
            : large.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
        ratio);
  } else {
    ui->Image1->SetPicture(ToQImage(DecodeArtwork(AboutFaceJpeg(), "about face")));
  }
  OnClick(ui->SpeedButton1, this, &TForm5::SpeedButton1Click);
}

TForm5::~TForm5() = default;

void TForm5::SpeedButton1Click() { hide(); }

TImage* TForm5::Image1() const { return ui->Image1; }
QToolButton* TForm5::SpeedButton1() const { return ui->SpeedButton1; }

}  // namespace vantora
