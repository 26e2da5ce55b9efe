#include "geodata/place_lookup.h"

#include <algorithm>
#include <cmath>

#include "geodata/city_table.h"
#include "geodata/country_table.h"
#include "geodata/zone_tree.h"

namespace tnx::geodata {

std::optional<Place> PlaceLookup::find(std::string_view name) const {
    if (name.empty()) return std::nullopt;
    if (int city = cities_.findMostPopulous(name)) {
        const CityRecord& c = cities_[city];
        return Place{true, city, c.longitude, c.latitude};
    }
    int country = countries_.find(name);
    if (country == 0) return std::nullopt;
    const CountryRecord* r = countries_.get(country);
    Place p{false, country, r->longitude, r->latitude};
    // A country known only from the zones has no reference position: the
    // middle of its outline's box stands in.
    if (p.longitude == 0 && p.latitude == 0 && zones_)
        if (const ZoneNode* block = zones_->block(r->zone)) {
            constexpr float kRadiansPerUnit = 0.00017453292f;
            p.longitude = float(block->box.minLongitude + block->box.maxLongitude) / 2 * kRadiansPerUnit;
            p.latitude = float(block->box.minLatitude + block->box.maxLatitude) / 2 * kRadiansPerUnit;
        }
    return p;
}

int PlaceLookup::countryAt(float longitude, float latitude) const {
    int country = 0;
    if (zones_) zones_->hitTestRadians(longitude, latitude, &country);
    return country;
}

NearestCity PlaceLookup::nearestCity(float longitude, float latitude) const {
    NearestCity best;
    for (int i = 1; i < cities_.count(); ++i) {
        double d = distanceKm(longitude, latitude, cities_[i].longitude, cities_[i].latitude);
        if (best.city == 0 || d < best.kilometres) best = {i, d};
    }
    return best;
}

double PlaceLookup::distanceKm(double lon1, double lat1, double lon2, double lat2) {
    // Haversine: well-conditioned for the short distances that matter here.
    double s1 = std::sin((lat2 - lat1) / 2), s2 = std::sin((lon2 - lon1) / 2);
    double h = s1 * s1 + std::cos(lat1) * std::cos(lat2) * s2 * s2;
    return 2 * kEarthRadiusKm * std::asin(std::sqrt(std::min(1.0, h)));
}

}  // namespace tnx::geodata
