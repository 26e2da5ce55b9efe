#include "geodata/info_texts.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "geodata/city_table.h"
#include "geodata/country_table.h"
#include "geodata/pack_archive.h"

namespace tnx::geodata {

namespace {
constexpr double kDegreesPerRadian = 180.0 / 3.14159265358979323846;

void appendFixed(std::string& s, double v, int precision) {
    // Room for the largest float figure with its decimals.
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, precision);
    if (r.ec == std::errc()) s.append(buf, r.ptr);
}

void appendInt(std::string& s, int64_t v) {
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    s.append(buf, r.ptr);
}

// Hemisphere letter and degrees, three decimals: "E10.000".
void appendAngle(std::string& s, double radians, char positive, char negative) {
    s += radians < 0 ? negative : positive;
    appendFixed(s, std::fabs(radians * kDegreesPerRadian), 3);
}

// Towards zero, as an int; what no int holds becomes its nearest end.
int64_t truncated(double v) {
    if (!std::isfinite(v)) return 0;
    constexpr double lo = double(std::numeric_limits<int32_t>::min());
    constexpr double hi = double(std::numeric_limits<int32_t>::max());
    return int64_t(std::trunc(std::fmin(std::fmax(v, lo), hi)));
}

std::string cut(std::string s) {
    if (s.size() > InfoTexts::kMaxLine) s.resize(InfoTexts::kMaxLine);
    return s;
}
}  // namespace

std::string InfoTexts::cameraLine(double longitude, double latitude, double height, bool metric) {
    std::string s = "From ";
    appendAngle(s, longitude, 'E', 'W');
    s += ", ";
    appendAngle(s, latitude, 'N', 'S');
    s += ",Alt ";
    appendFixed(s, height * (metric ? kKmPerUnit : kMilesPerUnit), 2);
    s += metric ? "km" : "mi.";
    return cut(std::move(s));
}

std::string InfoTexts::pointerLine(double longitude, double latitude, double elevation, bool metric) {
    std::string s;
    appendAngle(s, longitude, 'E', 'W');
    s += ", ";
    appendAngle(s, latitude, 'N', 'S');
    s += ", Alt ";
    appendInt(s, truncated(metric ? elevation : elevation * kFeetPerMetre));
    s += metric ? "m" : "ft";
    return cut(std::move(s));
}

std::string InfoTexts::cityLine(const CityRecord& city) {
    std::string s(city.nameText());
    s += ",Population  ";
    appendInt(s, city.population);
    return cut(std::move(s));
}

std::string InfoTexts::countryLine(const CountryRecord& country) {
    std::string s(country.nameText());
    s += ", Pop  ";
    appendFixed(s, country.population, 0);
    s += ", Area total ";
    appendFixed(s, country.areaTotal, 0);
    s += ", land ";
    appendFixed(s, country.areaLand, 0);
    return cut(std::move(s));
}

void InfoTexts::setLine(Line l, std::string text) {
    std::string& cur = lines_[size_t(l)];
    if (cur == text) return;
    cur = std::move(text);
    ++linesRevision_;
}

void InfoTexts::setNote(std::string note) {
    if (note_ == note) return;
    note_ = std::move(note);
    ++linesRevision_;
}

void InfoTexts::update(const ReadoutInput& in, const CityTable& cities, const CountryTable& countries) {
    // The point below the camera, on the turning globe.
    const double x = in.cameraPosition.x, y = in.cameraPosition.y, z = in.cameraPosition.z;
    const double horizontal = std::hypot(x, z);
    const double lon = std::remainder(std::atan2(z, x) - double(in.spin), 2 * 3.14159265358979323846);
    const double lat = std::atan2(y, horizontal);
    const double height = std::hypot(horizontal, y) - double(kGlobeRadius);
    setLine(kCamera, cameraLine(lon, lat, height, in.metric));

    pointerOnGlobe_ = in.pointerOnGlobe;
    if (!in.pointerOnGlobe) {
        setLine(kPointer, {});
        return;
    }
    setLine(kPointer, pointerLine(in.pointerLongitude, in.pointerLatitude, in.pointerElevation, in.metric));
    siteLongitude_ = in.pointerLongitude;
    siteLatitude_ = in.pointerLatitude;
    siteElevation_ = in.pointerElevation;

    setLine(kCity, cities.isCity(in.hoveredCity) ? cityLine(cities[in.hoveredCity]) : std::string());
    int country = in.hoveredCountry;
    if (!countries.isCountry(country)) country = countries.find("World");
    const CountryRecord* record = countries.get(country);
    setLine(kCountry, record ? countryLine(*record) : std::string());
}

void InfoTexts::showOverview(int k, const CountryTable& countries) {
    const CountryRecord* record = countries.get(k);
    if (!record) {
        k = 0;
        record = countries.get(0);
    }
    const std::string name = record ? std::string(record->nameText()) : std::string();
    const std::string background(countries.background(k)), text(countries.overview(k));
    BrowserText t;
    t.title = name;
    t.parts = {{"Background", false}, {background, true}, {"Overview", false}, {text, true}};
    t.caption = name;
    t.body = "Background\r\n\r\n" + background + "\r\n\r\nOverview\r\n\r\n" + text;
    overview_ = std::move(t);
    ++overviewRevision_;
}

void InfoTexts::setHelp(const std::vector<uint8_t>* file) {
    BrowserText t;
    t.title = "Help";
    t.caption = "Readme.txt";
    if (file) {
        std::string text(file->begin(), file->end());
        t.parts = {{text, false}};
        t.body = text.substr(0, kHelpWindowLimit);
    } else {
        // The panel says at least what it is; the window stays empty.
        t.parts = {{"Help", false}};
    }
    help_ = std::move(t);
    ++helpRevision_;
}

void InfoTexts::loadHelp() {
    std::vector<uint8_t> buffer;
    size_t length = 0;
    if (readDataFile(kHelpFile, buffer, length) == PackArchive::kNotFound) {
        setHelp(nullptr);
        return;
    }
    buffer.resize(std::min(length, buffer.size()));
    setHelp(&buffer);
}

void InfoTexts::setUp(const CountryTable& countries) {
    loadHelp();
    showOverview(countries.find("world"), countries);
}

}  // namespace tnx::geodata
