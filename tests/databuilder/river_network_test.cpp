#include "river_network.h"

#include "geography_sources.h"
#include "support/test_home.h"

#include <gtest/gtest.h>

namespace tnx::databuilder {
namespace {

TEST(RiverNetwork, ChainsPiecesAcrossBinEdgesAndTheDateLine) {
    // Cut at 10 E, the eastern piece stored running back to the edge, its
    // end a hair off the western one's; another river cut at the date line.
    const auto lines = RiverNetwork::chain({{{5, 1}, {10, 2.5}},
                                            {{14, 4}, {12, 3}, {10.00015, 2.50015}},
                                            {{-180, 66}, {-179, 66.5}},
                                            {{178, 65}, {180, 66}}});
    ASSERT_EQ(lines.size(), 2u);
    ASSERT_EQ(lines[0].size(), 4u);
    EXPECT_DOUBLE_EQ(lines[0][2].lon, 12);
    EXPECT_DOUBLE_EQ(lines[0].back().lon, 14);
    ASSERT_EQ(lines[1].size(), 3u);  // the date-line point once
    EXPECT_DOUBLE_EQ(lines[1].front().lon, 178);
}

TEST(RiverNetwork, ReadsBinsFromTheNorthWestWithUnsignedSteps) {
    test::TestHome home;
    // Bin 4 x 36 + 35 is 350 .. 360 E, 40 .. 50 N; a step above 32767 is
    // stored as a negative short.
    ASSERT_TRUE(test::writeRiverFile(home.file("r.nc"), {{4 * 36 + 35, 2, {{0, 0}, {65535, 49151}}}, {0, 5, {{0, 65535}}}}));
    RiverNetwork rivers;
    std::string error;
    ASSERT_TRUE(rivers.load(home.file("r.nc"), error)) << error;
    ASSERT_EQ(rivers.segments().size(), 2u);
    EXPECT_EQ(rivers.segments()[0].level, 5);  // bin 0 first
    EXPECT_NEAR(rivers.segments()[0].points[0].lat, 90, 1e-9);
    const auto& r = rivers.segments()[1].points;
    EXPECT_NEAR(r[0].lon, -10, 1e-9);
    EXPECT_NEAR(r[0].lat, 40, 1e-9);
    EXPECT_NEAR(r[1].lon, 0, 1e-9);
    EXPECT_NEAR(r[1].lat, 47.5, 1e-3);
}

}  // namespace
}  // namespace tnx::databuilder
