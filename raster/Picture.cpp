#include "raster/Picture.h"

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

FilePtr OpenForReading(const std::string& fileName) {
  FilePtr file(std::fopen(fileName.c_str(), "rb"));
  if (!file) Fail(fileName, std::string("cannot open file (") + std::strerror(errno) + ")");
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

// A picture file larger than this cannot hold a picture we would accept
// (kMaxPixels at 4 bytes a pixel, plus headers), so it is refused before it
// is read into memory.
constexpr std::int64_t kMaxFileSize = kMaxPixels * 4 + (std::int64_t(64) << 20);

std::string LowerExtension(const std::string& fileName) {
  const auto slash = fileName.find_last_of("/\\");
  const auto dot = fileName.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = fileName.substr(dot);
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& fileName) {
  FilePtr file = OpenForReading(fileName);
  if (std::fseek(file.get(), 0, SEEK_END) != 0) Fail(fileName, "cannot read file");
  const long size = std::ftell(file.get());
  if (size < 0) Fail(fileName, "cannot read file");
  if (size > kMaxFileSize) Fail(fileName, "file too large (" + std::to_string(size) + " bytes)");
  std::rewind(file.get());
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (size > 0 && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
    Fail(fileName, "cannot read file");
  return bytes;
}

}  // namespace

void Picture::LoadFromFile(const std::string& fileName, TJpegScale scale) {
  const std::string ext = LowerExtension(fileName);
  const bool jpeg = ext == ".jpg" || ext == ".jpeg";
  if (!jpeg && ext != ".bmp")
    Fail(fileName, "Unknown picture file extension (" + (ext.empty() ? "none" : ext) + ")");
  const std::vector<std::uint8_t> bytes = ReadWholeFile(fileName);
  // Decoded first and assigned last: a failed load keeps the old picture.
  FBitmap = jpeg ? DecodeJpeg(bytes, fileName, scale) : DecodeBmp(bytes, fileName);
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
