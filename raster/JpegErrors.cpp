#include "raster/JpegErrors.h"

// jerror.h needs the configuration that jpeglib.h brings.
#include <jerror.h>

namespace vantora::codec {

[[noreturn]] void JumpWithMessage(j_common_ptr cinfo, const char* message) {
  auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  std::snprintf(err->message, sizeof err->message, "%s", message);
  std::longjmp(err->jump, 1);
}

namespace {

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

}  // namespace

void InstallErrorManager(JpegErrorManager& jerr) {
  jpeg_std_error(&jerr.pub);
  jerr.pub.error_exit = JpegErrorExit;
  jerr.pub.emit_message = JpegEmitMessage;
  jerr.message[0] = 0;
}

bool OutOfMemory(const JpegErrorManager& jerr) {
  // Past the limit libjpeg would move its buffers to temporary files, which
  // we do not give it.
  return jerr.pub.msg_code == JERR_OUT_OF_MEMORY || jerr.pub.msg_code == JERR_NO_BACKING_STORE;
}

}  // namespace vantora::codec
