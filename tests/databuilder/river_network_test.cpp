#include "river_network.h"

#include "geography_sources.h"
#include "support/test_home.h"

#include <gtest/gtest.h>

namespace tnx::databuilder {
namespace {

TEST(RiverNetwork, ChainsPiecesAcrossABinEdgeWhicheverWayTheyRun) {
    // One river cut at the bin edge 10 E: the eastern piece is stored
    // running back towards the edge, its end a hair off the western one's.
    const std::vector<std::vector<GeoPoint>> pieces = {
        {{5, 1}, {8, 2}, {10, 2.5}},
        {{14, 4}, {12, 3}, {10.00015, 2.50015}},
        {{30, 30}, {31, 31}},  // a river of its own
    };
    const auto lines = RiverNetwork::chain(pieces);
    ASSERT_EQ(lines.size(), 2u);
    ASSERT_EQ(lines[0].size(), 5u);
    EXPECT_DOUBLE_EQ(lines[0].front().lon, 5);
    EXPECT_DOUBLE_EQ(lines[0][3].lon, 12);
    EXPECT_DOUBLE_EQ(lines[0].back().lon, 14);
    EXPECT_EQ(lines[1].size(), 2u);
}

TEST(RiverNetwork, JoinsAtTheDateLineAndFromEitherEnd) {
    const std::vector<std::vector<GeoPoint>> pieces = {
        {{-180, 66}, {-179, 66.5}},
        {{178, 65}, {180, 66}},
        {{176, 64}, {178, 65}},  // meets the second piece's start: the line grows backwards
    };
    const auto lines = RiverNetwork::chain(pieces);
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].size(), 4u);  // the date-line point once
    EXPECT_DOUBLE_EQ(lines[0].front().lon, 176);
    EXPECT_DOUBLE_EQ(lines[0].back().lon, -179);
}

TEST(RiverNetwork, ReadsBinsFromTheNorthWestWithUnsignedSteps) {
    test::TestHome home;
    // Bin 4 x 36 + 35: 350 .. 360 E, 40 .. 50 N; steps above 32767 are
    // stored as negative shorts.
    ASSERT_TRUE(test::writeRiverFile(home.file("r.nc"), {{4 * 36 + 35, 2, {{0, 0}, {65535, 49151}}},
                                                         {0, 5, {{0, 65535}}}}));
    RiverNetwork rivers;
    std::string error;
    ASSERT_TRUE(rivers.load(home.file("r.nc"), error)) << error;
    EXPECT_EQ(rivers.binDegrees(), 10);
    ASSERT_EQ(rivers.segments().size(), 2u);
    EXPECT_EQ(rivers.segments()[0].level, 5);  // bin 0 comes first
    EXPECT_NEAR(rivers.segments()[0].points[0].lat, 90, 1e-9);
    const auto& r = rivers.segments()[1];
    EXPECT_EQ(r.level, 2);
    EXPECT_NEAR(r.points[0].lon, -10, 1e-9);
    EXPECT_NEAR(r.points[0].lat, 40, 1e-9);
    EXPECT_NEAR(r.points[1].lon, 0, 1e-9);
    EXPECT_NEAR(r.points[1].lat, 47.5, 1e-3);
    EXPECT_FALSE(rivers.load(home.file("missing.nc"), error));
}

}  // namespace
}  // namespace tnx::databuilder
