// The city table and the city grid: site.bin however it is cut, capitals,
// markers, and the grid's cells and population order.
#include "geodata/city_table.h"

#include <gtest/gtest.h>

#include <cmath>

#include "geodata/city_grid.h"
#include "geodata/country_table.h"
#include "geodata/geo_files.h"

namespace tnx::geodata {
namespace {

using test::CityEntry;
using test::siteAngle;
using test::siteFile;

TEST(CityTable, GroupsAddTheirCountriesAndCapitalsLinkBack) {
    CountryTable countries;
    countries.load(test::countryFile({{"France", "Paris"}}));
    CityTable cities;
    auto file = siteFile({{"FRANCE", {{"Lyon", 1, siteAngle(45.76), siteAngle(4.84), 173, 513000},
                                      {"Paris", 0, siteAngle(48.85), siteAngle(2.35), 35, 2148000}}},
                          {"Monaco", {{"Monte Carlo", 4, siteAngle(43.74), siteAngle(7.42), -5, 15000}}}});
    EXPECT_EQ(cities.load(file, countries), 3);
    ASSERT_EQ(cities.count(), 4);
    EXPECT_EQ(cities[1].nameText(), "Lyon");
    EXPECT_EQ(cities[1].country, 1);
    EXPECT_EQ(countries.get(1)->capitalCity, 2);
    EXPECT_EQ(cities[3].country, countries.find("monaco"));
    EXPECT_EQ(cities[3].classByte(), 4);
    EXPECT_FLOAT_EQ(cities[3].altitude, -5.0f);
    EXPECT_NEAR(cities[2].latitude * 57.29578f, 48.85f, 0.01f);
    EXPECT_NEAR(cities[2].longitude * 57.29578f, 2.35f, 0.01f);
    EXPECT_EQ(cities.get(4), nullptr);
}

TEST(CityTable, ReadingStopsAtTheEndByteTheDeclaredTotalOrACut) {
    std::vector<std::pair<std::string, std::vector<CityEntry>>> groups = {
        {"A", {{"a1"}, {"a2"}}}, {"B", {{"b1"}, {"b2"}, {"b3"}}}};
    auto read = [&](std::span<const uint8_t> bytes) {
        CountryTable countries;
        CityTable cities;
        return cities.load(bytes, countries);
    };
    EXPECT_EQ(read(siteFile(groups)), 5);
    EXPECT_EQ(read(siteFile(groups, 3)), 3);  // the table holds T + 1 records
    EXPECT_EQ(read(siteFile(groups, 999999999, false)), 5);
    EXPECT_EQ(read(siteFile(groups, 0xFFFFFFFF - 1)), 5);
    // Every cut inside the last city keeps the four before it.
    auto full = siteFile(groups, ~0u, false);
    size_t lastCity = full.size() - (3 + 11);  // "b3" + NUL and the fixed fields
    for (size_t cut = lastCity; cut < full.size(); ++cut) EXPECT_EQ(read(std::span(full.data(), cut)), 4) << cut;
    EXPECT_EQ(read(std::span(full.data(), 7)), 0);
    // A zero where a group would start ends the list.
    auto ended = siteFile({{"A", {{"a1"}}}}, 10);
    auto more = siteFile({{"B", {{"b1"}}}}, 10, false);
    ended.insert(ended.end(), more.begin() + 8, more.end());
    EXPECT_EQ(read(ended), 1);
}

TEST(CityTable, LongNamesAreCutAndMarkersFollowPopulationAndClass) {
    CountryTable countries;
    CityTable cities;
    cities.load(siteFile({{"X",
                           {{std::string(100, 'n'), 0, 0, 0, 0, 2000000},
                            {"zero", 1, 0, siteAngle(90), 100, 0},
                            {"special", 4, siteAngle(30), 0, -200, 800},
                            {"plain", 7, 0, 0, 0, 1}}}}),
                countries);
    cities.computeMarkers(0.001f);
    EXPECT_EQ(cities[1].nameText(), std::string(63, 'n'));
    EXPECT_EQ(cities[1].colour, 0xFFFF9090u);
    EXPECT_NEAR(cities[1].markerSize, std::sqrt(1.0f) * 0.1f + 0.001f, 1e-6);
    EXPECT_EQ(cities[2].colour, 0xFFA0FFFFu);  // population 0
    EXPECT_FLOAT_EQ(cities[2].markerSize, 0.1f);
    EXPECT_EQ(cities[3].colour, 0xFF90FFFFu);
    EXPECT_EQ(cities[4].colour, 0xFFFFFFD0u);
    // Raised by altitude x exaggeration, never sunk below the surface.
    EXPECT_NEAR(math::length(cities[2].position), 63.71f + 0.1f, 1e-4);
    EXPECT_NEAR(cities[2].position.z, 63.81f, 1e-3);  // longitude 90 E lies on +z
    EXPECT_NEAR(math::length(cities[3].position), 63.71f, 1e-4);
    // The triangle lies in the tangent plane, corners 2 from its centre.
    for (int i = 1; i <= 4; ++i) {
        math::Vec3 up = math::normalize(cities[i].position);
        math::Vec3 sum{};
        for (const auto& c : cities[i].corners) {
            EXPECT_NEAR(math::dot(c, up), 0.0f, 1e-4) << i;
            EXPECT_NEAR(math::length(c), 2.0f, 1e-3);
            sum += c;
        }
        EXPECT_NEAR(math::length(sum), 0.0f, 1e-3);
    }
}

TEST(CityTable, CapitalLinksAndNameLookups) {
    CountryTable countries;
    countries.load(test::countryFile({{"Peru", "LIMA"}, {"Chile", "Santiago"}, {"Nauru", "none here"}}));
    CityTable cities;
    cities.load(siteFile({{"Peru", {{"Cusco", 1, 0, 0, 0, 400000}, {"Lima", 1, 0, 0, 0, 8000000}}},
                          {"Chile", {{"Valparaiso", 0, 0, 0, 0, 300000}, {"Santiago", 1, 0, 0, 0, 6000000}}},
                          {"Spain", {{"Santiago", 1, 0, 0, 0, 90000}, {"lima", 1, 0, 0, 0, 8000000}}}}),
                countries);
    cities.fillCapitalLinks(countries);
    EXPECT_EQ(countries.get(1)->capitalCity, 2);  // first city named like the capital text
    EXPECT_EQ(countries.get(2)->capitalCity, 3);  // flagged in site.bin: kept
    EXPECT_EQ(countries.get(3)->capitalCity, 0);
    // The most populous of equal names; the first of equal populations.
    EXPECT_EQ(cities.findMostPopulous("SANTIAGO"), 4);
    EXPECT_EQ(cities.findMostPopulous("Lima"), 2);
    EXPECT_EQ(cities.findMostPopulous("Atlantis"), 0);
}

TEST(CityGrid, EqualPopulationsKeepTheSelectionSortsOrder) {
    CountryTable countries;
    CityTable cities;
    // Three cities of one cell with populations 3, 3 and 5, then a bigger
    // cell: 2, 9, 2, 9, 1.
    cities.load(siteFile({{"X",
                           {{"first", 1, 10, 10, 0, 3},
                            {"second", 1, 11, 11, 0, 3},
                            {"third", 1, 12, 12, 0, 5},
                            {"p", 1, siteAngle(40), siteAngle(40), 0, 2},
                            {"q", 1, siteAngle(40), siteAngle(40), 0, 9},
                            {"r", 1, siteAngle(40), siteAngle(40), 0, 2},
                            {"s", 1, siteAngle(40), siteAngle(40), 0, 9},
                            {"t", 1, siteAngle(40), siteAngle(40), 0, 1}}}}),
                countries);
    CityGrid grid;
    grid.build(cities);
    int small = CityGrid::cellIndex(cities[1].longitude, cities[1].latitude);
    EXPECT_EQ(small, 8 * 32 + 16);
    EXPECT_EQ(grid.cell(small).cities, (std::vector<int32_t>{3, 2, 1}));
    int big = CityGrid::cellIndex(cities[4].longitude, cities[4].latitude);
    EXPECT_EQ(grid.cell(big).cities, (std::vector<int32_t>{5, 7, 6, 4, 8}));
    EXPECT_EQ(grid.occupiedCells(), (std::vector<int>{small, big}));
}

TEST(CityGrid, CellsClampAndThePolesShareColumnZero) {
    const float d = math::kPi / 180;
    EXPECT_EQ(CityGrid::cellIndex(170 * d, 89.5f * d), 15 * 32);
    EXPECT_EQ(CityGrid::cellIndex(-60 * d, -89.5f * d), 0);
    EXPECT_EQ(CityGrid::cellIndex(-60 * d, -89.4f * d), 10);  // not yet within 0.01 of the pole
    EXPECT_EQ(CityGrid::cellIndex(math::kPi, 0.01f), 8 * 32 + 31);
    EXPECT_EQ(CityGrid::cellIndex(-math::kPi, math::kPi / 2 - 0.02f), 15 * 32);
    // Cell boundaries every 11.25 degrees on both axes; centres between.
    EXPECT_EQ(CityGrid::cellIndex(-180 * d + 11.26f * d, -90 * d + 11.26f * d), 32 + 1);
    CityGrid grid;
    math::Vec3 c = grid.cell(16, 8).centre;
    EXPECT_NEAR(std::atan2(c.z, c.x), 5.625f * d, 1e-5);
    EXPECT_NEAR(std::asin(c.y / 63.71f), 5.625f * d, 1e-5);
}

}  // namespace
}  // namespace tnx::geodata
