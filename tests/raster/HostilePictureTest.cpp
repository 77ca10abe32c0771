#include <gtest/gtest.h>

#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "raster/Picture.h"
#include <zlib.h>

#include <algorithm>
#include <atomic>

#include "tests/raster/FormatFiles.h"
#include "tests/raster/PictureTestKit.h"
#include "tests/support/Child.h"

using namespace vantora;
using namespace vantora::testfiles;

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
  rle("RLE lines past the picture", {0, 0, 0, 0, 0, 0, 1, 1, 0, 1}, "past the end of the picture");
  rle("RLE move past the picture", {0, 2, 0, 4, 0, 1}, "move past the picture");
  rle("RLE move past the row", {0, 2, 5, 0, 0, 1}, "move past the picture");
  rle("RLE palette index", {2, 9, 0, 1}, "palette index 9");
  rle("RLE without end", {4, 1, 0, 0}, "truncated");
  {
    // Every run 255 pixels long on a row of 10, as a hostile file has it.
    BmpFile f = Rle8();
    f.Width = 10;
    f.Height = 4;
    f.Pixels.clear();
    for (int i = 0; i < 4; ++i) f.Pixels.insert(f.Pixels.end(), {255, 1, 255, 2, 0, 0});
    f.Pixels.insert(f.Pixels.end(), {0, 1});
    cases.push_back({"RLE8 runs of 255 on a row of 10", f.Build(), "past the end of row 0"});
    f.BitCount = 4;
    f.Compression = 2;
    cases.push_back({"RLE4 runs of 255 on a row of 10", f.Build(), "past the end of row 0"});
  }
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

namespace {

long StatusKilobytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
  return -1;
}

// How far the resident memory of a process rises while it runs f, in bytes.
// f runs in a child process, whose peak starts at what it shares with this
// one, so earlier tests do not count.
std::int64_t PeakGrowth(const std::function<void()>& f) {
  int fds[2];
  if (::pipe(fds) != 0) return -1;
  const int status = test::InChild([&] {
    ::close(fds[0]);
    // Large blocks must come fresh from the system, not from memory that
    // earlier tests freed and that is still resident.
    ::mallopt(M_MMAP_THRESHOLD, 256 << 10);
    ::malloc_trim(0);
    // Giving memory back raises the peak to where the memory stood before;
    // the peak starts again from what is resident now.
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = StatusKilobytes("VmRSS:");
    try {
      f();
    } catch (...) {
    }
    const std::int64_t growth = std::int64_t(StatusKilobytes("VmHWM:") - before) * 1024;
    return ::write(fds[1], &growth, sizeof growth) == sizeof growth ? 0 : 1;
  });
  ::close(fds[1]);
  std::int64_t growth = -1;
  if (status != 0 || ::read(fds[0], &growth, sizeof growth) != sizeof growth) growth = -1;
  ::close(fds[0]);
  return growth;
}

constexpr std::int64_t kMegabyte = 1 << 20;

void Decode(const Bytes& data, const std::string& name, const TDecodeLimits& limits = {}) {
  if (data[0] == 'B')
    DecodeBmp(data, name, limits);
  else
    DecodeJpeg(data, name, TJpegScale::Full, limits);
}

}  // namespace

// Files under 1 KB claiming 12000 x 12000: refused before the pixels are
// allocated, so a decode of one stays far below 256 MB.
TEST(HostilePictures, SmallFilesClaimingHugePicturesAreRefusedBeforeAllocating) {
  for (const THostileFile& file : HostileFiles()) {
    SCOPED_TRACE(file.Name);
    EXPECT_LT(file.Data.size(), 1024u);
    const std::string error = ErrorOf([&] { Decode(file.Data, "hostile"); });
    EXPECT_NE(error, "") << "decoded without error";
    EXPECT_TRUE(error.find("too short") != std::string::npos ||
                error.find("truncated") != std::string::npos)
        << error;
    const std::int64_t growth = PeakGrowth([&] { Decode(file.Data, "hostile"); });
    ASSERT_GE(growth, 0);
    EXPECT_LT(growth, 256 * kMegabyte);
  }
}

// A progressive file is read whole before its rows come out; one cut short
// fails there, before its bitmap is allocated (16 MB here), and leaves only
// libjpeg's coefficient buffer (8 MB) to be freed.
TEST(HostilePictures, CutProgressiveFilesFailBeforeTheirBitmapIsAllocated) {
  Bytes cut = WriteJpeg(Grainy(2048, 2048), {.Progressive = true, .Grey = true});
  cut.resize(cut.size() * 3 / 4);
  EXPECT_NE(ErrorOf([&] { DecodeJpeg(cut, "cut.jpg"); }), "");
  const std::int64_t growth = PeakGrowth([&] { DecodeJpeg(cut, "cut.jpg"); });
  ASSERT_GE(growth, 0);
  EXPECT_LT(growth, 16 * kMegabyte);
}

TEST(HostilePictures, ADecodeStaysWithinItsMemoryAndTime) {
  const Bitmap picture = Smooth(2048, 2048);
  const Bytes baseline = EncodeJpeg(picture, 80, false);
  const Bytes progressive =
      WriteJpeg(picture, {.Quality = 80, .Progressive = true, .FullChroma = true});
  const Bytes bmp = EncodeBmp24(picture);

  // The pixels alone (16 MB) are more than 8 MB allow.
  const TDecodeLimits tight{.MaxBytes = 8 * kMegabyte};
  for (const Bytes* data : {&baseline, &progressive, &bmp}) {
    const std::string error = ErrorOf([&] { Decode(*data, "tight", tight); });
    EXPECT_NE(error.find("tight: a picture of 2048 x 2048 needs more than the 8 MB"),
              std::string::npos)
        << error;
  }
  // 40 MB hold the pixels and libjpeg's row buffers, but not the 24 MB of
  // coefficients a 4:4:4 progressive file needs besides.
  const TDecodeLimits room{.MaxBytes = 40 * kMegabyte};
  EXPECT_EQ(ErrorOf([&] { Decode(baseline, "room", room); }), "");
  EXPECT_EQ(ErrorOf([&] { Decode(bmp, "room", room); }), "");
  EXPECT_NE(ErrorOf([&] { Decode(progressive, "room", room); }).find("needs more than the 40 MB"),
            std::string::npos);

  // A decode past its time is stopped as libjpeg works through the rows.
  const TDecodeLimits instant{.MaxTime = std::chrono::milliseconds(0)};
  for (const Bytes* data : {&baseline, &progressive})
    EXPECT_NE(ErrorOf([&] { Decode(*data, "slow", instant); }).find("slow: decoding took too long"),
              std::string::npos);
}

// APP1 segments are read one at a time for the orientation and not kept: a
// file made mostly of them (here 200 of 64 KB, 13 MB) costs no copy of them.
TEST(HostilePictures, SegmentsAreNotKeptWhileThePictureDecodes) {
  Bytes segments;
  for (int i = 0; i < 200; ++i) {
    segments.insert(segments.end(), {0xFF, 0xE1, 0xFF, 0xFF});
    segments.resize(segments.size() + 0xFFFD, 'x');
  }
  const Bytes exif = ExifSegment(6);  // behind them all, and still read
  segments.insert(segments.end(), exif.begin(), exif.end());
  const Bytes jpeg = WithSegment(WriteJpeg(Grainy(16, 8)), segments);
  const Bitmap decoded = DecodeJpeg(jpeg, "segments.jpg");
  EXPECT_EQ(decoded.Width(), 8);
  const std::int64_t growth = PeakGrowth([&] { DecodeJpeg(jpeg, "segments.jpg"); });
  ASSERT_GE(growth, 0);
  EXPECT_LT(growth, 4 * kMegabyte);
}

// ---------------------------------------------------------------------------
// PNG, WebP and HEIF

namespace {

struct TFormatFile {
  const char* Name;
  Bytes Data;
};

// One valid file of each coding, 40 x 32 (a HEIF coded in one 64 x 64 block).
std::vector<TFormatFile> FormatFiles() {
  const TRgba16 picture = TRgba16::Of(Grainy(40, 32));
  TRgba16 seeThrough = picture;
  for (std::size_t i = 0; i < seeThrough.Samples.size(); ++i)
    seeThrough.Samples[i][3] = std::uint16_t(i * 997);
  return {
      {"PNG", WritePng(picture)},
      {"PNG, 16-bit, alpha, interlaced",
       WritePng(seeThrough, {.ColorType = PNG_COLOR_TYPE_RGBA, .BitDepth = 16, .Interlaced = true})},
      {"WebP, lossy", WriteWebp(picture, false)},
      {"WebP, lossless, alpha", WriteWebp(seeThrough, true)},
      {"WebP, animated", WriteWebpAnimation({picture, seeThrough})},
      {"WebP, EXIF", WithWebpExif(WriteWebp(picture, false), TiffOrientation(6))},
      {"HEIC", WriteHeif(picture, false)},
      {"AVIF", WriteHeif(picture, true)},
  };
}

// Decodes through the format's own decoder, chosen by its name (so a damaged
// signature still reaches it).
Bitmap DecodeAs(const char* format, std::span<const std::uint8_t> data, const std::string& name,
                const TDecodeLimits& limits = {}) {
  if (format[0] == 'P') return DecodePng(data, name, limits);
  if (format[0] == 'W') return DecodeWebp(data, name, limits);
  return DecodeHeif(data, name, limits);
}

std::size_t Find(const Bytes& data, const char* tag) {
  const auto at = std::search(data.begin(), data.end(), tag, tag + std::strlen(tag));
  EXPECT_NE(at, data.end()) << tag;
  return std::size_t(at - data.begin());
}

void PutBigEndian(Bytes& data, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) data[at + std::size_t(i)] = std::uint8_t(v >> (24 - 8 * i));
}

// A PNG whose header claims width x height (its CRC made good again, so
// libpng reads on).
Bytes PngClaiming(Bytes png, std::uint32_t width, std::uint32_t height) {
  const std::size_t ihdr = Find(png, "IHDR");
  PutBigEndian(png, ihdr + 4, width);
  PutBigEndian(png, ihdr + 8, height);
  PutBigEndian(png, ihdr + 17, std::uint32_t(crc32(0, png.data() + ihdr, 17)));
  return png;
}

// A lossless WebP whose VP8L header claims width x height (14 bits each).
Bytes WebpClaiming(Bytes webp, std::uint32_t width, std::uint32_t height) {
  const std::size_t vp8l = Find(webp, "VP8L") + 8;  // tag, size, then the 0x2F signature
  const std::uint32_t bits = (width - 1) | (height - 1) << 14 | std::uint32_t(webp[vp8l + 4] & 0xF0) << 24;
  for (int i = 0; i < 4; ++i) webp[vp8l + 1 + std::size_t(i)] = std::uint8_t(bits >> (8 * i));
  return webp;
}

// A HEIF whose 'ispe' boxes (of the picture, and of its coded tile when
// libheif wrote it as a grid) all claim width x height.
Bytes HeifClaiming(Bytes heif, std::uint32_t width, std::uint32_t height) {
  const char* tag = "ispe";
  for (auto at = heif.begin(); (at = std::search(at, heif.end(), tag, tag + 4)) != heif.end();) {
    const std::size_t ispe = std::size_t(at - heif.begin()) + 8;  // tag, version and flags
    PutBigEndian(heif, ispe, width);
    PutBigEndian(heif, ispe + 4, height);
    at = heif.begin() + std::ptrdiff_t(ispe);
  }
  return heif;
}

}  // namespace

// Every cut of a valid file is an error, never a picture made of what
// happened to be there, and never a crash.
TEST(HostilePictures, CutFilesOfTheNewFormatsAreAnError) {
  for (const TFormatFile& f : FormatFiles()) {
    SCOPED_TRACE(f.Name);
    EXPECT_EQ(ErrorOf([&] { DecodeAs(f.Name, f.Data, "whole"); }), "");
    const std::size_t step = std::max<std::size_t>(1, f.Data.size() / 300);
    for (std::size_t n = 0; n < f.Data.size(); n += step) {
      const std::string error = ErrorOf([&] { DecodeAs(f.Name, {f.Data.data(), n}, "cut"); });
      ASSERT_NE(error, "") << "cut at " << n << " of " << f.Data.size() << " decoded";
      ASSERT_EQ(error.rfind("cut: ", 0), 0u) << error;
    }
    // The same through the loader that tells the format by content.
    EXPECT_NE(ErrorOf([&] { Picture().LoadFromMemory({f.Data.data(), f.Data.size() - 1}, "cut"); }),
              "");
  }
}

// Bytes changed at random places: an error or a picture within the limits,
// never a crash or a read out of bounds (the asan stage runs this).
TEST(HostilePictures, CorruptedBytesOfTheNewFormatsNeverCrash) {
  std::uint32_t seed = 11;
  auto next = [&] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
  for (const TFormatFile& f : FormatFiles()) {
    SCOPED_TRACE(f.Name);
    int failures = 0;
    for (int round = 0; round < 60; ++round) {
      Bytes data = f.Data;
      for (int k = 0; k < 1 + round % 4; ++k) data[8 + next() % (data.size() - 8)] = next() & 255;
      try {
        Picture p;
        p.LoadFromMemory(data, "corrupt");
        EXPECT_LE(std::int64_t(p.Width()) * p.Height(), kMaxPixels);
      } catch (const PictureError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("corrupt: ", 0), 0u) << e.what();
        ++failures;
      }
    }
    EXPECT_GT(failures, 0);
  }
  // A PNG whose pixel data fails its checksum is refused.
  Bytes png = WritePng(TRgba16::Of(Grainy(16, 16)));
  png[Find(png, "IDAT") + 10] ^= 0x55;
  EXPECT_NE(ErrorOf([&] { DecodePng(png, "crc.png"); }).find("crc.png: "), std::string::npos);
}

TEST(HostilePictures, AbsurdSizesOfTheNewFormatsAreRefusedBeforeAllocating) {
  const TRgba16 small = TRgba16::Of(Grainy(16, 16));
  const Bytes png = WritePng(small), webp = WriteWebp(small, true), heic = WriteHeif(small, false);
  struct Case {
    const char* Name;
    Bytes Data;
    const char* Expected;
  };
  const Case cases[] = {
      {"PNG claiming 100000 x 100000", PngClaiming(png, 100000, 100000), "too large"},
      {"PNG claiming 2^31 - 1 x 1", PngClaiming(png, 0x7FFFFFFF, 1), ""},
      {"PNG claiming 0 x 16", PngClaiming(png, 0, 16), ""},
      {"PNG claiming 16000 x 16000", PngClaiming(png, 16000, 16000), "too short"},
      {"WebP claiming 16383 x 16383", WebpClaiming(webp, 16383, 16383), "too short"},
      {"HEIC claiming 60000 x 60000", HeifClaiming(heic, 60000, 60000), "too large"},
      {"HEIC claiming 16000 x 16000", HeifClaiming(heic, 16000, 16000), "too short"},
      {"HEIC claiming 0 x 0", HeifClaiming(heic, 0, 0), ""},
      {"HEIC claiming 100000 x 16", HeifClaiming(heic, 100000, 16), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_LT(c.Data.size(), 4096u);
    const std::string error = ErrorOf([&] { Picture().LoadFromMemory(c.Data, "huge"); });
    EXPECT_EQ(error.rfind("huge: ", 0), 0u) << error;
    EXPECT_NE(error.find(c.Expected), std::string::npos) << error;
    const std::int64_t growth = PeakGrowth([&] { Picture().LoadFromMemory(c.Data, "huge"); });
    ASSERT_GE(growth, 0);
    EXPECT_LT(growth, 64 * kMegabyte);
  }
}

TEST(HostilePictures, DecodesOfTheNewFormatsKeepTheirLimits) {
  const TRgba16 big = TRgba16::Of(Smooth(1024, 1024));
  const TFormatFile files[] = {{"PNG", WritePng(big)},
                               {"WebP", WriteWebp(big, false, 80)},
                               {"HEIC", WriteHeif(big, false, 50)}};
  // The 4 MB pixels alone are more than 2 MB allow.
  const TDecodeLimits tight{.MaxBytes = 2 * kMegabyte};
  std::atomic<bool> cancelled{true};
  const TDecodeLimits cancel{.Cancel = &cancelled};
  const TDecodeLimits instant{.MaxTime = std::chrono::milliseconds(-1)};
  for (const TFormatFile& f : files) {
    SCOPED_TRACE(f.Name);
    EXPECT_NE(ErrorOf([&] { DecodeAs(f.Name, f.Data, "tight", tight); })
                  .find("tight: a picture of 1024 x 1024 needs more than the 2 MB"),
              std::string::npos);
    EXPECT_EQ(ErrorOf([&] { DecodeAs(f.Name, f.Data, "cancel", cancel); }),
              "cancel: decoding was cancelled");
    if (f.Name[0] != 'H') {  // libheif's one call is not timed
      EXPECT_EQ(ErrorOf([&] { DecodeAs(f.Name, f.Data, "slow", instant); }),
                "slow: decoding took too long");
    }
    EXPECT_EQ(ErrorOf([&] { DecodeAs(f.Name, f.Data, "room"); }), "");
  }
  for (const char* format : {"PNG", "WebP", "HEIC"})
    EXPECT_EQ(ErrorOf([&] { DecodeAs(format, {}, "empty"); }), "empty: empty file");
}

// ---------------------------------------------------------------------------
// Files read within the limits of their decode

namespace {

// Bytes this process has read from files so far.
std::int64_t BytesRead() {
  std::ifstream io("/proc/self/io");
  std::string key;
  std::int64_t value = 0;
  while (io >> key >> value)
    if (key == "rchar:") return value;
  return -1;
}

// A sparse file of size bytes that starts with head; it takes no disk.
std::string SparseFile(const TempFolder& folder, const std::string& name,
                       const Bytes& head, std::int64_t size) {
  const std::string path = folder.Write(name, head);
  if (::truncate(path.c_str(), size) != 0) return {};
  return path;
}

}  // namespace

// A 256 MB file is refused from its size, its first bytes or a cancel, each
// before the rest of it is read.
TEST(HostilePictures, AFileTheDecodeCannotTakeIsRefusedUnread) {
  constexpr std::int64_t kSize = 256 * kMegabyte;
  const TempFolder folder;
  const std::string looksJpeg = SparseFile(folder, "big.jpg", {0xFF, 0xD8, 0xFF, 0xE0}, kSize);
  const std::string zeros = SparseFile(folder, "zeros.jpg", {0, 0, 0, 0}, kSize);
  const std::string zerosBmp = SparseFile(folder, "zeros.bmp", {0, 0, 0, 0}, kSize);
  ASSERT_FALSE(looksJpeg.empty() || zeros.empty() || zerosBmp.empty());
  const std::atomic<bool> cancelled{true};
  struct Case {
    const std::string& Path;
    TDecodeLimits Limits;
    const char* Expected;
  };
  const Case cases[] = {
      {looksJpeg, {.MaxBytes = 8 * kMegabyte}, "file too large (268435456 bytes)"},
      {zeros, {}, "Not a JPEG file"},
      {zerosBmp, {}, "not a bitmap file"},
      {looksJpeg, {.Cancel = &cancelled}, "decoding was cancelled"},
  };
  for (const Case& c : cases) {
    const std::int64_t before = BytesRead();
    Picture picture;
    const std::string error =
        ErrorOf([&] { picture.LoadFromFile(c.Path, TWantedSize(), c.Limits); });
    EXPECT_NE(error.find(c.Expected), std::string::npos) << error;
    EXPECT_LT(BytesRead() - before, kMegabyte) << c.Path;
  }
}
