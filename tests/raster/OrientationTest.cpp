#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "raster/Orientation.h"
#include "raster/Picture.h"
#include "tests/raster/FormatFiles.h"
#include "tests/raster/PictureTestKit.h"

using namespace vantora;
using namespace vantora::testfiles;

namespace {

// The content of an APP1 segment as libjpeg hands it over: without the
// marker and the length.
Bytes Payload(const Bytes& segment) { return Bytes(segment.begin() + 4, segment.end()); }

// Stored 64 x 32 in four quadrants of their own colours, so that each of
// the eight orientations gives a different picture.
const TPixel kRed = Rgb(255, 0, 0), kGreen = Rgb(0, 255, 0), kBlue = Rgb(0, 0, 255),
             kWhite = Rgb(255, 255, 255);

Bitmap Quadrants() {
  Bitmap b(64, 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 64; ++x)
      b.SetPixel(x, y, y < 16 ? (x < 32 ? kRed : kGreen) : (x < 32 ? kBlue : kWhite));
  return b;
}

// Where the stored quadrants stand once upright, by the EXIF definition of
// each value: the colours at the upright top left, top right, bottom left
// and bottom right.
struct TUpright {
  int Orientation;
  const char* How;
  int Width, Height;
  TPixel TopLeft, TopRight, BottomLeft, BottomRight;
};
const TUpright kUprights[] = {
    {1, "as stored", 64, 32, kRed, kGreen, kBlue, kWhite},
    {2, "mirrored left to right", 64, 32, kGreen, kRed, kWhite, kBlue},
    {3, "turned half round", 64, 32, kWhite, kBlue, kGreen, kRed},
    {4, "mirrored top to bottom", 64, 32, kBlue, kWhite, kRed, kGreen},
    {5, "mirrored and turned left", 32, 64, kRed, kBlue, kGreen, kWhite},
    {6, "turned right", 32, 64, kBlue, kRed, kWhite, kGreen},
    {7, "mirrored and turned right", 32, 64, kWhite, kGreen, kBlue, kRed},
    {8, "turned left", 32, 64, kGreen, kWhite, kRed, kBlue},
};

void ExpectUpright(const Bitmap& b, const TUpright& u, int scale) {
  ASSERT_EQ(b.Width(), u.Width / scale);
  ASSERT_EQ(b.Height(), u.Height / scale);
  const int w = b.Width(), h = b.Height();
  // The middles of the quadrants, away from JPEG's blurred edges.
  EXPECT_LE(ColourDistance(b.Pixel(w / 4, h / 4), u.TopLeft), 12);
  EXPECT_LE(ColourDistance(b.Pixel(3 * w / 4, h / 4), u.TopRight), 12);
  EXPECT_LE(ColourDistance(b.Pixel(w / 4, 3 * h / 4), u.BottomLeft), 12);
  EXPECT_LE(ColourDistance(b.Pixel(3 * w / 4, 3 * h / 4), u.BottomRight), 12);
}

}  // namespace

// ---------------------------------------------------------------------------
// Reading the tag

TEST(ExifOrientation, ReadsEveryValueInEitherByteOrder) {
  for (bool bigEndian : {false, true})
    for (int value = 1; value <= 8; ++value)
      EXPECT_EQ(ReadExifOrientation(Payload(ExifSegment(value, bigEndian))), value)
          << value << (bigEndian ? " big-endian" : " little-endian");
}

// The tag is meant to be a SHORT, but writers store it as other integer
// types too (ImageMagick as an SLONG): each one means the same value. A
// negative value of a signed type is no orientation.
TEST(ExifOrientation, ReadsTheValueOfEveryIntegerType) {
  struct Case {
    const char* Name;
    std::uint8_t Type;
    int Size;  // bytes of the value
  };
  const Case cases[] = {{"BYTE", 1, 1},   {"SHORT", 3, 2},  {"LONG", 4, 4},
                        {"SBYTE", 6, 1},  {"SSHORT", 8, 2}, {"SLONG", 9, 4}};
  for (bool bigEndian : {false, true})
    for (const Case& c : cases)
      for (std::int32_t value : {6, 8, -6}) {
        SCOPED_TRACE(std::string(c.Name) + (bigEndian ? " big-endian " : " little-endian ") +
                     std::to_string(value));
        Bytes segment = Payload(ExifSegment(1, bigEndian));
        // Type at 30 (two bytes), value field at 36 (four bytes), in the
        // segment's byte order; the value starts the field.
        segment[30] = bigEndian ? 0 : c.Type;
        segment[31] = bigEndian ? c.Type : 0;
        const std::uint32_t bits = std::uint32_t(value) & (c.Size == 4 ? 0xFFFFFFFFu : (1u << (8 * c.Size)) - 1);
        for (int i = 0; i < 4; ++i) segment[36 + i] = 0;
        for (int i = 0; i < c.Size; ++i)
          segment[36 + i] = std::uint8_t(bits >> (8 * (bigEndian ? c.Size - 1 - i : i)));
        EXPECT_EQ(ReadExifOrientation(segment), value > 0 ? value : kUpright);
      }
}

TEST(ExifOrientation, AnythingButAWellFormedTagReadsAsUpright) {
  const Bytes good = Payload(ExifSegment(6));  // "Exif\0\0", TIFF header, IFD at 8
  // Offsets into good: TIFF starts at 6, its IFD at 14 (entry count), the
  // second entry (the orientation) at 28: tag, type at 30, count at 32,
  // value at 36.
  struct Case {
    const char* Name;
    std::size_t At;
    std::vector<std::uint8_t> Bytes;
  };
  const Case cases[] = {
      {"not EXIF (an XMP segment)", 0, {'h', 't', 't', 'p'}},
      {"no byte order", 6, {'I', 'M'}},
      {"not 42", 8, {43}},
      {"IFD past the end", 10, {0xF0, 0xFF, 0xFF, 0x7F}},
      {"tag not among the counted entries", 14, {1, 0}},
      {"no orientation tag", 28, {0x13, 0x01}},
      {"type ASCII", 30, {2}},
      {"type RATIONAL", 30, {5}},
      {"count 2", 32, {2}},
      {"value 0", 36, {0}},
      {"value 9", 36, {9}},
      {"value 0x0106", 36, {6, 1}},
  };
  for (const Case& c : cases) {
    Bytes broken = good;
    std::copy(c.Bytes.begin(), c.Bytes.end(), broken.begin() + std::ptrdiff_t(c.At));
    EXPECT_EQ(ReadExifOrientation(broken), kUpright) << c.Name;
  }
  // Every cut of the segment: upright until the whole tag is there.
  for (std::size_t n = 0; n < good.size(); ++n)
    EXPECT_EQ(ReadExifOrientation({good.data(), n}), n >= 40 ? 6 : kUpright) << "cut at " << n;
}

// ---------------------------------------------------------------------------
// Pictures turned upright

TEST(JpegOrientation, EveryOrientationComesOutUpright) {
  const Bytes stored = EncodeJpeg(Quadrants(), 95, false);
  const Bytes progressive = EncodeJpeg(Quadrants(), 95, true);
  for (const TUpright& u : kUprights) {
    SCOPED_TRACE(std::to_string(u.Orientation) + ": " + u.How);
    const Bytes exif = ExifSegment(u.Orientation, u.Orientation % 2 == 0);
    for (int scale : {1, 2, 8}) {
      SCOPED_TRACE("1/" + std::to_string(scale));
      ExpectUpright(DecodeJpeg(WithSegment(stored, exif), "turned.jpg", TJpegScale(scale)), u,
                    scale);
    }
    ExpectUpright(DecodeJpeg(WithSegment(progressive, exif), "turned.jpg"), u, 1);
  }
}

TEST(JpegOrientation, ABrokenOrMissingTagLeavesThePictureAsStored) {
  const Bytes stored = EncodeJpeg(Quadrants(), 95, false);
  Bytes broken = ExifSegment(6);
  broken.resize(24);  // cut inside the IFD
  broken[2] = 0, broken[3] = 22;
  Bytes xmp = {0xFF, 0xE1, 0, 8, 'h', 't', 't', 'p', ':', '/'};
  for (const Bytes& jpeg : {stored, WithSegment(stored, broken), WithSegment(stored, xmp)})
    ExpectUpright(DecodeJpeg(jpeg, "stored.jpg"), kUprights[0], 1);
  // An EXIF segment behind another APP1 segment still counts.
  ExpectUpright(DecodeJpeg(WithSegment(WithSegment(stored, ExifSegment(8)), xmp), "xmp.jpg"),
                kUprights[7], 1);
}

TEST(JpegOrientation, SizesAndScalesAreThoseOfTheUprightPicture) {
  TempFolder dir;
  const std::string turned =
      dir.Write("turned.jpg", WithSegment(EncodeJpeg(Smooth(400, 300), 90, false), ExifSegment(6)));
  EXPECT_EQ(ReadJpegSize(turned), (TPictureSize{300, 400}));

  // Stored 400 x 300, upright 300 x 400: half size covers 150 x 200 upright,
  // though it would not cover it the way the picture is stored.
  std::vector<TPictureSize> asked;
  Picture p;
  const TPictureSize full = p.LoadFromFile(turned, [&](TPictureSize size) {
    asked.push_back(size);
    return TPictureSize{150, 200};
  });
  EXPECT_EQ(full, (TPictureSize{300, 400}));
  EXPECT_EQ(asked, (std::vector<TPictureSize>{{300, 400}}));
  EXPECT_EQ(p.Width(), 150);
  EXPECT_EQ(p.Height(), 200);
}

// Rows placed a band at a time land where the EXIF definition puts each
// stored pixel, for bands that do not divide the picture evenly.
TEST(JpegOrientation, RowsPlacedBandByBandLandWhereTheyBelong) {
  const int w = 5, h = 7;
  Bitmap stored(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) stored.SetPixel(x, y, TPixel(100 * y + x));
  // The upright position of stored pixel (x, y), value by value.
  struct TPlace {
    int X, Y;
  };
  auto place = [&](int o, int x, int y) -> TPlace {
    switch (o) {
      case 2: return {w - 1 - x, y};
      case 3: return {w - 1 - x, h - 1 - y};
      case 4: return {x, h - 1 - y};
      case 5: return {y, x};
      case 6: return {h - 1 - y, x};
      case 7: return {h - 1 - y, w - 1 - x};
      case 8: return {y, w - 1 - x};
      default: return {x, y};
    }
  };
  for (int o = 1; o <= 8; ++o) {
    SCOPED_TRACE("orientation " + std::to_string(o));
    Bitmap upright(SwapsSides(o) ? h : w, SwapsSides(o) ? w : h);
    for (int first = 0; first < h; first += 3)
      PlaceStoredRows(stored.ScanLine(first), first, std::min(3, h - first), w, h, o, upright);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const TPlace at = place(o, x, y);
        ASSERT_EQ(upright.Pixel(at.X, at.Y), stored.Pixel(x, y)) << "stored " << x << ", " << y;
      }
  }
}

// A PNG's eXIf chunk (before or after the pixels) and a WebP's EXIF chunk
// (with or without the "Exif" header) turn the picture as a JPEG's EXIF
// does; a HEIF's own turns and mirrors, which libheif applies, give the
// same eight pictures.
TEST(NewFormatOrientation, EveryOrientationComesOutUpright) {
  const TRgba16 quadrants = TRgba16::Of(Quadrants());
  const Bytes webp = WriteWebp(quadrants, true);
  for (const TUpright& u : kUprights) {
    SCOPED_TRACE(std::to_string(u.Orientation) + ": " + u.How);
    for (bool after : {false, true})
      ExpectUpright(DecodePng(WritePng(quadrants, {.Orientation = u.Orientation,
                                                   .ExifAfterPixels = after}),
                              "turned.png"),
                    u, 1);
    const Bytes tiff = TiffOrientation(u.Orientation);
    Bytes exif = {'E', 'x', 'i', 'f', 0, 0};
    exif.insert(exif.end(), tiff.begin(), tiff.end());
    ExpectUpright(DecodeWebp(WithWebpExif(webp, tiff), "turned.webp"), u, 1);
    ExpectUpright(DecodeWebp(WithWebpExif(webp, exif), "turned.webp"), u, 1);
    ExpectUpright(DecodeHeif(WriteHeif(quadrants, false, 90, u.Orientation), "turned.heic"), u, 1);
  }
  // One AV1 coding is enough to see the transforms are not the codec's.
  ExpectUpright(DecodeHeif(WriteHeif(quadrants, true, 90, 6), "turned.avif"), kUprights[5], 1);
}
