#include "raster/Picture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <new>

#include "raster/Orientation.h"
#include "raster/PictureCodec.h"

namespace vantora {

namespace codec {

[[noreturn]] void Fail(const std::string& name, const std::string& what) {
  throw PictureError(name + ": " + what);
}

[[noreturn]] void FailMemory(const TDecodeLimits& limits, int width, int height,
                             const std::string& name) {
  Fail(name, "a picture of " + std::to_string(width) + " x " + std::to_string(height) +
                 " needs more than the " + std::to_string(limits.MaxBytes >> 20) +
                 " MB one picture may take");
}

void CheckMemory(std::int64_t bytes, const TDecodeLimits& limits, int width, int height,
                 const std::string& name) {
  if (bytes > limits.MaxBytes) FailMemory(limits, width, height, name);
}

FilePtr OpenForReading(const std::string& fileName) {
  // Opening a named pipe for reading would wait for a writer; without
  // blocking it opens at once and is refused below.
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) Fail(fileName, std::string("cannot open file (") + std::strerror(errno) + ")");
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    Fail(fileName, "not a regular file");
  }
  FilePtr file(::fdopen(fd, "rb"));
  if (!file) {
    ::close(fd);
    Fail(fileName, std::string("cannot open file (") + std::strerror(errno) + ")");
  }
  return file;
}

template <class Make>
Bitmap Allocated(int width, int height, const std::string& name, Make make) {
  try {
    return make();
  } catch (const std::bad_alloc&) {
    Fail(name, "not enough memory for a picture of " + std::to_string(width) + " x " +
                   std::to_string(height));
  }
}

Bitmap AllocateBitmap(int width, int height, const std::string& name) {
  return Allocated(width, height, name, [&] { return Bitmap(width, height); });
}

Bitmap AllocateBitmapForOverwrite(int width, int height, const std::string& name) {
  return Allocated(width, height, name, [&] { return Bitmap::ForOverwrite(width, height); });
}

bool IsJpegSignature(std::span<const std::uint8_t> d) {
  return d.size() >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF;
}
bool IsBmpSignature(std::span<const std::uint8_t> d) {
  return d.size() >= 2 && d[0] == 'B' && d[1] == 'M';
}
bool IsPngSignature(std::span<const std::uint8_t> d) {
  static constexpr std::uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  return d.size() >= 8 && std::memcmp(d.data(), kPng, 8) == 0;
}
bool IsWebpSignature(std::span<const std::uint8_t> d) {
  return d.size() >= 12 && std::memcmp(d.data(), "RIFF", 4) == 0 &&
         std::memcmp(d.data() + 8, "WEBP", 4) == 0;
}
bool IsHeifSignature(std::span<const std::uint8_t> d) {
  // The file type box comes first: its size, "ftyp", the major brand, a
  // version, then the compatible brands.
  if (d.size() < 16 || std::memcmp(d.data() + 4, "ftyp", 4) != 0) return false;
  const std::size_t boxSize = std::size_t(d[0]) << 24 | std::size_t(d[1]) << 16 |
                              std::size_t(d[2]) << 8 | std::size_t(d[3]);
  const std::size_t end = std::min(d.size(), boxSize);
  static constexpr const char* kBrands[] = {"heic", "heix", "heim", "heis", "hevc", "hevx",
                                            "mif1", "msf1", "avif", "avis"};
  for (std::size_t at = 8; at + 4 <= end; at += at == 8 ? 8 : 4)  // skips the version
    for (const char* brand : kBrands)
      if (std::memcmp(d.data() + at, brand, 4) == 0) return true;
  return false;
}

void CheckPictureSize(std::int64_t width, std::int64_t height, const std::string& name) {
  if (width <= 0 || height <= 0)
    Fail(name, "invalid picture size (" + std::to_string(width) + " x " + std::to_string(height) +
                   ")");
  if (width > kMaxPixels || height > kMaxPixels || width * height > kMaxPixels)
    Fail(name, "picture too large (" + std::to_string(width) + " x " + std::to_string(height) +
                   ")");
}

void CheckDataCovers(std::size_t dataBytes, int width, int height, const char* format,
                     const std::string& name) {
  if (std::int64_t(dataBytes) < std::int64_t(width) * height / 16384)
    Fail(name, std::string(format) + " data too short for a picture of " + std::to_string(width) +
                   " x " + std::to_string(height));
}

TDecodeWatch::TDecodeWatch(const TDecodeLimits& limits)
    : FDeadline(std::chrono::steady_clock::now() + limits.MaxTime), FCancel(limits.Cancel) {}

const char* TDecodeWatch::Interruption() const {
  if (FCancel != nullptr && FCancel->load(std::memory_order_relaxed))
    return "decoding was cancelled";
  if (std::chrono::steady_clock::now() > FDeadline) return "decoding took too long";
  return nullptr;
}

void TDecodeWatch::Check(const std::string& name) const {
  if (const char* what = Interruption()) Fail(name, what);
}

void ComposeOver(TPixel* pixels, std::size_t count, TPixel background, bool premultiplied) {
  const std::uint32_t bb = background & 255, bg = background >> 8 & 255,
                      br = background >> 16 & 255;
  for (std::size_t i = 0; i < count; ++i) {
    const TPixel p = pixels[i];
    const std::uint32_t a = p >> 24, rest = 255 - a;
    std::uint32_t b = p & 255, g = p >> 8 & 255, r = p >> 16 & 255;
    if (premultiplied) {
      b = std::min<std::uint32_t>(255, b + (bb * rest + 127) / 255);
      g = std::min<std::uint32_t>(255, g + (bg * rest + 127) / 255);
      r = std::min<std::uint32_t>(255, r + (br * rest + 127) / 255);
    } else {
      b = (b * a + bb * rest + 127) / 255;
      g = (g * a + bg * rest + 127) / 255;
      r = (r * a + br * rest + 127) / 255;
    }
    pixels[i] = r << 16 | g << 8 | b;
  }
}

Bitmap TurnedUpright(const Bitmap& stored, int orientation, std::int64_t used,
                     const TDecodeLimits& limits, const std::string& name) {
  const int w = stored.Width(), h = stored.Height();
  if (orientation == kUpright) return stored;
  CheckMemory(used + 4 * std::int64_t(w) * h, limits, w, h, name);
  Bitmap upright = SwapsSides(orientation) ? AllocateBitmapForOverwrite(h, w, name)
                                           : AllocateBitmapForOverwrite(w, h, name);
  PlaceStoredRows(stored.Bits(), 0, h, w, h, orientation, upright);
  return upright;
}

}  // namespace codec

namespace {

using codec::Fail;
using codec::FilePtr;
using codec::OpenForReading;

std::string LowerExtension(const std::string& fileName) {
  const auto slash = fileName.find_last_of("/\\");
  const auto dot = fileName.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = fileName.substr(dot);
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

enum class TFormat { Jpeg, Bmp, Png, Webp, Heif, Unknown };

// The format a picture extension names; any other extension is refused.
TFormat FormatOfName(const std::string& fileName) {
  const std::string ext = LowerExtension(fileName);
  if (ext == ".jpg" || ext == ".jpeg") return TFormat::Jpeg;
  if (ext == ".bmp") return TFormat::Bmp;
  if (ext == ".png") return TFormat::Png;
  if (ext == ".webp") return TFormat::Webp;
  if (ext == ".heic" || ext == ".heif" || ext == ".avif") return TFormat::Heif;
  Fail(fileName, "Unknown picture file extension (" + (ext.empty() ? "none" : ext) + ")");
}

TFormat FormatOfContent(std::span<const std::uint8_t> data) {
  if (codec::IsJpegSignature(data)) return TFormat::Jpeg;
  if (codec::IsPngSignature(data)) return TFormat::Png;
  if (codec::IsWebpSignature(data)) return TFormat::Webp;
  if (codec::IsHeifSignature(data)) return TFormat::Heif;
  if (codec::IsBmpSignature(data)) return TFormat::Bmp;
  return TFormat::Unknown;
}

// The content decides; a file of no known format goes to the decoder its
// extension names, whose error then says what is wrong with it.
TFormat FormatOfFile(std::span<const std::uint8_t> data, TFormat byName) {
  const TFormat byContent = FormatOfContent(data);
  return byContent != TFormat::Unknown ? byContent : byName;
}

// Decodes a picture of any format but JPEG, whole.
Bitmap DecodeWhole(TFormat format, std::span<const std::uint8_t> data, const std::string& name,
                   const TDecodeLimits& limits);

// Refuses a file by its first bytes where its named decoder would: a JPEG
// must start with FF D8, a bitmap with "BM". The decoder is given those
// bytes alone, so the error reads as it would for the whole file.
void RefuseUnknownHead(std::span<const std::uint8_t> head, TFormat byName,
                       const std::string& name, const TDecodeLimits& limits) {
  if (FormatOfContent(head) != TFormat::Unknown) return;
  const bool refused = byName == TFormat::Bmp ||
                       (byName == TFormat::Jpeg &&
                        (head.size() < 2 || head[0] != 0xFF || head[1] != 0xD8));
  if (refused) DecodeWhole(byName, head, name, limits);
}

// Decodes a picture of any format but JPEG, whole.
Bitmap DecodeWhole(TFormat format, std::span<const std::uint8_t> data, const std::string& name,
                   const TDecodeLimits& limits) {
  switch (format) {
    case TFormat::Png: return DecodePng(data, name, limits);
    case TFormat::Webp: return DecodeWebp(data, name, limits);
    case TFormat::Heif: return DecodeHeif(data, name, limits);
    case TFormat::Bmp: return DecodeBmp(data, name, limits);
    case TFormat::Jpeg: return DecodeJpeg(data, name, TJpegScale::Full, limits);
    case TFormat::Unknown: break;
  }
  Fail(name, data.empty() ? "empty picture data" : "unknown picture format");
}

// The bytes of a picture file, read within the decode's limits. A file
// larger than the whole decode may take is refused from its size before
// anything is read, and a long read stops once the decode is cancelled.
// A file named as a JPEG or a bitmap that starts as neither nor as any other
// format we know goes to its named decoder anyway, which refuses it from its
// first two bytes: it is refused from those, with the decoder's own words,
// before the rest is read.
std::vector<std::uint8_t> ReadPictureFile(const std::string& fileName, TFormat byName,
                                          const TDecodeLimits& limits) {
  FilePtr file = OpenForReading(fileName);
  if (std::fseek(file.get(), 0, SEEK_END) != 0) Fail(fileName, "cannot read file");
  const long size = std::ftell(file.get());
  if (size < 0) Fail(fileName, "cannot read file");
  if (size > limits.MaxBytes) Fail(fileName, "file too large (" + std::to_string(size) + " bytes)");
  std::rewind(file.get());
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  const codec::TDecodeWatch watch(limits);
  constexpr std::size_t kHead = 64, kPiece = std::size_t(4) << 20;
  for (std::size_t at = 0; at < bytes.size();) {
    watch.Check(fileName);
    const std::size_t n = std::min(at == 0 ? kHead : kPiece, bytes.size() - at);
    if (std::fread(bytes.data() + at, 1, n, file.get()) != n) Fail(fileName, "cannot read file");
    if (at == 0) RefuseUnknownHead(std::span(bytes.data(), n), byName, fileName, limits);
    at += n;
  }
  return bytes;
}

}  // namespace

void Picture::LoadFromFile(const std::string& fileName, TJpegScale scale) {
  const TFormat byName = FormatOfName(fileName);
  const std::vector<std::uint8_t> bytes = ReadPictureFile(fileName, byName, TDecodeLimits());
  const TFormat format = FormatOfFile(bytes, byName);
  // Decoded first and assigned last: a failed load keeps the old picture.
  FBitmap = format == TFormat::Jpeg ? DecodeJpeg(bytes, fileName, scale)
                                    : DecodeWhole(format, bytes, fileName, {});
}

TPictureSize Picture::LoadFromFile(const std::string& fileName, const TWantedSize& wanted,
                                   const TDecodeLimits& limits) {
  const TFormat byName = FormatOfName(fileName);
  const std::vector<std::uint8_t> bytes = ReadPictureFile(fileName, byName, limits);
  const TFormat format = FormatOfFile(bytes, byName);
  if (format != TFormat::Jpeg) {
    FBitmap = DecodeWhole(format, bytes, fileName, limits);
    return {FBitmap.Width(), FBitmap.Height()};
  }
  codec::TDecodedJpeg decoded = codec::DecodeJpegCovering(bytes, fileName, wanted, limits);
  FBitmap = std::move(decoded.Pixels);
  return decoded.FullSize;
}

void Picture::LoadFromMemory(std::span<const std::uint8_t> data, const std::string& name,
                             TJpegScale scale) {
  const TFormat format = FormatOfContent(data);
  FBitmap = format == TFormat::Jpeg ? DecodeJpeg(data, name, scale)
                                    : DecodeWhole(format, data, name, {});
}

}  // namespace vantora
