// Windows of other programs on the X display: the one a screen-saver manager
// hands the saver to draw in, or the screen's root window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tnx::win {

class NativeWindow {
public:
    struct Size {
        int width = 0, height = 0;
        bool operator==(const Size&) const = default;
    };

    // Whether other programs' windows can be reached: the application runs
    // on an X11 display.
    static bool available();
    // The root window of the display's default screen (0 without X11).
    static uint64_t root();
    // The window's size in pixels, or nothing when `id` names no window (a
    // pixmap, a window since destroyed, a number never given out).
    static std::optional<Size> size(uint64_t id);
    // The display's name, for messages.
    static std::string displayName();
};

}  // namespace tnx::win
