#pragma once
// A camera-sized test picture for the decoding benchmarks: gradients with
// fine grain, so the entropy-coded data is about as dense as a photo's rather
// than a flat picture's. seed varies the colours and the grain.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "raster/Bitmap.h"

namespace vantora::bench {

inline Bitmap PhotoLike(int width = 6000, int height = 4000, int seed = 0) {
  Bitmap b(width, height);
  std::uint32_t s = 1u + std::uint32_t(seed);
  for (int y = 0; y < height; ++y) {
    TPixel* row = b.ScanLine(y);
    for (int x = 0; x < width; ++x) {
      s = s * 1664525u + 1013904223u;
      const int grain = int(s >> 28);
      const int r = (x * 255 / width + seed * 90 + grain) & 255;
      const int g = int(128 + 100 * std::sin(y * 0.01 + x * 0.003)) + grain;
      const int bl = ((x + y) * 255 / (width + height) + grain) & 255;
      row[x] = Rgb(r, std::min(g, 255), bl);
    }
  }
  return b;
}

}  // namespace vantora::bench
