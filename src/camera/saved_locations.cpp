#include "camera/saved_locations.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/io/byte_io.h"
#include "platform/win/popup_menu.h"
#include "settings/preferences_store.h"

namespace tnx::camera {

namespace {

bool finite(const math::Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

math::Vec3 readVec3(io::ByteReader& r) {
    math::Vec3 v;
    v.x = r.f32();
    v.y = r.f32();
    v.z = r.f32();
    return v;
}

void writeVec3(io::ByteWriter& w, const math::Vec3& v) {
    w.f32(v.x);
    w.f32(v.y);
    w.f32(v.z);
}

}  // namespace

std::string SavedLocations::clampName(std::string_view name) {
    if (const size_t nul = name.find('\0'); nul != std::string_view::npos) name = name.substr(0, nul);
    if (name.size() <= LocationEntry::kMaxNameLength) return std::string(name);
    size_t cut = LocationEntry::kMaxNameLength;
    // Back up over continuation bytes so a multi-byte character is not split.
    while (cut > 0 && (uint8_t(name[cut]) & 0xC0) == 0x80) --cut;
    return std::string(name.substr(0, cut));
}

size_t SavedLocations::saveAs(std::string_view name, float rho, const math::Vec3& position,
                              const math::Vec3& direction, const math::Vec3& up) {
    if (entries_.size() == entries_.capacity()) entries_.reserve(entries_.size() + 20);
    entries_.push_back({clampName(name), rho, position, direction, up});
    return entries_.size();
}

void SavedLocations::remove(size_t index) {
    if (index < entries_.size()) entries_.erase(entries_.begin() + std::ptrdiff_t(index));
}

std::vector<uint8_t> SavedLocations::serialize() const {
    std::vector<uint8_t> out;
    out.reserve(entries_.size() * LocationEntry::kSize);
    io::ByteWriter w(out);
    for (const LocationEntry& e : entries_) {
        uint8_t name[LocationEntry::kNameBytes] = {};
        std::string n = clampName(e.name);
        std::memcpy(name, n.data(), n.size());
        w.bytes(name, sizeof name);
        w.f32(e.rho);
        writeVec3(w, e.position);
        writeVec3(w, e.direction);
        writeVec3(w, e.up);
    }
    return out;
}

bool SavedLocations::parse(std::span<const uint8_t> bytes) {
    entries_.clear();
    // Whole entries only: a cut-off tail is dropped, never the list.
    size_t count = bytes.size() / LocationEntry::kSize;
    entries_.reserve(count + 20);
    io::ByteReader r(bytes);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* nameField = r.cursor();
        const void* nul = std::memchr(nameField, 0, LocationEntry::kNameBytes);
        size_t nameLength = nul ? size_t(static_cast<const uint8_t*>(nul) - nameField) : LocationEntry::kNameBytes;
        LocationEntry e;
        e.name = clampName(std::string_view(reinterpret_cast<const char*>(nameField), nameLength));
        r.skip(LocationEntry::kNameBytes);
        e.rho = r.f32();
        e.position = readVec3(r);
        e.direction = readVec3(r);
        e.up = readVec3(r);
        if (!r.ok()) break;
        // A damaged entry would put the camera nowhere; drop it, keep the rest.
        if (!std::isfinite(e.rho) || !finite(e.position) || !finite(e.direction) || !finite(e.up) ||
            math::lengthSq(e.position) == 0 || math::lengthSq(e.direction) == 0 || math::lengthSq(e.up) == 0)
            continue;
        entries_.push_back(std::move(e));
    }
    return true;
}

bool SavedLocations::load(const settings::PreferencesStore& store) {
    entries_.clear();
    // Grow the buffer until the whole value fits, so a list longer than the
    // classic 4,000 bytes still comes back instead of being dropped (and then
    // overwritten at exit). The store holds the value in memory already.
    std::vector<uint8_t> buffer(kInitialReadBytes);
    for (;;) {
        uint32_t length = uint32_t(buffer.size());
        int rc = store.getBinary(kRecordKey, buffer.data(), &length);
        if (rc == settings::PreferencesStore::kOk) {
            if (length > buffer.size()) return false;
            return parse(std::span<const uint8_t>(buffer.data(), length));
        }
        if (rc != settings::PreferencesStore::kBufferTooSmall || buffer.size() >= kMaxReadBytes) return false;
        buffer.resize(size_t(std::min<uint64_t>(uint64_t(buffer.size()) * 2, kMaxReadBytes)));
    }
}

bool SavedLocations::store(settings::PreferencesStore& store) const {
    std::vector<uint8_t> bytes = serialize();
    static const uint8_t kNothing = 0;
    return store.setBinary(kRecordKey, bytes.empty() ? &kNothing : bytes.data(), uint32_t(bytes.size())) ==
           settings::PreferencesStore::kOk;
}

void SavedLocations::fillMenu(win::Menu& menu) const {
    char text[96];
    for (size_t i = 0; i < entries_.size(); ++i) {
        std::snprintf(text, sizeof text, "%d  %s", int(i + 1), entries_[i].name.c_str());
        menu.appendCommand(kMenuIdBase + uint32_t(i), text);
    }
}

std::string SavedLocations::listLine(size_t index) const {
    if (index >= entries_.size()) return {};
    char text[96];
    std::snprintf(text, sizeof text, "%3d  %s", int(index + 1), entries_[index].name.c_str());
    return text;
}

}  // namespace tnx::camera
