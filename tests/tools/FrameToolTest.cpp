#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "raster/Picture.h"
#include "tests/raster/FormatFiles.h"
#include "tests/support/TempFolder.h"

using namespace vantora;
using test::TempFolder;

namespace {

using Bytes = std::vector<std::uint8_t>;

struct TRun {
  int Status = -1;
  std::string Out;  // standard output
  std::string Err;  // standard error
};

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Bytes ReadBytes(const std::string& path) {
  const std::string s = ReadText(path);
  return Bytes(s.begin(), s.end());
}

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs the tool with the arguments and collects its exit status and output.
TRun RunTool(const TempFolder& dir, const std::vector<std::string>& args) {
  std::string command = Quote(VANTORA_FRAME_TOOL);
  for (const std::string& a : args) command += " " + Quote(a);
  const std::string out = dir.Path("stdout.txt"), err = dir.Path("stderr.txt");
  command += " >" + Quote(out) + " 2>" + Quote(err);
  const int raw = std::system(command.c_str());
  TRun r;
  r.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.Out = ReadText(out);
  r.Err = ReadText(err);
  return r;
}

Bitmap Filled(int w, int h, std::uint32_t salt) {
  Bitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.SetPixel(x, y, ((x * 7 + y * 131) * 2654435761u ^ salt) & 0xFFFFFF);
  return b;
}

std::uint32_t BigEndian32(const Bytes& b, std::size_t at) {
  return std::uint32_t(b[at]) << 24 | std::uint32_t(b[at + 1]) << 16 |
         std::uint32_t(b[at + 2]) << 8 | b[at + 3];
}

}  // namespace

TEST(FrameTool, BadArgumentsGiveOneLineAndTheHintWithStatus2) {
  TempFolder dir;
  const std::string out = dir.Path("f.bmp");
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"--style", "1", "--progress", "50", "--out", out},  // neither pictures nor size
      {"--style", "1", "--progress", "50", "--size", "64x48"},  // no --out
      {"--progress", "50", "--size", "64x48", "--out", out},
      {"--style", "151", "--progress", "50", "--size", "64x48", "--out", out},
      {"--style", "-1", "--progress", "50", "--size", "64x48", "--out", out},
      {"--style", "one", "--progress", "50", "--size", "64x48", "--out", out},
      {"--style", "1", "--progress", "101", "--size", "64x48", "--out", out},
      {"--style", "1", "--progress", "50", "--step", "0", "--size", "64x48", "--out", out},
      {"--style", "1", "--progress", "50", "--seed", "4294967296", "--size", "64x48", "--out", out},
      {"--style", "1", "--progress", "50", "--size", "64", "--out", out},
      {"--style", "1", "--progress", "50", "--size", "0x48", "--out", out},
      {"--style", "1", "--progress", "50", "--size", "100000x100000", "--out", out},
      {"--style", "1", "--progress", "50", "--old", "a.bmp", "--out", out},
      {"--style", "1", "--progress", "50", "--size", "64x48", "--out", out, "--bogus", "1"},
      {"--style", "1", "--progress", "50", "--size", "64x48", "--out"},
      {"--sheet", dir.Path("s.png"), "--styles", "5-2"},
      {"--sheet", dir.Path("s.png"), "--styles", "1,,2"},
      {"--sheet", dir.Path("s.png"), "--styles", "149-151"},
      {"--sheet", dir.Path("s.png"), "--style", "3"},
  };
  for (const auto& args : cases) {
    std::string line;
    for (const auto& a : args) line += a + " ";
    SCOPED_TRACE(line);
    const TRun r = RunTool(dir, args);
    EXPECT_EQ(r.Status, 2);
    // "vantora-frame: <what is wrong>", then the hint, and nothing else.
    EXPECT_EQ(r.Err.rfind("vantora-frame: ", 0), 0u) << r.Err;
    const std::string hint = "\nTry 'vantora-frame --help' for more information.\n";
    ASSERT_GE(r.Err.size(), hint.size()) << r.Err;
    EXPECT_EQ(r.Err.substr(r.Err.size() - hint.size()), hint) << r.Err;
    EXPECT_EQ(r.Err.find('\n'), r.Err.size() - hint.size()) << r.Err;
    EXPECT_EQ(r.Out, "");
    EXPECT_FALSE(std::filesystem::exists(out));
  }
}

TEST(FrameTool, SizeFrameIsABitmapOfThatSizeAndPrintsTheSeed) {
  TempFolder dir;
  const TRun r = RunTool(dir, {"--style", "1", "--progress", "50", "--size", "64x48", "--seed",
                               "77", "--out", dir.Path("f.bmp")});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out, "seed=77\n");  // a wipe draws no random number
  const Bitmap frame = DecodeBmp(ReadBytes(dir.Path("f.bmp")), "f.bmp");
  EXPECT_EQ(frame.Width(), 64);
  EXPECT_EQ(frame.Height(), 48);
  // "Expand from right" at 50 %: the left half still shows the old picture,
  // the right half the new one, and the two built-in pictures differ.
  EXPECT_NE(frame.Pixel(5, 24), frame.Pixel(58, 24));

  const TRun png = RunTool(
      dir, {"--style", "1", "--progress", "50", "--size", "64x48", "--out", dir.Path("f.PNG")});
  ASSERT_EQ(png.Status, 0) << png.Err;
  const Bytes b = ReadBytes(dir.Path("f.PNG"));
  ASSERT_GT(b.size(), 24u);
  EXPECT_EQ(std::string(b.begin() + 1, b.begin() + 4), "PNG");
  EXPECT_EQ(BigEndian32(b, 16), 64u);  // IHDR width and height
  EXPECT_EQ(BigEndian32(b, 20), 48u);
}

TEST(FrameTool, RandomEffectAdvancesTheSeedDeterministically) {
  TempFolder dir;
  const std::vector<std::string> args = {
      "--style", "65",     "--progress", "50",    "--size",
      "80x60",   "--seed", "12345",      "--out", dir.Path("f.bmp")};
  const TRun first = RunTool(dir, args);
  ASSERT_EQ(first.Status, 0) << first.Err;
  ASSERT_EQ(first.Out.rfind("seed=", 0), 0u);
  EXPECT_NE(first.Out, "seed=12345\n");  // the uneven shred drew random numbers
  const Bytes frame = ReadBytes(dir.Path("f.bmp"));
  const TRun second = RunTool(dir, args);
  EXPECT_EQ(second.Out, first.Out);
  EXPECT_EQ(ReadBytes(dir.Path("f.bmp")), frame);
}

TEST(FrameTool, ProgressEndsShowExactlyTheOldAndTheNewPicture) {
  TempFolder dir;
  const Bitmap oldPicture = Filled(40, 30, 0x123456), newPicture = Filled(40, 30, 0xABCDEF);
  const std::string oldFile = dir.Write("old.bmp", EncodeBmp24(oldPicture));
  const std::string newFile = dir.Write("new.BMP", EncodeBmp24(newPicture));
  struct Case {
    int Style, Progress;
    const Bitmap& Expected;
  };
  const Case cases[] = {{1, 100, newPicture}, {65, 100, newPicture}, {128, 100, newPicture},
                        {0, 100, newPicture}, {1, 0, oldPicture},    {65, 0, oldPicture},
                        {0, 50, oldPicture}};
  for (const Case& c : cases) {
    SCOPED_TRACE("style " + std::to_string(c.Style) + " at " + std::to_string(c.Progress));
    const TRun r =
        RunTool(dir, {"--style", std::to_string(c.Style), "--progress", std::to_string(c.Progress),
                      "--old", oldFile, "--new", newFile, "--out", dir.Path("f.bmp")});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(DecodeBmp(ReadBytes(dir.Path("f.bmp")), "f.bmp"), c.Expected);
  }
  // The same pictures as JPEG decode through libjpeg and compose the same way.
  const std::string oldJpeg = dir.Write("old.jpg", EncodeJpeg(oldPicture, 90, false));
  const TRun r = RunTool(dir, {"--style", "1", "--progress", "100", "--old", oldJpeg, "--new",
                               newFile, "--out", dir.Path("f.bmp")});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(DecodeBmp(ReadBytes(dir.Path("f.bmp")), "f.bmp"), newPicture);
}

// PNG and lossless WebP keep their pixels exactly; HEIC and AVIF come
// close; a PNG named ".jpg" is read as the PNG it is.
TEST(FrameTool, PngWebpHeicAndAvifPicturesAreComposedLikeTheOthers) {
  TempFolder dir;
  const Bitmap oldPicture = Filled(40, 30, 0x123456), newPicture = Filled(40, 30, 0xABCDEF);
  const auto oldSamples = testfiles::TRgba16::Of(oldPicture),
             newSamples = testfiles::TRgba16::Of(newPicture);
  const std::string png = dir.Write("old.PNG", testfiles::WritePng(oldSamples));
  const std::string webp = dir.Write("new.webp", testfiles::WriteWebp(newSamples, true));
  const std::string lying = dir.Write("png.jpg", testfiles::WritePng(newSamples));
  auto frame = [&](const std::string& from, const std::string& to, int progress) {
    const TRun r = RunTool(dir, {"--style", "1", "--progress", std::to_string(progress), "--old",
                                 from, "--new", to, "--out", dir.Path("f.bmp")});
    EXPECT_EQ(r.Status, 0) << r.Err;
    return DecodeBmp(ReadBytes(dir.Path("f.bmp")), "f.bmp");
  };
  EXPECT_EQ(frame(png, webp, 0), oldPicture);
  EXPECT_EQ(frame(png, webp, 100), newPicture);
  EXPECT_EQ(frame(png, lying, 100), newPicture);

  // Flat halves, which lossy codings keep within a few levels.
  Bitmap halves(64, 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 64; ++x)
      halves.SetPixel(x, y, x < 32 ? Rgb(200, 40, 40) : Rgb(30, 60, 220));
  const auto samples = testfiles::TRgba16::Of(halves);
  const std::string heic = dir.Write("a.heic", testfiles::WriteHeif(samples, false));
  const std::string avif = dir.Write("b.AVIF", testfiles::WriteHeif(samples, true));
  const Bitmap shown = frame(heic, avif, 100);
  ASSERT_EQ(shown.Width(), 64);
  for (const auto& [x, colour] : {std::pair{16, Rgb(200, 40, 40)}, std::pair{48, Rgb(30, 60, 220)}})
    for (int c : {0, 8, 16})
      EXPECT_NEAR(int(shown.Pixel(x, 16) >> c & 255), int(colour >> c & 255), 6) << x;
}

// With --size, pictures of any size are fitted into it, centred on black,
// as the show fits them to its screen.
TEST(FrameTool, SizeFitsPicturesOfOtherSizes) {
  TempFolder dir;
  Bitmap wide(40, 20), tall(20, 40);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) {
      if (y < 20) wide.SetPixel(x, y, Rgb(255, 0, 0));
      if (x < 20) tall.SetPixel(x, y, Rgb(0, 0, 255));
    }
  const std::string oldFile = dir.Write("wide.bmp", EncodeBmp24(wide));
  const std::string newFile = dir.Write("tall.bmp", EncodeBmp24(tall));
  struct Case {
    int Progress;
    TRect Picture;  // where the fitted picture lies in the 80 x 80 frame
    TPixel Colour;
  };
  const Case cases[] = {{0, {0, 20, 80, 60}, Rgb(255, 0, 0)}, {100, {20, 0, 60, 80}, Rgb(0, 0, 255)}};
  for (const Case& c : cases) {
    SCOPED_TRACE("progress " + std::to_string(c.Progress));
    const TRun r = RunTool(dir, {"--style", "1", "--progress", std::to_string(c.Progress), "--old",
                                 oldFile, "--new", newFile, "--size", "80x80", "--out",
                                 dir.Path("f.bmp")});
    ASSERT_EQ(r.Status, 0) << r.Err;
    const Bitmap frame = DecodeBmp(ReadBytes(dir.Path("f.bmp")), "f.bmp");
    ASSERT_EQ(frame.Width(), 80);
    ASSERT_EQ(frame.Height(), 80);
    for (int y = 0; y < 80; ++y)
      for (int x = 0; x < 80; ++x)
        ASSERT_EQ(frame.Pixel(x, y), c.Picture.Contains(x, y) ? c.Colour : Rgb(0, 0, 0))
            << x << "," << y;
  }
}

TEST(FrameTool, UnreadablePicturesGiveStatus1WithTheError) {
  TempFolder dir;
  const std::string small = dir.Write("small.bmp", EncodeBmp24(Filled(10, 10, 1)));
  const std::string large = dir.Write("large.bmp", EncodeBmp24(Filled(12, 10, 2)));
  const std::string broken = dir.Write("broken.jpg", {0xFF, 0xD8, 0xFF, 0xE0, 0, 16});
  const std::string missing = dir.Path("missing.jpg");
  struct Case {
    std::string Old, New, Expected;
  };
  const Case cases[] = {{small, large, "differ in size"},
                        {missing, small, missing},
                        {small, broken, broken},
                        {small, dir.Path("picture.gif"), "Unknown picture file extension"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Expected);
    const TRun r = RunTool(dir, {"--style", "1", "--progress", "50", "--old", c.Old, "--new", c.New,
                                 "--out", dir.Path("f.bmp")});
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find(c.Expected), std::string::npos) << r.Err;
    EXPECT_FALSE(std::filesystem::exists(dir.Path("f.bmp")));
  }
  const TRun unwritable = RunTool(dir, {"--style", "1", "--progress", "50", "--size", "8x8",
                                        "--out", dir.Path("no/such/folder/f.bmp")});
  EXPECT_EQ(unwritable.Status, 1);
}

TEST(FrameTool, ContactSheetHasOneRowPerStyle) {
  TempFolder dir;
  auto sheetHeight = [&](const std::string& styles) -> std::uint32_t {
    const TRun r = RunTool(dir, {"--sheet", dir.Path("s.png"), "--styles", styles});
    EXPECT_EQ(r.Status, 0) << r.Err;
    const Bytes b = ReadBytes(dir.Path("s.png"));
    if (b.size() < 24 || std::string(b.begin() + 1, b.begin() + 4) != "PNG") {
      ADD_FAILURE() << "no PNG written for " << styles;
      return 0;
    }
    return BigEndian32(b, 20);
  };
  const std::uint32_t one = sheetHeight("7"), three = sheetHeight("1-2,150");
  const std::uint32_t five = sheetHeight("60-62,118,149");
  EXPECT_GT(one, 120u);  // at least one frame high
  EXPECT_EQ(three - one, five - three);  // every row the same height
  EXPECT_GT(three, one);
}
