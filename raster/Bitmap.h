#pragma once
// The one pixel surface of the program: W x H pixels of 32 bits, bytes blue,
// green, red, unused (0x00RRGGBB as a little-endian word), rows top-down with
// no padding. Qt can show it as QImage::Format_RGB32 without a copy.

#include <cstdint>
#include <memory>
#include <new>
#include <span>
#include <utility>
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

// An allocator whose elements made without a value are left as they are:
// a pixel vector grown for pixels that are written next is not cleared first.
template <class T>
struct TUnclearedAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = TUnclearedAllocator<U>;
  };
  TUnclearedAllocator() = default;
  template <class U>
  TUnclearedAllocator(const TUnclearedAllocator<U>&) noexcept {}
  template <class U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

class Bitmap {
 public:
  Bitmap() = default;
  // A black width x height bitmap.
  Bitmap(int width, int height);
  // A width x height bitmap whose pixels the caller writes, every one of
  // them, before anything reads it: nothing is cleared, and the memory of a
  // recycled bitmap is taken when it fits (see Recycle). Camera-sized
  // pictures are decoded into these, so a decode neither clears 100 MB nor
  // has the system map it afresh every time. Throws std::length_error past
  // kMaxPixels.
  static Bitmap ForOverwrite(int width, int height);
  // Keeps b's memory for a later ForOverwrite of up to its size, on any
  // thread. One bitmap's memory is kept, the largest offered; b is empty
  // afterwards.
  static void Recycle(Bitmap&& b);
  // Frees what Recycle keeps, when no more decodes are coming.
  static void ForgetRecycled();
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
  using TPixels = std::vector<TPixel, TUnclearedAllocator<TPixel>>;

  int FWidth = 0;
  int FHeight = 0;
  TPixels FPixels;
};

}  // namespace vantora
