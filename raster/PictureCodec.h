#pragma once
// Helpers shared by the picture decoders and encoders of this folder; not
// part of the picture layer's interface.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>

#include "raster/Bitmap.h"

namespace vantora::codec {

// Throws the PictureError "name: what".
[[noreturn]] void Fail(const std::string& name, const std::string& what);

// The bitmap a decoder fills; sizes are already checked against kMaxPixels.
// Running out of memory is a PictureError.
Bitmap AllocateBitmap(int width, int height, const std::string& name);

bool IsJpegSignature(std::span<const std::uint8_t> d);
bool IsBmpSignature(std::span<const std::uint8_t> d);

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens a file for reading, or fails with a PictureError naming it.
FilePtr OpenForReading(const std::string& fileName);

}  // namespace vantora::codec
