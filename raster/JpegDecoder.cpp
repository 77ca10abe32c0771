// JPEG decoding through libjpeg: the picture turned upright by its EXIF
// orientation as its rows come out, and the checks that keep a hostile file
// from making libjpeg allocate or work without bound.

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "raster/JpegErrors.h"
#include "raster/Orientation.h"
#include "raster/Picture.h"
#include "raster/PictureCodec.h"

namespace vantora {

namespace {

using codec::Fail;
using codec::JpegErrorManager;
using codec::JumpWithMessage;
using Clock = std::chrono::steady_clock;

// A progressive JPEG may carry any number of scans, each of which makes
// libjpeg walk the whole coefficient buffer; real encoders write about ten.
constexpr int kMaxJpegScans = 500;

// Rows decoded at a time when they are turned or converted on their way
// into the bitmap.
constexpr int kBandRows = 16;

// libjpeg's row buffers, which its memory limit does not count: a few rows
// of MCUs, some megabytes at the widest picture it takes (65500 pixels).
constexpr std::int64_t kJpegWorkingBytes = std::int64_t(16) << 20;

struct JpegProgress {
  jpeg_progress_mgr pub;  // first, so libjpeg's pointer is ours
  Clock::time_point Deadline;
  const std::atomic<bool>* Cancel = nullptr;
};

// Called by libjpeg for every row of MCUs it reads or every call for rows.
void MonitorProgress(j_common_ptr cinfo) {
  if (cinfo->is_decompressor &&
      reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxJpegScans)
    JumpWithMessage(cinfo, "too many scans in a progressive JPEG");
  const JpegProgress* progress = reinterpret_cast<JpegProgress*>(cinfo->progress);
  if (progress->Cancel != nullptr && progress->Cancel->load(std::memory_order_relaxed))
    JumpWithMessage(cinfo, "decoding was cancelled");
  if (Clock::now() > progress->Deadline) JumpWithMessage(cinfo, "decoding took too long");
}

struct JpegDecoder {
  jpeg_decompress_struct cinfo;
  JpegErrorManager jerr;
  JpegProgress progress;
  // The orientation of the first APP1 segment that gives one, read while
  // the header is read, and the room one segment is read into.
  int Orientation = kUpright;
  std::array<std::uint8_t, 0xFFFF> Segment;

  explicit JpegDecoder(const TDecodeLimits& limits = {}) {
    std::memset(&cinfo, 0, sizeof cinfo);
    std::memset(&progress.pub, 0, sizeof progress.pub);
    codec::InstallErrorManager(jerr);
    cinfo.err = &jerr.pub;
    cinfo.client_data = this;
    progress.pub.progress_monitor = MonitorProgress;
    progress.Deadline = Clock::now() + limits.MaxTime;
    progress.Cancel = limits.Cancel;
  }
  ~JpegDecoder() { jpeg_destroy_decompress(&cinfo); }  // safe when never created
  JpegDecoder(const JpegDecoder&) = delete;
  JpegDecoder& operator=(const JpegDecoder&) = delete;
};

// The next count bytes of the segment being read, copied from the source's
// buffer a buffer-full at a time; a source that has nothing more ends the
// guarded step as libjpeg's own readers would.
void ReadBytes(j_decompress_ptr cinfo, std::uint8_t* to, std::size_t count) {
  jpeg_source_mgr* src = cinfo->src;
  while (count > 0) {
    if (src->bytes_in_buffer == 0 && !(*src->fill_input_buffer)(cinfo))
      JumpWithMessage(reinterpret_cast<j_common_ptr>(cinfo), "JPEG data cut off in a segment");
    const std::size_t n = std::min(count, std::size_t(src->bytes_in_buffer));
    std::memcpy(to, src->next_input_byte, n);
    src->next_input_byte += n;
    src->bytes_in_buffer -= n;
    to += n;
    count -= n;
  }
}

// Reads an APP1 segment (EXIF, XMP, ...) for the orientation. libjpeg's own
// saving of markers would keep a copy of every such segment for the whole
// decode, so a file made of them would take twice its size; here one
// segment at a time is read into the decoder's room, and once the
// orientation is known the rest are skipped.
boolean ReadApp1(j_decompress_ptr cinfo) {
  auto* d = static_cast<JpegDecoder*>(cinfo->client_data);
  std::uint8_t field[2];
  ReadBytes(cinfo, field, 2);
  const int length = (field[0] << 8 | field[1]) - 2;  // without the length field
  if (length <= 0) return TRUE;
  if (d->Orientation != kUpright) {
    (*cinfo->src->skip_input_data)(cinfo, length);
    return TRUE;
  }
  ReadBytes(cinfo, d->Segment.data(), std::size_t(length));
  d->Orientation = ReadExifOrientation({d->Segment.data(), std::size_t(length)});
  return TRUE;
}

// Guarded: creates the decompressor on `source` (memory or file) and reads the
// header, with the orientation of its APP1 segments.
bool JpegReadHeader(JpegDecoder* d, const std::span<const std::uint8_t>* memory, std::FILE* file) {
  if (setjmp(d->jerr.jump)) return false;
  jpeg_create_decompress(&d->cinfo);
  d->cinfo.progress = &d->progress.pub;
  jpeg_set_marker_processor(&d->cinfo, JPEG_APP0 + 1, ReadApp1);
  if (memory)
    jpeg_mem_src(&d->cinfo, memory->data(), static_cast<unsigned long>(memory->size()));
  else
    jpeg_stdio_src(&d->cinfo, file);
  jpeg_read_header(&d->cinfo, TRUE);
  return true;
}

std::string JpegMessage(const JpegDecoder& d) {
  return d.jerr.message[0] ? std::string(d.jerr.message) : std::string("corrupt JPEG data");
}

void ReadHeader(JpegDecoder& d, const std::span<const std::uint8_t>* memory, std::FILE* file,
                const std::string& name) {
  if (!JpegReadHeader(&d, memory, file)) Fail(name, JpegMessage(d));
}

TPictureSize UprightSize(int width, int height, int orientation) {
  return SwapsSides(orientation) ? TPictureSize{height, width} : TPictureSize{width, height};
}

void CheckJpegSize(const jpeg_decompress_struct& c, const std::string& name) {
  if (std::int64_t(c.image_width) * c.image_height > kMaxPixels)
    Fail(name, "picture too large (" + std::to_string(c.image_width) + " x " +
                   std::to_string(c.image_height) + ")");
}

// The least data a JPEG of the size its header claims can hold, by its
// coding; a file shorter than that is cut off or hostile, and is refused
// before its pixels are allocated.
// - Huffman, sequential: every 8 x 8 block spends a DC code and an
//   end-of-block code, each at least one bit long.
// - Huffman, progressive: the first DC scan of a component codes each of its
//   blocks with at least one bit. A file may leave components without scans,
//   so the component with the fewest blocks sets the bound.
// - Arithmetic coding can spend next to nothing on a block of flat colour (a
//   flat 16384 x 16384 picture fits in about 200 bytes), so it is held to one
//   byte per 256 blocks: far less than any photo needs, and a file under
//   1 KB cannot claim more than a few megapixels.
void CheckJpegDataLength(const jpeg_decompress_struct& c, std::size_t length,
                         const std::string& name) {
  std::int64_t blocks = 0, fewest = INT64_MAX;
  for (int i = 0; i < c.num_components; ++i) {
    const std::int64_t n =
        std::int64_t(c.comp_info[i].width_in_blocks) * c.comp_info[i].height_in_blocks;
    blocks += n;
    fewest = std::min(fewest, n);
  }
  const std::int64_t least = c.arith_code         ? blocks / 256
                             : c.progressive_mode ? fewest / 8
                                                  : blocks / 4;
  if (std::int64_t(length) < least)
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

// Guarded: starts the decompression. A file of several scans (progressive
// ones among them) is read whole here, into libjpeg's coefficient buffer,
// so a cut-off or damaged one fails before the bitmap is allocated.
bool JpegStart(JpegDecoder* d) {
  if (setjmp(d->jerr.jump)) return false;
  jpeg_start_decompress(&d->cinfo);
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

// Turns decoded samples into pixels in place: CMYK is converted, and the
// fourth byte of BGRX is cleared so pixels compare as Rgb() values.
void ToPixels(JSAMPLE* samples, int count, bool cmyk, bool inverted) {
  TPixel* out = reinterpret_cast<TPixel*>(samples);
  if (cmyk) {
    for (int x = 0; x < count; ++x) out[x] = CmykToPixel(samples + 4 * x, inverted);
  } else {
    for (int x = 0; x < count; ++x) out[x] &= 0x00FFFFFFu;
  }
}

// Guarded: decodes the scan lines into `bitmap`, which already has the
// upright output size. Rows of an upright picture go straight into it; the
// others pass through `band` (kBandRows rows of the stored width) and are
// placed where the orientation puts them.
bool JpegReadRows(JpegDecoder* d, Bitmap* bitmap, TPixel* band, int orientation) {
  if (setjmp(d->jerr.jump)) return false;
  jpeg_decompress_struct& c = d->cinfo;
  const bool cmyk = c.out_color_space == JCS_CMYK;
  const bool inverted = c.saw_Adobe_marker;
  const bool direct = band == nullptr;
  const int width = int(c.output_width), height = int(c.output_height);
  while (c.output_scanline < c.output_height) {
    const int first = int(c.output_scanline);
    const int count = std::min(kBandRows, height - first);
    JSAMPROW rows[kBandRows];
    for (int i = 0; i < count; ++i)
      rows[i] = reinterpret_cast<JSAMPLE*>(direct ? bitmap->ScanLine(first + i)
                                                  : band + std::size_t(i) * std::size_t(width));
    for (int done = 0; done < count;) {
      const JDIMENSION got = jpeg_read_scanlines(&c, rows + done, JDIMENSION(count - done));
      if (got == 0) JumpWithMessage(reinterpret_cast<j_common_ptr>(&c), "no scan line decoded");
      done += int(got);
    }
    for (int i = 0; i < count; ++i) ToPixels(rows[i], width, cmyk, inverted);
    if (!direct) PlaceStoredRows(band, first, count, width, height, orientation, *bitmap);
  }
  jpeg_finish_decompress(&c);
  return true;
}

// Decodes d's picture, whose header is read, at `scale`.
Bitmap DecodeAt(JpegDecoder& d, TJpegScale scale, int orientation, std::size_t dataBytes,
                const TDecodeLimits& limits, const std::string& name) {
  jpeg_decompress_struct& c = d.cinfo;
  if (!JpegCalcOutput(&d, int(scale))) Fail(name, JpegMessage(d));
  const int width = int(c.output_width), height = int(c.output_height);
  const bool direct = orientation == kUpright && c.out_color_space != JCS_CMYK;
  const std::int64_t pixels = std::int64_t(width) * height;
  const std::int64_t bandPixels = direct ? 0 : std::int64_t(kBandRows) * width;
  const std::int64_t ours = std::int64_t(dataBytes) + 4 * (pixels + bandPixels) + kJpegWorkingBytes;
  codec::CheckMemory(ours, limits, width, height, name);
  // What is left is libjpeg's: its coefficient buffer for files of several
  // scans. (0 would mean no limit.)
  c.mem->max_memory_to_use = long(std::max<std::int64_t>(limits.MaxBytes - ours, 1));
  if (!JpegStart(&d)) {
    if (codec::OutOfMemory(d.jerr)) codec::FailMemory(limits, width, height, name);
    Fail(name, JpegMessage(d));
  }

  const TPictureSize upright = UprightSize(width, height, orientation);
  Bitmap bitmap = codec::AllocateBitmapForOverwrite(upright.Width, upright.Height, name);
  std::vector<TPixel> band(static_cast<std::size_t>(bandPixels));
  if (!JpegReadRows(&d, &bitmap, direct ? nullptr : band.data(), orientation))
    Fail(name, JpegMessage(d));
  return bitmap;
}

struct THeader {
  int Orientation = kUpright;
  TPictureSize Upright;  // at full scale
};

// Reads and checks the header of the JPEG in data.
THeader ReadCheckedHeader(JpegDecoder& d, std::span<const std::uint8_t> data,
                          const std::string& name) {
  if (data.empty()) Fail(name, "empty file");
  ReadHeader(d, &data, nullptr, name);
  CheckJpegSize(d.cinfo, name);
  CheckJpegDataLength(d.cinfo, data.size(), name);
  THeader h;
  h.Orientation = d.Orientation;
  h.Upright = UprightSize(int(d.cinfo.image_width), int(d.cinfo.image_height), h.Orientation);
  return h;
}

}  // namespace

TPictureSize ReadJpegSize(const std::string& fileName) {
  codec::FilePtr file = codec::OpenForReading(fileName);
  JpegDecoder d;
  ReadHeader(d, nullptr, file.get(), fileName);
  return UprightSize(int(d.cinfo.image_width), int(d.cinfo.image_height), d.Orientation);
}

TJpegScale CoveringScale(int width, int height, int minWidth, int minHeight) {
  for (TJpegScale s : {TJpegScale::Eighth, TJpegScale::Quarter, TJpegScale::Half}) {
    // libjpeg rounds scaled sizes up.
    const int d = int(s);
    if ((width + d - 1) / d >= minWidth && (height + d - 1) / d >= minHeight) return s;
  }
  return TJpegScale::Full;
}

Bitmap DecodeJpeg(std::span<const std::uint8_t> data, const std::string& name, TJpegScale scale,
                  const TDecodeLimits& limits) {
  JpegDecoder d(limits);
  const THeader header = ReadCheckedHeader(d, data, name);
  return DecodeAt(d, scale, header.Orientation, data.size(), limits, name);
}

namespace codec {

TDecodedJpeg DecodeJpegCovering(std::span<const std::uint8_t> data, const std::string& name,
                                const TWantedSize& wanted, const TDecodeLimits& limits) {
  JpegDecoder d(limits);
  const THeader header = ReadCheckedHeader(d, data, name);
  TJpegScale scale = TJpegScale::Full;
  if (wanted) {
    const TPictureSize cover = wanted(header.Upright);
    if (cover.Width > 0 || cover.Height > 0)
      scale = CoveringScale(header.Upright.Width, header.Upright.Height, cover.Width, cover.Height);
  }
  return {DecodeAt(d, scale, header.Orientation, data.size(), limits, name), header.Upright};
}

}  // namespace codec

}  // namespace vantora
