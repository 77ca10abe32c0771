#pragma once
// Picture files for the decoder tests and the fuzzers' seeds, written byte by
// byte or through libjpeg at run time, so that every variant and every kind
// of damage is made by a few lines of code instead of kept as a binary file.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "raster/Bitmap.h"

namespace vantora::testfiles {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& v, std::size_t at, std::uint32_t x) {
  v[at] = std::uint8_t(x);
  v[at + 1] = std::uint8_t(x >> 8);
}
inline void Put32(Bytes& v, std::size_t at, std::uint32_t x) {
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
inline Bytes Rows(std::initializer_list<Bytes> rows) {
  Bytes out;
  for (const Bytes& r : rows) {
    out.insert(out.end(), r.begin(), r.end());
    out.resize((out.size() + 3) & ~std::size_t(3), 0);
  }
  return out;
}

// How WriteJpeg codes a picture.
struct TJpegOptions {
  int Quality = 90;
  bool Progressive = false;
  bool Arithmetic = false;  // arithmetic instead of Huffman coding
  bool FullChroma = false;  // 4:4:4 instead of libjpeg's default 4:2:0
  bool Grey = false;  // one component
};

// A JPEG written with libjpeg directly, from rows of `components` samples a
// pixel in the colour space `in`; configure sets the coding after libjpeg's
// defaults. Error handling is libjpeg's default: a failure ends the test.
inline Bytes CompressJpeg(int width, int height, J_COLOR_SPACE in, int components,
                          const std::function<void(jpeg_compress_struct&)>& configure,
                          const std::function<const JSAMPLE*(int y)>& row) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &buffer, &size);
  c.image_width = JDIMENSION(width);
  c.image_height = JDIMENSION(height);
  c.input_components = components;
  c.in_color_space = in;
  jpeg_set_defaults(&c);
  configure(c);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW samples = const_cast<JSAMPLE*>(row(int(c.next_scanline)));
    jpeg_write_scanlines(&c, &samples, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

// A picture written in the codings our encoder does not produce.
inline Bytes WriteJpeg(const Bitmap& picture, const TJpegOptions& o = {}) {
  return CompressJpeg(
      picture.Width(), picture.Height(), JCS_EXT_BGRX, 4,
      [&](jpeg_compress_struct& c) {
        jpeg_set_quality(&c, o.Quality, TRUE);
        c.arith_code = o.Arithmetic ? TRUE : FALSE;
        if (o.Grey) jpeg_set_colorspace(&c, JCS_GRAYSCALE);
        if (o.FullChroma) c.comp_info[0].h_samp_factor = c.comp_info[0].v_samp_factor = 1;
        if (o.Progressive) jpeg_simple_progression(&c);  // scans for the colour space set above
      },
      [&](int y) { return reinterpret_cast<const JSAMPLE*>(picture.ScanLine(y)); });
}

// An APP1 segment (marker included) holding EXIF data whose first IFD has
// the orientation tag (0x0112, one SHORT) with the given value, behind a
// second tag so the reader must walk the entries. Little-endian ("II") or
// big-endian ("MM") byte order.
inline Bytes ExifSegment(int orientation, bool bigEndian = false) {
  Bytes tiff;
  auto u16 = [&](std::uint32_t v) {
    if (bigEndian) {
      tiff.push_back(std::uint8_t(v >> 8));
      tiff.push_back(std::uint8_t(v));
    } else {
      tiff.push_back(std::uint8_t(v));
      tiff.push_back(std::uint8_t(v >> 8));
    }
  };
  auto u32 = [&](std::uint32_t v) {
    if (bigEndian) {
      u16(v >> 16);
      u16(v & 0xFFFF);
    } else {
      u16(v & 0xFFFF);
      u16(v >> 16);
    }
  };
  tiff.push_back(bigEndian ? 'M' : 'I');
  tiff.push_back(bigEndian ? 'M' : 'I');
  u16(42);
  u32(8);  // the first IFD follows the 8-byte header
  u16(2);  // two entries
  u16(0x0110), u16(2), u32(4), u32(0x00414243);  // camera model "CBA", ASCII in place
  u16(0x0112), u16(3), u32(1), u16(std::uint32_t(orientation)), u16(0);
  u32(0);  // no next IFD
  const std::uint8_t header[] = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
  Bytes segment(std::begin(header), std::end(header));
  segment.resize(sizeof header + tiff.size());
  std::copy(tiff.begin(), tiff.end(), segment.begin() + sizeof header);
  const std::size_t length = segment.size() - 2;
  segment[2] = std::uint8_t(length >> 8);
  segment[3] = std::uint8_t(length);
  return segment;
}

// jpeg with segment inserted right after its start-of-image marker.
inline Bytes WithSegment(const Bytes& jpeg, const Bytes& segment) {
  Bytes out(jpeg.begin(), jpeg.begin() + 2);
  out.insert(out.end(), segment.begin(), segment.end());
  out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
  return out;
}

// Position of the frame header's height field (after the marker FF Cn, the
// length and the precision), or 0 when there is no frame header.
inline std::size_t FrameSizeOffset(const Bytes& jpeg) {
  for (std::size_t i = 2; i + 9 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC1 || jpeg[i + 1] == 0xC2 ||
                            jpeg[i + 1] == 0xC9 || jpeg[i + 1] == 0xCA))
      return i + 5;
  return 0;
}

// jpeg with its frame header claiming width x height; the coded data stays
// what it was.
inline Bytes ClaimingSize(Bytes jpeg, int width, int height) {
  const std::size_t at = FrameSizeOffset(jpeg);
  jpeg[at] = std::uint8_t(height >> 8);
  jpeg[at + 1] = std::uint8_t(height);
  jpeg[at + 2] = std::uint8_t(width >> 8);
  jpeg[at + 3] = std::uint8_t(width);
  return jpeg;
}

// A picture with detail everywhere, so that every coding spends real data
// on every block.
inline Bitmap Grainy(int w, int h, std::uint32_t seed = 1) {
  Bitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      seed = seed * 1664525u + 1013904223u;
      b.SetPixel(x, y, Rgb(x * 4 + int(seed >> 28), y * 4, int(seed >> 24)));
    }
  return b;
}

struct THostileFile {
  std::string Name;
  Bytes Data;
};

// Small files that claim huge pictures: 12000 x 12000 is 550 MB of pixels,
// within what one decode may take, so only the checks of the data against
// the size can refuse them, and they must do so before the pixels are
// allocated.
inline std::vector<THostileFile> HostileFiles() {
  constexpr int kHuge = 12000;
  std::vector<THostileFile> files;

  BmpFile header;  // 54 bytes: a 24-bit header and nothing else
  header.Width = header.Height = kHuge;
  files.push_back({"24-bit BMP header without pixel data", header.Build()});

  BmpFile mono = header;  // 128 of the pixels its rows need
  mono.BitCount = 1;
  mono.Palette = {0, Rgb(255, 255, 255)};
  mono.Pixels.assign(16, 0xAA);
  files.push_back({"1-bit BMP with 16 bytes of pixel data", mono.Build()});

  BmpFile rle8 = header;
  rle8.BitCount = 8, rle8.Compression = 1;
  rle8.Palette = {0, Rgb(255, 0, 0)};
  rle8.ColorsUsed = 2;
  rle8.Pixels = {4, 1, 0, 1};  // four pixels, then the end of the picture
  files.push_back({"RLE8 BMP ending after four pixels", rle8.Build()});

  BmpFile lines = rle8;
  lines.Height = 400;
  lines.Pixels.clear();  // 400 line ends: 400 empty rows of 12000 pixels
  for (int i = 0; i < 400; ++i) lines.Pixels.insert(lines.Pixels.end(), {0, 0});
  files.push_back({"RLE8 BMP of line ends only", lines.Build()});

  BmpFile rle4 = header;  // moves down 255 rows at a time, then ends: 148 bytes
  rle4.BitCount = 4, rle4.Compression = 2;
  rle4.Palette.assign(16, Rgb(0, 128, 255));
  for (int i = 0; i < 7; ++i) rle4.Pixels.insert(rle4.Pixels.end(), {0, 2, 0, 255});
  rle4.Pixels.insert(rle4.Pixels.end(), {0, 1});
  files.push_back({"RLE4 BMP skipping rows", rle4.Build()});

  const Bitmap small = Grainy(16, 16);
  files.push_back(
      {"baseline JPEG claiming 12000 x 12000", ClaimingSize(WriteJpeg(small), kHuge, kHuge)});
  files.push_back({"progressive JPEG claiming 12000 x 12000",
                   ClaimingSize(WriteJpeg(small, {.Progressive = true}), kHuge, kHuge)});
  files.push_back({"arithmetic JPEG claiming 12000 x 12000",
                   ClaimingSize(WriteJpeg(small, {.Arithmetic = true}), kHuge, kHuge)});
  files.push_back(
      {"arithmetic progressive JPEG claiming 12000 x 12000",
       ClaimingSize(WriteJpeg(small, {.Progressive = true, .Arithmetic = true}), kHuge, kHuge)});
  return files;
}

}  // namespace vantora::testfiles
