#include "boundary_map.h"

#include "zone_ray.h"

#include <gtest/gtest.h>

namespace tnx::databuilder {
namespace {

BoundaryMap mapOf(const std::string& arcs, const std::string& geometries,
                  const std::vector<std::vector<std::string>>& countries) {
    const std::string json = R"({"type": "Topology", "arcs": )" + arcs +
                             R"(, "objects": {"countries": {"type": "GeometryCollection", "geometries": )" +
                             geometries + "}}}";
    TopoAtlas atlas;
    std::string error;
    EXPECT_TRUE(atlas.parse(std::vector<uint8_t>(json.begin(), json.end()), "countries", error)) << error;
    BoundaryMap map;
    map.addCountries(atlas, countries);
    return map;
}

bool inside(const BoundaryMap& map, size_t block, double lat, double lon) {
    std::vector<test::RayLine> lines;
    for (const auto& pl : map.polylines()) {
        lines.emplace_back();
        for (const auto& p : pl.points) lines.back().push_back({p.x, p.y});
    }
    for (const auto& region : map.zones()[block].regions)
        if (test::zoneContains(lines, region, int(lon * 100), int(-lat * 100))) return true;
    return false;
}

// Whether a drawn line runs along the date line or the pole.
bool drawsClosingSegment(const BoundaryMap& map) {
    for (const auto& pl : map.polylines())
        for (size_t k = 0; pl.boundaryClass != BoundaryMap::kCoast && k + 1 < pl.points.size(); ++k) {
            const auto a = pl.points[k], b = pl.points[k + 1];
            if ((a.x == b.x && std::abs(a.x) == 18000) || (a.y == b.y && std::abs(a.y) >= 8999)) return true;
        }
    return false;
}

TEST(BoundaryMap, SharedArcsAreBordersAndZonesAreCrLfText) {
    // A and B share arc 0; C's two polygons share arc 3; D's ring has 18 arcs.
    std::string arcs = R"([[[0,0],[0,10]], [[0,10],[-10,5],[0,0]], [[0,0],[10,5],[0,10]],
                           [[20,0],[20,10]], [[20,10],[15,5],[20,0]], [[20,0],[25,5],[20,10]])";
    std::string ring;
    for (int i = 0; i < 18; ++i) {
        arcs += ",[[" + std::to_string(40 + i) + ",0],[" + std::to_string(41 + i) + ",0]]";
        ring += std::to_string(6 + i) + ",";
    }
    arcs += ",[[58,0],[40,5],[40,0]]]";
    const auto map = mapOf(arcs, R"([{"type": "Polygon", "arcs": [[0, 1]]}, {"type": "Polygon", "arcs": [[2, -1]]},
                                     {"type": "MultiPolygon", "arcs": [[[3, 4]], [[5, -4]]]},
                                     {"type": "Polygon", "arcs": [[)" + ring + "24]]}]",
                           {{"A"}, {"B"}, {"C", "C"}, {"Z\xFCrich"}});
    EXPECT_EQ(map.polylines()[0].boundaryClass, BoundaryMap::kBorder);
    EXPECT_EQ(map.polylines()[1].boundaryClass, BoundaryMap::kCoast);
    EXPECT_EQ(map.polylines()[3].boundaryClass, BoundaryMap::kInnerLine);
    EXPECT_TRUE(inside(map, 0, 5, -3));
    EXPECT_FALSE(inside(map, 0, 5, 3));
    EXPECT_TRUE(inside(map, 1, 5, 3));
    // One line per polygon; a long list goes on after a line ended by a space.
    EXPECT_EQ(map.encodeZones(),
              "1 A\r\n0 1\r\nE\r\n1 B\r\n2 0\r\nE\r\n1 C\r\n3 4\r\n5 3\r\nE\r\n"
              "1 Z\xFCrich\r\n6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 \r\n22 23 24\r\nE\r\n");
    const auto file = map.encodeBoundaries();
    ASSERT_GE(file.size(), 12u);  // n 2, attribute 2000, (0, 0), (0, -1000): 10 N is y = -1000
    EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.begin() + 12),
              (std::vector<uint8_t>{2, 0, 0xD0, 0x07, 0, 0, 0, 0, 0, 0, 0x18, 0xFC}));
}

TEST(BoundaryMap, RingsAcrossTheDateLineAreCutAndClosedButNeverDrawnThere) {
    // An island astride the date line; a continent round the south pole
    // whose coast jumps from 179 E back to 180 W, with a second ring along
    // the pole itself; and two countries whose shared border runs down
    // the date line for a stretch.
    const auto map = mapOf(
        R"([[[179,-16],[-179,-16],[-179,-17],[179,-17],[179,-16]],
            [[-180,-70],[0,-60],[179,-71],[-180,-70]],
            [[-180,-89.999],[90,-89.999],[-90,-89.999],[-180,-89.999]],
            [[170,0],[180,0],[180,-10],[170,-10]], [[170,-10],[160,-5],[170,0]], [[170,0],[175,5],[170,-10]]])",
        R"([{"type": "Polygon", "arcs": [[0]]}, {"type": "Polygon", "arcs": [[1], [2]]},
            {"type": "Polygon", "arcs": [[3, 4]]}, {"type": "Polygon", "arcs": [[5, -4]]}])",
        {{"Island"}, {"Pole"}, {"East"}, {"West"}});
    EXPECT_TRUE(inside(map, 0, -16.5, 179.5));
    EXPECT_TRUE(inside(map, 0, -16.5, -179.5));
    EXPECT_FALSE(inside(map, 0, -16.5, 0));
    for (double lon : {-179.9, 0.0, 179.9}) {
        EXPECT_TRUE(inside(map, 1, -85, lon)) << lon;
        EXPECT_FALSE(inside(map, 1, -50, lon)) << lon;
    }
    EXPECT_TRUE(inside(map, 2, -4, 165));
    EXPECT_FALSE(drawsClosingSegment(map));
    EXPECT_EQ(map.classPolylines(BoundaryMap::kBorder), 2u);  // the border's runs either side of the date line
    // Both zones still list the closing run between them.
    EXPECT_EQ(map.zones()[2].regions[0].size(), 4u);
    EXPECT_LT(map.countryPolylines(), size_t(BoundaryMap::kZoneIndexLimit));
}

}  // namespace
}  // namespace tnx::databuilder
