#include "app/screen_settings.h"

#include <algorithm>
#include <string>

#include "platform/registry/registry.h"

namespace tnx::app {

namespace {
std::string screenKey(int screen) {
    return std::string(registry::kProductKey) + "\\Screen " + std::to_string(screen);
}
}  // namespace

ScreenSettings readScreenSettings(int screen, const std::array<uint8_t, 16>& adapterId) {
    ScreenSettings s;
    std::string key = screenKey(screen);
    if (auto v = registry::getDword(key, "Leave Black")) s.leaveBlack = *v != 0;
    auto stored = registry::getBinary(key, "Adapter ID");
    bool matches = true;
    if (stored) {
        if (stored->size() != adapterId.size()) {
            matches = false;
        } else {
            bool zero = std::all_of(stored->begin(), stored->end(), [](uint8_t b) { return b == 0; });
            matches = zero || std::equal(stored->begin(), stored->end(), adapterId.begin());
        }
    }
    if (!matches) return s;
    if (auto v = registry::getDword(key, "Disable Hardware")) s.disableHardware = *v != 0;
    if (auto v = registry::getDword(key, "Width")) s.width = *v;
    if (auto v = registry::getDword(key, "Height")) s.height = *v;
    if (auto v = registry::getDword(key, "Format")) s.format = *v;
    return s;
}

bool writeScreenSettings(int screen, const std::array<uint8_t, 16>& adapterId, const ScreenSettings& s) {
    std::string key = screenKey(screen);
    bool ok = registry::setBinary(key, "Adapter ID", adapterId);
    ok &= registry::setDword(key, "Leave Black", s.leaveBlack ? 1 : 0);
    ok &= registry::setDword(key, "Disable Hardware", s.disableHardware ? 1 : 0);
    ok &= registry::setDword(key, "Width", s.width);
    ok &= registry::setDword(key, "Height", s.height);
    ok &= registry::setDword(key, "Format", s.format);
    return ok;
}

bool readAllScreensSame() {
    auto v = registry::getDword(registry::kProductKey, "AllScreensSame");
    return v && *v != 0;
}

bool writeAllScreensSame(bool on) { return registry::setDword(registry::kProductKey, "AllScreensSame", on ? 1 : 0); }

}  // namespace tnx::app
