// 24-bit Windows bitmap files, for tools and tests.

#include <vector>

#include "raster/Picture.h"

namespace vantora {

namespace {

void PutLE16(std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t x) {
  v[at] = std::uint8_t(x);
  v[at + 1] = std::uint8_t(x >> 8);
}
void PutLE32(std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t x) {
  PutLE16(v, at, x & 0xFFFF);
  PutLE16(v, at + 2, x >> 16);
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp24(const Bitmap& bitmap) {
  const int w = bitmap.Width(), h = bitmap.Height();
  const std::size_t stride = (std::size_t(w) * 3 + 3) & ~std::size_t(3);
  const std::size_t dataSize = stride * std::size_t(h);
  std::vector<std::uint8_t> out(54 + dataSize, 0);
  out[0] = 'B';
  out[1] = 'M';
  PutLE32(out, 2, std::uint32_t(out.size()));
  PutLE32(out, 10, 54);
  PutLE32(out, 14, 40);
  PutLE32(out, 18, std::uint32_t(w));
  PutLE32(out, 22, std::uint32_t(h));  // positive: rows bottom-up
  PutLE16(out, 26, 1);
  PutLE16(out, 28, 24);
  PutLE32(out, 34, std::uint32_t(dataSize));
  PutLE32(out, 38, 2835);  // 72 dpi
  PutLE32(out, 42, 2835);
  for (int y = 0; y < h; ++y) {
    const TPixel* src = bitmap.ScanLine(y);
    std::uint8_t* dst = out.data() + 54 + stride * std::size_t(h - 1 - y);
    for (int x = 0; x < w; ++x) {
      dst[3 * x] = std::uint8_t(src[x]);
      dst[3 * x + 1] = std::uint8_t(src[x] >> 8);
      dst[3 * x + 2] = std::uint8_t(src[x] >> 16);
    }
  }
  return out;
}

}  // namespace vantora
