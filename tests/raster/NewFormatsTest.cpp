// PNG, WebP and HEIF (HEIC, AVIF) pictures: their pixels, transparency,
// animations, and the format told by content rather than by name.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "raster/Picture.h"
#include "tests/raster/FormatFiles.h"
#include "tests/raster/PictureTestKit.h"

using namespace vantora;
using namespace vantora::testfiles;

namespace {

using TSamples = std::array<std::uint16_t, 4>;

// A 7 x 5 picture (odd sizes, so packed rows end inside a byte and the
// interlace passes are uneven) of the levels one bit depth can hold: level
// k of 2^depth is the 16-bit sample k * 65535 / (2^depth - 1), and 8-bit
// k * 255 / (2^depth - 1) once decoded.
TRgba16 Levels(int depth, bool grey) {
  const int top = (1 << depth) - 1;
  TRgba16 p{7, 5, {}};
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) {
      const int k = (x + 3 * y) % (top + 1), j = (x * 5 + y) % (top + 1);
      // 16 bits: levels spread over the range rather than the first few.
      const auto level = [&](int v) {
        return std::uint16_t(depth == 16 ? (std::uint32_t(v) * 40503u + 1234u) & 0xFFFFu
                                         : std::uint32_t(v) * std::uint32_t(65535 / top));
      };
      p.Samples.push_back(grey ? TSamples{level(k), level(k), level(k), level((k + 1) % (top + 1))}
                               : TSamples{level(k), level(j), level(top - k), level(j)});
    }
  return p;
}

// What a picture of 16-bit samples becomes: 8 bits by rounding, alpha laid
// over the background.
Bitmap Expected(const TRgba16& p, bool alpha, TPixel background = Rgb(0, 0, 0)) {
  Bitmap b(p.Width, p.Height);
  for (int y = 0; y < p.Height; ++y)
    for (int x = 0; x < p.Width; ++x) {
      const TSamples& s = p.At(x, y);
      const int a = alpha ? (s[3] + 128) / 257 : 255;
      int c[3];
      for (int i = 0; i < 3; ++i) {
        const int v = (s[std::size_t(i)] + 128) / 257;
        const int under = int(background >> (16 - 8 * i) & 255);
        c[i] = (v * a + under * (255 - a) + 127) / 255;
      }
      b.SetPixel(x, y, Rgb(c[0], c[1], c[2]));
    }
  return b;
}

// Blocks of flat colour that lossy codings keep to within a few levels.
TRgba16 Blocks(int w, int h) {
  static const TSamples kColours[] = {{65535, 0, 0, 65535},     {0, 65535, 0, 65535},
                                      {0, 0, 65535, 65535},     {65535, 65535, 65535, 65535},
                                      {32896, 16448, 0, 65535}, {0, 32896, 49344, 65535}};
  TRgba16 p{w, h, {}};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p.Samples.push_back(kColours[(x / 16 + 3 * (y / 16)) % 6]);
  return p;
}

// The largest channel difference at the middles of the 16 x 16 blocks.
int BlockDistance(const Bitmap& decoded, const Bitmap& expected) {
  int worst = 0;
  for (int y = 8; y < expected.Height(); y += 16)
    for (int x = 8; x < expected.Width(); x += 16)
      worst = std::max(worst, ColourDistance(decoded.Pixel(x, y), expected.Pixel(x, y)));
  return worst;
}

}  // namespace

// ---------------------------------------------------------------------------
// PNG

TEST(PngDecoding, EveryColourTypeDepthAndInterlaceGivesItsPixels) {
  struct Case {
    const char* Name;
    int ColorType, Depth;
    bool Interlaced;
  };
  const Case cases[] = {
      {"grey 1", PNG_COLOR_TYPE_GRAY, 1, false},      {"grey 2", PNG_COLOR_TYPE_GRAY, 2, false},
      {"grey 4", PNG_COLOR_TYPE_GRAY, 4, true},       {"grey 8", PNG_COLOR_TYPE_GRAY, 8, false},
      {"grey 16", PNG_COLOR_TYPE_GRAY, 16, true},     {"grey+alpha 8", PNG_COLOR_TYPE_GA, 8, false},
      {"grey+alpha 16", PNG_COLOR_TYPE_GA, 16, false}, {"RGB 8", PNG_COLOR_TYPE_RGB, 8, false},
      {"RGB 8 interlaced", PNG_COLOR_TYPE_RGB, 8, true}, {"RGB 16", PNG_COLOR_TYPE_RGB, 16, false},
      {"RGBA 8", PNG_COLOR_TYPE_RGBA, 8, false},     {"RGBA 16 interlaced", PNG_COLOR_TYPE_RGBA, 16, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const bool grey = !(c.ColorType & PNG_COLOR_MASK_COLOR);
    const bool alpha = c.ColorType & PNG_COLOR_MASK_ALPHA;
    const TRgba16 p = Levels(c.Depth, grey);
    const Bitmap decoded = DecodePng(
        WritePng(p, {.ColorType = c.ColorType, .BitDepth = c.Depth, .Interlaced = c.Interlaced}),
        "levels.png");
    EXPECT_EQ(decoded, Expected(p, alpha));
  }
}

TEST(PngDecoding, PalettesWithAndWithoutTransparency) {
  for (int depth : {1, 2, 4, 8})
    for (bool transparent : {false, true}) {
      SCOPED_TRACE(std::to_string(depth) + (transparent ? " bits, tRNS" : " bits"));
      const int entries = 1 << std::min(depth, 3);
      TPngOptions o{.ColorType = PNG_COLOR_TYPE_PALETTE, .BitDepth = depth,
                    .Interlaced = depth == 2};
      for (int i = 0; i < entries; ++i) {
        o.Palette.push_back({std::uint8_t(40 * i), std::uint8_t(255 - 30 * i), std::uint8_t(7 * i)});
        if (transparent) o.PaletteAlpha.push_back(std::uint8_t(255 - 50 * i));
      }
      // The writer takes the index from the red sample's top bits.
      TRgba16 indices{6, 3, {}};
      TRgba16 colours{6, 3, {}};
      for (int n = 0; n < 18; ++n) {
        const int i = n % entries;
        indices.Samples.push_back({std::uint16_t(i << (16 - depth)), 0, 0, 0});
        const auto& e = o.Palette[std::size_t(i)];
        colours.Samples.push_back({std::uint16_t(e[0] * 257), std::uint16_t(e[1] * 257),
                                   std::uint16_t(e[2] * 257),
                                   std::uint16_t(transparent ? o.PaletteAlpha[std::size_t(i)] * 257 : 65535)});
      }
      EXPECT_EQ(DecodePng(WritePng(indices, o), "palette.png"), Expected(colours, transparent));
    }
}

// 16-bit samples are rounded to the nearest 8-bit level, not cut to their
// high byte: 257k + 100 is k, 257k + 200 is k + 1.
TEST(PngDecoding, SixteenBitSamplesAreRoundedToEightBits) {
  TRgba16 p{4, 1, {}};
  p.Samples = {{257 * 10 + 100, 257 * 10 + 200, 0, 65535},
               {65535, 257 * 254 + 200, 257 * 254 + 100, 65535},
               {200, 100, 129, 65535},
               {257 * 128 + 127, 257 * 128 + 129, 257 * 127 + 128, 65535}};
  EXPECT_EQ(DecodePng(WritePng(p, {.BitDepth = 16}), "deep.png"),
            Image(4, 1,
                  {Rgb(10, 11, 0), Rgb(255, 255, 254), Rgb(1, 0, 1), Rgb(128, 129, 127)}));
}

TEST(PngDecoding, TransparencyIsLaidOverTheBackground) {
  TRgba16 p{4, 1, {}};
  p.Samples = {{65535, 0, 0, 0}, {65535, 0, 0, 128 * 257}, {0, 65535, 0, 65535},
               {0, 0, 65535, 64 * 257}};
  const Bytes rgba = WritePng(p, {.ColorType = PNG_COLOR_TYPE_RGBA});
  EXPECT_EQ(DecodePng(rgba, "over-black.png"),
            Image(4, 1, {Rgb(0, 0, 0), Rgb(128, 0, 0), Rgb(0, 255, 0), Rgb(0, 0, 64)}));
  EXPECT_EQ(DecodePng(rgba, "over-grey.png", {}, Rgb(100, 100, 100)),
            Image(4, 1, {Rgb(100, 100, 100), Rgb(178, 50, 50), Rgb(0, 255, 0), Rgb(75, 75, 139)}));
  // A tRNS colour key makes that one colour transparent.
  std::array<std::uint16_t, 3> key = {0, 65535, 0};
  EXPECT_EQ(DecodePng(WritePng(p, {.TransparentColour = &key}), "key.png", {}, Rgb(9, 9, 9)),
            Image(4, 1, {Rgb(255, 0, 0), Rgb(255, 0, 0), Rgb(9, 9, 9), Rgb(0, 0, 255)}));
}

// ---------------------------------------------------------------------------
// WebP

TEST(WebpDecoding, LosslessIsExactLossyIsCloseAndAlphaIsLaidOver) {
  const TRgba16 noisy = TRgba16::Of(Noisy(37, 23));
  EXPECT_EQ(DecodeWebp(WriteWebp(noisy, true), "noisy.webp"), Expected(noisy, false));

  const TRgba16 blocks = Blocks(64, 48);
  const Bitmap lossy = DecodeWebp(WriteWebp(blocks, false, 95), "blocks.webp");
  ASSERT_EQ(lossy.Width(), 64);
  ASSERT_EQ(lossy.Height(), 48);
  EXPECT_LE(BlockDistance(lossy, Expected(blocks, false)), 8);

  TRgba16 seeThrough = noisy;
  for (std::size_t i = 0; i < seeThrough.Samples.size(); ++i)
    seeThrough.Samples[i][3] = std::uint16_t((i * 37 % 256) * 257);
  EXPECT_EQ(DecodeWebp(WriteWebp(seeThrough, true), "alpha.webp", {}, Rgb(30, 200, 90)),
            Expected(seeThrough, true, Rgb(30, 200, 90)));
}

TEST(WebpDecoding, AnAnimationShowsItsFirstFrame) {
  const TRgba16 first = TRgba16::Of(Noisy(20, 12));
  TRgba16 second = TRgba16::Of(Smooth(20, 12));
  const Bytes animation = WriteWebpAnimation({first, second, first});
  EXPECT_EQ(DecodeWebp(animation, "animated.webp"), Expected(first, false));
  // The same through a file of that name.
  TempFolder dir;
  Picture p;
  p.LoadFromFile(dir.Write("animated.webp", animation));
  EXPECT_EQ(p.AsBitmap(), Expected(first, false));
}

// ---------------------------------------------------------------------------
// HEIF

TEST(HeifDecoding, HeicAndAvifGiveTheirColours) {
  const TRgba16 blocks = Blocks(96, 64);
  for (bool avif : {false, true}) {
    SCOPED_TRACE(avif ? "AVIF" : "HEIC");
    const Bitmap decoded = DecodeHeif(WriteHeif(blocks, avif, 95), "blocks");
    ASSERT_EQ(decoded.Width(), 96);
    ASSERT_EQ(decoded.Height(), 64);
    EXPECT_LE(BlockDistance(decoded, Expected(blocks, false)), 10);

    // Alpha 0 on the left half, opaque on the right.
    TRgba16 half = blocks;
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 48; ++x) half.At(x, y)[3] = 0;
    const Bitmap over = DecodeHeif(WriteHeif(half, avif, 95, 1, true), "alpha", {},
                                   Rgb(250, 250, 250));
    EXPECT_LE(BlockDistance(over, Expected(half, true, Rgb(250, 250, 250))), 10);
  }
}

// ---------------------------------------------------------------------------
// The format is the content's

TEST(PictureFormats, TheContentDecidesWhereTheExtensionLies) {
  TempFolder dir;
  const TRgba16 noisy = TRgba16::Of(Noisy(9, 7));
  const Bitmap exact = Expected(noisy, false);
  struct Case {
    const char* Name;
    Bytes Data;
    bool Exact;
  };
  const Case cases[] = {
      {"png-named.jpg", WritePng(noisy), true},
      {"webp-named.PNG", WriteWebp(noisy, true), true},
      {"bmp-named.webp", EncodeBmp24(Noisy(9, 7)), true},
      {"heic-named.avif", WriteHeif(noisy, false, 90), false},
      {"avif-named.HEIC", WriteHeif(noisy, true, 90), false},
      {"jpeg-named.bmp", EncodeJpeg(Noisy(9, 7), 95, false), false},
      {"png.heif", WritePng(noisy), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Picture p;
    EXPECT_EQ(ErrorOf([&] { p.LoadFromFile(dir.Write(c.Name, c.Data)); }), "");
    ASSERT_EQ(p.Width(), 9);
    ASSERT_EQ(p.Height(), 7);
    if (c.Exact) {
      EXPECT_EQ(p.AsBitmap(), exact);
    }
    // And from memory, by signature alone.
    Picture m;
    m.LoadFromMemory(c.Data, c.Name);
    EXPECT_EQ(m.AsBitmap(), p.AsBitmap());
  }
  // An extension that names no picture is refused unread; content of no
  // format goes to the decoder of its name, whose error names the file.
  const std::string gif = dir.Write("png-named.gif", WritePng(noisy));
  EXPECT_NE(ErrorOf([&] { Picture().LoadFromFile(gif); }).find("Unknown picture file extension (.gif)"),
            std::string::npos);
  for (const char* name : {"junk.png", "junk.webp", "junk.heic", "junk.avif"}) {
    const std::string path = dir.Write(name, Bytes(300, 'j'));
    const std::string error = ErrorOf([&] { Picture().LoadFromFile(path); });
    EXPECT_EQ(error.rfind(path + ": ", 0), 0u) << error;
  }
}

// Pictures ImageMagick wrote (48 x 32, cut from a photo), beside
// ImageMagick's own decode of each as a BMP (transparency laid over black):
// a 16-bit PNG with an alpha ramp, lossy WebP, HEIC, AVIF, and an animated
// WebP whose first frame is the photo. ImageMagick turns HEIF's YCbCr into
// RGB itself, libheif does it for us: the two differ by a few levels at
// sharp colour edges (7 at most here, 0.7 on average).
TEST(PictureFormats, ColoursAreThoseImageMagickDecodes) {
  struct Case {
    const char* File;
    int Tolerance;
  };
  const Case cases[] = {{"im-alpha16.png", 1},
                        {"im-photo.webp", 3},
                        {"im-photo.heic", 8},
                        {"im-photo.avif", 8},
                        {"im-anim.webp", 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.File);
    const std::string path = std::string(VANTORA_TEST_DATA) + "/" + c.File;
    Picture decoded, reference;
    decoded.LoadFromFile(path);
    reference.LoadFromFile(path + ".ref.bmp");
    ASSERT_EQ(decoded.Width(), reference.Width());
    ASSERT_EQ(decoded.Height(), reference.Height());
    const TDiff d = Difference(decoded.AsBitmap(), reference.AsBitmap());
    EXPECT_LE(d.Max, c.Tolerance);
    EXPECT_LT(d.Mean, 1.0);
  }
}
