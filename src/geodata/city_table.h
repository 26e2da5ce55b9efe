// The cities of "site.bin" with their markers. Record 0 is a reserved empty
// record meaning "none"; cities are 1 .. count - 1 in file order.
//
// site.bin (little-endian, packed): u32 unused, u32 T (total cities), then
// country groups while the next byte is not 0: the country's name
// (NUL-terminated), u32 n, and n cities of name (NUL-terminated), i8 class
// (0 = capital), i16 latitude, i16 longitude (both in pi/30000 radians), i16
// altitude in metres, i32 population.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "platform/math/d3d_math.h"

namespace tnx::geodata {

class CountryTable;

struct CityRecord {
    static constexpr size_t kNameField = 64;  // NUL included

    // Low byte: the class from site.bin (0 capital, 4 special, other
    // ordinary); second byte: the user-site state (1 edited, 2 added, 3
    // deleted).
    int32_t kind = 0;
    uint32_t colour = 0;        // marker colour, ARGB
    math::Vec3 position;        // on the globe, scene units
    float markerSize = 0;
    std::array<math::Vec3, 3> corners{};  // marker triangle directions
    float longitude = 0;        // radians
    float latitude = 0;         // radians
    float altitude = 0;         // metres
    int32_t population = 0;
    int32_t country = 0;        // index into the country table
    std::array<char, kNameField> name{};

    int classByte() const { return kind & 0xFF; }
    std::string_view nameText() const { return name.data(); }
};

class CityTable {
public:
    static constexpr const char* kFileName = "pack\\site.bin";
    // site.bin's angle unit: pi / 30000 radians.
    static constexpr float kAngleUnit = 3.1415925f * 3.3333334e-05f;
    static constexpr float kGlobeRadius = 63.71f;

    CityTable();

    // Reads site.bin from the data files; false when it is absent.
    bool loadFile(CountryTable& countries, std::string_view name = kFileName);
    // Parses the file image: every group's country is found or added, and a
    // capital becomes its country's capital city. A cut-off file yields the
    // cities wholly before the cut. Returns the number of cities read.
    int load(std::span<const uint8_t> file, CountryTable& countries);

    int count() const { return int(records_.size()); }
    bool isCity(int index) const { return index > 0 && index < count(); }
    const CityRecord& operator[](int index) const { return records_[size_t(index)]; }
    // Null for an index outside 0 .. count - 1.
    const CityRecord* get(int index) const;

    // The user's sites: a city replaced (ignored outside 1 .. count - 1), a
    // city appended (its index returned), a city removed with the later
    // ones moving down by one.
    void replace(int index, const CityRecord& city);
    int append(const CityRecord& city);
    void remove(int index);

    // Colour, size, position and corners of every city's marker.
    void computeMarkers(float exaggeration);
    static void computeMarker(CityRecord& city, float exaggeration);

    // Countries whose capital city is still unknown get the first city named
    // like their capital text (ignoring case), or 0.
    void fillCapitalLinks(CountryTable& countries) const;

    // The most populous city of this name (ignoring case; the first of equal
    // populations), or 0.
    int findMostPopulous(std::string_view name) const;

private:
    std::vector<CityRecord> records_;
};

}  // namespace tnx::geodata
