#include "raster/Bitmap.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <string>

namespace vantora {

Bitmap::Bitmap(int width, int height) { SetSize(width, height); }

Bitmap::Bitmap(Bitmap&& other) noexcept
    : FWidth(other.FWidth), FHeight(other.FHeight), FPixels(std::move(other.FPixels)) {
  other.FWidth = other.FHeight = 0;
  other.FPixels.clear();
}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
  if (this != &other) {
    FWidth = other.FWidth;
    FHeight = other.FHeight;
    FPixels = std::move(other.FPixels);
    other.FWidth = other.FHeight = 0;
    other.FPixels.clear();
  }
  return *this;
}

namespace {

void CheckSize(int width, int height) {
  if (std::int64_t(width) * height > kMaxPixels)
    throw std::length_error("Bitmap too large: " + std::to_string(width) + " x " +
                            std::to_string(height));
}

// The memory Recycle keeps for ForOverwrite.
std::mutex gSpareLock;
std::vector<TPixel, TUnclearedAllocator<TPixel>> gSpare;

}  // namespace

Bitmap Bitmap::ForOverwrite(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  CheckSize(width, height);
  const std::size_t n = std::size_t(width) * std::size_t(height);
  Bitmap b;
  {
    // The spare is taken only where it wastes no more than it holds: a
    // thumbnail does not keep a camera picture's memory.
    std::lock_guard<std::mutex> lock(gSpareLock);
    if (n > 0 && gSpare.capacity() >= n && gSpare.capacity() / 2 <= n) b.FPixels.swap(gSpare);
  }
  b.FPixels.resize(n);  // grown without clearing; a shrink keeps the capacity
  if (n == 0) width = height = 0;
  b.FWidth = width;
  b.FHeight = height;
  return b;
}

void Bitmap::Recycle(Bitmap&& b) {
  TPixels pixels = std::move(b.FPixels);
  b.FWidth = b.FHeight = 0;
  b.FPixels.clear();
  std::lock_guard<std::mutex> lock(gSpareLock);
  // The smaller of the two is freed when pixels goes out of scope (after the
  // lock is released: the lock guard is destroyed first).
  if (pixels.capacity() > gSpare.capacity()) gSpare.swap(pixels);
}

void Bitmap::ForgetRecycled() {
  TPixels pixels;
  std::lock_guard<std::mutex> lock(gSpareLock);
  gSpare.swap(pixels);
}

void Bitmap::SetSize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == FWidth && height == FHeight) return;
  CheckSize(width, height);
  TPixels pixels(std::size_t(width) * std::size_t(height), 0);
  const int keepW = std::min(width, FWidth), keepH = std::min(height, FHeight);
  for (int y = 0; y < keepH; ++y)
    std::memcpy(pixels.data() + std::size_t(y) * width, ScanLine(y), keepW * sizeof(TPixel));
  if (width == 0 || height == 0) width = height = 0;
  FWidth = width;
  FHeight = height;
  FPixels = std::move(pixels);
}

}  // namespace vantora
