#include "raster/Picture.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

// jpeglib.h needs size_t and FILE declared before it, and jerror.h needs the
// configuration that jpeglib.h brings.
#include <jpeglib.h>

#include <jerror.h>

namespace vantora {

namespace {

// A picture file larger than this cannot hold a picture we would accept
// (kMaxPixels at 4 bytes a pixel, plus headers), so it is refused before it
// is read into memory.
constexpr std::int64_t kMaxFileSize = kMaxPixels * 4 + (std::int64_t(64) << 20);

// A progressive JPEG may carry any number of scans, each of which makes
// libjpeg walk the whole coefficient buffer; real encoders write about ten.
constexpr int kMaxJpegScans = 500;

[[noreturn]] void Fail(const std::string& name, const std::string& what) {
  throw PictureError(name + ": " + what);
}

std::string LowerExtension(const std::string& fileName) {
  const auto slash = fileName.find_last_of("/\\");
  const auto dot = fileName.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = fileName.substr(dot);
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

FilePtr OpenForReading(const std::string& fileName) {
  FilePtr file(std::fopen(fileName.c_str(), "rb"));
  if (!file) Fail(fileName, std::string("cannot open file (") + std::strerror(errno) + ")");
  return file;
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

// The bitmap a decoder fills; sizes are already checked against kMaxPixels.
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

// ---------------------------------------------------------------------------
// JPEG through libjpeg.
//
// libjpeg reports errors by calling error_exit, whose default ends the
// process. Ours long-jumps back into the guarded step that called libjpeg.
// Every guarded step below holds only pointers and plain values, so the jump
// skips no C++ destructor and leaves no object of its frame indeterminate; the
// step returns false, and its caller (which owns the decompressor through
// JpegDecoder, whose destructor destroys it) throws the PictureError.

struct JpegErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void JumpWithMessage(j_common_ptr cinfo, const char* message) {
  auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  std::snprintf(err->message, sizeof err->message, "%s", message);
  std::longjmp(err->jump, 1);
}

[[noreturn]] void JpegErrorExit(j_common_ptr cinfo) {
  char message[JMSG_LENGTH_MAX];
  (*cinfo->err->format_message)(cinfo, message);
  JumpWithMessage(cinfo, message);
}

// Warnings after which the decoded pixels are not the picture: libjpeg would
// go on and fill the rest of the picture with grey.
bool IsCorruptDataWarning(int code) {
  switch (code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_PROGRESSION:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE: return true;
    default: return false;
  }
}

void JpegEmitMessage(j_common_ptr cinfo, int msgLevel) {
  if (msgLevel >= 0) return;  // trace messages
  if (IsCorruptDataWarning(cinfo->err->msg_code)) JpegErrorExit(cinfo);
  ++cinfo->err->num_warnings;  // harmless oddities: unknown markers, extra bytes
}

void JpegProgress(j_common_ptr cinfo) {
  if (cinfo->is_decompressor &&
      reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxJpegScans)
    JumpWithMessage(cinfo, "too many scans in a progressive JPEG");
}

void InstallErrorManager(JpegErrorManager& jerr) {
  jpeg_std_error(&jerr.pub);
  jerr.pub.error_exit = JpegErrorExit;
  jerr.pub.emit_message = JpegEmitMessage;
  jerr.message[0] = 0;
}

struct JpegDecoder {
  jpeg_decompress_struct cinfo;
  JpegErrorManager jerr;
  jpeg_progress_mgr progress;

  JpegDecoder() {
    std::memset(&cinfo, 0, sizeof cinfo);
    std::memset(&progress, 0, sizeof progress);
    InstallErrorManager(jerr);
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

// ---------------------------------------------------------------------------
// Windows bitmap files.

constexpr std::uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3,
                        kBiAlphaBitfields = 6;

// Little-endian reads that fail with a PictureError instead of reading past
// the end of the data.
class ByteReader {
 public:
  ByteReader(std::span<const std::uint8_t> data, const std::string& name)
      : FData(data), FName(name) {}
  std::size_t Size() const { return FData.size(); }
  const std::uint8_t* At(std::size_t off) const { return FData.data() + off; }
  bool Has(std::size_t off, std::size_t count) const {
    return off <= FData.size() && FData.size() - off >= count;
  }
  void Need(std::size_t off, std::size_t count, const char* what) const {
    if (!Has(off, count)) Fail(FName, std::string("file truncated (") + what + ")");
  }
  std::uint16_t U16(std::size_t off) const {
    Need(off, 2, "header");
    return std::uint16_t(FData[off] | FData[off + 1] << 8);
  }
  std::uint32_t U32(std::size_t off) const {
    Need(off, 4, "header");
    return std::uint32_t(FData[off]) | std::uint32_t(FData[off + 1]) << 8 |
           std::uint32_t(FData[off + 2]) << 16 | std::uint32_t(FData[off + 3]) << 24;
  }
  std::int32_t S32(std::size_t off) const { return static_cast<std::int32_t>(U32(off)); }

 private:
  std::span<const std::uint8_t> FData;
  const std::string& FName;
};

// One colour channel of a bit-field pixel: (pixel & mask) >> shift, scaled
// from 0..max to 0..255. Masks of any width work; a zero mask reads as 0.
struct TChannel {
  std::uint32_t Mask = 0;
  int Shift = 0;
  std::uint32_t Max = 0;

  explicit TChannel(std::uint32_t mask) : Mask(mask) {
    if (!mask) return;
    while (!((mask >> Shift) & 1u)) ++Shift;
    Max = mask >> Shift;
  }
  int operator()(std::uint32_t pixel) const {
    if (!Max) return 0;
    const std::uint64_t v = (pixel & Mask) >> Shift;
    return int((v * 255 + Max / 2) / Max);
  }
};

struct TBmpLayout {
  std::int64_t Width = 0;
  std::int64_t Height = 0;  // rows, always positive
  bool TopDown = false;
  int BitCount = 0;
  std::uint32_t Compression = kBiRgb;
  std::uint32_t Masks[3] = {0, 0, 0};  // red, green, blue
  std::vector<TPixel> Palette;
  std::size_t DataOffset = 0;
};

TBmpLayout ReadBmpLayout(const ByteReader& in, const std::string& name) {
  TBmpLayout L;
  if (in.Size() < 18) Fail(name, "file truncated (header)");
  const std::uint32_t dataOffset = in.U32(10);
  const std::uint32_t infoSize = in.U32(14);
  const bool core = infoSize == 12;
  if (!core && infoSize != 40 && infoSize != 52 && infoSize != 56 && infoSize != 108 &&
      infoSize != 124)
    Fail(name, "unsupported bitmap header (size " + std::to_string(infoSize) + ")");
  in.Need(14, infoSize, "header");

  std::uint32_t colorsUsed = 0;
  if (core) {
    L.Width = in.U16(18);
    L.Height = in.U16(20);
    L.BitCount = in.U16(24);
  } else {
    L.Width = in.S32(18);
    const std::int64_t height = in.S32(22);
    L.TopDown = height < 0;
    L.Height = height < 0 ? -height : height;
    L.BitCount = in.U16(28);
    L.Compression = in.U32(30);
    colorsUsed = in.U32(46);
  }

  const int bpp = L.BitCount;
  switch (L.Compression) {
    case kBiRgb:
      if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        Fail(name, "unsupported bit depth (" + std::to_string(bpp) + " bits per pixel)");
      break;
    case kBiRle8:
    case kBiRle4:
      if (bpp != (L.Compression == kBiRle8 ? 8 : 4))
        Fail(name, "run-length compression does not match the bit depth");
      break;
    case kBiBitfields:
    case kBiAlphaBitfields:
      if (bpp != 16 && bpp != 32) Fail(name, "bit fields need 16 or 32 bits per pixel");
      break;
    default: Fail(name, "unsupported bitmap compression (" + std::to_string(L.Compression) + ")");
  }

  // Sizes are checked before anything is allocated; after this check every
  // size computed below fits easily in 64 bits.
  if (L.Width <= 0 || L.Height <= 0)
    Fail(name, "invalid picture size (" + std::to_string(L.Width) + " x " +
                   std::to_string(L.TopDown ? -L.Height : L.Height) + ")");
  if (L.Width * L.Height > kMaxPixels)
    Fail(name,
         "picture too large (" + std::to_string(L.Width) + " x " + std::to_string(L.Height) + ")");

  if (bpp == 16 || bpp == 32) {
    if (L.Compression == kBiBitfields || L.Compression == kBiAlphaBitfields) {
      // Inside the newer headers, or right after the 40-byte one.
      const std::size_t at = 14 + 40;
      in.Need(at, 12, "bit field masks");
      for (int i = 0; i < 3; ++i) L.Masks[i] = in.U32(at + 4 * i);
    } else if (bpp == 16) {
      L.Masks[0] = 0x7C00;
      L.Masks[1] = 0x03E0;
      L.Masks[2] = 0x001F;
    } else {
      L.Masks[0] = 0x00FF0000;
      L.Masks[1] = 0x0000FF00;
      L.Masks[2] = 0x000000FF;
    }
  }

  std::size_t headerEnd = 14 + infoSize;
  if (infoSize == 40 && L.Compression == kBiBitfields) headerEnd += 12;
  if (infoSize == 40 && L.Compression == kBiAlphaBitfields) headerEnd += 16;

  if (bpp <= 8) {
    const std::uint32_t maxColors = 1u << bpp;
    const std::uint32_t count =
        (core || colorsUsed == 0) ? maxColors : std::min(colorsUsed, maxColors);
    const std::size_t entry = core ? 3 : 4;
    in.Need(headerEnd, count * entry, "palette");
    L.Palette.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::uint8_t* p = in.At(headerEnd + i * entry);
      L.Palette[i] = Rgb(p[2], p[1], p[0]);
    }
  }

  if (dataOffset > in.Size())
    Fail(name, "pixel data offset (" + std::to_string(dataOffset) + ") beyond the end of the file");
  if (dataOffset < 14 + infoSize) Fail(name, "pixel data offset inside the header");
  L.DataOffset = dataOffset;
  return L;
}

[[noreturn]] void FailIndex(const std::string& name, unsigned index, std::size_t count) {
  Fail(name, "palette index " + std::to_string(index) + " out of range (palette of " +
                 std::to_string(count) + " colours)");
}

void DecodeBmpRows(const ByteReader& in, const TBmpLayout& L, Bitmap& out,
                   const std::string& name) {
  const std::int64_t rowBits = L.Width * L.BitCount;
  const std::int64_t stride = (rowBits + 31) / 32 * 4;
  const std::int64_t rowBytes = (rowBits + 7) / 8;
  // The last row's padding is often left out by writers; it is not needed.
  const std::int64_t need = stride * (L.Height - 1) + rowBytes;
  if (std::int64_t(in.Size() - L.DataOffset) < need) Fail(name, "file truncated (pixel data)");

  const int width = int(L.Width), bpp = L.BitCount;
  const TChannel red(L.Masks[0]), green(L.Masks[1]), blue(L.Masks[2]);
  const std::size_t colors = L.Palette.size();
  for (int row = 0; row < int(L.Height); ++row) {
    const std::uint8_t* src = in.At(L.DataOffset + std::size_t(stride) * row);
    TPixel* dst = out.ScanLine(L.TopDown ? row : int(L.Height) - 1 - row);
    switch (bpp) {
      case 1:
      case 4:
      case 8: {
        const int perByte = 8 / bpp;
        const unsigned mask = (1u << bpp) - 1;
        for (int x = 0; x < width; ++x) {
          const int shift = 8 - bpp * (x % perByte + 1);
          const unsigned index = (src[x / perByte] >> shift) & mask;
          if (index >= colors) FailIndex(name, index, colors);
          dst[x] = L.Palette[index];
        }
        break;
      }
      case 16:
        for (int x = 0; x < width; ++x) {
          const std::uint32_t p = src[2 * x] | src[2 * x + 1] << 8;
          dst[x] = Rgb(red(p), green(p), blue(p));
        }
        break;
      case 24:
        for (int x = 0; x < width; ++x) dst[x] = Rgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
        break;
      case 32:
        for (int x = 0; x < width; ++x) {
          const std::uint8_t* q = src + 4 * x;
          const std::uint32_t p = q[0] | q[1] << 8 | q[2] << 16 | std::uint32_t(q[3]) << 24;
          dst[x] = Rgb(red(p), green(p), blue(p));
        }
        break;
    }
  }
}

// Run-length data: pairs (count, index) give runs; a zero count starts an
// escape: 0 = end of line, 1 = end of picture, 2 = move by (dx, dy), n >= 3 =
// n literal indices padded to a 16-bit boundary. Pixels that no run reaches
// stay black. RLE4 packs two indices a byte and alternates them in runs.
// With out == nullptr the data is only checked: a few bytes of run-length
// data can claim a huge picture, so the stream is checked before the bitmap
// is allocated.
void DecodeBmpRle(const ByteReader& in, const TBmpLayout& L, Bitmap* out, const std::string& name) {
  const bool rle4 = L.Compression == kBiRle4;
  const int width = int(L.Width), height = int(L.Height);
  const std::size_t colors = L.Palette.size();
  std::size_t p = L.DataOffset;
  int x = 0, line = 0;

  auto rowOf = [&](int n) -> TPixel* {
    if (line >= height) Fail(name, "run-length data past the end of the picture");
    if (n > width - x) Fail(name, "run-length run past the end of a row");
    return out ? out->ScanLine(L.TopDown ? line : height - 1 - line) : nullptr;
  };
  auto put = [&](TPixel* row, unsigned index) {
    if (index >= colors) FailIndex(name, index, colors);
    if (row) row[x] = L.Palette[index];
    ++x;
  };

  for (;;) {
    if (!in.Has(p, 2)) {
      if (line >= height) return;  // every line ended; the end marker is missing
      Fail(name, "file truncated (run-length data)");
    }
    const int count = *in.At(p), value = *in.At(p + 1);
    p += 2;
    if (count > 0) {
      TPixel* row = rowOf(count);
      for (int i = 0; i < count; ++i) put(row, rle4 ? ((i & 1) ? value & 15 : value >> 4) : value);
    } else if (value == 0) {
      x = 0;
      ++line;
    } else if (value == 1) {
      return;
    } else if (value == 2) {
      if (!in.Has(p, 2)) Fail(name, "file truncated (run-length data)");
      x += *in.At(p);
      line += *in.At(p + 1);
      p += 2;
      if (x > width || line > height) Fail(name, "run-length move past the picture");
    } else {
      const std::size_t bytes = rle4 ? (value + 1) / 2 : value;
      if (!in.Has(p, bytes)) Fail(name, "file truncated (run-length data)");
      TPixel* row = rowOf(value);
      const std::uint8_t* src = in.At(p);
      for (int i = 0; i < value; ++i)
        put(row, rle4 ? ((i & 1) ? src[i / 2] & 15 : src[i / 2] >> 4) : src[i]);
      p += bytes + (bytes & 1);
    }
  }
}

void PutLE16(std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t x) {
  v[at] = std::uint8_t(x);
  v[at + 1] = std::uint8_t(x >> 8);
}
void PutLE32(std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t x) {
  PutLE16(v, at, x & 0xFFFF);
  PutLE16(v, at + 2, x >> 16);
}

// ---------------------------------------------------------------------------
// JPEG encoding.

struct JpegEncoder {
  jpeg_compress_struct cinfo;
  JpegErrorManager jerr;
  unsigned char* buffer = nullptr;  // malloc'ed by libjpeg's memory destination
  unsigned long size = 0;

  JpegEncoder() {
    std::memset(&cinfo, 0, sizeof cinfo);
    InstallErrorManager(jerr);
    cinfo.err = &jerr.pub;
  }
  ~JpegEncoder() {
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
  }
  JpegEncoder(const JpegEncoder&) = delete;
  JpegEncoder& operator=(const JpegEncoder&) = delete;
};

// Guarded: compresses the whole bitmap into e->buffer.
bool JpegCompress(JpegEncoder* e, const Bitmap* bitmap, int quality, bool progressive) {
  if (setjmp(e->jerr.jump)) return false;
  jpeg_compress_struct& c = e->cinfo;
  jpeg_create_compress(&c);
  jpeg_mem_dest(&c, &e->buffer, &e->size);
  c.image_width = static_cast<JDIMENSION>(bitmap->Width());
  c.image_height = static_cast<JDIMENSION>(bitmap->Height());
  c.input_components = 4;
  c.in_color_space = JCS_EXT_BGRX;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  if (progressive) jpeg_simple_progression(&c);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    // libjpeg only reads the rows it is given.
    JSAMPROW row = const_cast<JSAMPLE*>(
        reinterpret_cast<const JSAMPLE*>(bitmap->ScanLine(int(c.next_scanline))));
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
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

}  // namespace

// ---------------------------------------------------------------------------

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
  if (IsJpegSignature(data))
    FBitmap = DecodeJpeg(data, name, scale);
  else if (IsBmpSignature(data))
    FBitmap = DecodeBmp(data, name);
  else
    Fail(name, data.empty() ? "empty picture data" : "unknown picture format");
}

TPictureSize ReadJpegSize(const std::string& fileName) {
  FilePtr file = OpenForReading(fileName);
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

  Bitmap bitmap = AllocateBitmap(int(d.cinfo.output_width), int(d.cinfo.output_height), name);
  std::vector<JSAMPLE> cmykRow;
  if (d.cinfo.out_color_space == JCS_CMYK) cmykRow.resize(std::size_t(bitmap.Width()) * 4);
  if (!JpegDecodeRows(&d, &bitmap, cmykRow.data())) Fail(name, JpegMessage(d));
  return bitmap;
}

Bitmap DecodeBmp(std::span<const std::uint8_t> data, const std::string& name) {
  if (data.empty()) Fail(name, "empty file");
  if (!IsBmpSignature(data)) Fail(name, "not a bitmap file");
  const ByteReader in(data, name);
  const TBmpLayout layout = ReadBmpLayout(in, name);
  const bool rle = layout.Compression == kBiRle8 || layout.Compression == kBiRle4;
  if (rle) DecodeBmpRle(in, layout, nullptr, name);
  Bitmap bitmap = AllocateBitmap(int(layout.Width), int(layout.Height), name);
  if (rle)
    DecodeBmpRle(in, layout, &bitmap, name);
  else
    DecodeBmpRows(in, layout, bitmap, name);
  return bitmap;
}

std::vector<std::uint8_t> EncodeJpeg(const Bitmap& bitmap, int quality, bool progressive) {
  if (bitmap.Empty()) throw PictureError("cannot encode an empty picture as JPEG");
  JpegEncoder e;
  if (!JpegCompress(&e, &bitmap, std::clamp(quality, 1, 100), progressive))
    throw PictureError("JPEG encoding failed: " + std::string(e.jerr.message));
  return std::vector<std::uint8_t>(e.buffer, e.buffer + e.size);
}

std::vector<std::uint8_t> EncodeBmp24(const Bitmap& bitmap) {
  const int w = bitmap.Width(), h = bitmap.Height();
  const std::size_t stride = (std::size_t(w) * 3 + 3) & ~std::size_t(3);
  const std::size_t dataSize = stride * std::size_t(h);
  std::vector<std::uint8_t> out(54 + dataSize, 0);
  out[0] = 'B';
  out[1] = 'M';
  PutLE32(out, 2, std::uint32_t(out.size()));
  PutLE32(out, 10, 54);
  PutLE32(out, 14, 40);
  PutLE32(out, 18, std::uint32_t(w));
  PutLE32(out, 22, std::uint32_t(h));  // positive: rows bottom-up
  PutLE16(out, 26, 1);
  PutLE16(out, 28, 24);
  PutLE32(out, 34, std::uint32_t(dataSize));
  PutLE32(out, 38, 2835);  // 72 dpi
  PutLE32(out, 42, 2835);
  for (int y = 0; y < h; ++y) {
    const TPixel* src = bitmap.ScanLine(y);
    std::uint8_t* dst = out.data() + 54 + stride * std::size_t(h - 1 - y);
    for (int x = 0; x < w; ++x) {
      dst[3 * x] = std::uint8_t(src[x]);
      dst[3 * x + 1] = std::uint8_t(src[x] >> 8);
      dst[3 * x + 2] = std::uint8_t(src[x] >> 16);
    }
  }
  return out;
}

}  // namespace vantora
