#include "screens/Caption.h"

#include <algorithm>
#include <optional>

#include <QFileInfo>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>

#include "raster/DateTaken.h"

namespace vantora {

namespace {

// The caption's letters on screen: a 36th of the screen's height, so about
// 30 pixels on a 1080-line screen, never under 12.
constexpr double kScreenLines = 36.0;
constexpr double kMinLetter = 12.0;

// The part of the picture the screen shows, and how many screen pixels one
// picture pixel takes (vertically).
struct Visible {
  QRect Rect;
  double Scale;
};

Visible VisiblePart(const Bitmap& picture, const TCaptionFit& fit) {
  const int w = picture.Width(), h = picture.Height();
  const QRect whole(0, 0, w, h);
  if (fit.Screen.isEmpty()) return {whole, 1.0};
  const double sx = double(fit.Screen.width()) / w, sy = double(fit.Screen.height()) / h;
  if (fit.Stretch && fit.StretchFine) return {whole, std::min(sx, sy)};
  if (fit.Stretch) return {whole, sy};
  // Own size, centred: a picture larger than the screen shows its middle.
  const QRect screen((w - fit.Screen.width()) / 2, (h - fit.Screen.height()) / 2,
                     fit.Screen.width(), fit.Screen.height());
  return {whole.intersected(screen), 1.0};
}

}  // namespace

QString ChineseDate(const QDate& date) {
  return QStringLiteral("%1年%2月%3日").arg(date.year()).arg(date.month()).arg(date.day());
}

QString CaptionText(const QString& path, TCaption caption) {
  if (caption == TCaption::None) return {};
  QString date;
  if (caption == TCaption::Date || caption == TCaption::Both) {
    const std::optional<TDateTaken> taken = ReadDateTaken(path.toStdString());
    QDate d = taken ? QDate(taken->Year, taken->Month, taken->Day) : QDate();
    if (!d.isValid()) d = QFileInfo(path).lastModified().date();
    if (d.isValid()) date = ChineseDate(d);
  }
  const QString name = caption == TCaption::Name || caption == TCaption::Both
                           ? QFileInfo(path).fileName()
                           : QString();
  if (date.isEmpty() || name.isEmpty()) return date + name;
  return date + QStringLiteral("  ") + name;
}

void DrawCaption(Bitmap& picture, const QString& text, const TCaptionFit& fit) {
  if (text.isEmpty() || picture.Empty()) return;
  const Visible visible = VisiblePart(picture, fit);
  if (visible.Rect.isEmpty() || visible.Scale <= 0) return;
  const double screenLines = fit.Screen.isEmpty() ? picture.Height() : fit.Screen.height();
  const double letter = std::max(kMinLetter, screenLines / kScreenLines) / visible.Scale;
  const double margin = letter * 0.6;

  // The picture's pixels (0x00RRGGBB rows, no gaps) painted in place.
  QImage image(reinterpret_cast<uchar*>(picture.Bits()), picture.Width(), picture.Height(),
               qsizetype(picture.Width()) * 4, QImage::Format_RGB32);
  QFont font;
  font.setPixelSize(std::max(1, int(letter + 0.5)));
  QPainterPath path;
  path.addText(0, 0, font, text);
  // A line wider than a narrow picture is made smaller to fit.
  const double room = visible.Rect.width() - 2 * margin;
  if (room <= 0) return;
  if (path.boundingRect().width() > room) {
    const double shrink = room / path.boundingRect().width();
    path = QTransform::fromScale(shrink, shrink).map(path);
  }
  const QRectF box = path.boundingRect();
  const QPointF at(visible.Rect.right() + 1 - margin - box.right(),
                   visible.Rect.bottom() + 1 - margin - box.bottom());
  path.translate(at);

  const double outline = std::max(1.0, letter / 7);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // A dark outline under white letters reads on any picture.
    painter.strokePath(path, QPen(QColor(0, 0, 0, 200), outline, Qt::SolidLine, Qt::RoundCap,
                                  Qt::RoundJoin));
    painter.fillPath(path, Qt::white);
  }
  // The painter sets the unused top byte of what it paints; our pixels keep
  // it 0.
  const QRect touched = path.boundingRect()
                            .adjusted(-outline - 2, -outline - 2, outline + 2, outline + 2)
                            .toAlignedRect()
                            .intersected(QRect(0, 0, picture.Width(), picture.Height()));
  for (int y = touched.top(); y <= touched.bottom(); ++y) {
    TPixel* row = picture.ScanLine(y);
    for (int x = touched.left(); x <= touched.right(); ++x) row[x] &= 0x00FFFFFF;
  }
}

}  // namespace vantora
