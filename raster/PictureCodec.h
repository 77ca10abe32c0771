#pragma once
// Helpers shared by the picture decoders and encoders of this folder; not
// part of the picture layer's interface.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "raster/Bitmap.h"
#include "raster/Picture.h"

namespace vantora::codec {

// Throws the PictureError "name: what".
[[noreturn]] void Fail(const std::string& name, const std::string& what);

// Refuses, before anything is allocated, a decode that would need more than
// the limits allow: `bytes` in all, the file's own bytes included.
void CheckMemory(std::int64_t bytes, const TDecodeLimits& limits, int width, int height,
                 const std::string& name);
[[noreturn]] void FailMemory(const TDecodeLimits& limits, int width, int height,
                             const std::string& name);

// The bitmap a decoder fills; sizes are already checked against kMaxPixels.
// Running out of memory is a PictureError. AllocateBitmap's is black, for a
// decoder that may leave pixels unwritten (the skips of a run-length BMP);
// the other's pixels are left as they are (Bitmap::ForOverwrite), for one
// that writes every pixel or fails.
Bitmap AllocateBitmap(int width, int height, const std::string& name);
Bitmap AllocateBitmapForOverwrite(int width, int height, const std::string& name);

bool IsJpegSignature(std::span<const std::uint8_t> d);
bool IsBmpSignature(std::span<const std::uint8_t> d);
bool IsPngSignature(std::span<const std::uint8_t> d);
bool IsWebpSignature(std::span<const std::uint8_t> d);
// An ISO media file whose brands name a HEIF picture: HEIC, AVIF or plain HEIF.
bool IsHeifSignature(std::span<const std::uint8_t> d);

// The first Exif metadata block of a HEIF file's primary picture, as the file
// stores it (a 4-byte offset to the TIFF header, then the EXIF data); empty
// when there is none, it is larger than any camera writes, or the file
// cannot be read.
std::vector<std::uint8_t> HeifExifBlock(const std::string& fileName);

// Refuses a picture larger than kMaxPixels or without pixels.
void CheckPictureSize(std::int64_t width, std::int64_t height, const std::string& name);

// Codecs whose coding can spend next to nothing on a flat picture (arithmetic
// or entropy coding with a cache of colours) are held to one byte of data per
// 16384 pixels: far less than any photo needs, and a file under 1 KB cannot
// claim more than 16 megapixels. A shorter file is cut off or hostile and is
// refused before the pixels are allocated.
void CheckDataCovers(std::size_t dataBytes, int width, int height, const char* format,
                     const std::string& name);

// The deadline and the cancel flag of one decode, for decoders that can
// stop between rows or chunks of data.
class TDecodeWatch {
 public:
  explicit TDecodeWatch(const TDecodeLimits& limits);
  // What stops the decode ("decoding was cancelled", "decoding took too
  // long"), or nullptr while it may go on.
  const char* Interruption() const;
  // Throws the PictureError for an interruption, if there is one.
  void Check(const std::string& name) const;

 private:
  std::chrono::steady_clock::time_point FDeadline;
  const std::atomic<bool>* FCancel;
};

// Pixels decoded as blue, green, red, alpha bytes (alpha in the top byte of
// the word) become opaque pixels: each is laid over background by its alpha,
// rounded to nearest. premultiplied: the colour was already multiplied by
// the alpha.
void ComposeOver(TPixel* pixels, std::size_t count, TPixel background, bool premultiplied = false);

// The upright bitmap of a picture decoded as stored, turned by its EXIF
// orientation; `used` is what the decode holds besides (the file's bytes, the
// stored pixels), counted against the limits with the new bitmap.
Bitmap TurnedUpright(const Bitmap& stored, int orientation, std::int64_t used,
                     const TDecodeLimits& limits, const std::string& name);

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens a regular file for reading, or fails with a PictureError naming it.
// The open never blocks: a named pipe, a device or a folder is refused.
FilePtr OpenForReading(const std::string& fileName);

// A JPEG decoded at the smallest DCT scale whose upright size covers
// wanted(upright full size), with that full size.
struct TDecodedJpeg {
  Bitmap Pixels;
  TPictureSize FullSize;
};
TDecodedJpeg DecodeJpegCovering(std::span<const std::uint8_t> data, const std::string& name,
                                const TWantedSize& wanted, const TDecodeLimits& limits);

}  // namespace vantora::codec
