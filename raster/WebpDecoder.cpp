// WebP decoding through libwebp: a still picture is decoded piece by piece
// straight into the bitmap, so the limits are watched as it goes; an
// animation gives its first frame, composed on its canvas by libwebp's
// animation decoder. Transparency is laid over the background, and the
// orientation of an EXIF chunk turns the picture upright.

#include <webp/decode.h>
#include <webp/demux.h>

#include <algorithm>
#include <memory>
#include <string>

#include "raster/Orientation.h"
#include "raster/Picture.h"
#include "raster/PictureCodec.h"

namespace vantora {

namespace {

using codec::Fail;

// Bytes handed to the decoder at a time: the limits are checked between
// pieces, which for a photo of a few megabytes is every few milliseconds.
constexpr std::size_t kPieceBytes = 128 << 10;

// libwebp's own buffers besides the bitmap: a lossless picture is decoded
// into a whole picture of its own (4 bytes a pixel), an alpha plane takes
// one byte a pixel; a lossy one keeps a few rows of macroblocks.
constexpr std::int64_t kWebpWorkingBytes = std::int64_t(4) << 20;
constexpr std::int64_t kWebpBytesPerPixel = 5;

struct IDecoderDeleter {
  void operator()(WebPIDecoder* d) const { WebPIDelete(d); }
};
struct DemuxDeleter {
  void operator()(WebPDemuxer* d) const { WebPDemuxDelete(d); }
};
struct AnimDecoderDeleter {
  void operator()(WebPAnimDecoder* d) const { WebPAnimDecoderDelete(d); }
};

std::string StatusText(VP8StatusCode status) {
  switch (status) {
    case VP8_STATUS_OUT_OF_MEMORY: return "not enough memory";
    case VP8_STATUS_UNSUPPORTED_FEATURE: return "unsupported WebP feature";
    case VP8_STATUS_NOT_ENOUGH_DATA: return "file truncated";
    default: return "corrupt WebP data";
  }
}

// The orientation of the file's EXIF chunk, which only the extended format
// (a VP8X chunk) carries.
int WebpOrientation(const WebPDemuxer* demux) {
  if (!(WebPDemuxGetI(demux, WEBP_FF_FORMAT_FLAGS) & EXIF_FLAG)) return kUpright;
  WebPChunkIterator chunk;
  if (!WebPDemuxGetChunk(demux, "EXIF", 1, &chunk)) return kUpright;
  const int orientation = ReadExifChunkOrientation({chunk.chunk.bytes, chunk.chunk.size});
  WebPDemuxReleaseChunkIterator(&chunk);
  return orientation;
}

// A still picture, decoded into bitmap piece by piece.
void DecodeStill(std::span<const std::uint8_t> data, Bitmap& bitmap,
                 const codec::TDecodeWatch& watch, const std::string& name) {
  WebPDecoderConfig config;
  if (!WebPInitDecoderConfig(&config)) Fail(name, "libwebp does not match its headers");
  config.output.colorspace = MODE_BGRA;
  config.output.is_external_memory = 1;
  config.output.u.RGBA.rgba = reinterpret_cast<std::uint8_t*>(bitmap.Bits());
  config.output.u.RGBA.stride = 4 * bitmap.Width();
  config.output.u.RGBA.size = 4 * std::size_t(bitmap.Width()) * std::size_t(bitmap.Height());
  const std::unique_ptr<WebPIDecoder, IDecoderDeleter> decoder(
      WebPIDecode(nullptr, 0, &config));
  if (!decoder) Fail(name, "not enough memory");
  VP8StatusCode status = VP8_STATUS_SUSPENDED;
  for (std::size_t given = 0; status == VP8_STATUS_SUSPENDED && given < data.size();) {
    watch.Check(name);
    given = std::min(data.size(), given + kPieceBytes);
    // The decoder reads from data itself, which grows by a piece each time.
    status = WebPIUpdate(decoder.get(), data.data(), given);
  }
  if (status == VP8_STATUS_SUSPENDED) status = VP8_STATUS_NOT_ENOUGH_DATA;
  if (status != VP8_STATUS_OK) Fail(name, StatusText(status));
}

// The first frame of an animation on the canvas, as the animation shows it.
void DecodeFirstFrame(std::span<const std::uint8_t> data, Bitmap& bitmap,
                      const std::string& name) {
  WebPAnimDecoderOptions options;
  if (!WebPAnimDecoderOptionsInit(&options)) Fail(name, "libwebp does not match its headers");
  options.color_mode = MODE_BGRA;
  options.use_threads = 0;
  const WebPData whole{data.data(), data.size()};
  const std::unique_ptr<WebPAnimDecoder, AnimDecoderDeleter> decoder(
      WebPAnimDecoderNew(&whole, &options));
  if (!decoder) Fail(name, "corrupt WebP animation");
  WebPAnimInfo info;
  if (!WebPAnimDecoderGetInfo(decoder.get(), &info) || int(info.canvas_width) != bitmap.Width() ||
      int(info.canvas_height) != bitmap.Height())
    Fail(name, "corrupt WebP animation");
  std::uint8_t* canvas = nullptr;
  int timestamp = 0;
  if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp) || canvas == nullptr)
    Fail(name, "corrupt WebP animation (its first frame cannot be decoded)");
  std::copy_n(canvas, 4 * std::size_t(bitmap.Width()) * std::size_t(bitmap.Height()),
              reinterpret_cast<std::uint8_t*>(bitmap.Bits()));
}

}  // namespace

Bitmap DecodeWebp(std::span<const std::uint8_t> data, const std::string& name,
                  const TDecodeLimits& limits, TPixel background) {
  if (data.empty()) Fail(name, "empty file");
  const codec::TDecodeWatch watch(limits);
  WebPBitstreamFeatures features;
  const VP8StatusCode status = WebPGetFeatures(data.data(), data.size(), &features);
  if (status != VP8_STATUS_OK) Fail(name, StatusText(status));
  const int width = features.width, height = features.height;
  codec::CheckPictureSize(width, height, name);
  codec::CheckDataCovers(data.size(), width, height, "WebP", name);
  const std::int64_t pixels = std::int64_t(width) * height;
  // An animation's decoder keeps two canvases of its own.
  const std::int64_t theirs = features.has_animation ? 8 * pixels : kWebpBytesPerPixel * pixels;
  const std::int64_t used = std::int64_t(data.size()) + 4 * pixels + theirs + kWebpWorkingBytes;
  codec::CheckMemory(used, limits, width, height, name);

  // The container, for the EXIF chunk; it must be whole.
  const WebPData whole{data.data(), data.size()};
  const std::unique_ptr<WebPDemuxer, DemuxDeleter> demux(WebPDemux(&whole));
  if (!demux) Fail(name, "corrupt or truncated WebP file");
  const int orientation = WebpOrientation(demux.get());

  Bitmap bitmap = codec::AllocateBitmapForOverwrite(width, height, name);
  if (features.has_animation) {
    watch.Check(name);
    DecodeFirstFrame(data, bitmap, name);
  } else {
    DecodeStill(data, bitmap, watch, name);
  }
  // Without alpha libwebp writes 255, which lays every pixel over as it is.
  codec::ComposeOver(bitmap.Bits(), std::size_t(pixels), background);
  if (orientation == kUpright) return bitmap;
  return codec::TurnedUpright(bitmap, orientation, used, limits, name);
}

}  // namespace vantora
