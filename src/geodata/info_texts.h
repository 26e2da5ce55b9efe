// The texts that tell the user where they are and what they point at: the
// four read-out lines made every frame (camera, pointer, hovered city,
// hovered country), a country's overview and the help text from
// "readme.txt". The HUD and the browsers pick them up from here; each text
// carries a revision so a reader lays it out again only when it changed.
//
// All texts are Windows-1252, as the geography data is. Numbers are written
// without the C locale's help, so a desktop locale with a decimal comma
// cannot change them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/math/d3d_math.h"

namespace tnx::geodata {

class CityTable;
class CountryTable;
struct CityRecord;
struct CountryRecord;

// One paragraph of a browser text; marked paragraphs are the body texts
// under the headings.
struct TextPart {
    std::string text;
    bool marked = false;
};

// A text for a text panel (title and paragraphs) and for its window
// (caption and body).
struct BrowserText {
    std::string title;
    std::vector<TextPart> parts;
    std::string caption;
    std::string body;
};

// What the read-outs need of a frame.
struct ReadoutInput {
    math::Vec3 cameraPosition;  // world space
    float spin = 0;             // the globe's spin angle
    bool pointerOnGlobe = false;
    float pointerLongitude = 0;  // radians, on the globe
    float pointerLatitude = 0;
    float pointerElevation = 0;  // metres
    int32_t hoveredCity = 0;
    int32_t hoveredCountry = 0;
    bool metric = true;
};

class InfoTexts {
public:
    enum Line : int { kCamera = 0, kPointer = 1, kCity = 2, kCountry = 3, kLineCount = 4 };
    static constexpr size_t kMaxLine = 255;
    static constexpr const char* kHelpFile = "readme.txt";
    // The Help window shows at most this much of the file.
    static constexpr size_t kHelpWindowLimit = 19996;
    static constexpr float kGlobeRadius = 63.71f;
    static constexpr double kKmPerUnit = 100.0;
    static constexpr double kMilesPerUnit = 62.14;
    static constexpr double kFeetPerMetre = 3.2808;

    // --- the line formats ---
    // "From E10.000, N50.000,Alt 3000.00km" (or "...mi."); radians and the
    // height above the globe in scene units.
    static std::string cameraLine(double longitude, double latitude, double height, bool metric);
    // "E10.000, N50.000, Alt 120m" (or "...ft"), the elevation cut to whole
    // metres or feet.
    static std::string pointerLine(double longitude, double latitude, double elevation, bool metric);
    // "Paris,Population  2138551"
    static std::string cityLine(const CityRecord& city);
    // "France, Pop  66553766, Area total 643801, land 640427"
    static std::string countryLine(const CountryRecord& country);

    // --- per frame ---
    // Camera line always; with the pointer off the globe the pointer line
    // empties and the city and country lines stay as they were.
    void update(const ReadoutInput& in, const CityTable& cities, const CountryTable& countries);
    const std::string& line(Line l) const { return lines_[size_t(l)]; }
    // A note under the camera line (the online imagery's credit and date,
    // or what went wrong with it); empty for none.
    void setNote(std::string note);
    const std::string& note() const { return note_; }
    // Changes whenever any line or the note changes.
    uint32_t linesRevision() const { return linesRevision_; }
    bool pointerOnGlobe() const { return pointerOnGlobe_; }
    // The point under the pointer, for "Add New Site".
    float siteLongitude() const { return siteLongitude_; }
    float siteLatitude() const { return siteLatitude_; }
    float siteElevation() const { return siteElevation_; }

    // --- overview and help ---
    // The overview of country k (record 0, all empty, for no country).
    void showOverview(int k, const CountryTable& countries);
    // The help text from a file image, or none (the file is absent).
    void setHelp(const std::vector<uint8_t>* file);
    // Reads "readme.txt" through the data files.
    void loadHelp();
    // Once the tables are loaded: the help text and the overview of "World".
    void setUp(const CountryTable& countries);
    const BrowserText& overview() const { return overview_; }
    const BrowserText& help() const { return help_; }
    uint32_t overviewRevision() const { return overviewRevision_; }
    uint32_t helpRevision() const { return helpRevision_; }

private:
    void setLine(Line l, std::string text);

    std::string lines_[kLineCount];
    std::string note_;
    uint32_t linesRevision_ = 0;
    bool pointerOnGlobe_ = false;
    float siteLongitude_ = 0, siteLatitude_ = 0, siteElevation_ = 0;
    BrowserText overview_, help_;
    uint32_t overviewRevision_ = 0, helpRevision_ = 0;
};

}  // namespace tnx::geodata
