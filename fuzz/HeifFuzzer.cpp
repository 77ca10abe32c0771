// libFuzzer harness of the HEIF decoder (HEIC and AVIF through libheif).

#include "fuzz/OpaqueDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return CheckOpaqueDecode(
      [](std::span<const std::uint8_t> bytes) { return vantora::DecodeHeif(bytes, "fuzz.heif"); },
      data, size);
}
