#include "city_product.h"

#include "country_bridge.h"
#include "elevation_grid.h"
#include "factbook.h"
#include "geography_sources.h"
#include "support/test_home.h"

#include <gtest/gtest.h>

namespace tnx::databuilder {
namespace {

TEST(CityProduct, CoastalTownsTakeTheNearestLandNeverTheSeaFloor) {
    // 36 x 19 samples 10 degrees apart: sea floor but for land at 20 E, 0 N
    // and an island at 90 E.
    std::vector<float> m(36 * 19, -3000.0f);
    m[9 * 36 + 2] = 150;
    m[9 * 36 + 9] = 20;
    ElevationGrid grid;
    grid.assign(36, 19, m);
    EXPECT_DOUBLE_EQ(grid.landElevation(20, 0), 150);
    EXPECT_DOUBLE_EQ(grid.landElevation(31, 1), 150);  // its own sample is sea
    EXPECT_DOUBLE_EQ(grid.landElevation(80, 0), 20);   // nearer than 20 E
    EXPECT_DOUBLE_EQ(grid.landElevation(-60, 40), 0);  // no land in reach: sea level
}

TEST(CityProduct, GroupsByCountryWithTheFactbookCapitalLast) {
    test::TestHome home;
    test::writeText(home.file("fb/e/nl.json"), R"({"Government": {"Country name": {"conventional short form":
        {"text": "Netherlands"}}, "Capital": {"name": {"text": "Amsterdam; note - The Hague is the seat"}}}})");
    test::writeText(home.file("fb/e/pl.json"), R"({"Government": {"Country name": {"conventional short form": {"text": "Poland"}}}})");
    test::writeText(home.file("fb/w/xx.json"), "{}");
    Factbook factbook;
    CountryBridge bridge;
    std::string error;
    ASSERT_TRUE(factbook.load(home.file("fb"), error)) << error;
    const std::string list = R"([{"cca3": "NLD", "name": {"common": "Netherlands"}}, {"cca3": "POL", "name": {"common": "Poland"}}])";
    ASSERT_TRUE(bridge.load(std::vector<uint8_t>(list.begin(), list.end()), factbook, error));
    ElevationGrid grid;
    grid.assign(36, 19, std::vector<float>(36 * 19, 5.0f));
    const std::string cities = R"([
      {"city": "Amsterdam", "lat": "52.37", "lng": "4.89", "iso3": "NLD", "capital": "primary", "population": "1000"},
      {"city": "Łódź", "lat": "51.77", "lng": "19.45", "iso3": "POL", "capital": "admin", "population": ""},
      {"city": "The Hague", "lat": "52.08", "lng": "4.31", "iso3": "NLD", "capital": "primary", "population": "500"},
      {"city": "Rotterdam", "lat": "51.92", "lng": "4.48", "iso3": "NLD", "capital": "", "population": "600"},
      {"city": "Nowhere", "lat": "x", "lng": "0", "iso3": "POL"}])";
    std::vector<CityGroup> groups;
    ASSERT_TRUE(CityProduct::groupCities(std::vector<uint8_t>(cities.begin(), cities.end()), bridge, factbook, grid,
                                         groups, error));
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].country, "Netherlands");
    ASSERT_EQ(groups[0].cities.size(), 3u);
    EXPECT_EQ(groups[0].cities[0].cityClass, CityProduct::kCapital);  // The Hague
    EXPECT_EQ(groups[0].cities[1].cityClass, CityProduct::kCity);
    EXPECT_EQ(groups[0].cities[2].name, "Amsterdam");  // the reader links the last capital
    EXPECT_EQ(groups[0].cities[2].altitude, 5);
    ASSERT_EQ(groups[1].cities.size(), 1u);
    EXPECT_EQ(groups[1].cities[0].name, "Lodz");
    EXPECT_EQ(groups[1].cities[0].population, 0);
    EXPECT_EQ(groups[1].cities[0].latitude, CityProduct::angleUnits(51.77));
    EXPECT_EQ(CityProduct::angleUnits(-180), -30000);
}

}  // namespace
}  // namespace tnx::databuilder
