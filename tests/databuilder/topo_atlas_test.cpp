#include "topo_atlas.h"

#include <gtest/gtest.h>

namespace tnx::databuilder {
namespace {

TEST(TopoAtlas, DecodesQuantisedDeltasAndWalksReversedArcs) {
    // Steps of 2 degrees in x and 1 in y from (-10, -5).
    const std::string json = R"({"type": "Topology", "transform": {"scale": [2, 1], "translate": [-10, -5]},
      "arcs": [[[0, 0], [3, 0], [0, 4]], [[0, 0], [3, 4]]],
      "objects": {"countries": {"type": "GeometryCollection", "geometries": [
        {"type": "Polygon", "id": "250", "properties": {"name": "A"}, "arcs": [[0, -2]]},
        {"type": "MultiPolygon", "properties": {"name": "B"}, "arcs": [[[1]], [[-1]]]}]}}})";
    TopoAtlas atlas;
    std::string error;
    ASSERT_TRUE(atlas.parse(std::vector<uint8_t>(json.begin(), json.end()), "countries", error)) << error;
    ASSERT_EQ(atlas.features().size(), 2u);
    EXPECT_EQ(atlas.features()[0].id, "250");
    EXPECT_EQ(atlas.features()[1].polygons.size(), 2u);
    // Arc 0 forwards (its last point -10 + 3 x 2, -5 + 4 x 1), then arc 1
    // backwards, sharing the joining point.
    const auto ring = atlas.ringPoints({0, -2});
    ASSERT_EQ(ring.size(), 4u);
    EXPECT_DOUBLE_EQ(ring[2].lon, -4);
    EXPECT_DOUBLE_EQ(ring[2].lat, -1);
    EXPECT_DOUBLE_EQ(ring[3].lon, -10);
    EXPECT_DOUBLE_EQ(ring[3].lat, -5);
    EXPECT_FALSE(atlas.parse(std::vector<uint8_t>{'{', '}'}, "countries", error));
}

}  // namespace
}  // namespace tnx::databuilder
