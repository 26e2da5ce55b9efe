// The user's named views of the globe, kept by the camera and stored as the
// preferences value "saveccamera": 96-byte entries back to back, no header.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/math/d3d_math.h"

namespace tnx::settings {
class PreferencesStore;
}
namespace tnx::win {
struct Menu;
}

namespace tnx::camera {

struct LocationEntry {
    static constexpr size_t kNameBytes = 56;  // NUL included
    static constexpr size_t kMaxNameLength = kNameBytes - 1;
    static constexpr size_t kSize = 96;

    std::string name;
    float rho = 0;  // the globe's rotation when the view was saved
    math::Vec3 position;
    math::Vec3 direction;
    math::Vec3 up;
};

class SavedLocations {
public:
    static constexpr const char* kRecordKey = "saveccamera";
    static constexpr uint32_t kMenuIdBase = 3000;
    // The classic read buffer; longer records are read at their full length,
    // up to the longest value the store can hold.
    static constexpr uint32_t kInitialReadBytes = 4000;
    static constexpr uint32_t kMaxReadBytes = 0xFFFFFFFFu;

    size_t count() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    const LocationEntry& at(size_t i) const { return entries_[i]; }
    const std::vector<LocationEntry>& entries() const { return entries_; }

    // Appends an entry (the name cut to 55 bytes on a character boundary);
    // returns the new count.
    size_t saveAs(std::string_view name, float rho, const math::Vec3& position,
                  const math::Vec3& direction, const math::Vec3& up);
    // Removes entry i; an index out of range is ignored.
    void remove(size_t index);
    void clear() { entries_.clear(); }

    // Reads the record from the store at its full length: its whole entries
    // (a cut-off tail is dropped). A missing record leaves the list empty; an
    // entry with non-finite numbers or a zero vector is skipped. Returns
    // whether a list was read.
    bool load(const settings::PreferencesStore& store);
    // Writes count x 96 bytes under "saveccamera".
    bool store(settings::PreferencesStore& store) const;

    // Record image and its parser (length / 96 entries).
    std::vector<uint8_t> serialize() const;
    bool parse(std::span<const uint8_t> bytes);

    // Appends "%d  %s" items with ids 3000 + index.
    void fillMenu(win::Menu& menu) const;
    // "%3d  %s", as the Delete Location dialog lists them.
    std::string listLine(size_t index) const;

    // Cuts a name to at most 55 bytes without splitting a UTF-8 sequence.
    static std::string clampName(std::string_view name);

private:
    std::vector<LocationEntry> entries_;
};

}  // namespace tnx::camera
