#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "raster/Picture.h"
#include "tests/raster/PictureTestKit.h"

using namespace vantora;
using namespace vantora::testfiles;

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

  // An extension that names no picture is refused; a failed load keeps the
  // old picture. (Where a picture extension lies, the content decides:
  // PictureFormats.TheContentDecidesWhereTheExtensionLies.)
  const std::string fake = dir.Write("bitmap.jpg", {'B', 'M', 1, 2, 3});
  EXPECT_NE(ErrorOf([&] { half.LoadFromFile(fake); }).find("bitmap.jpg"), std::string::npos);
  EXPECT_EQ(half.Width(), 10);
  const std::string other = dir.Write("picture.tif", EncodeBmp24(b));
  EXPECT_NE(
      ErrorOf([&] { half.LoadFromFile(other); }).find("Unknown picture file extension (.tif)"),
      std::string::npos);
  EXPECT_EQ(half.Width(), 10);
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

TEST(PictureFiles, LoadingForASizeDecodesAtTheScaleThatCoversIt) {
  TempFolder dir;
  const std::string jpg = dir.Write("photo.jpg", EncodeJpeg(Smooth(400, 300), 90, false));
  const std::string bmp = dir.Write("picture.bmp", EncodeBmp24(Smooth(400, 300)));
  struct Case {
    const char* Name;
    TWantedSize Wanted;
    int Width;  // of the decoded JPEG
  };
  const Case cases[] = {
      {"a quarter covers 100 x 75",
       [](TPictureSize) {
         return TPictureSize{100, 75};
       },
       100},
      {"a quarter is one short of 101 x 75",
       [](TPictureSize) {
         return TPictureSize{101, 75};
       },
       200},
      {"larger than the picture",
       [](TPictureSize) {
         return TPictureSize{800, 600};
       },
       400},
      {"no size", [](TPictureSize) { return TPictureSize{}; }, 400},
      {"no function", nullptr, 400},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Picture p;
    EXPECT_EQ(p.LoadFromFile(jpg, c.Wanted), (TPictureSize{400, 300}));
    EXPECT_EQ(p.Width(), c.Width);
    EXPECT_EQ(p.LoadFromFile(bmp, c.Wanted), (TPictureSize{400, 300}));
    EXPECT_EQ(p.Width(), 400);  // bitmaps load whole
  }
}

// A named pipe would block a plain open until something writes to it.
TEST(PictureFiles, NamedPipesAndFoldersAreRefusedWithoutWaiting) {
  TempFolder dir;
  const std::vector<std::string> paths = {dir.Path("pipe.jpg"), dir.Path("pipe.bmp"),
                                          dir.Path("folder.jpg")};
  ASSERT_EQ(::mkfifo(paths[0].c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo(paths[1].c_str(), 0600), 0);
  std::filesystem::create_directory(paths[2]);
  const std::function<void(const std::string&)> loads[] = {
      [](const std::string& path) { Picture().LoadFromFile(path); },
      [](const std::string& path) { Picture().LoadFromFile(path, TWantedSize()); },
      [](const std::string& path) { ReadJpegSize(path); },
  };
  for (const std::string& path : paths)
    for (const auto& load : loads) {
      SCOPED_TRACE(path);
      auto error = std::async(std::launch::async, [&] { return ErrorOf([&] { load(path); }); });
      if (error.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
        ADD_FAILURE() << "the load waits on the pipe";
        // A writer lets the blocked open return, so the test can end.
        const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) ::close(fd);
      }
      EXPECT_NE(error.get().find(path + ": not a regular file"), std::string::npos);
    }
}
