#include "raster/Bitmap.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

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

void Bitmap::SetSize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == FWidth && height == FHeight) return;
  if (std::int64_t(width) * height > kMaxPixels)
    throw std::length_error("Bitmap too large: " + std::to_string(width) + " x " +
                            std::to_string(height));
  std::vector<TPixel> pixels(std::size_t(width) * std::size_t(height), 0);
  const int keepW = std::min(width, FWidth), keepH = std::min(height, FHeight);
  for (int y = 0; y < keepH; ++y)
    std::memcpy(pixels.data() + std::size_t(y) * width, ScanLine(y), keepW * sizeof(TPixel));
  if (width == 0 || height == 0) width = height = 0;
  FWidth = width;
  FHeight = height;
  FPixels = std::move(pixels);
}

}  // namespace vantora
