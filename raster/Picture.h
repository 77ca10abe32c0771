#pragma once
// Pictures loaded from files or memory: ".jpg" (and ".jpeg") through libjpeg,
// ".bmp" through our own reader of Windows bitmap files. A picture is
// decoded straight into a Bitmap.
//
// Decoders never trust a file: truncated, corrupt or hostile input (absurd or
// overflowing sizes, more than kMaxPixels pixels, palette indices out of
// range) gives a PictureError naming the file, never a crash and never an
// unbounded allocation.

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "raster/Bitmap.h"

namespace vantora {

class PictureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// libjpeg's DCT scaling: decode at 1/1, 1/2, 1/4 or 1/8 of the full size.
enum class TJpegScale { Full = 1, Half = 2, Quarter = 4, Eighth = 8 };

class Picture {
 public:
  Picture() = default;

  // Loads by extension (case-insensitive): ".jpg"/".jpeg" or ".bmp".
  // Anything else is a PictureError ("Unknown picture file extension (.xyz)").
  void LoadFromFile(const std::string& fileName, TJpegScale scale = TJpegScale::Full);
  // Loads a JPEG or BMP from memory, told apart by its signature. name is
  // used in error messages.
  void LoadFromMemory(std::span<const std::uint8_t> data, const std::string& name,
                      TJpegScale scale = TJpegScale::Full);
  void Assign(Bitmap bitmap) { FBitmap = std::move(bitmap); }
  void Clear() { FBitmap = Bitmap(); }

  bool Empty() const { return FBitmap.Empty(); }
  int Width() const { return FBitmap.Width(); }
  int Height() const { return FBitmap.Height(); }
  const Bitmap& AsBitmap() const { return FBitmap; }
  // Assignment to a bitmap: the bitmap takes the picture's size and pixels.
  void AssignTo(Bitmap& target) const { target = FBitmap; }

 private:
  Bitmap FBitmap;
};

// The size of a JPEG without decoding it (for choosing a DCT scale).
struct TPictureSize {
  int Width = 0;
  int Height = 0;
};
TPictureSize ReadJpegSize(const std::string& fileName);
// The smallest DCT scale at which a width x height JPEG still covers
// minWidth x minHeight (Full when it is already smaller).
TJpegScale CoveringScale(int width, int height, int minWidth, int minHeight);

// Decoders, for callers that already hold the bytes.
Bitmap DecodeJpeg(std::span<const std::uint8_t> data, const std::string& name,
                  TJpegScale scale = TJpegScale::Full);
Bitmap DecodeBmp(std::span<const std::uint8_t> data, const std::string& name);
// Encoders for tools and tests: baseline or progressive JPEG, 24-bit BMP.
std::vector<std::uint8_t> EncodeJpeg(const Bitmap& bitmap, int quality, bool progressive);
std::vector<std::uint8_t> EncodeBmp24(const Bitmap& bitmap);

}  // namespace vantora
