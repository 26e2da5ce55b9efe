// Places by name and names by place, over the program's own tables: the
// city or country a name means, the country under a point and the nearest
// city. Names are compared as the data holds them (Windows-1252), ignoring
// ASCII letter case.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tnx::geodata {

class CityTable;
class CountryTable;
class ZoneTree;

struct Place {
    bool isCity = false;
    int index = 0;        // into the city or the country table
    float longitude = 0;  // radians
    float latitude = 0;
};

struct NearestCity {
    int city = 0;         // 0 with no cities at all
    double kilometres = 0;
};

class PlaceLookup {
public:
    static constexpr double kEarthRadiusKm = 6371.0;

    PlaceLookup(const CountryTable& countries, const CityTable& cities, const ZoneTree* zones)
        : countries_(countries), cities_(cities), zones_(zones) {}

    // The most populous city of that name, else the country of that name.
    std::optional<Place> find(std::string_view name) const;
    // The country whose zone holds the point (radians), or 0.
    int countryAt(float longitude, float latitude) const;
    NearestCity nearestCity(float longitude, float latitude) const;

    // Great-circle distance on a sphere of the Earth's mean radius.
    static double distanceKm(double longitude1, double latitude1, double longitude2, double latitude2);

private:
    const CountryTable& countries_;
    const CityTable& cities_;
    const ZoneTree* zones_;
};

}  // namespace tnx::geodata
