#pragma once
// The one pixel surface of the program: W x H pixels of 32 bits, bytes blue,
// green, red, unused (0x00RRGGBB as a little-endian word), rows top-down with
// no padding. Qt can show it as QImage::Format_RGB32 without a copy.

#include <cstdint>
#include <span>
#include <vector>

#include "raster/Rect.h"

namespace vantora {

using TPixel = std::uint32_t;

constexpr TPixel Rgb(int r, int g, int b) {
  return (TPixel(r & 255) << 16) | (TPixel(g & 255) << 8) | TPixel(b & 255);
}

// Largest bitmap the program makes: 2^28 pixels (1 GiB). Decoders refuse
// bigger pictures before they allocate anything.
constexpr std::int64_t kMaxPixels = std::int64_t(1) << 28;

class Bitmap {
 public:
  Bitmap() = default;
  Bitmap(int width, int height);
  Bitmap(const Bitmap& other) = default;
  Bitmap& operator=(const Bitmap& other) = default;
  // A bitmap moved from is empty.
  Bitmap(Bitmap&& other) noexcept;
  Bitmap& operator=(Bitmap&& other) noexcept;

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  bool Empty() const { return FWidth == 0 || FHeight == 0; }
  TRect BoundsRect() const { return {0, 0, FWidth, FHeight}; }

  // Resizes to width x height. Pixels of the overlapping area are kept, new
  // ones are black. Throws std::length_error past kMaxPixels.
  void SetSize(int width, int height);

  TPixel* ScanLine(int y) { return FPixels.data() + std::size_t(y) * std::size_t(FWidth); }
  const TPixel* ScanLine(int y) const {
    return FPixels.data() + std::size_t(y) * std::size_t(FWidth);
  }
  TPixel* Bits() { return FPixels.data(); }
  const TPixel* Bits() const { return FPixels.data(); }
  TPixel Pixel(int x, int y) const { return ScanLine(y)[x]; }
  void SetPixel(int x, int y, TPixel p) { ScanLine(y)[x] = p; }

  friend bool operator==(const Bitmap& a, const Bitmap& b) {
    return a.FWidth == b.FWidth && a.FHeight == b.FHeight && a.FPixels == b.FPixels;
  }

 private:
  int FWidth = 0;
  int FHeight = 0;
  std::vector<TPixel> FPixels;
};

}  // namespace vantora
