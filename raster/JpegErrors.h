#pragma once
// libjpeg's error handling, shared by the JPEG decoder and encoder of this
// folder.
//
// libjpeg reports errors by calling error_exit, whose default ends the
// process. Ours long-jumps back into the guarded step that called libjpeg.
// Every guarded step holds only pointers and plain values, so the jump
// skips no C++ destructor and leaves no object of its frame indeterminate; the
// step returns false, and its caller (which owns the libjpeg object through a
// small struct whose destructor destroys it) throws the PictureError.

#include <csetjmp>
#include <cstddef>
#include <cstdio>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace vantora::codec {

struct JpegErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

// Ends the guarded step with message.
[[noreturn]] void JumpWithMessage(j_common_ptr cinfo, const char* message);

// Errors, and the warnings after which the decoded pixels are not the
// picture, jump back; harmless warnings are counted.
void InstallErrorManager(JpegErrorManager& jerr);

// Whether the guarded step ended because libjpeg's memory limit was reached.
bool OutOfMemory(const JpegErrorManager& jerr);

}  // namespace vantora::codec
