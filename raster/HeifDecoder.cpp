// HEIF decoding through libheif: HEIC (HEVC through libde265), AVIF (AV1
// through dav1d or aom) and the other codings libheif knows. The primary
// picture of the file is decoded with its own turns, mirrors and crops
// applied (libheif does this unless told not to); pictures of more than 8
// bits come out rounded to 8, and transparency is laid over the background.
//
// libheif decodes a picture in one call that cannot be interrupted: the
// limits are checked before it, and cancelling also after it.

#include <libheif/heif.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "raster/Picture.h"
#include "raster/PictureCodec.h"

namespace vantora {

namespace {

using codec::Fail;

// What libheif and its codecs hold besides our bitmap, per pixel: the
// decoded planes (up to 16-bit 4:4:4 with alpha, 8 bytes) and the
// interleaved 8-bit picture they are converted into (4 bytes).
constexpr std::int64_t kHeifBytesPerPixel = 12;
constexpr std::int64_t kHeifWorkingBytes = std::int64_t(16) << 20;

// The widest or highest picture libheif is let read; larger areas than
// kMaxPixels are refused by us once the size is known.
constexpr int kMaxSide = 1 << 16;

// Cameras and phones write a few kilobytes of EXIF data, with a preview
// picture some tens; a block claiming more is not read.
constexpr std::size_t kMaxExifBytes = std::size_t(1) << 20;

struct ContextDeleter {
  void operator()(heif_context* c) const { heif_context_free(c); }
};
struct HandleDeleter {
  void operator()(const heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct ImageDeleter {
  void operator()(const heif_image* i) const { heif_image_release(i); }
};
struct OptionsDeleter {
  void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};

// libheif registers its codecs once per process; the registration is kept
// for the life of the program.
void InitHeif() {
  static std::once_flag once;
  std::call_once(once, [] { heif_init(nullptr); });
}

void Check(const heif_error& error, const std::string& name) {
  if (error.code == heif_error_Ok) return;
  Fail(name, error.message && *error.message ? error.message : "corrupt HEIF data");
}

}  // namespace

namespace codec {

std::vector<std::uint8_t> HeifExifBlock(const std::string& fileName) {
  InitHeif();
  const std::unique_ptr<heif_context, ContextDeleter> context(heif_context_alloc());
  if (!context) return {};
  heif_context_set_maximum_image_size_limit(context.get(), kMaxSide);
  if (heif_context_read_from_file(context.get(), fileName.c_str(), nullptr).code != heif_error_Ok)
    return {};
  heif_image_handle* rawHandle = nullptr;
  if (heif_context_get_primary_image_handle(context.get(), &rawHandle).code != heif_error_Ok)
    return {};
  const std::unique_ptr<const heif_image_handle, HandleDeleter> handle(rawHandle);
  heif_item_id id = 0;
  if (heif_image_handle_get_list_of_metadata_block_IDs(handle.get(), "Exif", &id, 1) < 1) return {};
  const std::size_t size = heif_image_handle_get_metadata_size(handle.get(), id);
  if (size == 0 || size > kMaxExifBytes) return {};
  std::vector<std::uint8_t> block(size);
  if (heif_image_handle_get_metadata(handle.get(), id, block.data()).code != heif_error_Ok)
    return {};
  return block;
}

}  // namespace codec

Bitmap DecodeHeif(std::span<const std::uint8_t> data, const std::string& name,
                  const TDecodeLimits& limits, TPixel background) {
  if (data.empty()) Fail(name, "empty file");
  const codec::TDecodeWatch watch(limits);
  InitHeif();
  const std::unique_ptr<heif_context, ContextDeleter> context(heif_context_alloc());
  if (!context) Fail(name, "not enough memory");
  heif_context_set_maximum_image_size_limit(context.get(), kMaxSide);
  // The file's bytes outlive the context: libheif reads them in place.
  Check(heif_context_read_from_memory_without_copy(context.get(), data.data(), data.size(),
                                                   nullptr),
        name);
  heif_image_handle* rawHandle = nullptr;
  Check(heif_context_get_primary_image_handle(context.get(), &rawHandle), name);
  const std::unique_ptr<const heif_image_handle, HandleDeleter> handle(rawHandle);

  // The size once turned, which is what comes out.
  const int width = heif_image_handle_get_width(handle.get());
  const int height = heif_image_handle_get_height(handle.get());
  codec::CheckPictureSize(width, height, name);
  codec::CheckDataCovers(data.size(), width, height, "HEIF", name);
  const std::int64_t pixels = std::int64_t(width) * height;
  codec::CheckMemory(std::int64_t(data.size()) + (4 + kHeifBytesPerPixel) * pixels +
                         kHeifWorkingBytes,
                     limits, width, height, name);

  const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
  const bool premultiplied = alpha && heif_image_handle_is_premultiplied_alpha(handle.get()) != 0;
  const std::unique_ptr<heif_decoding_options, OptionsDeleter> options(
      heif_decoding_options_alloc());
  if (!options) Fail(name, "not enough memory");
  options->convert_hdr_to_8bit = 1;
  watch.Check(name);
  heif_image* rawImage = nullptr;
  Check(heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB,
                          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                          options.get()),
        name);
  const std::unique_ptr<const heif_image, ImageDeleter> image(rawImage);
  if (limits.Cancel != nullptr && limits.Cancel->load(std::memory_order_relaxed))
    Fail(name, "decoding was cancelled");

  int stride = 0;
  const std::uint8_t* plane =
      heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
  const int outWidth = heif_image_get_width(image.get(), heif_channel_interleaved);
  const int outHeight = heif_image_get_height(image.get(), heif_channel_interleaved);
  // A decoded picture of another size than announced would be read past
  // its rows; it is refused instead.
  if (plane == nullptr || outWidth != width || outHeight != height ||
      heif_image_get_bits_per_pixel_range(image.get(), heif_channel_interleaved) != 8)
    Fail(name, "corrupt HEIF data (the decoded picture is not the announced one)");

  Bitmap bitmap = codec::AllocateBitmapForOverwrite(width, height, name);
  const int step = alpha ? 4 : 3;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* in = plane + std::ptrdiff_t(y) * stride;
    TPixel* out = bitmap.ScanLine(y);
    if (alpha) {
      for (int x = 0; x < width; ++x, in += step)
        out[x] = TPixel(in[3]) << 24 | TPixel(in[0]) << 16 | TPixel(in[1]) << 8 | in[2];
      codec::ComposeOver(out, std::size_t(width), background, premultiplied);
    } else {
      for (int x = 0; x < width; ++x, in += step) out[x] = Rgb(in[0], in[1], in[2]);
    }
  }
  return bitmap;
}

}  // namespace vantora
