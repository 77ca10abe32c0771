// Writes the fuzzers' starting corpora: one folder each of BMP files, JPEG
// files (with and without EXIF orientation, in every coding), PNG, WebP and
// HEIF files (their codings, transparency, animation, orientation) and
// settings files, made by the same generators as the picture tests.
//
//   fuzz_seeds FOLDER   ->  FOLDER/bmp, FOLDER/jpeg, FOLDER/png, FOLDER/webp,
//                           FOLDER/heif, FOLDER/ini

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "raster/Picture.h"
#include "tests/raster/FormatFiles.h"
#include "tests/raster/PictureFiles.h"

using namespace vantora;
using namespace vantora::testfiles;

namespace {

void Write(const std::filesystem::path& folder, const std::string& name, const Bytes& bytes) {
  std::filesystem::create_directories(folder);
  std::ofstream(folder / name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

void WriteBmps(const std::filesystem::path& folder) {
  const Bitmap picture = Grainy(13, 7);
  Write(folder, "24bit.bmp", EncodeBmp24(picture));
  for (int bits : {1, 4, 8}) {
    BmpFile f;
    f.Width = 13, f.Height = -7, f.BitCount = bits;
    for (int i = 0; i < (1 << bits); ++i) f.Palette.push_back(Rgb(i * 16, 255 - i, i));
    for (int y = 0; y < 7; ++y) {
      Bytes row((13 * bits + 31) / 32 * 4, std::uint8_t(0x5A + y));
      f.Pixels.insert(f.Pixels.end(), row.begin(), row.end());
    }
    Write(folder, std::to_string(bits) + "bit.bmp", f.Build());
  }
  BmpFile fields;
  fields.Width = 3, fields.Height = 2, fields.BitCount = 16, fields.Compression = 3;
  fields.Masks = {0xF800, 0x07E0, 0x001F};
  fields.Pixels = Rows({{0xE0, 0x07, 0xFF, 0xFF, 0x1F, 0}, {0, 0xF8, 0, 0, 1, 2}});
  Write(folder, "bitfields.bmp", fields.Build());
  BmpFile rle8;
  rle8.Width = 7, rle8.Height = 3, rle8.BitCount = 8, rle8.Compression = 1;
  rle8.Palette = {0, Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(0, 0, 255)};
  rle8.ColorsUsed = 4;
  rle8.Pixels = {8, 1, 0, 0, 0, 3, 2, 3, 2, 0, 2, 1, 1, 0, 0, 2, 2, 1, 3, 3, 0, 1};
  Write(folder, "rle8.bmp", rle8.Build());
  BmpFile rle4 = rle8;
  rle4.BitCount = 4, rle4.Compression = 2;
  rle4.Pixels = {7, 0x12, 0, 0, 0, 5, 0x12, 0x30, 0x10, 0, 0, 2, 2, 0, 0, 1};
  Write(folder, "rle4.bmp", rle4.Build());
  for (const THostileFile& f : HostileFiles())
    if (f.Data[0] == 'B')
      Write(folder, "hostile-" + std::to_string(f.Data.size()) + ".bmp", f.Data);
}

void WriteJpegs(const std::filesystem::path& folder) {
  const Bitmap picture = Grainy(24, 16);
  const struct {
    const char* Name;
    TJpegOptions Options;
  } codings[] = {
      {"baseline", {.Quality = 50}},
      {"progressive", {.Quality = 50, .Progressive = true}},
      {"arithmetic", {.Quality = 50, .Arithmetic = true}},
      {"arithmetic-progressive", {.Quality = 50, .Progressive = true, .Arithmetic = true}},
      {"grey", {.Quality = 50, .Grey = true}},
      {"444", {.Quality = 50, .FullChroma = true}},
  };
  for (const auto& c : codings)
    Write(folder, std::string(c.Name) + ".jpg", WriteJpeg(picture, c.Options));
  const Bytes baseline = WriteJpeg(picture, {.Quality = 50});
  for (int o = 1; o <= 8; ++o)
    Write(folder, "exif-" + std::to_string(o) + ".jpg",
          WithSegment(baseline, ExifSegment(o, o % 2 == 0)));
  const Bytes exif = ExifSegment(6);
  Write(folder, "exif-payload.bin", Bytes(exif.begin() + 4, exif.end()));
  for (const THostileFile& f : HostileFiles())
    if (f.Data[0] != 'B')
      Write(folder, "hostile-" + std::to_string(f.Data.size()) + ".jpg", f.Data);
}

void WriteNewFormats(const std::filesystem::path& root) {
  const TRgba16 picture = TRgba16::Of(Grainy(24, 16));
  TRgba16 seeThrough = picture;
  for (std::size_t i = 0; i < seeThrough.Samples.size(); ++i)
    seeThrough.Samples[i][3] = std::uint16_t(i * 997);
  const struct {
    const char* Name;
    TPngOptions Options;
  } pngs[] = {
      {"grey1", {.ColorType = PNG_COLOR_TYPE_GRAY, .BitDepth = 1}},
      {"grey16-alpha", {.ColorType = PNG_COLOR_TYPE_GA, .BitDepth = 16}},
      {"rgb", {}},
      {"rgba16-interlaced", {.ColorType = PNG_COLOR_TYPE_RGBA, .BitDepth = 16, .Interlaced = true}},
      {"exif6", {.Orientation = 6}},
      {"exif8-after", {.Orientation = 8, .ExifAfterPixels = true}},
  };
  for (const auto& p : pngs) Write(root / "png", std::string(p.Name) + ".png", WritePng(seeThrough, p.Options));
  TPngOptions palette{.ColorType = PNG_COLOR_TYPE_PALETTE, .BitDepth = 4};
  for (int i = 0; i < 16; ++i) {
    palette.Palette.push_back({std::uint8_t(16 * i), std::uint8_t(255 - 16 * i), std::uint8_t(i)});
    palette.PaletteAlpha.push_back(std::uint8_t(255 - 8 * i));
  }
  Write(root / "png", "palette4-trns.png", WritePng(picture, palette));

  Write(root / "webp", "lossy.webp", WriteWebp(picture, false, 50));
  Write(root / "webp", "lossless-alpha.webp", WriteWebp(seeThrough, true));
  Write(root / "webp", "animated.webp", WriteWebpAnimation({picture, seeThrough}));
  Write(root / "webp", "exif6.webp", WithWebpExif(WriteWebp(picture, false, 50), TiffOrientation(6)));

  Write(root / "heif", "photo.heic", WriteHeif(picture, false, 50));
  Write(root / "heif", "turned6.heic", WriteHeif(picture, false, 50, 6));
  Write(root / "heif", "alpha.heic", WriteHeif(seeThrough, false, 50, 1, true));
  Write(root / "heif", "photo.avif", WriteHeif(picture, true, 50));
  Write(root / "heif", "alpha.avif", WriteHeif(seeThrough, true, 50, 3, true));
}

void WriteInis(const std::filesystem::path& folder) {
  Write(folder, "defaults.ini",
        Text("[sys]\r\n1=0\r\n2=0\r\n3=15000\r\n4=0\r\n5=0\r\n6=8\r\n7=0\r\ndir=\r\n"
             "[song]\r\nplay=no\r\n"));
  Write(folder, "playlist.ini",
        Text("\xEF\xBB\xBF; comment\n[song]\nplay = yes\ncyc=1\nhow=3\nsong0=\"/music/a.mp3\"\n"
             "song2=/music/b.wav\n[sys]\ndir=/home/user/Pictures\n3=0x3A98\n"));
  Write(folder, "odd.ini", Text("[sys\nkey\n=value\n[]\n[sys]\n1=$10\n1=2\r"));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds FOLDER\n");
    return 2;
  }
  const std::filesystem::path root = argv[1];
  WriteBmps(root / "bmp");
  WriteJpegs(root / "jpeg");
  WriteNewFormats(root);
  WriteInis(root / "ini");
  return 0;
}
