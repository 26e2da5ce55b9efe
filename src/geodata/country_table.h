// Every country and entity the program knows: name, capital, two texts,
// population, areas and a reference position. Loaded from "country.bin" and
// then extended by the city and zone loaders, which add the countries they
// name and link capitals and zones. Record 0 is a nameless "none" that
// lookups of absent names answer.
//
// country.bin (little-endian, packed): u32 record count N, then N records of
// name, capital, background text and overview text (each NUL-terminated)
// followed by five f32: population, total area, land area, latitude,
// longitude (latitude first in the file).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tnx::geodata {

struct CountryRecord {
    static constexpr size_t kTextField = 128;  // name and capital, NUL included

    std::array<char, kTextField> name{};
    std::array<char, kTextField> capital{};
    uint32_t background = 0;  // offsets of the texts in the table's text pool
    uint32_t overview = 0;
    int32_t capitalCity = 0;  // index into the city table, 0 = none
    int32_t zone = 0;         // block position in the zone tree, 0 = none
    float population = 0;
    float areaTotal = 0;
    float areaLand = 0;
    float longitude = 0;      // radians, east positive
    float latitude = 0;       // radians, north positive

    std::string_view nameText() const { return name.data(); }
    std::string_view capitalText() const { return capital.data(); }
};

// Copies text into a fixed field, cutting it to leave room for the NUL.
template <size_t N>
void copyField(std::array<char, N>& field, std::string_view text) {
    size_t n = text.size() < N - 1 ? text.size() : N - 1;
    for (size_t i = 0; i < n; ++i) field[i] = text[i];
    for (size_t i = n; i < N; ++i) field[i] = 0;
}

class CountryTable {
public:
    static constexpr int kCapacity = 500;
    static constexpr const char* kFileName = "pack\\country.bin";

    CountryTable();

    // Reads country.bin from the data files; false when it is absent.
    bool loadFile(std::string_view name = kFileName);
    // Parses the file image. A cut-off file yields the records wholly before
    // the cut. Returns the number of records read.
    int load(std::span<const uint8_t> file);

    // First record whose name equals `name` ignoring ASCII case; an absent
    // name is appended while there is room, else 0.
    int findOrAdd(std::string_view name);
    // The same without adding: 0 when absent.
    int find(std::string_view name) const;
    // Null for an index outside 0 .. count - 1.
    const CountryRecord* get(int index) const;
    void setZone(int index, int zone);
    void setCapitalCity(int index, int city);
    int count() const { return int(records_.size()); }
    // Indices 1 .. count - 1 are countries.
    bool isCountry(int index) const { return index > 0 && index < count(); }

    std::string_view background(int index) const;
    std::string_view overview(int index) const;

private:
    CountryRecord* mutableRecord(int index);
    uint32_t addText(std::string_view text);

    std::vector<CountryRecord> records_;
    // Both descriptive texts of every record, NUL-terminated, in load order;
    // offset 0 holds the empty text.
    std::string textPool_;
};

}  // namespace tnx::geodata
