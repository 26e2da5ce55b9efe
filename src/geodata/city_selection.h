// What the user has picked on the globe: the marked cities (each with its
// star's spin angle), the selected city and country, and what the pointer
// hovers. Saved with the scene as the record "saveccity": u32 size (286 +
// 8n), the name, a 272-byte block starting with six i32 (marked count n,
// capacity, selected city, hovered city, selected country, hovered country),
// then n entries of (i32 city, f32 angle).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "settings/record.h"

namespace tnx::geodata {

struct MarkedCity {
    int32_t city = 0;
    float angle = 0;  // the star's spin, radians
};

class CitySelection : public settings::RecordOwner {
public:
    static constexpr const char* kRecordName = "saveccity";
    static constexpr size_t kBlockBytes = 272;
    static constexpr size_t kFixedBytes = 4 + 10 + kBlockBytes;  // size, name, block
    static constexpr size_t kEntryBytes = 8;
    static constexpr int32_t kCapacityStep = 32;
    // The spin angle starts again at 0 once it leaves [0, kMaxAngle].
    static constexpr float kMaxAngle = 9999.0f;

    int32_t selectedCity = 0;
    int32_t hoveredCity = 0;
    int32_t selectedCountry = 0;
    int32_t hoveredCountry = 0;

    const std::vector<MarkedCity>& marked() const { return marked_; }
    int32_t capacity() const { return capacity_; }
    // Position in the marked list, or -1.
    int markedPosition(int32_t city) const;

    // A click on the globe: a hovered city is unmarked when marked, else
    // marked unless it is the selected city, and the city selection is
    // cleared; otherwise a hovered country 1 .. countryCount - 1 becomes the
    // selected country or, when it already is, deselects it; with nothing
    // valid hovered the selected country is cleared.
    void click(int32_t countryCount);
    // "Unselect And Clear All": no marks, no selection, then the hover is
    // handled as a click.
    void clear(int32_t countryCount);
    // Advances every star's spin by the frame time.
    void spin(float seconds);
    // City `city` left the table and the later ones moved down by one.
    void cityRemoved(int32_t city);
    // Drops what no longer names a city or country of the tables (a record
    // saved with other data).
    void dropInvalid(int32_t cityCount, int32_t countryCount);

    // "saveccity"
    size_t writeRecord(std::vector<uint8_t>& out) override;
    // kRecordNameDiffers for another record, kRecordNotMine when the size is
    // not 286 + 8n (nothing changes then), else kRecordApplied.
    int readRecord(std::span<const uint8_t> record) override;

private:
    void mark(int32_t city);

    std::vector<MarkedCity> marked_;
    int32_t capacity_ = kCapacityStep;  // grows in steps of 32, as stored
};

}  // namespace tnx::geodata
