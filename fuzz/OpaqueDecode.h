#pragma once
// The body shared by the harnesses of the decoders that lay transparency
// over the background (PNG, WebP, HEIF): any input either decodes to an
// opaque picture within the limits or gives a PictureError. Anything else
// (a crash, an empty or oversized picture, a pixel that kept its alpha)
// aborts, so the fuzzer reports it.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "raster/Picture.h"

template <class Decode>
int CheckOpaqueDecode(Decode decode, const std::uint8_t* data, std::size_t size) {
  try {
    const vantora::Bitmap b = decode(std::span<const std::uint8_t>(data, size));
    if (b.Empty() || std::int64_t(b.Width()) * b.Height() > vantora::kMaxPixels) std::abort();
    for (int y = 0; y < b.Height(); ++y)
      for (int x = 0; x < b.Width(); ++x)
        if (b.Pixel(x, y) >> 24) std::abort();
  } catch (const vantora::PictureError&) {
  }
  return 0;
}
