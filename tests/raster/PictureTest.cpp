#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include <jpeglib.h>

#include "raster/Picture.h"
#include "tests/support/TempFolder.h"

using namespace vantora;
using test::TempFolder;

namespace {

using Bytes = std::vector<std::uint8_t>;

// A smooth, colourful picture: JPEG keeps it close to the original.
Bitmap Smooth(int w, int h) {
  Bitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.SetPixel(x, y,
                 Rgb(x * 255 / std::max(w - 1, 1), y * 255 / std::max(h - 1, 1),
                     (x + y) * 127 / std::max(w + h - 2, 1) + 64));
  return b;
}

// A picture where every pixel differs from its neighbours: BMP must keep it exactly.
Bitmap Noisy(int w, int h) {
  Bitmap b(w, h);
  std::uint32_t s = 12345;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      s = s * 1664525u + 1013904223u;
      b.SetPixel(x, y, s >> 8);
    }
  return b;
}

Bitmap Image(int w, int h, std::initializer_list<TPixel> topDown) {
  Bitmap b(w, h);
  auto it = topDown.begin();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, *it++);
  return b;
}

int Channel(TPixel p, int shift) { return int((p >> shift) & 255); }

struct TDiff {
  int Max = 0;
  double Mean = 0;
};
TDiff Difference(const Bitmap& a, const Bitmap& b) {
  TDiff d;
  long long sum = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      for (int s : {0, 8, 16}) {
        const int v = std::abs(Channel(a.Pixel(x, y), s) - Channel(b.Pixel(x, y), s));
        d.Max = std::max(d.Max, v);
        sum += v;
      }
  d.Mean = double(sum) / (3.0 * a.Width() * a.Height());
  return d;
}

void Put16(Bytes& v, std::size_t at, std::uint32_t x) {
  v[at] = std::uint8_t(x);
  v[at + 1] = std::uint8_t(x >> 8);
}
void Put32(Bytes& v, std::size_t at, std::uint32_t x) {
  Put16(v, at, x & 0xFFFF);
  Put16(v, at + 2, x >> 16);
}

// A Windows bitmap file built field by field, so tests can write every
// variant (and every kind of damage) by hand.
struct BmpFile {
  int InfoSize = 40;  // 12 (core), 40, 108 (V4) or 124 (V5)
  std::int32_t Width = 0;
  std::int32_t Height = 0;  // negative: rows stored top-down
  int BitCount = 24;
  std::uint32_t Compression = 0;
  std::vector<std::uint32_t> Masks;  // inside a V4/V5 header, else after the 40-byte one
  std::vector<TPixel> Palette;  // BGR0 entries (BGR for the core header)
  std::uint32_t ColorsUsed = 0;
  Bytes Pixels;  // the stored pixel data
  std::optional<std::uint32_t> DataOffset;  // default: right after the palette

  Bytes Build() const {
    const bool core = InfoSize == 12;
    const std::size_t masksAfter = (InfoSize == 40) ? Masks.size() * 4 : 0;
    const std::size_t paletteAt = 14 + InfoSize + masksAfter;
    const std::size_t entry = core ? 3 : 4;
    const std::size_t dataAt = paletteAt + Palette.size() * entry;
    Bytes out(dataAt, 0);
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 10, DataOffset.value_or(std::uint32_t(dataAt)));
    Put32(out, 14, InfoSize);
    if (core) {
      Put16(out, 18, std::uint32_t(Width));
      Put16(out, 20, std::uint32_t(Height));
      Put16(out, 22, 1);
      Put16(out, 24, BitCount);
    } else {
      Put32(out, 18, std::uint32_t(Width));
      Put32(out, 22, std::uint32_t(Height));
      Put16(out, 26, 1);
      Put16(out, 28, BitCount);
      Put32(out, 30, Compression);
      Put32(out, 34, std::uint32_t(Pixels.size()));
      Put32(out, 46, ColorsUsed);
      for (std::size_t i = 0; i < Masks.size(); ++i) Put32(out, 54 + 4 * i, Masks[i]);
    }
    for (std::size_t i = 0; i < Palette.size(); ++i) {
      out[paletteAt + i * entry] = std::uint8_t(Palette[i]);
      out[paletteAt + i * entry + 1] = std::uint8_t(Palette[i] >> 8);
      out[paletteAt + i * entry + 2] = std::uint8_t(Palette[i] >> 16);
    }
    Put32(out, 2, std::uint32_t(out.size() + Pixels.size()));
    out.insert(out.end(), Pixels.begin(), Pixels.end());
    return out;
  }
};

// Rows as stored, each padded to a multiple of 4 bytes.
Bytes Rows(std::initializer_list<Bytes> rows) {
  Bytes out;
  for (const Bytes& r : rows) {
    out.insert(out.end(), r.begin(), r.end());
    out.resize((out.size() + 3) & ~std::size_t(3), 0);
  }
  return out;
}

const TPixel kA = Rgb(10, 20, 30), kB = Rgb(200, 100, 50), kC = Rgb(0, 255, 128),
             kD = Rgb(255, 255, 0);

// 8 bits per pixel, 3 x 2, palette kA kB kC, bottom-up.
BmpFile Palette8() {
  BmpFile f;
  f.Width = 3;
  f.Height = 2;
  f.BitCount = 8;
  f.Palette = {kA, kB, kC};
  f.ColorsUsed = 3;
  f.Pixels = Rows({{2, 2, 0}, {0, 1, 2}});
  return f;
}

// A picture with known RLE8 content (4 x 3, palette kA..kD) and its image.
BmpFile Rle8() {
  BmpFile f;
  f.Width = 4;
  f.Height = 3;
  f.BitCount = 8;
  f.Compression = 1;
  f.Palette = {kA, kB, kC, kD};
  f.ColorsUsed = 4;
  f.Pixels = {
      4, 1, 0, 0,  // bottom line: run of 4 x index 1; end of line
      0, 3, 2, 3, 2, 0, 1, 0, 0, 0,  // literal 2 3 2 (padded), run of 1 x index 0; end of line
      0, 2, 2, 0, 2, 3, 0, 1,  // move right by 2, run of 2 x index 3; end of picture
  };
  return f;
}
Bitmap Rle8Image() {
  return Image(4, 3,
               {0, 0, kD, kD,  //
                kC, kD, kC, kA,  //
                kB, kB, kB, kB});
}

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const PictureError& e) {
    return e.what();
  }
  return "";
}

// A JPEG written with libjpeg directly, for colour spaces our encoder does
// not produce: components bytes per pixel, all pixels the same.
Bytes FlatJpeg(int w, int h, J_COLOR_SPACE in, J_COLOR_SPACE stored,
               std::initializer_list<int> sample) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &buffer, &size);
  c.image_width = w;
  c.image_height = h;
  c.input_components = int(sample.size());
  c.in_color_space = in;
  jpeg_set_defaults(&c);
  jpeg_set_colorspace(&c, stored);
  jpeg_set_quality(&c, 95, TRUE);
  jpeg_start_compress(&c, TRUE);
  std::vector<JSAMPLE> row;
  for (int x = 0; x < w; ++x)
    for (int s : sample) row.push_back(JSAMPLE(s));
  JSAMPROW rows[1] = {row.data()};
  while (c.next_scanline < c.image_height) jpeg_write_scanlines(&c, rows, 1);
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

// Position of the frame header's height field (after FF C0/C2, length, precision).
std::size_t FrameSizeOffset(const Bytes& jpeg) {
  for (std::size_t i = 2; i + 9 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) return i + 5;
  ADD_FAILURE() << "no frame header";
  return 0;
}

}  // namespace

// ---------------------------------------------------------------------------
// Round trips

TEST(PictureRoundTrip, JpegBaselineAndProgressiveStayCloseToTheOriginal) {
  for (bool progressive : {false, true})
    for (auto [w, h] : {std::pair{64, 48}, {33, 17}, {1, 1}, {17, 90}}) {
      SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) +
                   (progressive ? " progressive" : " baseline"));
      const Bitmap original = Smooth(w, h);
      const Bytes jpeg = EncodeJpeg(original, 95, progressive);
      const Bitmap decoded = DecodeJpeg(jpeg, "round.jpg");
      ASSERT_EQ(decoded.Width(), w);
      ASSERT_EQ(decoded.Height(), h);
      const TDiff d = Difference(original, decoded);
      EXPECT_LE(d.Max, 24);
      EXPECT_LE(d.Mean, 3.0);
      // The unused fourth byte is 0, as for pixels made with Rgb().
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) ASSERT_EQ(decoded.Pixel(x, y) >> 24, 0u);
    }
}

TEST(PictureRoundTrip, ProgressiveJpegIsProgressiveAndBaselineIsNot) {
  const Bitmap b = Smooth(40, 30);
  const Bytes base = EncodeJpeg(b, 80, false), prog = EncodeJpeg(b, 80, true);
  EXPECT_EQ(base[FrameSizeOffset(base) - 4], 0xC0);
  EXPECT_EQ(prog[FrameSizeOffset(prog) - 4], 0xC2);
}

TEST(PictureRoundTrip, Bmp24IsExactForEveryRowPadding) {
  for (int w : {1, 2, 3, 4, 5, 7}) {
    const Bitmap original = Noisy(w, 5);
    Bitmap expected = original;  // the fourth byte is not stored
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < w; ++x) expected.SetPixel(x, y, original.Pixel(x, y) & 0xFFFFFF);
    const Bytes bmp = EncodeBmp24(original);
    EXPECT_EQ(bmp.size(), 54 + std::size_t((w * 3 + 3) / 4 * 4) * 5);
    EXPECT_EQ(DecodeBmp(bmp, "round.bmp"), expected) << "width " << w;
  }
}

// ---------------------------------------------------------------------------
// Bitmap files of every supported kind, written by hand

TEST(BmpDecoding, EveryBitDepthAndHeaderGivesTheStoredColours) {
  struct Case {
    const char* Name;
    BmpFile File;
    Bitmap Expected;
  };
  std::vector<Case> cases;
  {
    BmpFile f;
    f.Width = 3, f.Height = 2, f.BitCount = 1, f.Palette = {kA, kB};
    f.Pixels = Rows({{0x60}, {0xA0}});  // bottom row 0 1 1, top row 1 0 1
    cases.push_back({"1 bit", f, Image(3, 2, {kB, kA, kB, kA, kB, kB})});
  }
  {
    BmpFile f;
    f.Width = 3, f.Height = 2, f.BitCount = 4, f.Palette = {kA, kB, kC}, f.ColorsUsed = 3;
    f.Pixels = Rows({{0x11, 0x20}, {0x20, 0x10}});  // bottom 1 1 2, top 2 0 1
    cases.push_back({"4 bits", f, Image(3, 2, {kC, kA, kB, kB, kB, kC})});
  }
  cases.push_back({"8 bits", Palette8(), Image(3, 2, {kA, kB, kC, kC, kC, kA})});
  {
    BmpFile f;  // 5-5-5: full red, (16, 8, 4) of 31, full blue, black
    f.Width = 2, f.Height = 2, f.BitCount = 16;
    f.Pixels = Rows({{0x00, 0x7C, 0x04, 0x41}, {0x1F, 0x00, 0x00, 0x00}});
    cases.push_back(
        {"16 bits 5-5-5", f, Image(2, 2, {Rgb(0, 0, 255), 0, Rgb(255, 0, 0), Rgb(132, 66, 33)})});
  }
  {
    BmpFile f;  // 5-6-5 through bit fields: full green, white
    f.Width = 2, f.Height = 1, f.BitCount = 16, f.Compression = 3;
    f.Masks = {0xF800, 0x07E0, 0x001F};
    f.Pixels = Rows({{0xE0, 0x07, 0xFF, 0xFF}});
    cases.push_back(
        {"16 bits 5-6-5 bit fields", f, Image(2, 1, {Rgb(0, 255, 0), Rgb(255, 255, 255)})});
  }
  {
    BmpFile f;
    f.Width = 2, f.Height = 2, f.BitCount = 24;
    f.Pixels = Rows({{30, 20, 10, 50, 100, 200}, {128, 255, 0, 0, 255, 255}});
    cases.push_back({"24 bits", f, Image(2, 2, {Rgb(0, 255, 128), kD, kA, kB})});
  }
  {
    BmpFile f;
    f.Width = 2, f.Height = 1, f.BitCount = 32;
    f.Pixels = {30, 20, 10, 0xEE, 50, 100, 200, 0x11};
    cases.push_back({"32 bits", f, Image(2, 1, {kA, kB})});
  }
  {
    BmpFile f;  // bytes red, green, blue, unused
    f.Width = 2, f.Height = 1, f.BitCount = 32, f.Compression = 3;
    f.Masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
    f.Pixels = {10, 20, 30, 0, 200, 100, 50, 0};
    cases.push_back({"32 bits bit fields", f, Image(2, 1, {kA, kB})});
  }
  {
    BmpFile f;  // V4 header holding 5-6-5 masks
    f.InfoSize = 108, f.Width = 1, f.Height = 1, f.BitCount = 16, f.Compression = 3;
    f.Masks = {0xF800, 0x07E0, 0x001F, 0};
    f.Pixels = Rows({{0x00, 0xF8}});
    cases.push_back({"V4 header", f, Image(1, 1, {Rgb(255, 0, 0)})});
  }
  {
    BmpFile f;  // V5 header, 8 bits, top-down
    f = Palette8();
    f.InfoSize = 124, f.Height = -2;
    cases.push_back({"V5 header", f, Image(3, 2, {kC, kC, kA, kA, kB, kC})});
  }
  {
    BmpFile f;  // core header: 16-bit sizes, RGB triples in the palette
    f.InfoSize = 12, f.Width = 3, f.Height = 2, f.BitCount = 8;
    f.Palette.assign(256, kD);
    f.Palette[0] = kA, f.Palette[1] = kB;
    f.Pixels = Rows({{0, 1, 255}, {1, 0, 0}});
    cases.push_back({"core header 8 bits", f, Image(3, 2, {kB, kA, kA, kA, kB, kD})});
  }
  {
    BmpFile f;
    f.InfoSize = 12, f.Width = 1, f.Height = 2, f.BitCount = 24;
    f.Pixels = Rows({{30, 20, 10}, {50, 100, 200}});
    cases.push_back({"core header 24 bits", f, Image(1, 2, {kB, kA})});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Bitmap decoded;
    ASSERT_NO_THROW(decoded = DecodeBmp(c.File.Build(), "hand.bmp"));
    EXPECT_EQ(decoded, c.Expected);
  }
}

TEST(BmpDecoding, TopDownAndBottomUpFilesGiveTheSamePicture) {
  const Bitmap picture = Noisy(5, 4);
  const Bytes bottomUp = EncodeBmp24(picture);
  // Same file with the rows in the opposite order and a negative height.
  Bytes topDown(bottomUp.begin(), bottomUp.begin() + 54);
  const std::size_t stride = 16;
  for (int row = 3; row >= 0; --row)
    topDown.insert(topDown.end(), bottomUp.begin() + 54 + stride * row,
                   bottomUp.begin() + 54 + stride * (row + 1));
  Put32(topDown, 22, std::uint32_t(-4));
  EXPECT_EQ(DecodeBmp(topDown, "top.bmp"), DecodeBmp(bottomUp, "bottom.bmp"));
  EXPECT_EQ(DecodeBmp(topDown, "top.bmp").Pixel(0, 0), picture.Pixel(0, 0) & 0xFFFFFF);
}

TEST(BmpDecoding, RunLengthFilesDecodeRunsLiteralsMovesAndLineEnds) {
  EXPECT_EQ(DecodeBmp(Rle8().Build(), "rle8.bmp"), Rle8Image());

  BmpFile topDown = Rle8();
  topDown.Height = -3;
  const Bitmap bottomUp = Rle8Image();
  Bitmap flipped(4, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) flipped.SetPixel(x, y, bottomUp.Pixel(x, 2 - y));
  EXPECT_EQ(DecodeBmp(topDown.Build(), "rle8-top-down.bmp"), flipped);

  BmpFile rle4;
  rle4.Width = 5, rle4.Height = 2, rle4.BitCount = 4, rle4.Compression = 2;
  rle4.Palette = {kA, kB, kC, kD};
  rle4.ColorsUsed = 4;
  rle4.Pixels = {
      5, 0x12, 0,    0,  // bottom line: 1 2 1 2 1; end of line
      0, 3,    0x30, 0x10,  // literal 3 0 1 (two bytes, already even)
      2, 0x22, 0,    1,  // run 2 2; end of picture
  };
  EXPECT_EQ(DecodeBmp(rle4.Build(), "rle4.bmp"),
            Image(5, 2, {kD, kA, kB, kC, kC, kB, kC, kB, kC, kB}));
}

// ---------------------------------------------------------------------------
// JPEG scaling and colour spaces

TEST(JpegDecoding, DctScalingRoundsSizesUp) {
  struct Case {
    int W, H;
    TJpegScale Scale;
    int ExpectedW, ExpectedH;
  };
  const Case cases[] = {
      {101, 37, TJpegScale::Full, 101, 37},       {101, 37, TJpegScale::Half, 51, 19},
      {101, 37, TJpegScale::Quarter, 26, 10},     {101, 37, TJpegScale::Eighth, 13, 5},
      {8, 8, TJpegScale::Eighth, 1, 1},           {1, 1, TJpegScale::Eighth, 1, 1},
      {6000, 4000, TJpegScale::Eighth, 750, 500},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.W) + "x" + std::to_string(c.H) + " / " +
                 std::to_string(int(c.Scale)));
    Bitmap flat(c.W, c.H);
    for (int y = 0; y < c.H; ++y) std::fill_n(flat.ScanLine(y), c.W, Rgb(40, 160, 220));
    const Bytes jpeg = EncodeJpeg(flat, 90, false);
    Picture p;
    p.LoadFromMemory(jpeg, "scaled.jpg", c.Scale);
    ASSERT_EQ(p.Width(), c.ExpectedW);
    ASSERT_EQ(p.Height(), c.ExpectedH);
    const TPixel mid = p.AsBitmap().Pixel(p.Width() / 2, p.Height() / 2);
    EXPECT_NEAR(Channel(mid, 16), 40, 4);
    EXPECT_NEAR(Channel(mid, 8), 160, 4);
    EXPECT_NEAR(Channel(mid, 0), 220, 4);
  }
}

TEST(JpegDecoding, CoveringScaleIsTheSmallestScaleThatStillCovers) {
  struct Case {
    int W, H, MinW, MinH;
    TJpegScale Expected;
  };
  const Case cases[] = {
      {6000, 4000, 750, 500, TJpegScale::Eighth},  {6000, 4000, 751, 500, TJpegScale::Quarter},
      {6000, 4000, 800, 600, TJpegScale::Quarter}, {6000, 4000, 1920, 1080, TJpegScale::Half},
      {6000, 4000, 3001, 10, TJpegScale::Full},    {1601, 1201, 801, 601, TJpegScale::Half},
      {1599, 1200, 800, 600, TJpegScale::Half},    {1598, 1200, 800, 600, TJpegScale::Full},
      {640, 480, 800, 600, TJpegScale::Full},      {4000, 6000, 600, 800, TJpegScale::Quarter},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CoveringScale(c.W, c.H, c.MinW, c.MinH), c.Expected)
        << c.W << "x" << c.H << " covering " << c.MinW << "x" << c.MinH;
}

TEST(JpegDecoding, GreyscaleAndCmykPicturesBecomeRgb) {
  struct Case {
    const char* Name;
    Bytes Jpeg;
    TPixel Expected;
  };
  // CMYK as Adobe's writers store it (and as libjpeg marks it): inverted, so
  // 0 is full ink. Full cyan ink on white paper is (0, 255, 255).
  const Case cases[] = {
      {"grey", FlatJpeg(16, 16, JCS_GRAYSCALE, JCS_GRAYSCALE, {100}), Rgb(100, 100, 100)},
      {"cmyk cyan", FlatJpeg(16, 16, JCS_CMYK, JCS_CMYK, {0, 255, 255, 255}), Rgb(0, 255, 255)},
      {"cmyk half black", FlatJpeg(16, 16, JCS_CMYK, JCS_CMYK, {255, 255, 255, 128}),
       Rgb(128, 128, 128)},
      {"ycck yellow", FlatJpeg(16, 16, JCS_CMYK, JCS_YCCK, {255, 255, 0, 255}), Rgb(255, 255, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const Bitmap b = DecodeJpeg(c.Jpeg, "colour.jpg");
    ASSERT_EQ(b.Width(), 16);
    for (int s : {0, 8, 16}) EXPECT_NEAR(Channel(b.Pixel(8, 8), s), Channel(c.Expected, s), 4);
  }
}

// ---------------------------------------------------------------------------
// Files and signatures

TEST(PictureFiles, LoadsByExtensionWithoutRegardToCase) {
  TempFolder dir;
  const Bitmap b = Smooth(20, 10);
  const std::string jpg = dir.Write("a.JPG", EncodeJpeg(b, 90, false));
  const std::string jpeg = dir.Write("b.Jpeg", EncodeJpeg(b, 90, true));
  const std::string bmp = dir.Write("c.BMP", EncodeBmp24(b));
  for (const std::string& f : {jpg, jpeg, bmp}) {
    Picture p;
    p.LoadFromFile(f);
    EXPECT_EQ(p.Width(), 20) << f;
    EXPECT_EQ(p.Height(), 10) << f;
  }
  Picture half;
  half.LoadFromFile(jpg, TJpegScale::Half);
  EXPECT_EQ(half.Width(), 10);
  EXPECT_EQ(ReadJpegSize(jpeg).Width, 20);
  EXPECT_EQ(ReadJpegSize(jpeg).Height, 10);

  // The extension decides, not the content; a failed load keeps the old picture.
  const std::string fake = dir.Write("bitmap.jpg", EncodeBmp24(b));
  EXPECT_NE(ErrorOf([&] { half.LoadFromFile(fake); }).find("bitmap.jpg"), std::string::npos);
  EXPECT_EQ(half.Width(), 10);
  const std::string other = dir.Write("picture.png", EncodeBmp24(b));
  EXPECT_NE(
      ErrorOf([&] { half.LoadFromFile(other); }).find("Unknown picture file extension (.png)"),
      std::string::npos);
  EXPECT_NE(ErrorOf([&] { half.LoadFromFile(dir.Path("noextension")); }), "");
}

TEST(PictureFiles, MemoryIsToldApartBySignature) {
  const Bitmap b = Noisy(6, 3);
  Picture p;
  p.LoadFromMemory(EncodeBmp24(b), "mem");
  EXPECT_EQ(p.AsBitmap().Pixel(5, 2), b.Pixel(5, 2) & 0xFFFFFF);
  p.LoadFromMemory(EncodeJpeg(Smooth(9, 4), 80, true), "mem");
  EXPECT_EQ(p.Width(), 9);
  const Bytes gif = {'G', 'I', 'F', '8', '9', 'a', 0, 0};
  EXPECT_NE(ErrorOf([&] { p.LoadFromMemory(gif, "mem.gif"); }).find("mem.gif"), std::string::npos);
  EXPECT_EQ(p.Width(), 9);
  Bitmap target;
  p.AssignTo(target);
  EXPECT_EQ(target, p.AsBitmap());
}

// ---------------------------------------------------------------------------
// Corrupt and hostile files: always a PictureError naming the file

TEST(HostilePictures, DamagedFilesGiveAnErrorNamingTheFile) {
  struct Case {
    const char* Name;
    Bytes Data;
    const char* Expected;  // part of the message
  };
  std::vector<Case> cases;
  auto bmp = [&](const char* name, auto change, const char* expected) {
    BmpFile f = Palette8();
    change(f);
    cases.push_back({name, f.Build(), expected});
  };
  bmp(
      "100000 x 100000", [](BmpFile& f) { f.Width = f.Height = 100000; }, "too large");
  bmp(
      "width x height overflows", [](BmpFile& f) { f.Width = 0x7FFFFFFF, f.Height = 0x7FFFFFFF; },
      "too large");
  bmp(
      "most negative height", [](BmpFile& f) { f.Height = INT32_MIN; }, "too large");
  bmp(
      "height 1 wider than allowed", [](BmpFile& f) { f.Width = 1 << 29, f.Height = 1; },
      "too large");
  bmp(
      "zero width", [](BmpFile& f) { f.Width = 0; }, "invalid picture size");
  bmp(
      "negative width", [](BmpFile& f) { f.Width = -3; }, "invalid picture size");
  bmp(
      "zero height", [](BmpFile& f) { f.Height = 0; }, "invalid picture size");
  bmp(
      "pixel data offset beyond the file", [](BmpFile& f) { f.DataOffset = 100000; }, "offset");
  bmp(
      "pixel data offset inside the header", [](BmpFile& f) { f.DataOffset = 20; }, "offset");
  bmp(
      "truncated pixel data", [](BmpFile& f) { f.Pixels.resize(5); }, "truncated");
  bmp(
      "palette index out of range", [](BmpFile& f) { f.Pixels[1] = 5; }, "palette index 5");
  bmp(
      "palette beyond the file", [](BmpFile& f) { f.ColorsUsed = 200; }, "truncated");
  bmp(
      "unsupported compression", [](BmpFile& f) { f.Compression = 4; }, "compression");
  bmp(
      "RLE on 24 bits", [](BmpFile& f) { f.BitCount = 24, f.Compression = 1; }, "run-length");
  bmp(
      "bit depth 7", [](BmpFile& f) { f.BitCount = 7; }, "bit depth");
  bmp(
      "header size 64", [](BmpFile& f) { f.InfoSize = 64; }, "header");
  auto rle = [&](const char* name, Bytes data, const char* expected) {
    BmpFile f = Rle8();
    f.Pixels = std::move(data);
    cases.push_back({name, f.Build(), expected});
  };
  rle("RLE run past the row", {5, 1, 0, 1}, "past the end of a row");
  rle("RLE run after a full row", {4, 1, 1, 1, 0, 1}, "past the end of a row");
  rle("RLE literal past the row", {0, 5, 1, 1, 1, 1, 1, 0, 0, 1}, "past the end of a row");
  rle("RLE lines past the picture", {0, 0, 0, 0, 0, 0, 1, 1, 0, 1}, "past the end of the picture");
  rle("RLE move past the picture", {0, 2, 0, 4, 0, 1}, "move past the picture");
  rle("RLE move past the row", {0, 2, 5, 0, 0, 1}, "move past the picture");
  rle("RLE palette index", {2, 9, 0, 1}, "palette index 9");
  rle("RLE without end", {4, 1, 0, 0}, "truncated");
  rle("RLE literal cut off", {0, 4, 1, 1}, "truncated");

  const Bytes jpeg = EncodeJpeg(Smooth(32, 24), 90, false);
  Bytes huge = jpeg;
  const std::size_t at = FrameSizeOffset(huge);
  huge[at] = huge[at + 2] = 0xFD;  // 65000 x 65000
  huge[at + 1] = huge[at + 3] = 0xE8;
  cases.push_back({"JPEG claiming 65000 x 65000", huge, "too large"});
  Bytes big = jpeg;
  big[at] = big[at + 2] = 0x3E;  // 16000 x 16000: within the pixel limit, but 2 KB of data
  big[at + 1] = big[at + 3] = 0x80;
  cases.push_back({"JPEG claiming 16000 x 16000", big, "too short"});
  Bytes zeroSize = jpeg;
  zeroSize[at] = zeroSize[at + 1] = 0;
  cases.push_back({"JPEG of height 0", zeroSize, ""});
  Bytes garbage(jpeg.begin(), jpeg.begin() + 4);
  garbage.resize(200, 0x5A);
  cases.push_back({"JPEG of garbage", garbage, ""});
  cases.push_back({"empty BMP", {'B', 'M'}, "truncated"});
  cases.push_back({"empty", {}, "empty"});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string name = std::string(c.Name) + ".pic";
    const std::string error = ErrorOf([&] {
      if (c.Data.size() >= 2 && c.Data[0] == 'B')
        DecodeBmp(c.Data, name);
      else if (c.Data.size() >= 2)
        DecodeJpeg(c.Data, name);
      else
        Picture().LoadFromMemory(c.Data, name);
    });
    ASSERT_NE(error, "") << "decoded without error";
    EXPECT_NE(error.find(name), std::string::npos) << error;
    EXPECT_NE(error.find(c.Expected), std::string::npos) << error;
  }
}

TEST(HostilePictures, MissingAndEmptyFilesGiveAnErrorNamingTheFile) {
  TempFolder dir;
  for (const char* name : {"missing.jpg", "missing.bmp"}) {
    const std::string path = dir.Path(name);
    EXPECT_NE(ErrorOf([&] { Picture().LoadFromFile(path); }).find(path), std::string::npos);
  }
  EXPECT_NE(ErrorOf([&] { ReadJpegSize(dir.Path("missing.jpg")); }).find("missing.jpg"),
            std::string::npos);
  for (const char* name : {"empty.jpg", "empty.bmp"}) {
    const std::string path = dir.Write(name, {});
    EXPECT_NE(ErrorOf([&] { Picture().LoadFromFile(path); }).find(path), std::string::npos);
  }
  const std::string empty = dir.Path("empty.jpg");
  EXPECT_NE(ErrorOf([&] { ReadJpegSize(empty); }).find(empty), std::string::npos);
}

// Every cut of a valid file: a truncated file either decodes to the full
// size (only the padding of the last row missing) or gives a PictureError.
TEST(HostilePictures, TruncatedFilesNeverCrash) {
  struct Case {
    const char* Name;
    Bytes Data;
  };
  const Bitmap picture = Smooth(48, 40);
  const Case cases[] = {
      {"baseline JPEG", EncodeJpeg(picture, 85, false)},
      {"progressive JPEG", EncodeJpeg(picture, 85, true)},
      {"24-bit BMP", EncodeBmp24(picture)},
      {"8-bit BMP", Palette8().Build()},
      {"RLE8 BMP", Rle8().Build()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::size_t step = c.Data.size() > 2000 ? 7 : 1;
    for (std::size_t n = 0; n < c.Data.size(); n += step) {
      const std::span<const std::uint8_t> cut(c.Data.data(), n);
      try {
        Picture p;
        p.LoadFromMemory(cut, "cut");
        // Only a BMP missing just the padding of its last row may still decode.
        EXPECT_EQ(c.Data[0], 'B') << "JPEG cut at " << n << " decoded";
        EXPECT_GE(n + 3, c.Data.size()) << "cut at " << n << " decoded";
      } catch (const PictureError&) {
      }
    }
  }
}

// Bytes changed at random places of a valid file: an error or a picture of
// the stored size, never a crash or a read out of bounds.
TEST(HostilePictures, CorruptedBytesNeverCrash) {
  const Bitmap picture = Smooth(40, 32);
  const Bytes originals[] = {EncodeJpeg(picture, 85, false), EncodeJpeg(picture, 85, true),
                             Rle8().Build()};
  std::uint32_t seed = 7;
  auto next = [&] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
  int failures = 0, decoded = 0;
  for (const Bytes& original : originals)
    for (int round = 0; round < 300; ++round) {
      Bytes data = original;
      for (int k = 0; k < 1 + round % 4; ++k) data[2 + next() % (data.size() - 2)] = next() & 255;
      try {
        Picture p;
        p.LoadFromMemory(data, "corrupt");
        EXPECT_LE(std::int64_t(p.Width()) * p.Height(), kMaxPixels);
        ++decoded;
      } catch (const PictureError&) {
        ++failures;
      }
    }
  EXPECT_GT(failures, 0);
  EXPECT_GT(decoded, 0);
}
