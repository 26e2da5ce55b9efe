#include "platform/win/native_window.h"

#include <QGuiApplication>
#include <cstdlib>
#include <xcb/xcb.h>

namespace tnx::win {

namespace {
xcb_connection_t* connection() {
    if (!qGuiApp) return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}
}  // namespace

bool NativeWindow::available() { return connection() != nullptr; }

uint64_t NativeWindow::root() {
    xcb_connection_t* c = connection();
    if (!c) return 0;
    char* host = nullptr;
    int display = 0, screen = 0;
    if (!xcb_parse_display(nullptr, &host, &display, &screen)) screen = 0;
    std::free(host);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; it.rem && i < screen; ++i) xcb_screen_next(&it);
    return it.rem ? it.data->root : 0;
}

std::optional<NativeWindow::Size> NativeWindow::size(uint64_t id) {
    xcb_connection_t* c = connection();
    if (!c || id == 0 || id > 0xFFFFFFFFu) return std::nullopt;
    auto window = xcb_window_t(id);
    // Geometry alone would accept a pixmap; the attributes exist for windows only.
    xcb_generic_error_t* error = nullptr;
    auto* attributes = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), &error);
    std::free(error);
    if (!attributes) return std::nullopt;
    std::free(attributes);
    error = nullptr;
    auto* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), &error);
    std::free(error);
    if (!geometry) return std::nullopt;
    Size s{geometry->width, geometry->height};
    std::free(geometry);
    return s;
}

std::string NativeWindow::displayName() {
    const char* d = std::getenv("DISPLAY");
    return d ? d : "";
}

}  // namespace tnx::win
