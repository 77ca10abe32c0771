#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "raster/Picture.h"
#include "tests/raster/PictureTestKit.h"

using namespace vantora;
using namespace vantora::testfiles;

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

// A row of 5 pixels is stored in 8 bytes at 8 bits (two 32-bit words) and
// in 4 bytes, 8 pixels, at 4 bits: runs may fill that width, the pixels past
// the fifth dropped, but a run beyond it refuses the file.
TEST(BmpDecoding, RunLengthRunsMayFillThePaddedRowAndNoMore) {
  struct Case {
    const char* Name;
    int BitCount;
    Bytes Data;  // run-length data of a 5 x 2 picture, palette kA kB kC kD
    Bitmap Expected;  // empty: refused
  };
  const Case cases[] = {
      {"RLE8 run of 8", 8, {8, 1, 0, 1}, Image(5, 2, {0, 0, 0, 0, 0, kB, kB, kB, kB, kB})},
      {"RLE8 run of 3 after a run of 5", 8, {5, 1, 3, 2, 0, 1},
       Image(5, 2, {0, 0, 0, 0, 0, kB, kB, kB, kB, kB})},
      {"RLE8 literal of 7", 8, {0, 7, 1, 2, 3, 1, 2, 3, 1, 0, 0, 1},
       Image(5, 2, {0, 0, 0, 0, 0, kB, kC, kD, kB, kC})},
      {"RLE8 run past a move", 8, {0, 2, 4, 0, 4, 3, 0, 1},
       Image(5, 2, {0, 0, 0, 0, 0, 0, 0, 0, 0, kD})},
      {"RLE4 run of 8", 4, {8, 0x12, 0, 1}, Image(5, 2, {0, 0, 0, 0, 0, kB, kC, kB, kC, kB})},
      {"RLE8 run of 9", 8, {9, 1, 0, 1}, {}},
      {"RLE8 run of 4 after a run of 5", 8, {5, 1, 4, 2, 0, 1}, {}},
      {"RLE8 literal of 9", 8, {0, 9, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 1}, {}},
      {"RLE8 run of 5 after a move to 4", 8, {0, 2, 4, 0, 5, 3, 0, 1}, {}},
      {"RLE4 run of 9", 4, {9, 0x12, 0, 1}, {}},
      {"RLE8 run of 255", 8, {255, 1, 0, 1}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    BmpFile f;
    f.Width = 5, f.Height = 2, f.BitCount = c.BitCount, f.Compression = c.BitCount == 8 ? 1 : 2;
    f.Palette = {kA, kB, kC, kD};
    f.ColorsUsed = 4;
    f.Pixels = c.Data;
    if (c.Expected.Width() == 0) {
      try {
        DecodeBmp(f.Build(), "overrun.bmp");
        ADD_FAILURE() << "decoded";
      } catch (const PictureError& e) {
        EXPECT_NE(std::string(e.what()).find("overrun.bmp"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("past the end of row"), std::string::npos) << e.what();
      }
      continue;
    }
    Bitmap decoded;
    ASSERT_NO_THROW(decoded = DecodeBmp(f.Build(), "padded.bmp"));
    EXPECT_EQ(decoded, c.Expected);
  }
}

namespace {

Bitmap LoadBmp(const std::string& path) {
  Picture p;
  p.LoadFromFile(path);
  return p.AsBitmap();
}

bool HasImageMagick() { return std::system("command -v convert >/dev/null 2>&1") == 0; }

}  // namespace

// ImageMagick pads every row of odd width with one pixel of a run that goes
// past the row end.
TEST(BmpDecoding, Rle8FilesOfImageMagickDecodeLikeTheirUncompressedTwins) {
  // A 7 x 5 sample it wrote, and the same picture stored uncompressed.
  const std::string data = VANTORA_TEST_DATA;
  const Bitmap rle = LoadBmp(data + "/rle8-odd-width.bmp");
  EXPECT_EQ(rle, LoadBmp(data + "/rle8-odd-width-24bit.bmp"));
  EXPECT_EQ(rle.Pixel(0, 0), Rgb(255, 0, 0));
  EXPECT_EQ(rle.Pixel(1, 1), Rgb(0, 0, 255));
  EXPECT_EQ(rle.Pixel(3, 2), Rgb(0, 255, 0));
  EXPECT_EQ(rle.Pixel(6, 4), Rgb(0, 0, 255));

  // Files written now, of odd and even widths, when ImageMagick is installed.
  if (!HasImageMagick()) {
    std::cout << "ImageMagick's convert is not installed: only the committed sample is checked\n";
    return;
  }
  // One run of convert writes them all (rle-0.bmp, rle-1.bmp, ...).
  TempFolder dir;
  const int widths[] = {1, 8, 31};
  std::vector<Bitmap> pictures;
  std::string command = "convert";
  for (int w : widths) {
    Bitmap picture(w, 4);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < w; ++x)
        picture.SetPixel(x, y, (x + y) % 3 == 0 ? kA : (x * y) % 2 == 0 ? kB : kC);
    command += " '" + dir.Write("in" + std::to_string(w) + ".bmp", EncodeBmp24(picture)) + "'";
    pictures.push_back(std::move(picture));
  }
  command += " -type Palette -compress RLE BMP3:'" + dir.Path("rle-%d.bmp") + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    SCOPED_TRACE("width " + std::to_string(widths[i]));
    const Bitmap& picture = pictures[i];
    std::ifstream file(dir.Path("rle-" + std::to_string(i) + ".bmp"), std::ios::binary);
    const Bytes bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 34u);
    ASSERT_EQ(bytes[30], 1) << "ImageMagick did not write RLE8";
    EXPECT_EQ(DecodeBmp(bytes, "imagemagick.bmp"), picture);
  }
}
