#include "topo_atlas.h"

#include <gtest/gtest.h>

namespace tnx::databuilder {
namespace {

std::vector<uint8_t> bytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST(TopoAtlas, DecodesQuantisedDeltasAndWalksReversedArcs) {
    // Steps of 2 degrees in x and 1 in y from (-10, -5).
    const auto json = bytes(R"({"type": "Topology", "transform": {"scale": [2, 1], "translate": [-10, -5]},
      "arcs": [[[0, 0], [3, 0], [0, 4]], [[0, 0], [3, 4]]],
      "objects": {"countries": {"type": "GeometryCollection", "geometries": [
        {"type": "Polygon", "id": "250", "properties": {"name": "A"}, "arcs": [[0, -2]]},
        {"type": "MultiPolygon", "properties": {"name": "B"}, "arcs": [[[1]], [[-1]]]},
        {"type": "Point", "properties": {"name": "C"}}]}}})");
    TopoAtlas atlas;
    std::string error;
    ASSERT_TRUE(atlas.parse(json, "countries", error)) << error;
    ASSERT_EQ(atlas.arcs().size(), 2u);
    const auto& arc0 = atlas.arcs()[0];
    ASSERT_EQ(arc0.size(), 3u);
    EXPECT_DOUBLE_EQ(arc0[1].lon, -4);  // -10 + 3 x 2
    EXPECT_DOUBLE_EQ(arc0[2].lat, -1);  // -5 + 4 x 1

    ASSERT_EQ(atlas.features().size(), 3u);
    EXPECT_EQ(atlas.features()[0].id, "250");
    EXPECT_EQ(atlas.features()[1].id, "");
    EXPECT_EQ(atlas.features()[1].polygons.size(), 2u);
    EXPECT_TRUE(atlas.features()[2].polygons.empty());
    EXPECT_EQ(TopoAtlas::arcOf(-2), 1u);

    // Arc 0 forwards, then arc 1 backwards, sharing the joining point.
    const auto ring = atlas.ringPoints({0, -2});
    ASSERT_EQ(ring.size(), 4u);
    EXPECT_DOUBLE_EQ(ring[2].lon, -4);  // arc 1's last point comes first
    EXPECT_DOUBLE_EQ(ring[2].lat, -1);
    EXPECT_DOUBLE_EQ(ring[3].lon, -10);
    EXPECT_DOUBLE_EQ(ring[3].lat, -5);
}

TEST(TopoAtlas, RefusesWhatIsNotATopology) {
    TopoAtlas atlas;
    std::string error;
    EXPECT_FALSE(atlas.parse(bytes(R"({"type": "FeatureCollection"})"), "countries", error));
    EXPECT_FALSE(atlas.parse(bytes(R"({"type": "Topology", "arcs": [], "objects": {}})"), "countries", error));
}

}  // namespace
}  // namespace tnx::databuilder
