// libFuzzer harness of the JPEG decoder and of the EXIF orientation reader:
// any input either decodes to an upright picture within the limits, at full
// size and at 1/8, or gives a PictureError; the reader also sees the input
// itself as the content of an APP1 segment.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "raster/Orientation.h"
#include "raster/Picture.h"

namespace {

void Decode(std::span<const std::uint8_t> data, vantora::TJpegScale scale) {
  try {
    const vantora::Bitmap b = vantora::DecodeJpeg(data, "fuzz.jpg", scale);
    if (b.Empty() || std::int64_t(b.Width()) * b.Height() > vantora::kMaxPixels) std::abort();
  } catch (const vantora::PictureError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int orientation = vantora::ReadExifOrientation({data, size});
  if (orientation < 1 || orientation > 8) std::abort();
  Decode({data, size}, vantora::TJpegScale::Full);
  Decode({data, size}, vantora::TJpegScale::Eighth);
  return 0;
}
