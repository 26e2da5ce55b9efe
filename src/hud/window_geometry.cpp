#include "hud/window_geometry.h"

#include <algorithm>

#include "platform/io/byte_io.h"
#include "settings/preferences_store.h"

namespace tnx::hud {

namespace {
// Rectangles from a file may hold any numbers: sizes are worked out wide.
int64_t width(const win::Rect& r) { return int64_t(r.right) - r.left; }
int64_t height(const win::Rect& r) { return int64_t(r.bottom) - r.top; }

int64_t overlap(const win::Rect& a, const win::Rect& b) {
    const int64_t w = std::min<int64_t>(a.right, b.right) - std::max<int64_t>(a.left, b.left);
    const int64_t h = std::min<int64_t>(a.bottom, b.bottom) - std::max<int64_t>(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}
}  // namespace

std::vector<uint8_t> WindowGeometry::toBytes() const {
    std::vector<uint8_t> out;
    io::ByteWriter w(out);
    for (int v : {frame.left, frame.top, frame.right, frame.bottom}) w.i32(v);
    for (int32_t v : widths) w.i32(v);
    return out;
}

std::optional<WindowGeometry> WindowGeometry::fromBytes(std::span<const uint8_t> bytes) {
    if (bytes.size() != kBytes) return std::nullopt;
    io::ByteReader r(bytes);
    WindowGeometry g;
    g.frame.left = r.i32();
    g.frame.top = r.i32();
    g.frame.right = r.i32();
    g.frame.bottom = r.i32();
    for (int32_t& v : g.widths) v = r.i32();
    if (!r.ok()) return std::nullopt;
    return g;
}

std::optional<WindowGeometry> WindowGeometry::load(const std::string& key) {
    const settings::PreferencesStore* prefs = settings::preferences();
    if (!prefs) return std::nullopt;
    std::vector<uint8_t> bytes(kBytes);
    uint32_t length = uint32_t(bytes.size());
    if (prefs->getBinary(key.c_str(), bytes.data(), &length) != settings::PreferencesStore::kOk) return std::nullopt;
    return fromBytes(std::span<const uint8_t>(bytes.data(), length));
}

void WindowGeometry::save(const std::string& key) const {
    settings::PreferencesStore* prefs = settings::preferences();
    if (!prefs) return;
    const std::vector<uint8_t> bytes = toBytes();
    prefs->setBinary(key.c_str(), bytes.data(), uint32_t(bytes.size()));
}

int WindowGeometry::columnWidth(int column, int count, int maxWidth) const {
    const int fallback = column == count - 1 ? kDefaultLastColumnWidth : kDefaultColumnWidth;
    if (column < 0 || column >= kColumns) return fallback;
    const int32_t w = widths[size_t(column)];
    if (w < kMinColumnWidth || w > std::max(maxWidth, kMinColumnWidth)) return fallback;
    return w;
}

win::Rect WindowGeometry::fitOnScreen(const win::Rect& wanted, std::span<const win::Rect> screens,
                                      const win::Rect& fallback) {
    win::Rect r = width(wanted) > 0 && height(wanted) > 0 ? wanted : fallback;
    if (screens.empty()) return r;
    const win::Rect* screen = &screens[0];
    int64_t best = 0;
    for (const win::Rect& s : screens)
        if (int64_t o = overlap(r, s); o > best) best = o, screen = &s;
    const int64_t w = std::clamp<int64_t>(width(r), 1, std::max<int64_t>(width(*screen), 1));
    const int64_t h = std::clamp<int64_t>(height(r), 1, std::max<int64_t>(height(*screen), 1));
    const int64_t left = std::clamp<int64_t>(r.left, screen->left, std::max<int64_t>(screen->right - w, screen->left));
    const int64_t top = std::clamp<int64_t>(r.top, screen->top, std::max<int64_t>(screen->bottom - h, screen->top));
    return {int(left), int(top), int(left + w), int(top + h)};
}

}  // namespace tnx::hud
