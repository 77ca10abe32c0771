// PNG decoding through libpng: every colour type and bit depth comes out as
// 8-bit blue, green, red and alpha, laid over the background, and is turned
// upright by the orientation of an eXIf chunk.
//
// libpng reports errors by calling our error function, which long-jumps back
// into the guarded step that called libpng (as the JPEG decoder does with
// libjpeg). Every guarded step holds only pointers and plain values, so the
// jump skips no C++ destructor; the step returns false and its caller throws
// the PictureError.

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "raster/Orientation.h"
#include "raster/Picture.h"
#include "raster/PictureCodec.h"

namespace vantora {

namespace {

using codec::Fail;

// zlib's window and libpng's rows and chunk buffers, besides the pixels.
constexpr std::int64_t kPngWorkingBytes = std::int64_t(4) << 20;

// Largest ancillary chunk libpng keeps in memory (an eXIf, a palette).
constexpr png_alloc_size_t kMaxChunkBytes = png_alloc_size_t(8) << 20;

// deflate turns at best 1032 bytes into 1: a file shorter than its rows
// divided by that cannot hold them, however plain the picture.
constexpr std::int64_t kDeflateBestRatio = 1032;

// Chunks we never use, skipped unread: text (whose compressed forms can
// unpack to far more than they take), colour profiles and suggested palettes.
constexpr png_byte kSkippedChunks[] = {'t', 'E', 'X', 't', 0, 'z', 'T', 'X', 't', 0,
                                       'i', 'T', 'X', 't', 0, 'i', 'C', 'C', 'P', 0,
                                       's', 'P', 'L', 'T', 0};

struct PngDecoder {
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::span<const std::uint8_t> Data;
  std::size_t Read = 0;
  const codec::TDecodeWatch* Watch = nullptr;
  char Message[200] = "corrupt PNG data";

  PngDecoder(std::span<const std::uint8_t> data, const codec::TDecodeWatch& watch)
      : Data(data), Watch(&watch) {}
  ~PngDecoder() {
    if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
  }
  PngDecoder(const PngDecoder&) = delete;
  PngDecoder& operator=(const PngDecoder&) = delete;
};

[[noreturn]] void PngError(png_structp png, png_const_charp message) {
  auto* d = static_cast<PngDecoder*>(png_get_error_ptr(png));
  std::snprintf(d->Message, sizeof d->Message, "%s", message);
  png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}  // harmless oddities

void ReadData(png_structp png, png_bytep to, png_size_t count) {
  auto* d = static_cast<PngDecoder*>(png_get_io_ptr(png));
  if (d->Data.size() - d->Read < count) PngError(png, "file truncated");
  std::memcpy(to, d->Data.data() + d->Read, count);
  d->Read += count;
}

// Called by libpng after every row of every pass.
void RowDone(png_structp png, png_uint_32, int) {
  auto* d = static_cast<PngDecoder*>(png_get_error_ptr(png));
  if (const char* what = d->Watch->Interruption()) PngError(png, what);
}

struct THeader {
  png_uint_32 Width = 0, Height = 0;
  int BitDepth = 0, ColorType = 0, Channels = 0;
  bool Alpha = false;  // after the expansion of palettes and tRNS
};

// Guarded: creates the reader and reads everything up to the pixel data.
bool PngReadInfo(PngDecoder* d, THeader* h) {
  d->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, d, PngError, PngWarning);
  if (!d->png) return false;
  if (setjmp(png_jmpbuf(d->png))) return false;
  d->info = png_create_info_struct(d->png);
  if (!d->info) PngError(d->png, "not enough memory");
  png_set_read_fn(d->png, d, ReadData);
  // Sizes are checked by us against kMaxPixels, with our own message.
  png_set_user_limits(d->png, 0x7FFFFFFF, 0x7FFFFFFF);
  png_set_chunk_malloc_max(d->png, kMaxChunkBytes);
  png_set_chunk_cache_max(d->png, 1000);
  png_set_keep_unknown_chunks(d->png, PNG_HANDLE_CHUNK_NEVER, kSkippedChunks,
                              int(sizeof kSkippedChunks / 5));
  png_set_read_status_fn(d->png, RowDone);
  png_read_info(d->png, d->info);
  h->Width = png_get_image_width(d->png, d->info);
  h->Height = png_get_image_height(d->png, d->info);
  h->BitDepth = png_get_bit_depth(d->png, d->info);
  h->ColorType = png_get_color_type(d->png, d->info);
  h->Channels = png_get_channels(d->png, d->info);
  h->Alpha = (h->ColorType & PNG_COLOR_MASK_ALPHA) != 0 ||
             png_get_valid(d->png, d->info, PNG_INFO_tRNS) != 0;
  return true;
}

// Guarded: asks libpng for 8-bit BGRA rows (alpha 0 when the picture has
// none, so such pixels need no further work).
bool PngSetTransforms(PngDecoder* d, const THeader* h, std::size_t* rowBytes) {
  if (setjmp(png_jmpbuf(d->png))) return false;
  png_set_expand(d->png);  // palettes, grey under 8 bits, tRNS to alpha
  png_set_scale_16(d->png);  // rounded, not cut, to 8 bits
  png_set_gray_to_rgb(d->png);
  png_set_bgr(d->png);
  if (!h->Alpha) png_set_filler(d->png, 0, PNG_FILLER_AFTER);
  png_set_interlace_handling(d->png);
  png_read_update_info(d->png, d->info);
  *rowBytes = png_get_rowbytes(d->png, d->info);
  return true;
}

// Guarded: reads the pixels into rows (all passes of an interlaced picture),
// then the chunks after them.
bool PngReadImage(PngDecoder* d, png_bytep* rows) {
  if (setjmp(png_jmpbuf(d->png))) return false;
  png_read_image(d->png, rows);
  png_read_end(d->png, d->info);
  return true;
}

int PngOrientation(const PngDecoder& d) {
  png_uint_32 size = 0;
  png_bytep exif = nullptr;
  if (png_get_eXIf_1(d.png, d.info, &size, &exif) == 0 || exif == nullptr) return kUpright;
  return ReadTiffOrientation({exif, size});
}

// The least data that can hold the rows of the picture, compressed.
void CheckPngDataLength(const THeader& h, std::size_t length, const std::string& name) {
  const std::int64_t rowBytes = (std::int64_t(h.Width) * h.Channels * h.BitDepth + 7) / 8;
  const std::int64_t raw = std::int64_t(h.Height) * (1 + rowBytes);
  if (std::int64_t(length) < raw / kDeflateBestRatio)
    Fail(name, "PNG data too short for a picture of " + std::to_string(h.Width) + " x " +
                   std::to_string(h.Height));
}

}  // namespace

Bitmap DecodePng(std::span<const std::uint8_t> data, const std::string& name,
                 const TDecodeLimits& limits, TPixel background) {
  if (data.empty()) Fail(name, "empty file");
  const codec::TDecodeWatch watch(limits);
  PngDecoder d(data, watch);
  THeader h;
  if (!PngReadInfo(&d, &h)) Fail(name, d.Message);
  codec::CheckPictureSize(h.Width, h.Height, name);
  CheckPngDataLength(h, data.size(), name);
  const int width = int(h.Width), height = int(h.Height);
  const std::int64_t used =
      std::int64_t(data.size()) + 4 * std::int64_t(width) * height + kPngWorkingBytes;
  codec::CheckMemory(used, limits, width, height, name);

  std::size_t rowBytes = 0;
  if (!PngSetTransforms(&d, &h, &rowBytes)) Fail(name, d.Message);
  if (rowBytes != 4 * std::size_t(width)) Fail(name, "unsupported PNG pixel format");
  Bitmap bitmap = codec::AllocateBitmapForOverwrite(width, height, name);
  std::vector<png_bytep> rows(static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y)
    rows[std::size_t(y)] = reinterpret_cast<png_bytep>(bitmap.ScanLine(y));
  if (!PngReadImage(&d, rows.data())) Fail(name, d.Message);
  if (h.Alpha)
    codec::ComposeOver(bitmap.Bits(), std::size_t(width) * std::size_t(height), background);

  // An eXIf chunk may come before or after the pixels, so the turn waits
  // for the end of the file.
  const int orientation = PngOrientation(d);
  if (orientation == kUpright) return bitmap;
  return codec::TurnedUpright(bitmap, orientation, used, limits, name);
}

}  // namespace vantora
