#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "raster/Picture.h"
#include "tests/raster/PictureTestKit.h"

using namespace vantora;
using namespace vantora::testfiles;

namespace {

// A JPEG written with libjpeg directly, for colour spaces our encoder does
// not produce: components bytes per pixel, all pixels the same.
Bytes FlatJpeg(int w, int h, J_COLOR_SPACE in, J_COLOR_SPACE stored,
               std::initializer_list<int> sample) {
  std::vector<JSAMPLE> row;
  for (int x = 0; x < w; ++x)
    for (int s : sample) row.push_back(JSAMPLE(s));
  return CompressJpeg(
      w, h, in, int(sample.size()),
      [&](jpeg_compress_struct& c) {
        jpeg_set_colorspace(&c, stored);
        jpeg_set_quality(&c, 95, TRUE);
      },
      [&](int) { return row.data(); });
}

}  // namespace

// ---------------------------------------------------------------------------
// JPEG scaling and colour spaces

TEST(JpegDecoding, DctScalingRoundsSizesUp) {
  struct Case {
    int W, H;
    TJpegScale Scale;
    int ExpectedW, ExpectedH;
  };
  const Case cases[] = {
      {101, 37, TJpegScale::Full, 101, 37},   {101, 37, TJpegScale::Half, 51, 19},
      {101, 37, TJpegScale::Quarter, 26, 10}, {101, 37, TJpegScale::Eighth, 13, 5},
      {8, 8, TJpegScale::Eighth, 1, 1},       {1, 1, TJpegScale::Eighth, 1, 1},
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

// The checks against hostile files must let through every coding a real
// picture comes in.
TEST(JpegDecoding, EveryCodingOfARealPictureDecodes) {
  struct Case {
    const char* Name;
    TJpegOptions Options;
  };
  const Case cases[] = {
      {"baseline", {}},
      {"progressive", {.Progressive = true}},
      {"arithmetic", {.Arithmetic = true}},
      {"arithmetic progressive", {.Progressive = true, .Arithmetic = true}},
      {"4:4:4 progressive", {.Progressive = true, .FullChroma = true}},
  };
  const Bitmap original = Smooth(96, 64);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Bitmap decoded;
    ASSERT_NO_THROW(decoded = DecodeJpeg(WriteJpeg(original, c.Options), "coding.jpg"));
    ASSERT_EQ(decoded.Width(), 96);
    ASSERT_EQ(decoded.Height(), 64);
    EXPECT_LE(Difference(original, decoded).Max, 24);
  }
}

// A 24-megapixel camera photo fits well within the limits of one decode, at
// full size and through DCT scaling. (Flat, so that it is quick to make.)
TEST(JpegDecoding, CameraSizedPhotosStillDecode) {
  Bitmap flat(6000, 4000);
  for (int y = 0; y < flat.Height(); ++y) std::fill_n(flat.ScanLine(y), 6000, Rgb(90, 140, 30));
  for (bool progressive : {false, true}) {
    SCOPED_TRACE(progressive ? "progressive" : "baseline");
    const Bytes jpeg = EncodeJpeg(flat, 90, progressive);
    Bitmap full, eighth;
    ASSERT_NO_THROW(full = DecodeJpeg(jpeg, "camera.jpg"));
    EXPECT_EQ(full.Width(), 6000);
    EXPECT_EQ(full.Height(), 4000);
    EXPECT_LE(ColourDistance(full.Pixel(3000, 2000), Rgb(90, 140, 30)), 4);
    ASSERT_NO_THROW(eighth = DecodeJpeg(jpeg, "camera.jpg", TJpegScale::Eighth));
    EXPECT_EQ(eighth.Width(), 750);
    EXPECT_EQ(eighth.Height(), 500);
  }
}
