// libFuzzer harness of the BMP decoder: any input either decodes to a
// picture within the limits or gives a PictureError.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "raster/Picture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const vantora::Bitmap b = vantora::DecodeBmp({data, size}, "fuzz.bmp");
    if (b.Empty() || std::int64_t(b.Width()) * b.Height() > vantora::kMaxPixels) std::abort();
  } catch (const vantora::PictureError&) {
  }
  return 0;
}
