// Showing part of a window's back buffer, where GLX offers it
// (GLX_MESA_copy_sub_buffer): the rest of the window and the whole back
// buffer stay as they are. Kept apart from the Qt code because the GLX
// header brings Xlib's macros.
#pragma once

#include <cstdint>

namespace tnx::gfx {

class GlxSubBuffer {
public:
    // Looks the extension up for the X display and the GLX context current
    // now; unusable when there is none (Wayland, EGL, another driver).
    void resolve(void* display);
    bool usable() const { return copy_ != nullptr; }
    // x, y from the window's bottom-left corner, as GL counts.
    void copy(std::uintptr_t window, int x, int y, int width, int height) const;

private:
    void* display_ = nullptr;
    void (*copy_)(void*, unsigned long, int, int, int, int) = nullptr;
};

}  // namespace tnx::gfx
