#pragma once
// PNG, WebP and HEIF files for the decoder tests and the fuzzers' seeds,
// written at run time through the formats' own libraries (libpng, libwebp and
// its muxer, libheif with x265 and aom), so each variant is a few lines here
// instead of a binary file.

#include <png.h>
#include <webp/encode.h>
#include <webp/mux.h>
#include <libheif/heif.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "raster/Bitmap.h"
#include "tests/raster/PictureFiles.h"

namespace vantora::testfiles {

// A picture with 16-bit red, green, blue and alpha samples, row by row.
struct TRgba16 {
  int Width = 0, Height = 0;
  std::vector<std::array<std::uint16_t, 4>> Samples;

  std::array<std::uint16_t, 4>& At(int x, int y) {
    return Samples[std::size_t(y) * std::size_t(Width) + std::size_t(x)];
  }
  const std::array<std::uint16_t, 4>& At(int x, int y) const {
    return Samples[std::size_t(y) * std::size_t(Width) + std::size_t(x)];
  }
  static TRgba16 Of(const Bitmap& b, std::uint16_t alpha = 65535) {
    TRgba16 p{b.Width(), b.Height(), {}};
    for (int y = 0; y < b.Height(); ++y)
      for (int x = 0; x < b.Width(); ++x) {
        const TPixel c = b.Pixel(x, y);
        p.Samples.push_back({std::uint16_t((c >> 16 & 255) * 257),
                             std::uint16_t((c >> 8 & 255) * 257), std::uint16_t((c & 255) * 257),
                             alpha});
      }
    return p;
  }
};

struct TPngOptions {
  int ColorType = PNG_COLOR_TYPE_RGB;  // grey, RGB, palette, with or without alpha
  int BitDepth = 8;
  bool Interlaced = false;
  int Orientation = 0;  // written in an eXIf chunk when 1..8
  bool ExifAfterPixels = false;
  // A tRNS chunk: for palettes, the alpha of each entry; for grey and RGB,
  // the one colour (16-bit samples) that is transparent.
  std::vector<std::uint8_t> PaletteAlpha = {};
  std::array<std::uint16_t, 3>* TransparentColour = nullptr;
  std::vector<std::array<std::uint8_t, 3>> Palette = {};  // indices are the red samples' high bytes
};

// The TIFF structure of an EXIF block with one orientation tag, little-endian.
inline Bytes TiffOrientation(int orientation) {
  return {'I', 'I', 42, 0, 8, 0, 0, 0,  // header, first IFD at 8
          1, 0,                          // one entry
          0x12, 0x01, 3, 0, 1, 0, 0, 0, std::uint8_t(orientation), 0, 0, 0,  // orientation
          0, 0, 0, 0};
}

inline Bytes WritePng(const TRgba16& p, const TPngOptions& o = {}) {
  struct Out {
    Bytes Data;
  } out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("libpng could not write the test file");
  }
  png_set_write_fn(
      png, &out,
      [](png_structp s, png_bytep d, png_size_t n) {
        auto* o = static_cast<Out*>(png_get_io_ptr(s));
        o->Data.insert(o->Data.end(), d, d + n);
      },
      nullptr);
  png_set_IHDR(png, info, png_uint_32(p.Width), png_uint_32(p.Height), o.BitDepth, o.ColorType,
               o.Interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (o.ColorType == PNG_COLOR_TYPE_PALETTE) {
    std::vector<png_color> palette;
    for (const auto& c : o.Palette) palette.push_back({c[0], c[1], c[2]});
    png_set_PLTE(png, info, palette.data(), int(palette.size()));
    if (!o.PaletteAlpha.empty())
      png_set_tRNS(png, info, o.PaletteAlpha.data(), int(o.PaletteAlpha.size()), nullptr);
  } else if (o.TransparentColour) {
    // In the file's own bit depth.
    const auto level = [&](int i) {
      return png_uint_16((*o.TransparentColour)[std::size_t(i)] >> (16 - o.BitDepth));
    };
    png_color_16 c{};
    c.red = level(0), c.green = level(1), c.blue = level(2), c.gray = level(0);
    png_set_tRNS(png, info, nullptr, 0, &c);
  }
  Bytes exif = TiffOrientation(o.Orientation);
  const bool withExif = o.Orientation >= 1 && o.Orientation <= 8;
  if (withExif && !o.ExifAfterPixels) png_set_eXIf_1(png, info, png_uint_32(exif.size()), exif.data());
  png_write_info(png, info);

  const bool grey = !(o.ColorType & PNG_COLOR_MASK_COLOR);
  const bool alpha = o.ColorType & PNG_COLOR_MASK_ALPHA;
  const int channels = o.ColorType == PNG_COLOR_TYPE_PALETTE ? 1 : (grey ? 1 : 3) + (alpha ? 1 : 0);
  std::vector<Bytes> rows(std::size_t(p.Height));
  for (int y = 0; y < p.Height; ++y) {
    Bytes& row = rows[std::size_t(y)];
    row.assign((std::size_t(p.Width) * channels * o.BitDepth + 7) / 8, 0);
    int bit = 0;
    auto put = [&](std::uint16_t sample) {
      if (o.BitDepth == 16) {
        row[std::size_t(bit / 8)] = std::uint8_t(sample >> 8);
        row[std::size_t(bit / 8) + 1] = std::uint8_t(sample);
      } else if (o.BitDepth == 8) {
        row[std::size_t(bit / 8)] = std::uint8_t(sample >> 8);
      } else {  // the top bits, packed from the high end of each byte
        const int v = sample >> (16 - o.BitDepth);
        row[std::size_t(bit / 8)] |= std::uint8_t(v << (8 - o.BitDepth - bit % 8));
      }
      bit += o.BitDepth;
    };
    for (int x = 0; x < p.Width; ++x) {
      const auto& s = p.At(x, y);
      if (o.ColorType == PNG_COLOR_TYPE_PALETTE) {
        // The index is the red sample's top BitDepth bits.
        put(s[0]);
        continue;
      }
      if (grey) {
        put(s[0]);
      } else {
        put(s[0]), put(s[1]), put(s[2]);
      }
      if (alpha) put(s[3]);
    }
  }
  std::vector<png_bytep> pointers;
  for (Bytes& r : rows) pointers.push_back(r.data());
  png_set_rows(png, info, pointers.data());
  png_write_image(png, pointers.data());
  if (withExif && o.ExifAfterPixels) png_set_eXIf_1(png, info, png_uint_32(exif.size()), exif.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out.Data;
}

// Blue, green, red, alpha bytes of a picture with one alpha for all pixels.
inline Bytes Bgra(const TRgba16& p) {
  Bytes bgra;
  for (const auto& s : p.Samples)
    bgra.insert(bgra.end(), {std::uint8_t(s[2] >> 8), std::uint8_t(s[1] >> 8),
                             std::uint8_t(s[0] >> 8), std::uint8_t(s[3] >> 8)});
  return bgra;
}

// A WebP file: lossless (exact pixels) or lossy at quality.
inline Bytes WriteWebp(const TRgba16& p, bool lossless, float quality = 90) {
  const Bytes bgra = Bgra(p);
  std::uint8_t* out = nullptr;
  const std::size_t size =
      lossless ? WebPEncodeLosslessBGRA(bgra.data(), p.Width, p.Height, 4 * p.Width, &out)
               : WebPEncodeBGRA(bgra.data(), p.Width, p.Height, 4 * p.Width, quality, &out);
  Bytes data(out, out + size);
  WebPFree(out);
  return data;
}

// The bytes libwebp assembled, which it then frees.
inline Bytes Taken(WebPData& assembled) {
  Bytes data(assembled.bytes, assembled.bytes + assembled.size);
  WebPDataClear(&assembled);
  return data;
}

// The same file with an EXIF chunk (and so the extended format).
inline Bytes WithWebpExif(const Bytes& webp, const Bytes& exif) {
  WebPMux* mux = WebPMuxNew();
  const WebPData image{webp.data(), webp.size()}, chunk{exif.data(), exif.size()};
  WebPMuxSetImage(mux, &image, 1);
  WebPMuxSetChunk(mux, "EXIF", &chunk, 1);
  WebPData assembled;
  WebPDataInit(&assembled);
  WebPMuxAssemble(mux, &assembled);
  WebPMuxDelete(mux);
  return Taken(assembled);
}

// A lossless animation of the given frames, each shown 100 ms.
inline Bytes WriteWebpAnimation(const std::vector<TRgba16>& frames) {
  WebPAnimEncoderOptions options;
  WebPAnimEncoderOptionsInit(&options);
  WebPAnimEncoder* encoder =
      WebPAnimEncoderNew(frames[0].Width, frames[0].Height, &options);
  WebPConfig config;
  WebPConfigInit(&config);
  config.lossless = 1;
  int timestamp = 0;
  for (const TRgba16& f : frames) {
    WebPPicture picture;
    WebPPictureInit(&picture);
    picture.use_argb = 1;
    picture.width = f.Width, picture.height = f.Height;
    const Bytes bgra = Bgra(f);
    WebPPictureImportBGRA(&picture, bgra.data(), 4 * f.Width);
    WebPAnimEncoderAdd(encoder, &picture, timestamp, &config);
    WebPPictureFree(&picture);
    timestamp += 100;
  }
  WebPAnimEncoderAdd(encoder, nullptr, timestamp, nullptr);
  WebPData assembled;
  WebPDataInit(&assembled);
  WebPAnimEncoderAssemble(encoder, &assembled);
  WebPAnimEncoderDelete(encoder);
  return Taken(assembled);
}

// A HEIC (x265) or AVIF (aom) file at quality, with its picture turned by
// the HEIF transforms of an EXIF orientation (1 = none). fast: the encoders'
// quickest settings, for camera-sized pictures. exif: EXIF data (from its
// TIFF header on) kept in the file's Exif item.
inline Bytes WriteHeif(const TRgba16& p, bool avif, int quality = 90, int orientation = 1,
                       bool alpha = false, bool fast = false, const Bytes& exif = {}) {
  heif_context* context = heif_context_alloc();
  heif_encoder* encoder = nullptr;
  heif_context_get_encoder_for_format(context, avif ? heif_compression_AV1 : heif_compression_HEVC,
                                      &encoder);
  if (!encoder) throw std::runtime_error("libheif has no encoder for the test file");
  heif_encoder_set_lossy_quality(encoder, quality);
  if (fast && avif) heif_encoder_set_parameter_integer(encoder, "speed", 9);
  if (fast && !avif) heif_encoder_set_parameter_string(encoder, "preset", "ultrafast");
  heif_image* image = nullptr;
  heif_image_create(p.Width, p.Height, heif_colorspace_RGB,
                    alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, &image);
  heif_image_add_plane(image, heif_channel_interleaved, p.Width, p.Height, 8);
  int stride = 0;
  std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
  for (int y = 0; y < p.Height; ++y)
    for (int x = 0; x < p.Width; ++x) {
      std::uint8_t* out = plane + std::ptrdiff_t(y) * stride + (alpha ? 4 : 3) * x;
      for (int c = 0; c < (alpha ? 4 : 3); ++c) out[c] = std::uint8_t(p.At(x, y)[std::size_t(c)] >> 8);
    }
  heif_encoding_options* options = heif_encoding_options_alloc();
  options->image_orientation = heif_orientation(orientation);
  heif_image_handle* handle = nullptr;
  heif_context_encode_image(context, image, encoder, options, &handle);
  if (!exif.empty() && handle)
    heif_context_add_exif_metadata(context, handle, exif.data(), int(exif.size()));
  if (handle) heif_image_handle_release(handle);
  heif_encoding_options_free(options);
  heif_encoder_release(encoder);
  heif_image_release(image);
  Bytes data;
  heif_writer writer{1, [](heif_context*, const void* d, size_t n, void* user) {
                       auto* out = static_cast<Bytes*>(user);
                       const auto* bytes = static_cast<const std::uint8_t*>(d);
                       out->insert(out->end(), bytes, bytes + n);
                       return heif_error{heif_error_Ok, heif_suberror_Unspecified, ""};
                     }};
  heif_context_write(context, &writer, &data);
  heif_context_free(context);
  return data;
}

}  // namespace vantora::testfiles
