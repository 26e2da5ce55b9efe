// libjpeg reports fatal errors by calling a handler that must not return;
// its default handler ends the process. The trap jumps back to the setjmp
// of the call that started the libjpeg work instead, so a damaged image
// only fails that call. Warnings that mean the image data is damaged
// (truncated file, corrupt entropy data) are fatal too: a half-grey picture
// is worse than none.
//
// Usage: everything with a destructor is constructed before the setjmp; then
//   if (setjmp(trap.jump)) { ...destroy the libjpeg object, fail... }
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdio>  // jpeglib.h needs FILE and size_t first

#include <jpeglib.h>

namespace tnx::globe {

struct JpegErrorTrap {
    jpeg_error_mgr manager;  // first member: libjpeg's err pointer is this object
    std::jmp_buf jump;

    // Fills the manager; assign the result to cinfo.err before jpeg_create_*.
    jpeg_error_mgr* install();
};

// Any error or damage warning jumps; this is how a caller asks it for a
// condition libjpeg does not check itself (e.g. an image that is too big).
[[noreturn]] void jpegFail(j_common_ptr cinfo);

}  // namespace tnx::globe
