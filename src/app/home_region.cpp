#include "app/home_region.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <utility>

#include "geodata/city_table.h"
#include "geodata/country_table.h"
#include "platform/text/text_encoding.h"

namespace tnx::app {

namespace {

constexpr double kDegree = 57.29577951308232;
constexpr double kGlobeRadius = 63.71;  // scene units of 100 km

// Time-zone territory names (as the locale data spells them) that the
// tables call otherwise, or keep as part of another country; for regions
// far from that country's capital, the city that stands for them.
struct Alias {
    std::string_view territory, country, city;
};
constexpr Alias kAliases[] = {
    {"Aland Islands", "Finland", "Mariehamn"},
    {"Ascension Island", "Saint Helena, Ascension and Tristan da Cunha", "Georgetown"},
    {"Canary Islands", "Spain", "Las Palmas"},
    {"Caribbean Netherlands", "Netherlands", "Kralendijk"},
    {"Ceuta And Melilla", "Spain", ""},
    {"Cocos Islands", "Cocos (Keeling) Islands", ""},
    {"Congo Brazzaville", "Republic of the Congo", ""},
    {"Congo Kinshasa", "DR Congo", ""},
    {"Curacao", "Curaçao", ""},
    {"Diego Garcia", "British Indian Ocean Territory", ""},
    {"French Guiana", "France", "Cayenne"},
    {"French Southern Territories", "French Southern and Antarctic Lands", ""},
    {"Guadeloupe", "France", "Pointe-à-Pitre"},
    {"Guinea Bissau", "Guinea-Bissau", ""},
    {"Heard And McDonald Islands", "Heard Island and McDonald Islands", ""},
    {"Macao", "Macau", ""},
    {"Macedonia", "North Macedonia", ""},
    {"Martinique", "France", "Fort-de-France"},
    {"Mayotte", "France", "Mamoudzou"},
    {"Palestinian Territories", "West Bank", ""},
    {"Pitcairn", "Pitcairn Islands", ""},
    {"Reunion", "France", "Saint-Denis"},
    {"Saint Barthelemy", "Saint Barthélemy", ""},
    {"Saint Helena", "Saint Helena, Ascension and Tristan da Cunha", ""},
    {"Saint Vincent And Grenadines", "Saint Vincent and the Grenadines", ""},
    {"Sao Tome And Principe", "São Tomé and Príncipe", ""},
    {"South Georgia And South Sandwich Islands", "South Georgia", ""},
    {"Svalbard And Jan Mayen", "Svalbard", ""},
    {"Tristan Da Cunha", "Saint Helena, Ascension and Tristan da Cunha", "Edinburgh of the Seven Seas"},
    {"Turkey", "Türkiye", ""},
    {"United States Outlying Islands", "United States Pacific Island Wildlife Refuges", ""},
};

const Alias* aliasFor(std::string_view territory) {
    for (const Alias& a : kAliases)
        if (a.territory == territory) return &a;
    return nullptr;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

// The most populous city of that name (Windows-1252) in that country, or 0.
int cityIn(const geodata::CityTable& cities, int country, std::string_view name) {
    int best = 0;
    for (int i = 1; i < cities.count(); ++i) {
        const geodata::CityRecord& c = cities[i];
        if (c.country == country && sameName(c.nameText(), name) && (!best || c.population > cities[best].population))
            best = i;
    }
    return best;
}

double wrapLongitude(double degrees) {
    double d = std::fmod(degrees + 180.0, 360.0);
    if (d < 0) d += 360.0;
    return d - 180.0;
}

}  // namespace

std::string HomeRegion::countryNameFor(std::string_view territory) {
    const Alias* a = aliasFor(territory);
    return std::string(a ? a->country : territory);
}

HomeRegion::Centre HomeRegion::centre(const geodata::CountryTable& countries, const geodata::CityTable& cities,
                                      std::string_view territory, int utcOffsetSeconds) {
    Centre c;
    if (!territory.empty()) {
        const int index = countries.find(text::utf8ToWindows1252(countryNameFor(territory)));
        if (const geodata::CountryRecord* country = index ? countries.get(index) : nullptr) {
            c.country = index;
            const Alias* alias = aliasFor(territory);
            int city = alias && !alias->city.empty() ? cityIn(cities, index, text::utf8ToWindows1252(alias->city)) : 0;
            if (!city) city = country->capitalCity;
            if (const geodata::CityRecord* capital = cities.isCity(city) ? cities.get(city) : nullptr) {
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
