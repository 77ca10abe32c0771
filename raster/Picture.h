#pragma once
// Pictures loaded from files or memory: JPEG through libjpeg, Windows
// bitmaps through our own reader, PNG through libpng, WebP through libwebp,
// and HEIF (HEIC and AVIF) through libheif. The format is told by the file's
// content, so a picture whose extension lies ("photo.jpg" holding a PNG) is
// still shown. A picture is decoded straight into a Bitmap, upright: an EXIF
// orientation (in a JPEG, a PNG's eXIf chunk or a WebP's EXIF chunk) is
// applied, libheif applies a HEIF's own turns and mirrors, and every size
// reported (Width, Height, ReadJpegSize, the size a DCT scale is chosen
// against) is the upright one. An animation gives its first frame; 16-bit
// samples are rounded to 8 bits; transparent pixels are laid over
// kPictureBackground.
//
// Decoders never trust a file: truncated, corrupt or hostile input (absurd or
// overflowing sizes, more than kMaxPixels pixels, palette indices out of
// range) gives a PictureError naming the file, never a crash and never an
// unbounded allocation. A file whose data cannot cover the pixels its header
// claims is refused before the pixels are allocated, and one decode keeps
// within TDecodeLimits.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "raster/Bitmap.h"

namespace vantora {

class PictureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What transparent pixels are laid over: the show's black, which also
// frames the pictures it shows.
constexpr TPixel kPictureBackground = Rgb(0, 0, 0);

// libjpeg's DCT scaling: decode at 1/1, 1/2, 1/4 or 1/8 of the full size.
enum class TJpegScale { Full = 1, Half = 2, Quarter = 4, Eighth = 8 };

// What one decode may take. The memory counts the file's bytes, the bitmap
// and the library's own buffers; the time is checked as the library works
// through the picture (libjpeg and libpng between rows, libwebp between
// pieces of the file; libheif decodes in one call, so for HEIF both are
// checked before and cancelling after it). A decode that would go past
// either is a PictureError. Cancel, when given, is watched at the same
// points: once another thread sets it, a decode under way gives up with a
// PictureError, so a program that ends does not wait for a picture nobody
// will show.
struct TDecodeLimits {
  std::int64_t MaxBytes = std::int64_t(1) << 30;
  std::chrono::milliseconds MaxTime{10000};
  const std::atomic<bool>* Cancel = nullptr;
};

struct TPictureSize {
  int Width = 0;
  int Height = 0;
  friend bool operator==(const TPictureSize&, const TPictureSize&) = default;
};

// The size a picture must still cover once decoded, given its own (upright,
// full) size; {0, 0} means full size. Lets a large JPEG be decoded through
// DCT scaling at the smallest scale that still covers what it is shown at.
using TWantedSize = std::function<TPictureSize(TPictureSize full)>;

class Picture {
 public:
  Picture() = default;

  // Loads a file whose extension (case-insensitive) is one of the picture
  // extensions: ".jpg", ".jpeg", ".bmp", ".png", ".webp", ".heic", ".heif",
  // ".avif". Its content decides the decoder; content of no known format is
  // decoded as its extension says, for that decoder's error. Any other
  // extension is a PictureError ("Unknown picture file extension (.xyz)"),
  // and so is a name that is not a regular file (a folder, a named pipe).
  void LoadFromFile(const std::string& fileName, TJpegScale scale = TJpegScale::Full);
  // The loading routine of the show, the preview and the thumbnails: reads
  // the file once and decodes a JPEG at the smallest DCT scale whose upright
  // size still covers wanted(full size); other pictures load whole. Returns
  // the picture's upright full size, whatever scale it was decoded at.
  TPictureSize LoadFromFile(const std::string& fileName, const TWantedSize& wanted,
                            const TDecodeLimits& limits = {});
  // Loads a picture of any of the formats from memory, told apart by its
  // signature. name is used in error messages.
  void LoadFromMemory(std::span<const std::uint8_t> data, const std::string& name,
                      TJpegScale scale = TJpegScale::Full);
  void Assign(Bitmap bitmap) { FBitmap = std::move(bitmap); }
  void Clear() { FBitmap = Bitmap(); }

  bool Empty() const { return FBitmap.Empty(); }
  int Width() const { return FBitmap.Width(); }
  int Height() const { return FBitmap.Height(); }
  const Bitmap& AsBitmap() const { return FBitmap; }
  // The picture's bitmap, taken out without a copy; the picture is empty.
  Bitmap TakeBitmap() { return std::move(FBitmap); }
  // Assignment to a bitmap: the bitmap takes the picture's size and pixels.
  void AssignTo(Bitmap& target) const { target = FBitmap; }

 private:
  Bitmap FBitmap;
};

// The upright size of a JPEG without decoding it.
TPictureSize ReadJpegSize(const std::string& fileName);
// The smallest DCT scale at which a width x height JPEG still covers
// minWidth x minHeight (Full when it is already smaller).
TJpegScale CoveringScale(int width, int height, int minWidth, int minHeight);

// Decoders, for callers that already hold the bytes (which count towards
// the limits' memory).
Bitmap DecodeJpeg(std::span<const std::uint8_t> data, const std::string& name,
                  TJpegScale scale = TJpegScale::Full, const TDecodeLimits& limits = {});
Bitmap DecodeBmp(std::span<const std::uint8_t> data, const std::string& name,
                 const TDecodeLimits& limits = {});
// The formats with transparency lay it over `background`.
Bitmap DecodePng(std::span<const std::uint8_t> data, const std::string& name,
                 const TDecodeLimits& limits = {}, TPixel background = kPictureBackground);
Bitmap DecodeWebp(std::span<const std::uint8_t> data, const std::string& name,
                  const TDecodeLimits& limits = {}, TPixel background = kPictureBackground);
// HEIC, AVIF and other HEIF pictures: the primary picture of the file.
Bitmap DecodeHeif(std::span<const std::uint8_t> data, const std::string& name,
                  const TDecodeLimits& limits = {}, TPixel background = kPictureBackground);
// Encoders for tools and tests: baseline or progressive JPEG, 24-bit BMP.
std::vector<std::uint8_t> EncodeJpeg(const Bitmap& bitmap, int quality, bool progressive);
std::vector<std::uint8_t> EncodeBmp24(const Bitmap& bitmap);

}  // namespace vantora
