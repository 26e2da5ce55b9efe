// Places by name and names by place over the tables.
#include "geodata/place_lookup.h"

#include <gtest/gtest.h>

#include "geodata/boundary_store.h"
#include "geodata/city_table.h"
#include "geodata/country_table.h"
#include "geodata/geo_files.h"
#include "geodata/zone_tree.h"

namespace tnx::geodata {
namespace {

using test::siteAngle;

TEST(PlaceLookup, CitiesBeforeCountriesAndNearestByGreatCircle) {
    CountryTable countries;
    countries.load(test::countryFile({{"Singapore", "Singapore", "", "", 5e6f, 0, 0, 0.0237f, 1.8136f},
                                      {"Monaco", "Monaco", "", "", 0, 0, 0, 0.7635f, 0.1295f}}));
    CityTable cities;
    cities.load(test::siteFile({{"Singapore", {{"Singapore", 0, siteAngle(1.29), siteAngle(103.85), 0, 5600000}}},
                                {"Peru", {{"Iquitos", 1, siteAngle(-3.75), siteAngle(-73.25), 0, 400000}}},
                                {"Elsewhere", {{"singapore", 1, siteAngle(10), siteAngle(10), 0, 100}}}}),
                countries);
    BoundaryStore store;
    store.load(test::boundaryFile({test::ring(-7500, 0, -7000, 500)}), {});
    ZoneTree zones;
    zones.load(test::bytesOf("1 Peru\r\n0\r\nE\r\n1 Atlantis\r\n0\r\nE\r\n"), countries, store);
    PlaceLookup lookup(countries, cities, &zones);

    auto p = lookup.find("SINGAPORE");
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->isCity);  // the most populous city wins over the country
    EXPECT_EQ(p->index, 1);
    p = lookup.find("monaco");
    ASSERT_TRUE(p);
    EXPECT_FALSE(p->isCity);
    EXPECT_FLOAT_EQ(p->longitude, 0.1295f);
    // Known only from the zones: the middle of its outline's box.
    p = lookup.find("Atlantis");
    ASSERT_TRUE(p);
    EXPECT_NEAR(p->longitude * 57.29578f, -72.5f, 1e-3);
    EXPECT_NEAR(p->latitude * 57.29578f, -2.5f, 1e-3);
    EXPECT_FALSE(lookup.find("Lemuria"));
    EXPECT_FALSE(lookup.find(""));

    const float d = math::kPi / 180;
    EXPECT_EQ(lookup.countryAt(-73 * d, -2 * d), countries.find("Peru"));  // the first block of the cell
    EXPECT_EQ(lookup.countryAt(-60 * d, -2 * d), 0);
    NearestCity near = lookup.nearestCity(-73.25f * d, -2.75f * d);
    EXPECT_EQ(near.city, 2);
    EXPECT_NEAR(near.kilometres, 111.2, 0.3);  // one degree of latitude
    // Across the antimeridian the short way round.
    EXPECT_NEAR(PlaceLookup::distanceKm(179.5 * d, 0, -179.5 * d, 0), 111.2, 0.3);
}

}  // namespace
}  // namespace tnx::geodata
