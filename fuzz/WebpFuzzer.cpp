// libFuzzer harness of the WebP decoder (stills piece by piece, the first
// frame of animations, EXIF orientation).

#include "fuzz/OpaqueDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return CheckOpaqueDecode(
      [](std::span<const std::uint8_t> bytes) { return vantora::DecodeWebp(bytes, "fuzz.webp"); },
      data, size);
}
