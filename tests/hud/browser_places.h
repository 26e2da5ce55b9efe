// A small geography for the browser tests: two countries and six cities
// (Bern and lyon with equal populations), optionally with many more cities.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "geodata/geo_files.h"
#include "geodata/geo_overlay.h"

namespace tnx::hud::test {

// City indices in file order.
enum Place { kParis = 1, kLyon, kParma, kParaburdoo, kBern, kZurich };

inline std::vector<tnx::test::CityEntry> frenchCities(int extra) {
    using tnx::test::siteAngle;
    std::vector<tnx::test::CityEntry> c = {{"Paris", 0, siteAngle(48.86), siteAngle(2.35), 35, 2100000},
                                           {"lyon", 1, siteAngle(45.76), siteAngle(4.84), 173, 500000},
                                           {"Parma", 1, siteAngle(44.8), siteAngle(10.33), 57, 190000},
                                           {"Paraburdoo", 1, siteAngle(-23.2), siteAngle(117.67), 100, 1800}};
    for (int i = 0; i < extra; ++i) c.push_back({"Town " + std::to_string(100 + i), 1, 0, 0, 0, 1000 + i});
    return c;
}

// Loads the places into an overlay made without data.
inline std::unique_ptr<geodata::GeoOverlay> makePlaces(int extraCities = 0) {
    using tnx::test::siteAngle;
    auto o = std::make_unique<geodata::GeoOverlay>(0.00001f, false);
    o->countries().load(tnx::test::countryFile(
        {{"France", "Paris", "French background", "French economy", 6.6e7f, 643801, 640427, 0.8f, 0.04f},
         {"Switzerland", "Bern", "Swiss background", "Swiss economy", 8.1e6f, 41277, 39997, 0.82f, 0.14f},
         {"World", "", "The world's background", "The world's economy", 7.2e9f}}));
    o->cities().load(tnx::test::siteFile({{"France", frenchCities(extraCities)},
                                          {"Switzerland",
                                           {{"Bern", 0, siteAngle(46.95), siteAngle(7.45), 1000, 500000},
                                            {"Zurich", 1, siteAngle(47.37), siteAngle(8.54), 408, 400000}}}}),
                     o->countries());
    o->rebuildCities();
    return o;
}

}  // namespace tnx::hud::test
