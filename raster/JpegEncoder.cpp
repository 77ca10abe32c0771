// JPEG encoding through libjpeg, for tools and tests.

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "raster/JpegErrors.h"
#include "raster/Picture.h"

namespace vantora {

namespace {

using codec::JpegErrorManager;

struct JpegEncoder {
  jpeg_compress_struct cinfo;
  JpegErrorManager jerr;
  unsigned char* buffer = nullptr;  // malloc'ed by libjpeg's memory destination
  unsigned long size = 0;

  JpegEncoder() {
    std::memset(&cinfo, 0, sizeof cinfo);
    codec::InstallErrorManager(jerr);
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

}  // namespace

std::vector<std::uint8_t> EncodeJpeg(const Bitmap& bitmap, int quality, bool progressive) {
  if (bitmap.Empty()) throw PictureError("cannot encode an empty picture as JPEG");
  JpegEncoder e;
  if (!JpegCompress(&e, &bitmap, std::clamp(quality, 1, 100), progressive))
    throw PictureError("JPEG encoding failed: " + std::string(e.jerr.message));
  return std::vector<std::uint8_t>(e.buffer, e.buffer + e.size);
}

}  // namespace vantora
