#include "screens/Caption.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "raster/Picture.h"
#include "tests/support/QtApp.h"

namespace vantora {
namespace {

// A JPEG whose EXIF says it was taken on 3 May 2024 (little-endian TIFF:
// IFD0 points to the EXIF sub-directory, which holds DateTimeOriginal).
QByteArray JpegTakenOnMay3() {
  const std::string date = "2024:05:03 14:22:01";
  QByteArray tiff("II*\0\x08\0\0\0", 8);
  auto u16 = [&](int v) { tiff.append(char(v & 255)).append(char(v >> 8)); };
  auto u32 = [&](int v) { u16(v & 0xFFFF), u16(v >> 16); };
  u16(1), u16(0x8769), u16(4), u32(1), u32(26), u32(0);
  u16(1), u16(0x9003), u16(2), u32(20), u32(44), u32(0);
  tiff.append(date.c_str(), 20);
  const auto body = EncodeJpeg(Bitmap(8, 8), 90, false);
  QByteArray jpeg("\xFF\xD8", 2);
  const int length = int(tiff.size()) + 8;
  jpeg.append(char(0xFF)).append(char(0xE1)).append(char(length >> 8)).append(char(length & 255));
  jpeg.append("Exif\0\0", 6).append(tiff);
  jpeg.append(reinterpret_cast<const char*>(body.data()) + 2, qsizetype(body.size()) - 2);
  return jpeg;
}

TEST(Caption, DateTakenOrFileDateAndName) {
  test::QtApp();
  QTemporaryDir dir;
  QFile taken(dir.filePath("IMG_0001.JPG"));
  ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
  taken.write(JpegTakenOnMay3());
  taken.close();
  // Loadable as a picture, so the segment is where a decoder expects it.
  Picture check;
  EXPECT_NO_THROW(check.LoadFromFile(taken.fileName().toStdString()));

  QFile plain(dir.filePath("scan.jpg"));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  const auto bytes = EncodeJpeg(Bitmap(8, 8), 90, false);
  plain.write(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
  plain.close();
  ASSERT_TRUE(plain.open(QIODevice::ReadWrite));
  ASSERT_TRUE(plain.setFileTime(QDateTime(QDate(2019, 12, 31), QTime(12, 0)),
                                QFileDevice::FileModificationTime));
  plain.close();

  EXPECT_EQ(CaptionText(taken.fileName(), TCaption::Date), QStringLiteral("2024年5月3日"));
  EXPECT_EQ(CaptionText(taken.fileName(), TCaption::Both),
            QStringLiteral("2024年5月3日  IMG_0001.JPG"));
  EXPECT_EQ(CaptionText(plain.fileName(), TCaption::Date), QStringLiteral("2019年12月31日"));
  EXPECT_EQ(CaptionText(plain.fileName(), TCaption::Name), QStringLiteral("scan.jpg"));
  EXPECT_EQ(CaptionText(plain.fileName(), TCaption::None), QString());
}

// Counts the pixels of a region that differ from the background.
int Changed(const Bitmap& b, TPixel background, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) n += b.Pixel(x, y) != background;
  return n;
}

TEST(Caption, ReadableOnLightAndDarkInTheVisibleCorner) {
  test::QtApp();
  for (const TPixel background : {Rgb(0, 0, 0), Rgb(255, 255, 255)}) {
    Bitmap b(800, 600);
    for (int y = 0; y < 600; ++y)
      for (int x = 0; x < 800; ++x) b.SetPixel(x, y, background);
    DrawCaption(b, QStringLiteral("2024年5月3日"), {QSize(800, 600), false, false});
    // Both white letters and their dark outline, whatever lies under them.
    int white = 0, dark = 0;
    for (int y = 500; y < 600; ++y)
      for (int x = 400; x < 800; ++x) {
        const TPixel p = b.Pixel(x, y);
        white += p == Rgb(255, 255, 255);
        dark += (p & 0xFF) < 60;
      }
    EXPECT_GT(white, 20);
    EXPECT_GT(dark, 20);
    EXPECT_EQ(Changed(b, background, 0, 0, 800, 450), 0);
  }
  // A picture larger than the screen at its own size: the caption sits in
  // the corner of the middle part the screen shows.
  Bitmap big(1000, 1000);
  DrawCaption(big, QStringLiteral("name.jpg"), {QSize(400, 300), false, false});
  EXPECT_GT(Changed(big, 0, 500, 550, 700, 650), 0);
  EXPECT_EQ(Changed(big, 0, 700, 650, 1000, 1000), 0);
}

}  // namespace
}  // namespace vantora
