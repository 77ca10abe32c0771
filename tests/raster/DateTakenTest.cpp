#include "raster/DateTaken.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/raster/FormatFiles.h"
#include "tests/support/TempFolder.h"

namespace vantora {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A TIFF structure as cameras write it: IFD0 with a model tag and the
// pointer to the EXIF sub-directory, which holds an exposure tag and
// DateTimeOriginal ("YYYY:MM:DD HH:MM:SS", 20 characters behind an offset).
Bytes ExifTiff(const std::string& date, bool bigEndian = false) {
  Bytes t;
  auto u16 = [&](std::uint32_t v) {
    if (bigEndian) t.insert(t.end(), {std::uint8_t(v >> 8), std::uint8_t(v)});
    else t.insert(t.end(), {std::uint8_t(v), std::uint8_t(v >> 8)});
  };
  auto u32 = [&](std::uint32_t v) {
    if (bigEndian) u16(v >> 16), u16(v & 0xFFFF);
    else u16(v & 0xFFFF), u16(v >> 16);
  };
  t.push_back(bigEndian ? 'M' : 'I');
  t.push_back(bigEndian ? 'M' : 'I');
  u16(42);
  u32(8);
  // IFD0 at 8: 2 entries, ends at 8 + 2 + 24 + 4 = 38.
  u16(2);
  u16(0x0110), u16(2), u32(4), u32(0x00414243);
  u16(0x8769), u16(4), u32(1), u32(38);
  u32(0);
  // Sub-IFD at 38: 2 entries, ends at 38 + 2 + 24 + 4 = 68; the text at 68.
  u16(2);
  u16(0x829A), u16(5), u32(1), u32(0);
  u16(0x9003), u16(2), u32(std::uint32_t(date.size() + 1)), u32(68);
  u32(0);
  t.insert(t.end(), date.begin(), date.end());
  t.push_back(0);
  return t;
}

Bytes Jpeg(const Bytes& tiff) {
  Bytes j = {0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 'J', 'F'};  // a short APP0 first
  const std::size_t length = tiff.size() + 8;
  j.insert(j.end(), {0xFF, 0xE1, std::uint8_t(length >> 8), std::uint8_t(length)});
  j.insert(j.end(), {'E', 'x', 'i', 'f', 0, 0});
  j.insert(j.end(), tiff.begin(), tiff.end());
  j.insert(j.end(), {0xFF, 0xDA, 0, 2, 0xFF, 0xD9});
  return j;
}

Bytes Png(const Bytes& tiff) {
  Bytes p = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  auto chunk = [&](const char* type, const Bytes& data) {
    const std::uint32_t n = std::uint32_t(data.size());
    p.insert(p.end(), {std::uint8_t(n >> 24), std::uint8_t(n >> 16), std::uint8_t(n >> 8),
                       std::uint8_t(n)});
    p.insert(p.end(), type, type + 4);
    p.insert(p.end(), data.begin(), data.end());
    p.insert(p.end(), 4, 0);  // CRC, not checked here
  };
  chunk("IHDR", Bytes(13, 0));
  chunk("eXIf", tiff);
  chunk("IDAT", Bytes(3, 0));
  return p;
}

Bytes Webp(const Bytes& tiff) {
  Bytes w = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P'};
  auto chunk = [&](const char* type, const Bytes& data) {
    const std::uint32_t n = std::uint32_t(data.size());
    w.insert(w.end(), type, type + 4);
    w.insert(w.end(), {std::uint8_t(n), std::uint8_t(n >> 8), std::uint8_t(n >> 16),
                       std::uint8_t(n >> 24)});
    w.insert(w.end(), data.begin(), data.end());
    if (n & 1) w.push_back(0);
  };
  chunk("VP8X", Bytes(9, 0));  // odd length: padded
  chunk("EXIF", tiff);
  return w;
}

TEST(DateTaken, FoundInTheContainersCamerasWrite) {
  const TDateTaken may3{2024, 5, 3};
  for (bool big : {false, true}) {
    SCOPED_TRACE(big ? "big-endian" : "little-endian");
    const Bytes tiff = ExifTiff("2024:05:03 14:22:01", big);
    EXPECT_EQ(ReadExifDateTaken(tiff), may3);
    EXPECT_EQ(FindDateTaken(Jpeg(tiff)), may3);
    EXPECT_EQ(FindDateTaken(Png(tiff)), may3);
    EXPECT_EQ(FindDateTaken(Webp(tiff)), may3);
  }
}

TEST(DateTaken, DamagedUnsetOrMissingDatesReadAsNone) {
  EXPECT_EQ(ReadExifDateTaken(ExifTiff("0000:00:00 00:00:00")), std::nullopt);
  EXPECT_EQ(ReadExifDateTaken(ExifTiff("    :  :     :  :  ")), std::nullopt);
  EXPECT_EQ(ReadExifDateTaken(ExifTiff("2024-05-03 14:22:01")), std::nullopt);
  EXPECT_EQ(ReadExifDateTaken(ExifTiff("2024:13:03 14:22:01")), std::nullopt);
  EXPECT_EQ(FindDateTaken(Bytes{'B', 'M', 0, 0}), std::nullopt);
  // Cut anywhere, the structure never reads past its end.
  const Bytes jpeg = Jpeg(ExifTiff("2024:05:03 14:22:01"));
  for (std::size_t n = 0; n < jpeg.size(); ++n) {
    const auto date = FindDateTaken(std::span(jpeg.data(), n));
    if (date) {
      EXPECT_EQ(*date, (TDateTaken{2024, 5, 3}));
    }
  }
  // Offsets that point far outside.
  Bytes wild = ExifTiff("2024:05:03 14:22:01");
  wild[4] = 0xFF;  // IFD0 offset
  EXPECT_EQ(ReadExifDateTaken(wild), std::nullopt);
  Bytes text = ExifTiff("2024:05:03 14:22:01");
  text[38 + 2 + 12 + 8] = 0xF0;  // the date's offset
  EXPECT_EQ(ReadExifDateTaken(text), std::nullopt);
}

// A HEIF file's Exif block as libheif hands it over: the offset from the end
// of its first 4 bytes to the TIFF header, then the data.
Bytes HeifBlock(std::uint32_t offset, const Bytes& data) {
  Bytes b = {std::uint8_t(offset >> 24), std::uint8_t(offset >> 16), std::uint8_t(offset >> 8),
             std::uint8_t(offset)};
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

void WriteFile(const std::string& path, const Bytes& data) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
}

TEST(DateTaken, ReadFromTheExifItemOfHeicAndAvifFiles) {
  test::TempFolder dir;
  const auto picture = testfiles::TRgba16::Of(Bitmap(64, 48));
  const Bytes tiff = ExifTiff("2021:11:28 09:15:00");
  for (bool avif : {false, true}) {
    SCOPED_TRACE(avif ? "AVIF" : "HEIC");
    const std::string path = dir.Path(avif ? "photo.avif" : "photo.heic");
    const Bytes file = testfiles::WriteHeif(picture, avif, 50, 1, false, true, tiff);
    WriteFile(path, file);
    EXPECT_EQ(ReadDateTaken(path), (TDateTaken{2021, 11, 28}));
    // Without an Exif item: no date.
    WriteFile(path, testfiles::WriteHeif(picture, avif, 50, 1, false, true));
    EXPECT_EQ(ReadDateTaken(path), std::nullopt);
    // The stored offset made to point far past the block: refused, no date.
    Bytes hostile = file;
    const Bytes marker = {0, 0, 0, 0, 'I', 'I', 42, 0};
    const auto at = std::search(hostile.begin(), hostile.end(), marker.begin(), marker.end());
    ASSERT_NE(at, hostile.end());
    std::fill(at, at + 3, 0xFF);
    WriteFile(path, hostile);
    EXPECT_EQ(ReadDateTaken(path), std::nullopt);
  }
}

// A WebP file as photo tools write it: the EXIF chunk behind a picture of
// some size, so beyond the first 256 KiB; and damaged variants.
Bytes WebpWithExifBehind(std::size_t pictureBytes, std::uint32_t exifLength, const Bytes& exif) {
  Bytes w;
  auto text = [&](const char* t) {
    for (int i = 0; i < 4; ++i) w.push_back(std::uint8_t(t[i]));
  };
  auto u32 = [&](std::uint32_t n) {
    for (int i = 0; i < 4; ++i) w.push_back(std::uint8_t(n >> (8 * i)));
  };
  text("RIFF");
  u32(0);
  text("WEBP");
  text("VP8X");
  u32(10);
  w.resize(w.size() + 10, 0);
  text("VP8 ");
  u32(std::uint32_t(pictureBytes));
  w.resize(w.size() + pictureBytes + (pictureBytes & 1), 0x55);
  text("EXIF");
  u32(exifLength);
  for (std::uint8_t b : exif) w.push_back(b);
  return w;
}

TEST(DateTaken, AWebpFilesExifChunkIsFoundBehindALargePicture) {
  test::TempFolder dir;
  const std::string path = dir.Path("photo.webp");
  const Bytes tiff = ExifTiff("2023:09:01 18:00:00");
  const std::uint32_t size = std::uint32_t(tiff.size());
  WriteFile(path, WebpWithExifBehind(600001, size, tiff));
  EXPECT_EQ(ReadDateTaken(path), (TDateTaken{2023, 9, 1}));
  // A chunk that claims more than the file holds, or an absurd size: no
  // date, and nothing of that size is allocated.
  WriteFile(path, WebpWithExifBehind(600001, size + 100, tiff));
  EXPECT_EQ(ReadDateTaken(path), std::nullopt);
  WriteFile(path, WebpWithExifBehind(600001, 0xFFFFFFF0u, tiff));
  EXPECT_EQ(ReadDateTaken(path), std::nullopt);
  // The picture's chunk itself claims to run past the end of the file.
  Bytes cut = WebpWithExifBehind(300000, size, tiff);
  cut[34] = cut[35] = 0xFF;
  WriteFile(path, cut);
  EXPECT_EQ(ReadDateTaken(path), std::nullopt);
}

TEST(DateTaken, TheHeifOffsetToTheTiffHeaderIsCheckedAgainstTheBlock) {
  const Bytes tiff = ExifTiff("2024:05:03 14:22:01");
  const std::optional<TDateTaken> may3 = TDateTaken{2024, 5, 3};
  EXPECT_EQ(ReadHeifExifDateTaken(HeifBlock(0, tiff)), may3);
  // Behind the "Exif" header that some writers keep, the offset skips it.
  Bytes withHeader = {'E', 'x', 'i', 'f', 0, 0};
  withHeader.insert(withHeader.end(), tiff.begin(), tiff.end());
  EXPECT_EQ(ReadHeifExifDateTaken(HeifBlock(6, withHeader)), may3);
  const std::uint32_t size = std::uint32_t(tiff.size());
  for (std::uint32_t offset : {size, size + 1, 0x7FFFFFFFu, 0xFFFFFFFCu, 0xFFFFFFFFu, 3u}) {
    SCOPED_TRACE(offset);
    EXPECT_EQ(ReadHeifExifDateTaken(HeifBlock(offset, tiff)), std::nullopt);
  }
  // Too short to hold the offset itself.
  EXPECT_EQ(ReadHeifExifDateTaken(Bytes{0, 0, 0}), std::nullopt);
  EXPECT_EQ(ReadHeifExifDateTaken(Bytes{}), std::nullopt);
}

}  // namespace
}  // namespace vantora
