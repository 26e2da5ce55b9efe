#include "app/home_region.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "geodata/city_table.h"
#include "geodata/country_table.h"
#include "platform/text/text_encoding.h"

namespace tnx::app {

namespace {

constexpr double kDegree = 57.29577951308232;
constexpr double kGlobeRadius = 63.71;  // scene units of 100 km

// Time-zone territory names (as the locale data spells them) whose country
// the tables call otherwise.
constexpr std::pair<std::string_view, std::string_view> kAliases[] = {
    {"Aland Islands", "Finland"},
    {"Antigua And Barbuda", "Antigua and Barbuda"},
    {"Bosnia And Herzegovina", "Bosnia and Herzegovina"},
    {"Caribbean Netherlands", "Netherlands"},
    {"Canary Islands", "Spain"},
    {"Ceuta And Melilla", "Spain"},
    {"Congo Brazzaville", "Republic of the Congo"},
    {"Congo Kinshasa", "DR Congo"},
    {"Curacao", "Curaçao"},
    {"Guinea Bissau", "Guinea-Bissau"},
    {"Heard And McDonald Islands", "Heard Island and McDonald Islands"},
    {"Isle Of Man", "Isle of Man"},
    {"Macedonia", "North Macedonia"},
    {"Micronesia", "Micronesia"},
    {"Palestinian Territories", "West Bank"},
    {"Reunion", "France"},
    {"Saint Barthelemy", "Saint Barthélemy"},
    {"Saint Kitts And Nevis", "Saint Kitts and Nevis"},
    {"Saint Pierre And Miquelon", "Saint Pierre and Miquelon"},
    {"Saint Vincent And Grenadines", "Saint Vincent and the Grenadines"},
    {"Sao Tome And Principe", "São Tomé and Príncipe"},
    {"South Georgia And South Sandwich Islands", "South Georgia"},
    {"Svalbard And Jan Mayen", "Svalbard"},
    {"Trinidad And Tobago", "Trinidad and Tobago"},
    {"Turks And Caicos Islands", "Turks and Caicos Islands"},
    {"United States Virgin Islands", "United States Virgin Islands"},
    {"Wallis And Futuna", "Wallis and Futuna"},
};

double wrapLongitude(double degrees) {
    double d = std::fmod(degrees + 180.0, 360.0);
    if (d < 0) d += 360.0;
    return d - 180.0;
}

}  // namespace

std::string HomeRegion::countryNameFor(std::string_view territory) {
    for (const auto& [from, to] : kAliases)
        if (from == territory) return std::string(to);
    return std::string(territory);
}

HomeRegion::Centre HomeRegion::centre(const geodata::CountryTable& countries, const geodata::CityTable& cities,
                                      std::string_view territory, int utcOffsetSeconds) {
    Centre c;
    if (!territory.empty()) {
        const int index = countries.find(text::utf8ToWindows1252(countryNameFor(territory)));
        if (const geodata::CountryRecord* country = index ? countries.get(index) : nullptr) {
            c.country = index;
            if (const geodata::CityRecord* capital = cities.isCity(country->capitalCity) ? cities.get(country->capitalCity)
                                                                                        : nullptr) {
                c.longitudeDeg = capital->longitude * kDegree;
                c.latitudeDeg = capital->latitude * kDegree;
            } else {
                c.longitudeDeg = country->longitude * kDegree;
                c.latitudeDeg = country->latitude * kDegree;
            }
            return c;
        }
    }
    c.longitudeDeg = wrapLongitude(utcOffsetSeconds / 3600.0 * 15.0);
    c.latitudeDeg = kOffsetLatitudeDeg;
    return c;
}

double HomeRegion::altitudeKmForFill(int width, int height, float fov, double fraction) {
    const double tanVertical = std::tan(double(fov) / 2) * std::max(height, 1) / std::max(width, 1);
    const double tanGlobe = std::clamp(fraction, 0.01, 0.99) * tanVertical;
    const double sinGlobe = tanGlobe / std::sqrt(1 + tanGlobe * tanGlobe);
    return (kGlobeRadius / sinGlobe - kGlobeRadius) * 100.0;
}

}  // namespace tnx::app
