#include "raster/Orientation.h"

#include <algorithm>
#include <cstring>

#include "raster/TiffReader.h"

namespace vantora {

namespace {

constexpr std::uint8_t kExifHeader[] = {'E', 'x', 'i', 'f', 0, 0};
constexpr std::uint32_t kOrientationTag = 0x0112;

// The integer types a TIFF field may have, and the bytes one value takes.
// The tag is meant to be a SHORT, but writers also store it as a LONG or a
// signed type (ImageMagick writes an SLONG); any of them means the same.
int IntegerSize(std::uint32_t type) {
  switch (type) {
    case 1:  // BYTE
    case 6:  // SBYTE
      return 1;
    case 3:  // SHORT
    case 8:  // SSHORT
      return 2;
    case 4:  // LONG
    case 9:  // SLONG
      return 4;
    default: return 0;
  }
}

}  // namespace

int ReadExifOrientation(std::span<const std::uint8_t> app1) {
  if (app1.size() < sizeof kExifHeader + 8 ||
      std::memcmp(app1.data(), kExifHeader, sizeof kExifHeader) != 0)
    return kUpright;
  return ReadTiffOrientation(app1.subspan(sizeof kExifHeader));
}

int ReadExifChunkOrientation(std::span<const std::uint8_t> chunk) {
  if (chunk.size() >= sizeof kExifHeader &&
      std::memcmp(chunk.data(), kExifHeader, sizeof kExifHeader) == 0)
    return ReadExifOrientation(chunk);
  return ReadTiffOrientation(chunk);
}

int ReadTiffOrientation(std::span<const std::uint8_t> tiff) {
  if (tiff.size() < 8) return kUpright;
  // Offsets inside the TIFF structure count from its byte-order mark.
  const bool little = tiff[0] == 'I' && tiff[1] == 'I', big = tiff[0] == 'M' && tiff[1] == 'M';
  if (!little && !big) return kUpright;
  const TiffReader in(tiff, big);
  if (in.U16(2) != 42) return kUpright;
  const std::uint32_t ifd = in.U32(4);
  const std::uint32_t entries = in.U16(ifd);
  for (std::uint32_t i = 0; i < entries; ++i) {
    const std::size_t entry = std::size_t(ifd) + 2 + 12 * std::size_t(i);
    if (!in.Has(entry, 12)) return kUpright;
    if (in.U16(entry) != kOrientationTag) continue;
    // One integer, held at the start of the value field. A negative value
    // of a signed type reads as a huge unsigned one, which is refused.
    const int size = IntegerSize(in.U16(entry + 2));
    if (size == 0 || in.U32(entry + 4) != 1) return kUpright;
    const std::size_t at = entry + 8;
    const std::uint32_t value = size == 1 ? (in.Has(at, 1) ? tiff[at] : 0u)
                                : size == 2 ? in.U16(at)
                                            : in.U32(at);
    return value >= 1 && value <= 8 ? int(value) : kUpright;
  }
  return kUpright;
}

void PlaceStoredRows(const TPixel* rows, int first, int count, int storedWidth, int storedHeight,
                     int orientation, Bitmap& upright) {
  const int w = storedWidth, h = storedHeight;
  // Whether the stored x and y run backwards in the upright picture.
  const bool backX = orientation == 2 || orientation == 3 || orientation == 7 || orientation == 8;
  const bool backY = orientation == 3 || orientation == 4 || orientation == 6 || orientation == 7;
  if (!SwapsSides(orientation)) {
    for (int i = 0; i < count; ++i) {
      const TPixel* src = rows + std::size_t(i) * std::size_t(w);
      const int y = first + i;
      TPixel* dst = upright.ScanLine(backY ? h - 1 - y : y);
      if (backX)
        std::reverse_copy(src, src + w, dst);
      else
        std::copy(src, src + w, dst);
    }
    return;
  }
  // Stored column x becomes upright row x (or w - 1 - x); the band's rows
  // land side by side in it, as count neighbouring pixels.
  for (int x = 0; x < w; ++x) {
    TPixel* dst = upright.ScanLine(backX ? w - 1 - x : x);
    const TPixel* src = rows + x;
    if (backY) {
      TPixel* out = dst + (h - 1 - first);
      for (int i = 0; i < count; ++i) out[-i] = src[std::size_t(i) * std::size_t(w)];
    } else {
      TPixel* out = dst + first;
      for (int i = 0; i < count; ++i) out[i] = src[std::size_t(i) * std::size_t(w)];
    }
  }
}

}  // namespace vantora
