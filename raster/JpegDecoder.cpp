// JPEG decoding through libjpeg, with the checks that keep a hostile file
// from making it allocate or work without bound.

#include <cstring>
#include <string>
#include <vector>

#include "raster/JpegErrors.h"
#include "raster/Picture.h"
#include "raster/PictureCodec.h"

namespace vantora {

namespace {

using codec::Fail;
using codec::JpegErrorManager;
using codec::JumpWithMessage;

// A progressive JPEG may carry any number of scans, each of which makes
// libjpeg walk the whole coefficient buffer; real encoders write about ten.
constexpr int kMaxJpegScans = 500;

void JpegProgress(j_common_ptr cinfo) {
  if (cinfo->is_decompressor &&
      reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxJpegScans)
    JumpWithMessage(cinfo, "too many scans in a progressive JPEG");
}

struct JpegDecoder {
  jpeg_decompress_struct cinfo;
  JpegErrorManager jerr;
  jpeg_progress_mgr progress;

  JpegDecoder() {
    std::memset(&cinfo, 0, sizeof cinfo);
    std::memset(&progress, 0, sizeof progress);
    codec::InstallErrorManager(jerr);
    cinfo.err = &jerr.pub;
    progress.progress_monitor = JpegProgress;
  }
  ~JpegDecoder() { jpeg_destroy_decompress(&cinfo); }  // safe when never created
  JpegDecoder(const JpegDecoder&) = delete;
  JpegDecoder& operator=(const JpegDecoder&) = delete;
};

// Guarded: creates the decompressor on `source` (memory or file) and reads the
// header.
bool JpegReadHeader(JpegDecoder* d, const std::span<const std::uint8_t>* memory, std::FILE* file) {
  if (setjmp(d->jerr.jump)) return false;
  jpeg_create_decompress(&d->cinfo);
  d->cinfo.progress = &d->progress;
  if (memory)
    jpeg_mem_src(&d->cinfo, memory->data(), static_cast<unsigned long>(memory->size()));
  else
    jpeg_stdio_src(&d->cinfo, file);
  jpeg_read_header(&d->cinfo, TRUE);
  return true;
}

void CheckJpegSize(const jpeg_decompress_struct& c, const std::string& name) {
  if (std::int64_t(c.image_width) * c.image_height > kMaxPixels)
    Fail(name, "picture too large (" + std::to_string(c.image_width) + " x " +
                   std::to_string(c.image_height) + ")");
}

// A sequential Huffman-coded JPEG spends at least two bits on every 8 x 8
// block (a DC code and an end-of-block code, each at least one bit long). A
// file shorter than that for the size its header claims is cut off, so it is
// refused before a bitmap of that size is allocated. (Progressive files are
// read whole before allocation anyway; arithmetic coding can spend less.)
void CheckJpegDataLength(const jpeg_decompress_struct& c, std::size_t length,
                         const std::string& name) {
  if (c.progressive_mode || c.arith_code) return;
  std::int64_t blocks = 0;
  for (int i = 0; i < c.num_components; ++i)
    blocks += std::int64_t(c.comp_info[i].width_in_blocks) * c.comp_info[i].height_in_blocks;
  if (std::int64_t(length) < blocks / 4)
    Fail(name, "JPEG data too short for a picture of " + std::to_string(c.image_width) + " x " +
                   std::to_string(c.image_height));
}

// Guarded: computes the output size at the chosen DCT scale.
bool JpegCalcOutput(JpegDecoder* d, int scale) {
  if (setjmp(d->jerr.jump)) return false;
  jpeg_decompress_struct& c = d->cinfo;
  c.scale_num = 1;
  c.scale_denom = static_cast<unsigned>(scale);
  // CMYK and YCCK come out as CMYK and are converted by us; everything else
  // libjpeg converts straight into our byte order.
  c.out_color_space =
      (c.jpeg_color_space == JCS_CMYK || c.jpeg_color_space == JCS_YCCK) ? JCS_CMYK : JCS_EXT_BGRX;
  jpeg_calc_output_dimensions(&c);
  return true;
}

TPixel CmykToPixel(const JSAMPLE* p, bool inverted) {
  // Adobe's writers store CMYK inverted (0 = full ink); others store it plain.
  int c = p[0], m = p[1], y = p[2], k = p[3];
  if (!inverted) {
    c = 255 - c;
    m = 255 - m;
    y = 255 - y;
    k = 255 - k;
  }
  return Rgb((c * k + 127) / 255, (m * k + 127) / 255, (y * k + 127) / 255);
}

// Guarded: decodes the scan lines into `bitmap`, already of the output size.
// cmykRow is a row buffer of 4 x width bytes, used for CMYK output only.
bool JpegDecodeRows(JpegDecoder* d, Bitmap* bitmap, JSAMPLE* cmykRow) {
  if (setjmp(d->jerr.jump)) return false;
  jpeg_decompress_struct& c = d->cinfo;
  jpeg_start_decompress(&c);
  const bool cmyk = c.out_color_space == JCS_CMYK;
  const bool inverted = c.saw_Adobe_marker;
  const int width = bitmap->Width();
  while (c.output_scanline < c.output_height) {
    const int y = static_cast<int>(c.output_scanline);
    JSAMPROW row = cmyk ? cmykRow : reinterpret_cast<JSAMPLE*>(bitmap->ScanLine(y));
    if (jpeg_read_scanlines(&c, &row, 1) != 1)
      JumpWithMessage(reinterpret_cast<j_common_ptr>(&c), "no scan line decoded");
    TPixel* out = bitmap->ScanLine(y);
    if (cmyk) {
      for (int x = 0; x < width; ++x) out[x] = CmykToPixel(cmykRow + 4 * x, inverted);
    } else {
      // The fourth byte is unused; keep it 0 so pixels compare as Rgb() values.
      for (int x = 0; x < width; ++x) out[x] &= 0x00FFFFFFu;
    }
  }
  jpeg_finish_decompress(&c);
  return true;
}

std::string JpegMessage(const JpegDecoder& d) {
  return d.jerr.message[0] ? std::string(d.jerr.message) : std::string("corrupt JPEG data");
}

}  // namespace

TPictureSize ReadJpegSize(const std::string& fileName) {
  codec::FilePtr file = codec::OpenForReading(fileName);
  JpegDecoder d;
  if (!JpegReadHeader(&d, nullptr, file.get())) Fail(fileName, JpegMessage(d));
  return {int(d.cinfo.image_width), int(d.cinfo.image_height)};
}

TJpegScale CoveringScale(int width, int height, int minWidth, int minHeight) {
  for (TJpegScale s : {TJpegScale::Eighth, TJpegScale::Quarter, TJpegScale::Half}) {
    // libjpeg rounds scaled sizes up.
    const int d = int(s);
    if ((width + d - 1) / d >= minWidth && (height + d - 1) / d >= minHeight) return s;
  }
  return TJpegScale::Full;
}

Bitmap DecodeJpeg(std::span<const std::uint8_t> data, const std::string& name, TJpegScale scale) {
  if (data.empty()) Fail(name, "empty file");
  JpegDecoder d;
  if (!JpegReadHeader(&d, &data, nullptr)) Fail(name, JpegMessage(d));
  CheckJpegSize(d.cinfo, name);
  CheckJpegDataLength(d.cinfo, data.size(), name);
  if (!JpegCalcOutput(&d, int(scale))) Fail(name, JpegMessage(d));

  Bitmap bitmap =
      codec::AllocateBitmap(int(d.cinfo.output_width), int(d.cinfo.output_height), name);
  std::vector<JSAMPLE> cmykRow;
  if (d.cinfo.out_color_space == JCS_CMYK) cmykRow.resize(std::size_t(bitmap.Width()) * 4);
  if (!JpegDecodeRows(&d, &bitmap, cmykRow.data())) Fail(name, JpegMessage(d));
  return bitmap;
}

}  // namespace vantora
