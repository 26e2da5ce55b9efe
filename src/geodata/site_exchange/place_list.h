// What a site file reader found: the places it could read, one line for
// each entry it had to pass over, or the reason the file as a whole could
// not be read. Readers hand every entry's fields to add(), which checks them
// the same way for every format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tnx::geodata {

struct SitePlace {
    std::string where;  // "line 5", "feature 3": for messages about it later
    std::string name;   // UTF-8 as the file gave it; may be empty
    double longitude = 0, latitude = 0;  // degrees
    std::optional<double> altitude;      // metres; none: the ground there
    int32_t population = 0;
};

struct SkippedEntry {
    std::string where, reason;
};

// A field as the file gave it: a number already (JSON), or text to read.
struct PlaceValue {
    std::optional<double> number;
    std::optional<std::string> text;  // none: the field is absent

    static PlaceValue of(double n) { return {n, std::nullopt}; }
    static PlaceValue of(std::string_view t) { return {std::nullopt, std::string(t)}; }
    bool present() const { return number || text; }
};

class PlaceList {
public:
    // More entries than any sane site file holds: the file is refused as a
    // whole rather than growing the city table without bound.
    static constexpr size_t kMaxEntries = 100000;

    // Checks the fields and keeps the place, or notes why not. Empty or
    // blank altitude and population fields count as absent.
    void add(std::string where, std::string_view name, const PlaceValue& longitude, const PlaceValue& latitude,
             const PlaceValue& altitude = {}, const PlaceValue& population = {});
    void skip(std::string where, std::string reason);
    // The whole file is unreadable: nothing of it is taken.
    void fail(std::string reason);

    // The readers stop once this is true.
    bool done() const { return !error_.empty(); }
    // Entries that were no places at all (a line, an area), for the message
    // of a file without any place.
    void countOther() { ++others_; }

    const std::vector<SitePlace>& places() const { return places_; }
    std::vector<SitePlace>& places() { return places_; }
    const std::vector<SkippedEntry>& skipped() const { return skipped_; }
    const std::string& error() const { return error_; }
    size_t others() const { return others_; }

private:
    bool roomForMore();

    std::vector<SitePlace> places_;
    std::vector<SkippedEntry> skipped_;
    std::string error_;
    size_t others_ = 0;
};

}  // namespace tnx::geodata
