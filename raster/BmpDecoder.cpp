// Windows bitmap files: uncompressed rows of 1 to 32 bits, bit fields and
// run-length data, each checked against the file before anything is
// allocated.

#include <algorithm>
#include <string>
#include <vector>

#include "raster/Picture.h"
#include "raster/PictureCodec.h"

namespace vantora {

namespace {

using codec::Fail;

constexpr std::uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3,
                        kBiAlphaBitfields = 6;

// Little-endian reads that fail with a PictureError instead of reading past
// the end of the data.
class ByteReader {
 public:
  ByteReader(std::span<const std::uint8_t> data, const std::string& name)
      : FData(data), FName(name) {}
  std::size_t Size() const { return FData.size(); }
  const std::uint8_t* At(std::size_t off) const { return FData.data() + off; }
  bool Has(std::size_t off, std::size_t count) const {
    return off <= FData.size() && FData.size() - off >= count;
  }
  void Need(std::size_t off, std::size_t count, const char* what) const {
    if (!Has(off, count)) Fail(FName, std::string("file truncated (") + what + ")");
  }
  std::uint16_t U16(std::size_t off) const {
    Need(off, 2, "header");
    return std::uint16_t(FData[off] | FData[off + 1] << 8);
  }
  std::uint32_t U32(std::size_t off) const {
    Need(off, 4, "header");
    return std::uint32_t(FData[off]) | std::uint32_t(FData[off + 1]) << 8 |
           std::uint32_t(FData[off + 2]) << 16 | std::uint32_t(FData[off + 3]) << 24;
  }
  std::int32_t S32(std::size_t off) const { return static_cast<std::int32_t>(U32(off)); }

 private:
  std::span<const std::uint8_t> FData;
  const std::string& FName;
};

// One colour channel of a bit-field pixel: (pixel & mask) >> shift, scaled
// from 0..max to 0..255. Masks of any width work; a zero mask reads as 0.
struct TChannel {
  std::uint32_t Mask = 0;
  int Shift = 0;
  std::uint32_t Max = 0;

  explicit TChannel(std::uint32_t mask) : Mask(mask) {
    if (!mask) return;
    while (!((mask >> Shift) & 1u)) ++Shift;
    Max = mask >> Shift;
  }
  int operator()(std::uint32_t pixel) const {
    if (!Max) return 0;
    const std::uint64_t v = (pixel & Mask) >> Shift;
    return int((v * 255 + Max / 2) / Max);
  }
};

struct TBmpLayout {
  std::int64_t Width = 0;
  std::int64_t Height = 0;  // rows, always positive
  bool TopDown = false;
  int BitCount = 0;
  std::uint32_t Compression = kBiRgb;
  std::uint32_t Masks[3] = {0, 0, 0};  // red, green, blue
  std::vector<TPixel> Palette;
  std::size_t DataOffset = 0;
};

// The bit depth must be one the compression allows.
void CheckDepthAndCompression(const TBmpLayout& L, const std::string& name) {
  const int bpp = L.BitCount;
  switch (L.Compression) {
    case kBiRgb:
      if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        Fail(name, "unsupported bit depth (" + std::to_string(bpp) + " bits per pixel)");
      break;
    case kBiRle8:
    case kBiRle4:
      if (bpp != (L.Compression == kBiRle8 ? 8 : 4))
        Fail(name, "run-length compression does not match the bit depth");
      break;
    case kBiBitfields:
    case kBiAlphaBitfields:
      if (bpp != 16 && bpp != 32) Fail(name, "bit fields need 16 or 32 bits per pixel");
      break;
    default: Fail(name, "unsupported bitmap compression (" + std::to_string(L.Compression) + ")");
  }
}

// Sizes are checked before anything is allocated; after this check every
// size computed from them fits easily in 64 bits.
void CheckSize(const TBmpLayout& L, const std::string& name) {
  if (L.Width <= 0 || L.Height <= 0)
    Fail(name, "invalid picture size (" + std::to_string(L.Width) + " x " +
                   std::to_string(L.TopDown ? -L.Height : L.Height) + ")");
  if (L.Width * L.Height > kMaxPixels)
    Fail(name,
         "picture too large (" + std::to_string(L.Width) + " x " + std::to_string(L.Height) + ")");
}

// The channel masks of 16- and 32-bit pixels: stored with bit fields, else
// the fixed 5-5-5 and 8-8-8 layouts.
void ReadMasks(const ByteReader& in, TBmpLayout& L) {
  if (L.BitCount != 16 && L.BitCount != 32) return;
  if (L.Compression == kBiBitfields || L.Compression == kBiAlphaBitfields) {
    // Inside the newer headers, or right after the 40-byte one.
    const std::size_t at = 14 + 40;
    in.Need(at, 12, "bit field masks");
    for (int i = 0; i < 3; ++i) L.Masks[i] = in.U32(at + 4 * i);
  } else if (L.BitCount == 16) {
    L.Masks[0] = 0x7C00;
    L.Masks[1] = 0x03E0;
    L.Masks[2] = 0x001F;
  } else {
    L.Masks[0] = 0x00FF0000;
    L.Masks[1] = 0x0000FF00;
    L.Masks[2] = 0x000000FF;
  }
}

// The colour table of pictures of 8 bits and fewer, right after the header
// (and the masks a 40-byte header is followed by): three bytes an entry in
// the old core header, four in the others.
void ReadPalette(const ByteReader& in, TBmpLayout& L, std::uint32_t infoSize,
                 std::uint32_t colorsUsed) {
  if (L.BitCount > 8) return;
  const bool core = infoSize == 12;
  std::size_t headerEnd = 14 + infoSize;
  if (infoSize == 40 && L.Compression == kBiBitfields) headerEnd += 12;
  if (infoSize == 40 && L.Compression == kBiAlphaBitfields) headerEnd += 16;
  const std::uint32_t maxColors = 1u << L.BitCount;
  const std::uint32_t count =
      (core || colorsUsed == 0) ? maxColors : std::min(colorsUsed, maxColors);
  const std::size_t entry = core ? 3 : 4;
  in.Need(headerEnd, count * entry, "palette");
  L.Palette.resize(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* p = in.At(headerEnd + i * entry);
    L.Palette[i] = Rgb(p[2], p[1], p[0]);
  }
}

TBmpLayout ReadBmpLayout(const ByteReader& in, const std::string& name) {
  TBmpLayout L;
  if (in.Size() < 18) Fail(name, "file truncated (header)");
  const std::uint32_t dataOffset = in.U32(10);
  const std::uint32_t infoSize = in.U32(14);
  const bool core = infoSize == 12;
  if (!core && infoSize != 40 && infoSize != 52 && infoSize != 56 && infoSize != 108 &&
      infoSize != 124)
    Fail(name, "unsupported bitmap header (size " + std::to_string(infoSize) + ")");
  in.Need(14, infoSize, "header");

  std::uint32_t colorsUsed = 0;
  if (core) {
    L.Width = in.U16(18);
    L.Height = in.U16(20);
    L.BitCount = in.U16(24);
  } else {
    L.Width = in.S32(18);
    const std::int64_t height = in.S32(22);
    L.TopDown = height < 0;
    L.Height = height < 0 ? -height : height;
    L.BitCount = in.U16(28);
    L.Compression = in.U32(30);
    colorsUsed = in.U32(46);
  }

  CheckDepthAndCompression(L, name);
  CheckSize(L, name);
  ReadMasks(in, L);
  ReadPalette(in, L, infoSize, colorsUsed);

  if (dataOffset > in.Size())
    Fail(name, "pixel data offset (" + std::to_string(dataOffset) + ") beyond the end of the file");
  if (dataOffset < 14 + infoSize) Fail(name, "pixel data offset inside the header");
  L.DataOffset = dataOffset;
  return L;
}

[[noreturn]] void FailIndex(const std::string& name, unsigned index, std::size_t count) {
  Fail(name, "palette index " + std::to_string(index) + " out of range (palette of " +
                 std::to_string(count) + " colours)");
}

// Bytes from one stored row of uncompressed pixels to the next.
std::int64_t RowStride(const TBmpLayout& L) { return (L.Width * L.BitCount + 31) / 32 * 4; }

// Uncompressed pixels must all be in the file; the last row's padding is
// often left out by writers and is not needed.
void CheckBmpRowData(const ByteReader& in, const TBmpLayout& L, const std::string& name) {
  const std::int64_t rowBytes = (L.Width * L.BitCount + 7) / 8;
  const std::int64_t need = RowStride(L) * (L.Height - 1) + rowBytes;
  if (std::int64_t(in.Size() - L.DataOffset) < need) Fail(name, "file truncated (pixel data)");
}

// Pixels one byte of run-length data may stand for. Runs write at most 255
// pixels for two bytes, but line ends, moves and an early end of picture
// leave pixels unwritten for free, so a few bytes could claim any size. No
// real file comes near this bound; under it a file of 1 KB makes at most
// 16 MB of pixels.
constexpr std::int64_t kRlePixelsPerByte = 4096;

void CheckBmpRleData(std::size_t dataBytes, const TBmpLayout& L, const std::string& name) {
  if (L.Width * L.Height > kRlePixelsPerByte * std::int64_t(dataBytes))
    Fail(name, "run-length data too short for a picture of " + std::to_string(L.Width) + " x " +
                   std::to_string(L.Height));
}

void DecodeBmpRows(const ByteReader& in, const TBmpLayout& L, Bitmap& out,
                   const std::string& name) {
  const std::int64_t stride = RowStride(L);
  const int width = int(L.Width), bpp = L.BitCount;
  const TChannel red(L.Masks[0]), green(L.Masks[1]), blue(L.Masks[2]);
  const std::size_t colors = L.Palette.size();
  for (int row = 0; row < int(L.Height); ++row) {
    const std::uint8_t* src = in.At(L.DataOffset + std::size_t(stride) * row);
    TPixel* dst = out.ScanLine(L.TopDown ? row : int(L.Height) - 1 - row);
    switch (bpp) {
      case 1:
      case 4:
      case 8: {
        const int perByte = 8 / bpp;
        const unsigned mask = (1u << bpp) - 1;
        for (int x = 0; x < width; ++x) {
          const int shift = 8 - bpp * (x % perByte + 1);
          const unsigned index = (src[x / perByte] >> shift) & mask;
          if (index >= colors) FailIndex(name, index, colors);
          dst[x] = L.Palette[index];
        }
        break;
      }
      case 16:
        for (int x = 0; x < width; ++x) {
          const std::uint32_t p = src[2 * x] | src[2 * x + 1] << 8;
          dst[x] = Rgb(red(p), green(p), blue(p));
        }
        break;
      case 24:
        for (int x = 0; x < width; ++x) dst[x] = Rgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
        break;
      case 32:
        for (int x = 0; x < width; ++x) {
          const std::uint8_t* q = src + 4 * x;
          const std::uint32_t p = q[0] | q[1] << 8 | q[2] << 16 | std::uint32_t(q[3]) << 24;
          dst[x] = Rgb(red(p), green(p), blue(p));
        }
        break;
    }
  }
}

// Run-length data: pairs (count, index) give runs; a zero count starts an
// escape: 0 = end of line, 1 = end of picture, 2 = move by (dx, dy), n >= 3 =
// n literal indices padded to a 16-bit boundary. Pixels that no run reaches
// stay black. RLE4 packs two indices a byte and alternates them in runs.
// Writers pad rows of odd width with a run past the end of the row, up to
// the row's stored width (rounded up to whole 32-bit words, as uncompressed
// rows are); what a run or literal puts past the row end within that width
// is dropped. A run beyond it, a run below the last row, or a move out of
// the picture is an error: such data is damaged or made to mislead, and
// clipping it would show garbage.
// With out == nullptr the data is only checked: a few bytes of run-length
// data can claim a huge picture, so the stream is checked before the bitmap
// is allocated. Returns the number of bytes of run-length data.
std::size_t DecodeBmpRle(const ByteReader& in, const TBmpLayout& L, Bitmap* out,
                         const std::string& name) {
  const bool rle4 = L.Compression == kBiRle4;
  const int width = int(L.Width), height = int(L.Height);
  const std::size_t colors = L.Palette.size();
  const std::int64_t paddedWidth = RowStride(L) * 8 / L.BitCount;
  std::size_t p = L.DataOffset;
  int x = 0, line = 0;

  // The row a run of n pixels writes into, and how many of them fit in it.
  auto rowOf = [&](int n, int& fit) -> TPixel* {
    if (line >= height) Fail(name, "run-length data past the end of the picture");
    if (x + n > paddedWidth)
      Fail(name, "run-length data past the end of row " + std::to_string(line) + " (" +
                     std::to_string(x + n) + " pixels in a row of " + std::to_string(width) + ")");
    fit = std::max(0, std::min(n, width - x));
    return out ? out->ScanLine(L.TopDown ? line : height - 1 - line) : nullptr;
  };
  auto put = [&](TPixel* row, unsigned index) {
    if (index >= colors) FailIndex(name, index, colors);
    if (row) row[x] = L.Palette[index];
    ++x;
  };

  for (;;) {
    if (!in.Has(p, 2)) {
      if (line >= height) return p - L.DataOffset;  // every line ended; the end marker is missing
      Fail(name, "file truncated (run-length data)");
    }
    const int count = *in.At(p), value = *in.At(p + 1);
    p += 2;
    if (count > 0) {
      int fit;
      TPixel* row = rowOf(count, fit);
      for (int i = 0; i < fit; ++i) put(row, rle4 ? ((i & 1) ? value & 15 : value >> 4) : value);
    } else if (value == 0) {
      x = 0;
      ++line;
    } else if (value == 1) {
      return p - L.DataOffset;
    } else if (value == 2) {
      if (!in.Has(p, 2)) Fail(name, "file truncated (run-length data)");
      x += *in.At(p);
      line += *in.At(p + 1);
      p += 2;
      if (x > width || line > height) Fail(name, "run-length move past the picture");
    } else {
      const std::size_t bytes = rle4 ? (value + 1) / 2 : value;
      if (!in.Has(p, bytes)) Fail(name, "file truncated (run-length data)");
      int fit;
      TPixel* row = rowOf(value, fit);
      const std::uint8_t* src = in.At(p);
      for (int i = 0; i < fit; ++i)
        put(row, rle4 ? ((i & 1) ? src[i / 2] & 15 : src[i / 2] >> 4) : src[i]);
      p += bytes + (bytes & 1);
    }
  }
}

}  // namespace

Bitmap DecodeBmp(std::span<const std::uint8_t> data, const std::string& name,
                 const TDecodeLimits& limits) {
  if (data.empty()) Fail(name, "empty file");
  if (!codec::IsBmpSignature(data)) Fail(name, "not a bitmap file");
  const ByteReader in(data, name);
  const TBmpLayout layout = ReadBmpLayout(in, name);
  const bool rle = layout.Compression == kBiRle8 || layout.Compression == kBiRle4;
  if (rle)
    CheckBmpRleData(DecodeBmpRle(in, layout, nullptr, name), layout, name);
  else
    CheckBmpRowData(in, layout, name);
  const int width = int(layout.Width), height = int(layout.Height);
  codec::CheckMemory(std::int64_t(data.size()) + 4 * layout.Width * layout.Height, limits, width,
                     height, name);
  Bitmap bitmap = codec::AllocateBitmap(width, height, name);
  if (rle)
    DecodeBmpRle(in, layout, &bitmap, name);
  else
    DecodeBmpRows(in, layout, bitmap, name);
  return bitmap;
}

}  // namespace vantora
