#include "raster/DateTaken.h"

#include <cstring>
#include <fstream>
#include <vector>

#include "raster/PictureCodec.h"
#include "raster/TiffReader.h"

namespace vantora {

namespace {

constexpr std::size_t kHeadBytes = 256 * 1024;
// The EXIF data of a WebP file is read from wherever its chunk is, up to
// this size, among at most this many chunks.
constexpr std::uint32_t kMaxWebpExifBytes = 1 << 20;
constexpr int kMaxWebpChunks = 1024;
constexpr std::uint32_t kExifPointerTag = 0x8769;
constexpr std::uint32_t kDateTimeOriginalTag = 0x9003;
constexpr std::uint32_t kAscii = 2;
constexpr std::uint32_t kLong = 4;
constexpr std::uint8_t kExifHeader[] = {'E', 'x', 'i', 'f', 0, 0};

// A TIFF structure whose byte order its first bytes give, with the lookup
// of a tag in a directory.
class Tiff : public TiffReader {
 public:
  explicit Tiff(std::span<const std::uint8_t> data)
      : TiffReader(data, data.size() >= 2 && data[0] == 'M' && data[1] == 'M'), FData(data) {}
  bool Valid() const {
    const bool mark = FData.size() >= 8 && ((FData[0] == 'I' && FData[1] == 'I') ||
                                            (FData[0] == 'M' && FData[1] == 'M'));
    return mark && U16(2) == 42;
  }
  // The 12-byte entry of a directory with the tag, or 0 (no directory
  // starts at 0, where the byte-order mark is).
  std::size_t Entry(std::size_t directory, std::uint32_t tag) const {
    if (directory < 8) return 0;
    const std::uint32_t count = U16(directory);
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::size_t entry = directory + 2 + 12 * std::size_t(i);
      if (!Has(entry, 12)) return 0;
      if (U16(entry) == tag) return entry;
    }
    return 0;
  }
  const std::uint8_t* At(std::size_t at) const { return FData.data() + at; }

 private:
  std::span<const std::uint8_t> FData;
};

int Digits(const std::uint8_t* text, int count) {
  int value = 0;
  for (int i = 0; i < count; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

std::uint32_t BigU32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

std::uint32_t LittleU32(const std::uint8_t* p) {
  return std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}

std::optional<TDateTaken> FromJpeg(std::span<const std::uint8_t> d) {
  std::size_t at = 2;
  // Markers up to the start of the scan, each with its length.
  while (at + 4 <= d.size() && d[at] == 0xFF) {
    const std::uint8_t marker = d[at + 1];
    if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01 ||
        marker == 0xFF) {
      at += marker == 0xFF ? 1 : 2;  // no length; fill bytes one at a time
      continue;
    }
    if (marker == 0xDA || marker == 0xD9) break;  // pixels from here on
    const std::size_t length = std::size_t(d[at + 2]) << 8 | d[at + 3];
    if (length < 2 || at + 2 + length > d.size()) break;
    if (marker == 0xE1) {
      const auto date = ReadExifDateTaken(d.subspan(at + 4, length - 2));
      if (date) return date;
    }
    at += 2 + length;
  }
  return std::nullopt;
}

std::optional<TDateTaken> FromPng(std::span<const std::uint8_t> d) {
  std::size_t at = 8;
  while (at + 8 <= d.size()) {
    const std::size_t length = BigU32(&d[at]);
    if (length > d.size() - at - 8) break;
    if (std::memcmp(&d[at + 4], "eXIf", 4) == 0) return ReadExifDateTaken(d.subspan(at + 8, length));
    if (std::memcmp(&d[at + 4], "IDAT", 4) == 0) break;
    at += 12 + length;  // length, type, data and CRC
  }
  return std::nullopt;
}

std::optional<TDateTaken> FromWebp(std::span<const std::uint8_t> d) {
  std::size_t at = 12;
  while (at + 8 <= d.size()) {
    const std::size_t length = LittleU32(&d[at + 4]);
    if (length > d.size() - at - 8) break;
    if (std::memcmp(&d[at], "EXIF", 4) == 0) return ReadExifDateTaken(d.subspan(at + 8, length));
    at += 8 + length + (length & 1);  // chunks are padded to even sizes
  }
  return std::nullopt;
}

// A WebP file keeps its EXIF chunk behind the picture's data, so in a
// photo of some size it lies beyond the head: the chunks are walked by
// their headers through the file.
std::optional<TDateTaken> FromWebpFile(std::ifstream& in) {
  in.clear();
  in.seekg(12);
  std::uint8_t header[8];
  for (int i = 0; i < kMaxWebpChunks; ++i) {
    if (!in.read(reinterpret_cast<char*>(header), sizeof header)) break;
    const std::uint32_t length = LittleU32(header + 4);
    if (std::memcmp(header, "EXIF", 4) == 0) {
      if (length > kMaxWebpExifBytes) break;
      std::vector<std::uint8_t> exif(length);
      if (!in.read(reinterpret_cast<char*>(exif.data()), std::streamsize(length))) break;
      return ReadExifDateTaken(exif);
    }
    in.seekg(std::streamoff(length) + (length & 1), std::ios::cur);  // padded to even
  }
  return std::nullopt;
}

}  // namespace

std::optional<TDateTaken> ReadExifDateTaken(std::span<const std::uint8_t> exif) {
  if (exif.size() >= sizeof kExifHeader &&
      std::memcmp(exif.data(), kExifHeader, sizeof kExifHeader) == 0)
    exif = exif.subspan(sizeof kExifHeader);
  const Tiff tiff(exif);
  if (!tiff.Valid()) return std::nullopt;
  const std::size_t pointer = tiff.Entry(tiff.U32(4), kExifPointerTag);
  if (pointer == 0 || tiff.U16(pointer + 2) != kLong) return std::nullopt;
  const std::size_t date = tiff.Entry(tiff.U32(pointer + 8), kDateTimeOriginalTag);
  // "YYYY:MM:DD HH:MM:SS" and its NUL: 20 characters, behind an offset.
  if (date == 0 || tiff.U16(date + 2) != kAscii || tiff.U32(date + 4) < 10) return std::nullopt;
  const std::size_t text = tiff.U32(date + 8);
  if (!tiff.Has(text, 10)) return std::nullopt;
  const std::uint8_t* t = tiff.At(text);
  if (t[4] != ':' || t[7] != ':') return std::nullopt;
  const TDateTaken d{Digits(t, 4), Digits(t + 5, 2), Digits(t + 8, 2)};
  // Cameras without a set clock write zeros or blanks.
  if (d.Year < 1 || d.Month < 1 || d.Month > 12 || d.Day < 1 || d.Day > 31) return std::nullopt;
  return d;
}

std::optional<TDateTaken> ReadHeifExifDateTaken(std::span<const std::uint8_t> block) {
  if (block.size() < 4) return std::nullopt;
  // The offset is the file's word: anything up to 4 GiB, checked against
  // what the block holds before it is used.
  const std::uint32_t offset = BigU32(block.data());
  if (offset > block.size() - 4) return std::nullopt;
  return ReadExifDateTaken(block.subspan(4 + std::size_t(offset)));
}

std::optional<TDateTaken> FindDateTaken(std::span<const std::uint8_t> d) {
  if (d.size() >= 4 && d[0] == 0xFF && d[1] == 0xD8) return FromJpeg(d);
  if (d.size() >= 8 && std::memcmp(d.data(), "\x89PNG\r\n\x1a\n", 8) == 0) return FromPng(d);
  if (d.size() >= 12 && std::memcmp(d.data(), "RIFF", 4) == 0 &&
      std::memcmp(d.data() + 8, "WEBP", 4) == 0)
    return FromWebp(d);
  return std::nullopt;
}

std::optional<TDateTaken> ReadDateTaken(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<std::uint8_t> head(kHeadBytes);
  in.read(reinterpret_cast<char*>(head.data()), std::streamsize(head.size()));
  head.resize(std::size_t(in.gcount()));
  if (codec::IsHeifSignature(head)) return ReadHeifExifDateTaken(codec::HeifExifBlock(fileName));
  const std::optional<TDateTaken> date = FindDateTaken(head);
  if (!date && head.size() == kHeadBytes && codec::IsWebpSignature(head)) return FromWebpFile(in);
  return date;
}

}  // namespace vantora
