#include "raster/Picture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <new>

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

Bitmap AllocateBitmap(int width, int height, const std::string& name) {
  try {
    return Bitmap(width, height);
  } catch (const std::bad_alloc&) {
    Fail(name, "not enough memory for a picture of " + std::to_string(width) + " x " +
                   std::to_string(height));
  }
}

bool IsJpegSignature(std::span<const std::uint8_t> d) {
  return d.size() >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF;
}
bool IsBmpSignature(std::span<const std::uint8_t> d) {
  return d.size() >= 2 && d[0] == 'B' && d[1] == 'M';
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

bool IsJpegName(const std::string& fileName) {
  const std::string ext = LowerExtension(fileName);
  if (ext == ".jpg" || ext == ".jpeg") return true;
  if (ext == ".bmp") return false;
  Fail(fileName, "Unknown picture file extension (" + (ext.empty() ? "none" : ext) + ")");
}

// A file larger than a whole decode may take cannot be decoded, so it is
// refused before it is read into memory.
std::vector<std::uint8_t> ReadWholeFile(const std::string& fileName, const TDecodeLimits& limits) {
  FilePtr file = OpenForReading(fileName);
  if (std::fseek(file.get(), 0, SEEK_END) != 0) Fail(fileName, "cannot read file");
  const long size = std::ftell(file.get());
  if (size < 0) Fail(fileName, "cannot read file");
  if (size > limits.MaxBytes) Fail(fileName, "file too large (" + std::to_string(size) + " bytes)");
  std::rewind(file.get());
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (size > 0 && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
    Fail(fileName, "cannot read file");
  return bytes;
}

}  // namespace

void Picture::LoadFromFile(const std::string& fileName, TJpegScale scale) {
  const bool jpeg = IsJpegName(fileName);
  const std::vector<std::uint8_t> bytes = ReadWholeFile(fileName, {});
  // Decoded first and assigned last: a failed load keeps the old picture.
  FBitmap = jpeg ? DecodeJpeg(bytes, fileName, scale) : DecodeBmp(bytes, fileName);
}

TPictureSize Picture::LoadFromFile(const std::string& fileName, const TWantedSize& wanted,
                                   const TDecodeLimits& limits) {
  const bool jpeg = IsJpegName(fileName);
  const std::vector<std::uint8_t> bytes = ReadWholeFile(fileName, {});
  if (!jpeg) {
    FBitmap = DecodeBmp(bytes, fileName, limits);
    return {FBitmap.Width(), FBitmap.Height()};
  }
  codec::TDecodedJpeg decoded = codec::DecodeJpegCovering(bytes, fileName, wanted, limits);
  FBitmap = std::move(decoded.Pixels);
  return decoded.FullSize;
}

void Picture::LoadFromMemory(std::span<const std::uint8_t> data, const std::string& name,
                             TJpegScale scale) {
  if (codec::IsJpegSignature(data))
    FBitmap = DecodeJpeg(data, name, scale);
  else if (codec::IsBmpSignature(data))
    FBitmap = DecodeBmp(data, name);
  else
    Fail(name, data.empty() ? "empty picture data" : "unknown picture format");
}

}  // namespace vantora
