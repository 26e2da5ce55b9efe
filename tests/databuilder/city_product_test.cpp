#include "city_product.h"

#include "country_bridge.h"
#include "elevation_grid.h"
#include "factbook.h"

#include "platform/io/byte_io.h"
#include "platform/io/file_io.h"
#include "support/test_home.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tnx::databuilder {
namespace {

std::vector<uint8_t> bytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST(CityProduct, EncodesGroupsInTheFileLayout) {
    CityGroup g{"Br\xE9sil", {{"S\xE3o Paulo", CityProduct::kCity, -3925, -7772, 792, 23086000},
                              {"Bras\xEDlia", CityProduct::kCapital, -2630, -7980, 1100, 0}}};
    const auto file = CityProduct::encode({g, CityGroup{"Empty", {}}});
    io::ByteReader r(file);
    EXPECT_EQ(r.u32(), 0u);
    EXPECT_EQ(r.u32(), 2u);
    EXPECT_EQ(r.cstring(), "Br\xE9sil");
    EXPECT_EQ(r.u32(), 2u);
    EXPECT_EQ(r.cstring(), "S\xE3o Paulo");
    EXPECT_EQ(r.u8(), 1);
    EXPECT_EQ(int16_t(r.u16()), -3925);
    EXPECT_EQ(int16_t(r.u16()), -7772);
    EXPECT_EQ(int16_t(r.u16()), 792);
    EXPECT_EQ(r.i32(), 23086000);
    EXPECT_EQ(r.cstring(), "Bras\xEDlia");
    EXPECT_EQ(r.u8(), 0);
    r.skip(10);
    EXPECT_EQ(r.u8(), 0);  // no further group: an empty one is not written
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.remaining(), 0u);
    EXPECT_EQ(CityProduct::angleUnits(180), 30000);
    EXPECT_EQ(CityProduct::angleUnits(-23.55), -3925);
}

TEST(CityProduct, CoastalTownsTakeTheNearestLandNeverTheSeaFloor) {
    // 36 x 19 samples, 10 degrees apart: sea floor except one land sample
    // at 20 E, 0 N and an island far out at 90 E.
    std::vector<float> m(36 * 19, -3000.0f);
    m[9 * 36 + 2] = 150;
    m[9 * 36 + 9] = 20;
    ElevationGrid grid;
    grid.assign(36, 19, m);
    EXPECT_DOUBLE_EQ(grid.landElevation(20, 0), 150);
    EXPECT_DOUBLE_EQ(grid.landElevation(31, 1), 150);   // nearest sample is sea: the land beside it
    EXPECT_DOUBLE_EQ(grid.landElevation(-60, 40), 0);   // nothing in reach: sea level, not -3000
    EXPECT_DOUBLE_EQ(grid.landElevation(80, 0), 20);    // nearer than the land at 20 E
}

TEST(CityProduct, GroupsByCountryWithTheFactbookCapitalLast) {
    test::TestHome home;
    std::filesystem::create_directories(home.file("fb/europe"));
    const auto entity = [&](const std::string& code, const std::string& json) {
        ASSERT_TRUE(io::writeFileAtomically(home.file("fb/europe/" + code + ".json"), bytes(json)));
    };
    entity("nl", R"({"Government": {"Country name": {"conventional short form": {"text": "Netherlands"}},
                     "Capital": {"name": {"text": "Amsterdam; note - The Hague is the seat of government"}}}})");
    entity("pl", R"({"Government": {"Country name": {"conventional short form": {"text": "Poland"}}}})");
    entity("xx", R"({})");
    Factbook factbook;
    std::string error;
    ASSERT_TRUE(factbook.load(home.file("fb"), error)) << error;
    CountryBridge bridge;
    ASSERT_TRUE(bridge.load(bytes(R"([{"cca2": "NL", "cca3": "NLD", "ccn3": "528", "name": {"common": "Netherlands"}},
                                      {"cca2": "PL", "cca3": "POL", "ccn3": "616", "name": {"common": "Poland"}}])"),
                            factbook, error));
    ElevationGrid grid;
    grid.assign(36, 19, std::vector<float>(36 * 19, 5.0f));
    const auto cities = bytes(R"([
      {"city": "Amsterdam", "lat": "52.37", "lng": "4.89", "country": "Netherlands", "iso3": "NLD", "capital": "primary", "population": "1000"},
      {"city": "Łódź", "lat": "51.77", "lng": "19.45", "country": "Poland", "iso3": "POL", "capital": "admin", "population": ""},
      {"city": "The Hague", "lat": "52.08", "lng": "4.31", "country": "Netherlands", "iso3": "NLD", "capital": "primary", "population": "500"},
      {"city": "Rotterdam", "lat": "51.92", "lng": "4.48", "country": "Netherlands", "iso3": "NLD", "capital": "", "population": "600"},
      {"city": "Nowhere", "lat": "x", "lng": "0", "country": "Poland", "iso3": "POL"}])");
    std::vector<CityGroup> groups;
    ASSERT_TRUE(CityProduct::groupCities(cities, bridge, factbook, grid, groups, error)) << error;
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].country, "Netherlands");
    ASSERT_EQ(groups[0].cities.size(), 3u);
    EXPECT_EQ(groups[0].cities[0].name, "The Hague");
    EXPECT_EQ(groups[0].cities[0].cityClass, CityProduct::kCapital);
    EXPECT_EQ(groups[0].cities[1].cityClass, CityProduct::kCity);
    EXPECT_EQ(groups[0].cities[2].name, "Amsterdam");  // the reader links the last capital
    EXPECT_EQ(groups[0].cities[2].altitude, 5);
    ASSERT_EQ(groups[1].cities.size(), 1u);
    EXPECT_EQ(groups[1].cities[0].name, "Lodz");
    EXPECT_EQ(groups[1].cities[0].population, 0);
    EXPECT_EQ(groups[1].cities[0].latitude, CityProduct::angleUnits(51.77));
}

}  // namespace
}  // namespace tnx::databuilder
