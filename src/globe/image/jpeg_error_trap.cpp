#include "globe/image/jpeg_error_trap.h"

#include <type_traits>

#include <jerror.h>

namespace tnx::globe {

static_assert(std::is_standard_layout_v<JpegErrorTrap>, "the trap is reached through its first member");

namespace {

JpegErrorTrap* trapOf(j_common_ptr cinfo) { return reinterpret_cast<JpegErrorTrap*>(cinfo->err); }

[[noreturn]] void onErrorExit(j_common_ptr cinfo) { std::longjmp(trapOf(cinfo)->jump, 1); }

bool damagesImage(int code) {
    switch (code) {
        case JWRN_JPEG_EOF:
        case JWRN_HIT_MARKER:
        case JWRN_HUFF_BAD_CODE:
        case JWRN_ARITH_BAD_CODE:
        case JWRN_MUST_RESYNC:
        case JWRN_NOT_SEQUENTIAL:
            return true;
        default:
            return false;  // e.g. stray bytes between markers, unknown JFIF revision
    }
}

void onMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;  // trace output is never wanted
    if (damagesImage(cinfo->err->msg_code)) onErrorExit(cinfo);
    ++cinfo->err->num_warnings;
}

void onOutput(j_common_ptr) {}  // nothing goes to stderr

}  // namespace

jpeg_error_mgr* JpegErrorTrap::install() {
    jpeg_std_error(&manager);
    manager.error_exit = onErrorExit;
    manager.emit_message = onMessage;
    manager.output_message = onOutput;
    return &manager;
}

void jpegFail(j_common_ptr cinfo) { onErrorExit(cinfo); }

}  // namespace tnx::globe
