// vantora-artwork OUTDIR [SOURCE.cpp]
//
// Draws the two pictures of the configuration windows and writes them as
// progressive JPEG files into OUTDIR:
//   settings-background.jpg  545 x 452, the settings window's background
//   about-face.jpg           400 x 300, the about box's face
// and, embedded only, the about box's face drawn at twice the size for
// scaled screens.
// With SOURCE.cpp it also writes a C++ source that embeds the two files'
// bytes (config/Artwork.h declares its functions), so the program carries
// the pictures without any binary file in the source tree.
//
// Everything is drawn from fixed numbers and the installed fonts, so a build
// on the same system makes the same bytes. Qt draws the shapes and the text
// into a QImage; the JPEG is encoded by our own libjpeg path.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "raster/Picture.h"

using namespace vantora;

namespace {

// The Ming-style face the windows use for their Chinese captions.
QFont CaptionFont(int pixelSize, bool bold = false) {
  QFont font(QStringLiteral("AR PL UMing CN"));
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  font.setStyleStrategy(QFont::PreferAntialias);
  return font;
}

QFont TitleFont(int pixelSize) {
  QFont font(QStringLiteral("DejaVu Serif"));
  font.setPixelSize(pixelSize);
  font.setItalic(true);
  font.setBold(true);
  font.setStyleStrategy(QFont::PreferAntialias);
  return font;
}

// A panel with a soft shadow, a light fill and a two-tone frame, as if
// pressed into the background.
void FramedPanel(QPainter& p, const QRectF& r, const QColor& fill, const QColor& edge) {
  p.save();
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(40, 30, 90, 40));
  p.drawRoundedRect(r.translated(3, 4), 8, 8);
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, fill.lighter(106));
  g.setColorAt(1, fill);
  p.setBrush(g);
  p.setPen(QPen(edge, 2));
  p.drawRoundedRect(r, 8, 8);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(255, 255, 255, 170), 1));
  p.drawRoundedRect(r.adjusted(3, 3, -3, -3), 6, 6);
  p.restore();
}

// Faint circles scattered over the background, from a fixed sequence.
void Bubbles(QPainter& p, const QSize& size, unsigned seed, const QColor& colour) {
  p.save();
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 14; ++i) {
    seed = seed * 1103515245u + 12345u;
    const double x = (seed >> 8) % size.width();
    seed = seed * 1103515245u + 12345u;
    const double y = (seed >> 8) % size.height();
    seed = seed * 1103515245u + 12345u;
    const double r = 12 + (seed >> 8) % 50;
    QRadialGradient g(QPointF(x, y), r);
    g.setColorAt(0, QColor(colour.red(), colour.green(), colour.blue(), 60));
    g.setColorAt(1, QColor(colour.red(), colour.green(), colour.blue(), 0));
    p.setBrush(g);
    p.drawEllipse(QPointF(x, y), r, r);
  }
  p.restore();
}

// Fills the picture with a gradient from the top-left corner to to, through
// three colours (the middle one at middle), and scatters white circles over
// it.
void Backdrop(QPainter& p, const QSize& size, const QPointF& to, const QColor (&colours)[3],
              double middle, unsigned seed) {
  QLinearGradient gradient(QPointF(0, 0), to);
  gradient.setColorAt(0, colours[0]);
  gradient.setColorAt(middle, colours[1]);
  gradient.setColorAt(1, colours[2]);
  p.fillRect(QRect(QPoint(0, 0), size), gradient);
  Bubbles(p, size, seed, QColor(255, 255, 255));
}

// Text in r, in the font and colour given.
void Caption(QPainter& p, const QFont& font, const QColor& colour, const QRectF& r, int flags,
             const QString& text) {
  p.setFont(font);
  p.setPen(colour);
  p.drawText(r, flags, text);
}

QImage SettingsBackground() {
  QImage image(545, 452, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  Backdrop(p, image.size(), QPointF(545, 452),
           {QColor(214, 226, 250), QColor(200, 196, 240), QColor(178, 170, 226)}, 0.55, 7u);

  // Behind the thumbnail grid and its scroll bar (frame at 16, 17, 377, 361).
  FramedPanel(p, QRectF(8, 9, 393, 377), QColor(236, 238, 252), QColor(120, 118, 190));
  // Behind the column of buttons (424, 32 … 424, 361).
  FramedPanel(p, QRectF(412, 20, 121, 354), QColor(232, 232, 250), QColor(120, 118, 190));

  // Title line along the bottom edge.
  p.setPen(QPen(QColor(110, 100, 180), 1));
  p.drawLine(QPointF(16, 400), QPointF(529, 400));
  Caption(p, TitleFont(22), QColor(70, 56, 150), QRectF(16, 404, 200, 40),
          Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Vantora"));
  Caption(p, CaptionFont(16), QColor(80, 70, 150), QRectF(150, 404, 379, 40),
          Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("图片屏幕保护  ·  设置"));
  return image;
}

// scale 2 draws the same face for screens of twice the density.
QImage AboutFace(int scale = 1) {
  QImage image(400 * scale, 300 * scale, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.scale(scale, scale);
  Backdrop(p, QSize(400, 300), QPointF(0, 300),
           {QColor(240, 230, 252), QColor(220, 204, 246), QColor(196, 176, 236)}, 0.6, 11u);

  FramedPanel(p, QRectF(14, 14, 372, 232), QColor(246, 240, 253), QColor(140, 110, 200));

  constexpr int kCentred = Qt::AlignHCenter | Qt::AlignVCenter;
  Caption(p, TitleFont(44), QColor(96, 40, 170), QRectF(14, 26, 372, 64), kCentred,
          QStringLiteral("Vantora"));
  Caption(p, CaptionFont(16), QColor(90, 60, 150), QRectF(14, 88, 372, 24), kCentred,
          QStringLiteral("图片屏幕保护程序"));

  p.setPen(QPen(QColor(170, 140, 220), 1));
  p.drawLine(QPointF(60, 124), QPointF(340, 124));

  Caption(p, CaptionFont(13), QColor(70, 60, 110), QRectF(30, 132, 340, 64), kCentred,
          QStringLiteral("一百五十种转换效果 · 背景音乐\n"
                         "设计与编程：Vantora 开发组\n"
                         "图片与界面：Vantora 美工"));
  Caption(p, CaptionFont(12), QColor(110, 90, 150), QRectF(30, 202, 340, 38),
          kCentred | Qt::TextWordWrap,
          QStringLiteral("本程序为免费软件，欢迎复制与传播；\n请勿用于商业用途。"));
  return image;
}

Bitmap ToBitmap(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  Bitmap bitmap(rgb.width(), rgb.height());
  for (int y = 0; y < rgb.height(); ++y) {
    const auto* row = reinterpret_cast<const TPixel*>(rgb.constScanLine(y));
    std::copy(row, row + rgb.width(), bitmap.ScanLine(y));
  }
  return bitmap;
}

bool WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(out);
}

// One embedded array and the function that returns it.
void WriteArray(std::ofstream& out, const char* function, const std::vector<std::uint8_t>& bytes) {
  out << "static const std::uint8_t k" << function << "[] = {";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i % 20 == 0) out << "\n ";
    out << ' ' << int(bytes[i]) << ',';
  }
  out << "\n};\n\nstd::span<const std::uint8_t> " << function << "() { return k" << function
      << "; }\n\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: vantora-artwork OUTDIR [SOURCE.cpp]\n");
    return 2;
  }
  // Text needs a GUI application for its fonts, but never a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);

  const std::filesystem::path outDir = argv[1];
  std::filesystem::create_directories(outDir);
  const auto background = EncodeJpeg(ToBitmap(SettingsBackground()), 90, true);
  const auto about = EncodeJpeg(ToBitmap(AboutFace()), 90, true);
  const auto about2x = EncodeJpeg(ToBitmap(AboutFace(2)), 90, true);
  if (!WriteFile(outDir / "settings-background.jpg", background) ||
      !WriteFile(outDir / "about-face.jpg", about)) {
    std::fprintf(stderr, "vantora-artwork: cannot write into %s\n", argv[1]);
    return 1;
  }

  if (argc > 2) {
    std::ofstream out(argv[2], std::ios::binary);
    out << "// Generated by vantora-artwork from tools/Artwork.cpp; do not edit.\n"
           "#include \"config/Artwork.h\"\n\nnamespace vantora {\n\n";
    WriteArray(out, "SettingsBackgroundJpeg", background);
    WriteArray(out, "AboutFaceJpeg", about);
    WriteArray(out, "AboutFace2xJpeg", about2x);
    out << "}  // namespace vantora\n";
    if (!out) {
      std::fprintf(stderr, "vantora-artwork: cannot write %s\n", argv[2]);
      return 1;
    }
  }
  return 0;
}
