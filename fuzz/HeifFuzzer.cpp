// libFuzzer harness of the HEIF decoder (HEIC and AVIF through libheif):
// any input either decodes to an opaque picture within the limits or gives
// a PictureError.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "raster/Picture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const vantora::Bitmap b = vantora::DecodeHeif({data, size}, "fuzz.heif");
    if (b.Empty() || std::int64_t(b.Width()) * b.Height() > vantora::kMaxPixels) std::abort();
    // Transparency is laid over the background: no pixel keeps an alpha byte.
    for (int y = 0; y < b.Height(); ++y)
      for (int x = 0; x < b.Width(); ++x)
        if (b.Pixel(x, y) >> 24) std::abort();
  } catch (const vantora::PictureError&) {
  }
  return 0;
}
