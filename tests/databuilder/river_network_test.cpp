#include "river_network.h"

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

}  // namespace
}  // namespace tnx::databuilder
