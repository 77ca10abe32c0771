#pragma once
// Reads of the TIFF structure that EXIF data is stored in. No Qt.

#include <cstddef>
#include <cstdint>
#include <span>

namespace vantora {

// Reads of a TIFF structure in its own byte order; every read is bounds
// checked and an out-of-range one reads as 0, which no caller accepts.
class TiffReader {
 public:
  TiffReader(std::span<const std::uint8_t> data, bool bigEndian)
      : FData(data), FBigEndian(bigEndian) {}
  bool Has(std::size_t at, std::size_t count) const {
    return at <= FData.size() && FData.size() - at >= count;
  }
  std::uint32_t U16(std::size_t at) const {
    if (!Has(at, 2)) return 0;
    const std::uint32_t a = FData[at], b = FData[at + 1];
    return FBigEndian ? (a << 8 | b) : (b << 8 | a);
  }
  std::uint32_t U32(std::size_t at) const {
    if (!Has(at, 4)) return 0;
    const std::uint32_t hi = U16(FBigEndian ? at : at + 2), lo = U16(FBigEndian ? at + 2 : at);
    return hi << 16 | lo;
  }

 private:
  std::span<const std::uint8_t> FData;
  bool FBigEndian;
};

}  // namespace vantora
