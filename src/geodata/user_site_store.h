// The user's own sites: edits of predefined cities, sites the user added,
// kept apart from the shipped "site.bin" as a list of records in
// "usersite.bin" and applied to the city table whenever it is built.
//
// usersite.bin (little-endian): u32 record count n, u32 time of writing
// (seconds since 1970, not read back), then n records of 92 bytes: name (64
// chars, NUL-terminated, Windows-1252), i32 city index, i32 kind (second
// byte: 1 edited city, 2 added site), f32 longitude and latitude (radians),
// f32 altitude (metres), i32 population, i32 country.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

namespace tnx::geodata {

class CityTable;
struct CityRecord;

struct UserSiteRecord {
    static constexpr size_t kBytes = 92;
    static constexpr size_t kNameField = 64;

    std::array<char, kNameField> name{};
    int32_t cityIndex = 0;
    int32_t kind = 0;
    float longitude = 0;   // radians, -pi .. pi
    float latitude = 0;    // radians, -pi/2 .. pi/2
    float altitude = 0;    // metres, -10000 .. 10000
    int32_t population = 0;
    int32_t country = 0;

    int state() const { return (kind >> 8) & 0xFF; }
    std::string_view nameText() const { return name.data(); }
};

// The site dialog and the deletion question, as the store sees them.
class SiteEditor {
public:
    virtual ~SiteEditor() = default;
    // Shows the site dialog on `work`; true on OK with the fields updated.
    virtual bool editSite(UserSiteRecord& work) = 0;
    // "Are you sure to delete %s": true on OK.
    virtual bool confirmDelete(std::string_view name) = 0;
};

class UserSiteStore {
public:
    static constexpr const char* kFileName = "usersite.bin";
    static constexpr size_t kHeaderBytes = 8;
    static constexpr int kCapacityStep = 100;
    enum SiteState : int { kEdited = 1, kAdded = 2, kDeleted = 3 };
    // The ranges a site's values are held to.
    static constexpr float kMaxLongitude = 3.1415925f;
    static constexpr float kMaxLatitude = 1.5707963f;
    static constexpr float kMaxAltitude = 10000.0f;

    // Reads "usersite.bin" from the data files; a missing or unreadable
    // file leaves the store empty.
    void loadFile();
    // Parses a file image; returns the records kept. Records past the end
    // of the data are not read; values outside their ranges are clamped and
    // records holding non-numbers are dropped.
    int load(std::span<const uint8_t> file);
    std::vector<uint8_t> serialise(uint32_t time) const;
    // Writes the file in the program's home, atomically.
    bool saveFile() const;
    bool saveFile(const std::filesystem::path& path) const;

    // Edits replace the city at their index (when it is a city of the
    // table), added sites are appended; anything else is passed over.
    // Countries outside the country table become "none".
    void apply(CityTable& cities, int countryCount);

    // Runs the site dialog for city `index` on `city` (a copy of it, or the
    // new site): on OK the copy takes the dialog's values, the store keeps
    // the work record in place of any record for that index and 1 is
    // returned; 0 on Cancel.
    int editSite(int index, CityRecord& city, SiteEditor& editor);
    // Asks, then forgets the record of city `index` and moves the later
    // cities' records down by one, as the table will. 1 on OK (also when
    // the store held no record of it), 0 on Cancel.
    int deleteSite(int index, std::string_view name, SiteEditor& editor);

    // Sites taken in from a file, appended as one change.
    void addSites(std::span<const UserSiteRecord> sites);

    const std::vector<UserSiteRecord>& records() const { return records_; }
    int changes() const { return changes_; }
    const UserSiteRecord& work() const { return work_; }

    // The site's values, held to their ranges; false for a record that
    // holds a non-number.
    static bool clampToRanges(UserSiteRecord& r);

private:
    std::vector<UserSiteRecord> records_;
    int changes_ = 0;
    UserSiteRecord work_;
};

}  // namespace tnx::geodata
