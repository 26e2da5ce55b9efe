#include "platform/gfx/glx_sub_buffer.h"

#include <GL/glx.h>

#include <cstring>

namespace tnx::gfx {

void GlxSubBuffer::resolve(void* display) {
    copy_ = nullptr;
    display_ = display;
    auto* dpy = static_cast<Display*>(display);
    // Only where the frames really go through GLX.
    if (!dpy || !glXGetCurrentContext()) return;
    const char* extensions = glXQueryExtensionsString(dpy, DefaultScreen(dpy));
    if (!extensions || !std::strstr(extensions, "GLX_MESA_copy_sub_buffer")) return;
    auto fn = glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXCopySubBufferMESA"));
    copy_ = reinterpret_cast<void (*)(void*, unsigned long, int, int, int, int)>(fn);
}

void GlxSubBuffer::copy(std::uintptr_t window, int x, int y, int width, int height) const {
    if (!copy_ || width <= 0 || height <= 0) return;
    copy_(display_, static_cast<unsigned long>(window), x, y, width, height);
}

}  // namespace tnx::gfx
