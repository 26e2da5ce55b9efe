#include "boundary_map.h"

#include "zone_ray.h"

#include "platform/io/byte_io.h"

#include <gtest/gtest.h>

namespace tnx::databuilder {
namespace {

TopoAtlas atlasOf(const std::string& arcs, const std::string& geometries) {
    const std::string json = R"({"type": "Topology", "arcs": )" + arcs +
                             R"(, "objects": {"countries": {"type": "GeometryCollection", "geometries": )" +
                             geometries + "}}}";
    TopoAtlas atlas;
    std::string error;
    EXPECT_TRUE(atlas.parse(std::vector<uint8_t>(json.begin(), json.end()), "countries", error)) << error;
    return atlas;
}

std::vector<test::RayLine> rayLines(const BoundaryMap& map) {
    std::vector<test::RayLine> lines;
    for (const auto& pl : map.polylines()) {
        lines.emplace_back();
        for (const auto& p : pl.points) lines.back().push_back({p.x, p.y});
    }
    return lines;
}

bool inside(const BoundaryMap& map, size_t block, double lat, double lon) {
    const auto lines = rayLines(map);
    for (const auto& region : map.zones()[block].regions)
        if (test::zoneContains(lines, region, int(lon * 100), int(-lat * 100))) return true;
    return false;
}

bool drawnClosingSegment(const BoundaryMap& map) {
    for (const auto& pl : map.polylines()) {
        if (pl.boundaryClass == BoundaryMap::kCoast) continue;
        for (size_t k = 0; k + 1 < pl.points.size(); ++k) {
            const auto a = pl.points[k], b = pl.points[k + 1];
            if ((a.x == b.x && std::abs(a.x) == 18000) || (a.y == b.y && std::abs(a.y) >= 8999)) return true;
        }
    }
    return false;
}

TEST(BoundaryMap, SharedArcsAreBordersAndTheFileHoldsThemAsWritten) {
    // A and B share arc 0; C's two polygons share arc 3.
    const auto atlas = atlasOf(
        R"([[[0,0],[0,10]], [[0,10],[-10,5],[0,0]], [[0,0],[10,5],[0,10]],
            [[20,0],[20,10]], [[20,10],[15,5],[20,0]], [[20,0],[25,5],[20,10]]])",
        R"([{"type": "Polygon", "properties": {"name": "A"}, "arcs": [[0, 1]]},
            {"type": "Polygon", "properties": {"name": "B"}, "arcs": [[2, -1]]},
            {"type": "MultiPolygon", "properties": {"name": "C"}, "arcs": [[[3, 4]], [[5, -4]]]}])");
    BoundaryMap map;
    map.addCountries(atlas, {{"A"}, {"B"}, {"C", "C"}});
    ASSERT_EQ(map.polylines().size(), 6u);
    EXPECT_EQ(map.polylines()[0].boundaryClass, BoundaryMap::kBorder);
    EXPECT_EQ(map.polylines()[1].boundaryClass, BoundaryMap::kCoast);
    EXPECT_EQ(map.polylines()[3].boundaryClass, BoundaryMap::kInnerLine);
    ASSERT_EQ(map.zones().size(), 3u);
    EXPECT_EQ(map.zones()[2].regions, (std::vector<std::vector<int>>{{3, 4}, {5, 3}}));
    EXPECT_TRUE(inside(map, 0, 5, -3));
    EXPECT_FALSE(inside(map, 0, 5, 3));
    EXPECT_TRUE(inside(map, 1, 5, 3));

    const auto file = map.encodeBoundaries();
    io::ByteReader r(file);
    EXPECT_EQ(int16_t(r.u16()), 2);     // points
    EXPECT_EQ(int16_t(r.u16()), 2000);  // class 2
    EXPECT_EQ(int16_t(r.u16()), 0);
    EXPECT_EQ(int16_t(r.u16()), 0);
    EXPECT_EQ(int16_t(r.u16()), 0);
    EXPECT_EQ(int16_t(r.u16()), -1000);  // 10 N is y = -1000
    EXPECT_EQ(file.size(), 2u * (6 * 2 + 2 * (2 + 3 + 3 + 2 + 3 + 3)));
}

TEST(BoundaryMap, ZoneTextHasOneIndexLinePerPolygonInCrLfLines) {
    // A ring of 18 arcs: its list goes on over a line ended by a space.
    std::string arcs = "[", ring = "[";
    for (int i = 0; i < 18; ++i) {
        arcs += (i ? "," : "") + std::string("[[") + std::to_string(i) + ",0],[" + std::to_string(i + 1) + ",0]]";
        ring += (i ? "," : "") + std::to_string(i);
    }
    arcs += ",[[18,0],[0,5],[0,0]]]";
    ring += ",18]";
    const auto atlas = atlasOf(arcs, R"([{"type": "Polygon", "properties": {"name": "Long"}, "arcs": [)" + ring +
                                         R"(]}, {"type": "Polygon", "properties": {"name": "Z\u00fcrich"}, "arcs": [[18]]}])");
    BoundaryMap map;
    map.addCountries(atlas, {{"Long"}, {"Z\xFCrich"}});
    EXPECT_EQ(map.encodeZones(),
              "1 Long\r\n0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 \r\n16 17 18\r\nE\r\n"
              "1 Z\xFCrich\r\n18\r\nE\r\n");
}

TEST(BoundaryMap, RingsAcrossTheDateLineAreCutAndClosedForTheZoneTest) {
    // An island astride the date line, and a continent round the south
    // pole whose coast jumps from 179 E back to 180 W; its other ring runs
    // along the pole itself.
    const auto atlas = atlasOf(
        R"([[[179,-16],[-179,-16],[-179,-17],[179,-17],[179,-16]],
            [[-180,-70],[0,-60],[179,-71],[-180,-70]],
            [[-180,-89.999],[90,-89.999],[-90,-89.999],[-180,-89.999]]])",
        R"([{"type": "Polygon", "properties": {"name": "Island"}, "arcs": [[0]]},
            {"type": "Polygon", "properties": {"name": "Pole"}, "arcs": [[1], [2]]}])");
    BoundaryMap map;
    map.addCountries(atlas, {{"Island"}, {"Pole"}});
    EXPECT_TRUE(inside(map, 0, -16.5, 179.5));
    EXPECT_TRUE(inside(map, 0, -16.5, -179.5));
    EXPECT_FALSE(inside(map, 0, -16.5, 0));
    EXPECT_FALSE(inside(map, 0, -15, 179.5));
    for (double lon : {-179.9, -90.0, 0.0, 90.0, 179.9}) {
        EXPECT_TRUE(inside(map, 1, -85, lon)) << lon;
        EXPECT_FALSE(inside(map, 1, -50, lon)) << lon;
    }
    // Every line stays below the zones' limit, and nothing drawn runs
    // along the date line or the pole.
    EXPECT_LT(map.countryPolylines(), size_t(BoundaryMap::kZoneIndexLimit));
    EXPECT_FALSE(drawnClosingSegment(map));
}

TEST(BoundaryMap, ABorderAlongTheDateLineIsDrawnWithoutItsClosingPart) {
    // East and West share an arc whose middle runs down the date line.
    const auto atlas = atlasOf(
        R"([[[170,0],[180,0],[180,-10],[170,-10]], [[170,-10],[160,-5],[170,0]], [[170,0],[175,5],[170,-10]]])",
        R"([{"type": "Polygon", "properties": {"name": "East"}, "arcs": [[0, 1]]},
            {"type": "Polygon", "properties": {"name": "West"}, "arcs": [[2, -1]]}])");
    BoundaryMap map;
    map.addCountries(atlas, {{"East"}, {"West"}});
    EXPECT_FALSE(drawnClosingSegment(map));
    EXPECT_EQ(map.classPolylines(BoundaryMap::kBorder), 2u);  // the runs either side of it
    // The closing run is still listed by both zones, so each ring stays whole.
    const auto& east = map.zones()[0].regions[0];
    const auto& west = map.zones()[1].regions[0];
    EXPECT_EQ(east.size(), 4u);
    const auto shared = std::count_if(east.begin(), east.end(),
                                      [&](int i) { return std::find(west.begin(), west.end(), i) != west.end(); });
    EXPECT_EQ(shared, 3);
    EXPECT_TRUE(inside(map, 0, -4, 165));
}

TEST(BoundaryMap, ThinsAClassToItsVertexBudget) {
    std::vector<GeoPoint> wiggly;
    for (int i = 0; i <= 400; ++i) wiggly.push_back({i * 0.1, (i % 2) * 0.01});
    BoundaryMap map;
    map.addRivers({wiggly, {{5, 5}, {5, 5}}});  // the second has one distinct point: left out
    ASSERT_EQ(map.classPolylines(BoundaryMap::kRiver), 1u);
    EXPECT_EQ(map.classVertices(BoundaryMap::kRiver), 401u);
    EXPECT_EQ(map.simplifyClass(BoundaryMap::kRiver, 401), 0);
    EXPECT_EQ(map.simplifyClass(BoundaryMap::kRiver, 100), 1);  // wiggles of 1 hundredth go
    EXPECT_EQ(map.classVertices(BoundaryMap::kRiver), 2u);
    EXPECT_EQ(map.simplifyClass(BoundaryMap::kRiver, 1), -1);
}

}  // namespace
}  // namespace tnx::databuilder
