#pragma once
// Helpers shared by the picture decoders and encoders of this folder; not
// part of the picture layer's interface.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>

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
// Running out of memory is a PictureError.
Bitmap AllocateBitmap(int width, int height, const std::string& name);

bool IsJpegSignature(std::span<const std::uint8_t> d);
bool IsBmpSignature(std::span<const std::uint8_t> d);

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
