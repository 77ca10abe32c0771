// vantora-icon OUTDIR SIZE...
//
// Draws the program's icon and writes it as OUTDIR/NxN/vantora.png for each
// size N given (the sizes of the desktop's icon theme). Each size is drawn on its own grid, not
// scaled from a big one, so the small icons stay sharp: a framed photo whose
// sunset is being wiped away by a night scene, the show's transition in one
// picture. Everything is drawn from fixed numbers, so a build makes the same
// files every time. Qt draws the shapes and writes the PNG files.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

// A line of hills across r from the left edge at height left to the right
// edge at height right (fractions of r's height), bulging at the two control
// heights, filled down to the bottom.
void Hills(QPainter& p, const QRectF& r, qreal left, qreal control1, qreal control2, qreal right,
           const QColor& colour) {
  auto at = [&](qreal x, qreal y) {
    return QPointF(r.left() + r.width() * x, r.top() + r.height() * y);
  };
  QPainterPath hills;
  hills.moveTo(at(0, left));
  hills.cubicTo(at(0.30, control1), at(0.55, control2), at(1, right));
  hills.lineTo(r.bottomRight());
  hills.lineTo(r.bottomLeft());
  hills.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawPath(hills);
}

// The sunset on the left of the wipe.
void Sunset(QPainter& p, const QRectF& r, bool detailed) {
  QLinearGradient sky(r.topLeft(), r.bottomLeft());
  sky.setColorAt(0, QColor(122, 72, 150));
  sky.setColorAt(0.55, QColor(246, 140, 74));
  sky.setColorAt(1, QColor(252, 196, 112));
  p.fillRect(r, sky);
  const QPointF sun(r.left() + r.width() * 0.36, r.top() + r.height() * 0.56);
  const qreal radius = r.width() * 0.15;
  if (detailed) {
    QRadialGradient glow(sun, radius * 2.4);
    glow.setColorAt(0, QColor(255, 236, 170, 200));
    glow.setColorAt(1, QColor(255, 236, 170, 0));
    p.setBrush(glow);
    p.setPen(Qt::NoPen);
    p.drawEllipse(sun, radius * 2.4, radius * 2.4);
  }
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 240, 186));
  p.drawEllipse(sun, radius, radius);
  Hills(p, r, 0.70, 0.58, 0.82, 0.64, QColor(92, 52, 96));
}

// The night scene that the wipe brings in from the right.
void Night(QPainter& p, const QRectF& r, bool detailed) {
  QLinearGradient sky(r.topLeft(), r.bottomLeft());
  sky.setColorAt(0, QColor(14, 26, 70));
  sky.setColorAt(1, QColor(40, 92, 150));
  p.fillRect(r, sky);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(236, 240, 255));
  const QPointF moon(r.left() + r.width() * 0.74, r.top() + r.height() * 0.28);
  p.drawEllipse(moon, r.width() * 0.085, r.width() * 0.085);
  if (detailed) {
    const QPointF stars[] = {{0.58, 0.16}, {0.88, 0.46}, {0.64, 0.40}, {0.92, 0.14}};
    for (const QPointF& s : stars)
      p.drawEllipse(QPointF(r.left() + r.width() * s.x(), r.top() + r.height() * s.y()),
                    r.width() * 0.012, r.width() * 0.012);
  }
  Hills(p, r, 0.76, 0.66, 0.86, 0.72, QColor(12, 40, 52));
}

QImage Icon(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const bool detailed = size >= 48;
  const qreal s = size;
  // The frame: a rounded dark square, a pixel in from the edge at any size.
  const qreal margin = std::max(1.0, s * 0.04);
  const QRectF frame(margin, margin, s - 2 * margin, s - 2 * margin);
  const qreal corner = s * 0.16;
  QLinearGradient rim(frame.topLeft(), frame.bottomRight());
  rim.setColorAt(0, QColor(58, 64, 96));
  rim.setColorAt(1, QColor(22, 24, 40));
  p.setPen(Qt::NoPen);
  p.setBrush(rim);
  p.drawRoundedRect(frame, corner, corner);

  // The photo inside the frame, cut by the diagonal wipe.
  const qreal border = std::max(1.5, s * 0.08);
  const QRectF photo = frame.adjusted(border, border, -border, -border);
  QPainterPath photoShape;
  photoShape.addRoundedRect(photo, corner * 0.45, corner * 0.45);
  p.setClipPath(photoShape);
  Sunset(p, photo, detailed);
  QPainterPath wipe;
  wipe.moveTo(photo.left() + photo.width() * 0.78, photo.top());
  wipe.lineTo(photo.right(), photo.top());
  wipe.lineTo(photo.right(), photo.bottom());
  wipe.lineTo(photo.left() + photo.width() * 0.42, photo.bottom());
  wipe.closeSubpath();
  p.save();
  p.setClipPath(wipe, Qt::IntersectClip);
  Night(p, photo, detailed);
  p.restore();
  // The wipe's leading edge, a bright line.
  p.setPen(QPen(QColor(255, 255, 255, 220), std::max(1.0, s * 0.025)));
  p.drawLine(QPointF(photo.left() + photo.width() * 0.78, photo.top()),
             QPointF(photo.left() + photo.width() * 0.42, photo.bottom()));
  p.setClipping(false);
  if (detailed) {
    // A thin light inner edge, as if the photo sat under glass.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 70), s * 0.008));
    p.drawRoundedRect(photo, corner * 0.45, corner * 0.45);
  }
  p.end();
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: vantora-icon OUTDIR SIZE...\n");
    return 2;
  }
  for (int i = 2; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size < 16 || size > 1024) {
      std::fprintf(stderr, "vantora-icon: no icon of size %s\n", argv[i]);
      return 2;
    }
    const std::filesystem::path folder =
        std::filesystem::path(argv[1]) / (std::to_string(size) + "x" + std::to_string(size));
    std::filesystem::create_directories(folder);
    const std::string file = (folder / "vantora.png").string();
    if (!Icon(size).save(QString::fromStdString(file), "PNG")) {
      std::fprintf(stderr, "vantora-icon: cannot write %s\n", file.c_str());
      return 1;
    }
  }
  return 0;
}
