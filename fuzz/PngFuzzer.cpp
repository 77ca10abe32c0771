// libFuzzer harness of the PNG decoder (libpng with our limits and transforms).

#include "fuzz/OpaqueDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return CheckOpaqueDecode(
      [](std::span<const std::uint8_t> bytes) { return vantora::DecodePng(bytes, "fuzz.png"); },
      data, size);
}
