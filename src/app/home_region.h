// The first run's view: the user's own region, found from the country of
// the system's time zone through the country and city tables, with the
// globe filling about two thirds of the window's height.
#pragma once

#include <string>
#include <string_view>

namespace tnx::geodata {
class CityTable;
class CountryTable;
}  // namespace tnx::geodata

namespace tnx::app {

class HomeRegion {
public:
    static constexpr double kFillFraction = 2.0 / 3.0;
    // With only an offset from UTC known, the view looks along that
    // meridian at this latitude, where most people live.
    static constexpr double kOffsetLatitudeDeg = 30.0;

    struct Centre {
        double longitudeDeg = 0, latitudeDeg = 0;
        int country = 0;  // index into the country table, 0 when none matched
    };

    // The country table's name for a time-zone territory name where the two
    // differ ("South Korea" is "Korea, South"); the name itself otherwise.
    static std::string countryNameFor(std::string_view territory);

    // The capital of the territory's country (or, for a region the tables
    // count to a distant country, its own main city), else the country's
    // reference point; without a country, the meridian of the UTC offset.
    static Centre centre(const geodata::CountryTable& countries, const geodata::CityTable& cities,
                         std::string_view territory, int utcOffsetSeconds);

    // Kilometres above the surface at which the globe, seen straight on,
    // spans `fraction` of the view's height (fov: the horizontal field of
    // view across `width`).
    static double altitudeKmForFill(int width, int height, float fov, double fraction = kFillFraction);
};

}  // namespace tnx::app
