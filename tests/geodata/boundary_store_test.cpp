// The boundary store: polylines read however the file ends, the class
// buffers and their draws, and the integer even-odd test with its
// antimeridian rule.
#include "geodata/boundary_store.h"

#include <gtest/gtest.h>

#include <cmath>

#include "geodata/geo_files.h"
#include "platform/gfx/recording_device.h"

namespace tnx::geodata {
namespace {

using test::boundaryFile;
using test::Polyline;
using test::ring;

BoundaryStore storeOf(const std::vector<Polyline>& lines, const ElevationLookup& e = {}) {
    BoundaryStore s;
    s.load(boundaryFile(lines), e);
    return s;
}

TEST(BoundaryStore, ReadsPolylinesAndTheirClassGeometry) {
    auto s = storeOf({{2, {{0, 0}, {100, 0}, {100, -100}}}, {7, {{500, 500}}}, {3, {{1, 1}, {2, 2}}},
                      {2, {{-9000, 4500}, {9000, 4500}}}});
    ASSERT_EQ(s.polylineCount(), 4);
    EXPECT_EQ(s.largestPointCount(), 3);
    EXPECT_EQ(s.boundaryClass(1), 7);
    // Class 2: two polylines back to back, indices from the class's own start.
    const auto& borders = s.classBuffer(2);
    ASSERT_EQ(borders.vertices.size(), 5u);
    ASSERT_EQ(borders.batches.size(), 1u);
    EXPECT_EQ(borders.batches[0].indices, (std::vector<uint16_t>{0, 1, 1, 2, 3, 4}));
    EXPECT_EQ(borders.vertices[0].colour, BoundaryStore::kBorderColour);
    EXPECT_EQ(s.classBuffer(3).vertices[0].colour, BoundaryStore::kOtherColour);
    // A one-point river: one vertex, no segment.
    EXPECT_EQ(s.classBuffer(7).vertices.size(), 1u);
    EXPECT_EQ(s.classBuffer(7).indexCount(), 0u);
    EXPECT_EQ(s.classBuffer(7).vertices[0].colour, BoundaryStore::kRiverColour);
    // Point (-9000, 4500): longitude -90, latitude -45, on the flat globe
    // lifted by 0.01.
    const LineVertex& v = borders.vertices[3];
    float r = 63.72f, c = std::cos(-math::kPi / 4);
    EXPECT_NEAR(v.x, 0.0f, 1e-4);
    EXPECT_NEAR(v.y, r * std::sin(-math::kPi / 4), 1e-4);
    EXPECT_NEAR(v.z, -r * c, 1e-4);
    EXPECT_EQ(s.plainVertices()[3].colour, 0xFFFFFFFFu);
}

TEST(BoundaryStore, VerticesStandOnTheSurfaceTheScenesLookupGives) {
    float askedLon = 0, askedLat = 0;
    auto s = storeOf({{2, {{4500, -3000}}}}, [&](float lon, float lat) {
        askedLon = lon;
        askedLat = lat;
        return 0.5f;
    });
    EXPECT_NEAR(askedLon, math::kPi / 4, 1e-6);
    EXPECT_NEAR(askedLat, math::kPi / 6, 1e-6);
    EXPECT_NEAR(math::length({s.plainVertices()[0].x, s.plainVertices()[0].y, s.plainVertices()[0].z}), 64.22f, 1e-4);
    s.relift([](float, float) { return 0.0f; });
    EXPECT_NEAR(s.classBuffer(2).vertices[0].y, 63.72f * 0.5f, 1e-4);
}

TEST(BoundaryStore, FileEndsAndOddCountsNeverReadPastTheImage) {
    auto file = boundaryFile({{2, {{0, 0}, {10, 10}, {20, 20}}}, {2, {{5, 5}, {6, 6}}}});
    // The second record starts at word 8 of 14: cut so it holds one point.
    BoundaryStore s;
    s.load(std::span(file.data(), 2 * 12), {});
    ASSERT_EQ(s.polylineCount(), 2);
    EXPECT_EQ(s.pointCount(1), 1);
    // A record starting two words before the end is not read.
    s.load(std::span(file.data(), 2 * 10), {});
    EXPECT_EQ(s.polylineCount(), 1);
    // An odd trailing byte is ignored; a negative count ends the walk.
    file.push_back(0x7F);
    s.load(file, {});
    EXPECT_EQ(s.polylineCount(), 2);
    auto negative = boundaryFile({{2, {{0, 0}, {1, 1}}}});
    io::storeU16(negative.data(), uint16_t(-3));
    s.load(negative, {});
    EXPECT_EQ(s.polylineCount(), 0);
    s.load({}, {});
    EXPECT_EQ(s.polylineCount(), 0);
}

TEST(BoundaryStore, ClassesBeyondSixteenBitIndicesDrawInSeveralBatches) {
    std::vector<Polyline> lines;
    Polyline p{7, {}};
    for (int i = 0; i < 30000; ++i) p.points.push_back({i % 36000 - 18000, 100});
    for (int k = 0; k < 3; ++k) lines.push_back(p);
    auto s = storeOf(lines);
    const auto& rivers = s.classBuffer(7);
    ASSERT_EQ(rivers.batches.size(), 2u);
    EXPECT_EQ(rivers.batches[1].firstVertex, 60000u);
    EXPECT_EQ(rivers.batches[1].indices.front(), 0);
    gfx::RecordingDevice device;
    s.drawOverlay(device, false, true);
    ASSERT_EQ(device.draws().size(), 2u);
    EXPECT_EQ(device.draws()[0].vertexCount, 60000u);
    EXPECT_EQ(device.draws()[0].primitiveCount, 2u * 29999u);
    EXPECT_EQ(device.draws()[1].primitiveCount, 29999u);
}

TEST(BoundaryStore, OverlayDrawsBordersAndRiversByTheirOptions) {
    auto s = storeOf({{2, {{0, 0}, {1, 1}}}, {3, {{0, 0}, {1, 1}, {2, 2}}}, {7, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
                      {0, {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}}}});
    gfx::RecordingDevice device;
    auto lines = [&](bool b, bool r) {
        device.clearRecord();
        s.drawOverlay(device, b, r);
        std::vector<uint32_t> out;
        for (const auto& d : device.draws()) {
            EXPECT_EQ(d.type, gfx::PrimitiveType::LineList);
            EXPECT_EQ(d.stride, 16u);
            out.push_back(d.primitiveCount);
        }
        return out;
    };
    EXPECT_EQ(lines(true, true), (std::vector<uint32_t>{1, 2, 3}));  // coasts (class 0) never
    EXPECT_EQ(lines(true, false), (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ(lines(false, true), (std::vector<uint32_t>{3}));
    EXPECT_TRUE(lines(false, false).empty());
    // Outlines: one draw per listed polyline that has a segment.
    device.clearRecord();
    std::vector<int32_t> list = {3, 99, -1, 0, 1};
    s.drawPolylines(device, list);
    ASSERT_EQ(device.draws().size(), 3u);
    EXPECT_EQ(device.draws()[0].primitiveCount, 4u);
    EXPECT_EQ(device.draws()[1].primitiveCount, 1u);
}

TEST(BoundaryStore, BoundsSkipIndicesOutsideTheStore) {
    auto s = storeOf({{2, {{-100, 50}, {200, -70}}}, {2, {{300, 10}}}, {2, {}}});
    std::vector<int32_t> all = {0, 1, 2, 7, 5000};
    PolylineBounds b = s.bounds(all);
    EXPECT_EQ(b.minX, -100);
    EXPECT_EQ(b.maxX, 300);
    EXPECT_EQ(b.minY, -70);
    EXPECT_EQ(b.maxY, 50);
    std::vector<int32_t> none = {2, 9};
    b = s.bounds(none);
    EXPECT_EQ(b.minX, 18000);
    EXPECT_EQ(b.maxX, -18000);
    EXPECT_EQ(b.minY, 9000);
    EXPECT_EQ(b.maxY, -9000);
}

TEST(BoundaryStore, EvenOddTestCountsAVertexOnTheRayOnceAndHorizontalEdgesNever) {
    // A diamond whose left and right corners lie exactly on y = 0.
    auto s = storeOf({{2, {{0, 0}, {100, -100}, {200, 0}, {100, 100}, {0, 0}}}});
    std::vector<int32_t> idx = {0};
    EXPECT_EQ(s.containsPoint(100, 0, idx, 0, 200), 1);   // the ray meets the corner (200, 0)
    EXPECT_EQ(s.containsPoint(-50, 0, idx, -50, 200), 0);  // passes both corners: 2 crossings
    EXPECT_EQ(s.containsPoint(100, 99, idx, 0, 200), 1);
    EXPECT_EQ(s.containsPoint(100, 101, idx, 0, 200), 0);
    // A box: its top edge (smaller y) and bottom edge are horizontal. At the
    // bottom's height the right side counts (its lower end is on the upper
    // side); at the top's height nothing does.
    auto box = storeOf({ring(0, 0, 100, 100)});
    EXPECT_EQ(box.containsPoint(50, 0, idx, 0, 100), 0);
    EXPECT_EQ(box.containsPoint(50, 100, idx, 0, 100), 1);
    EXPECT_EQ(box.containsPoint(50, 50, idx, 0, 100), 1);
    // Listing a polyline twice cancels it; unknown indices change nothing.
    std::vector<int32_t> twice = {0, 0}, withJunk = {0, 5000, -2, 1};
    EXPECT_EQ(box.containsPoint(50, 50, twice, 0, 100), 0);
    EXPECT_EQ(box.containsPoint(50, 50, withJunk, 0, 100), 1);
    // The ray ends at the zone's eastern edge: a ring beyond it is not seen.
    EXPECT_EQ(box.containsPoint(-50, 50, idx, -100, -10), 0);
}

TEST(BoundaryStore, APointOnABorderBelongsToTheZoneEastOfItOrWestOfItAtTheAntimeridian) {
    // A crossing at the point's own column is not beyond it: the zone whose
    // western side the point lies on has it, its western neighbour does not.
    auto s = storeOf({ring(0, 0, 100, 100), ring(100, 0, 200, 100), ring(17900, 0, 18000, 100),
                      {2, {{300, 0}, {400, 100}, {300, 100}, {300, 0}}}});
    std::vector<int32_t> west = {0}, east = {1}, cut = {2}, slant = {3};
    EXPECT_EQ(s.containsPoint(100, 50, west, 0, 100), 0);
    EXPECT_EQ(s.containsPoint(100, 50, east, 100, 200), 1);
    EXPECT_EQ(s.containsPoint(350, 50, slant, 300, 400), 0);  // on the slanted eastern side
    EXPECT_EQ(s.containsPoint(300, 50, slant, 300, 400), 1);
    // At the cut the ray runs from the western edge to the point: mirrored.
    EXPECT_EQ(s.containsPoint(18000, 50, cut, 17900, 18000), 1);
    EXPECT_EQ(s.containsPoint(17900, 50, cut, 17900, 18000), 0);
}

TEST(BoundaryStore, ZonesTouchingTheAntimeridianAreTestedFromTheirWesternEdge) {
    // Islands cut at 180 degrees: outlines left open along the cut, one
    // each side, as separate regions.
    auto s = storeOf({{2, {{18000, 1600}, {17800, 1700}, {18000, 1800}}},
                      {2, {{-18000, 1600}, {-17800, 1700}, {-18000, 1800}}},
                      {2, {{17994, 1600}, {17794, 1700}, {17994, 1800}}}});
    std::vector<int32_t> east = {0}, west = {1}, short_ = {2};
    // East of the cut's west edge: the ray runs from the zone's west edge
    // to the point and crosses the outline once.
    EXPECT_EQ(s.containsPoint(17950, 1720, east, 17800, 18000), 1);
    EXPECT_EQ(s.containsPoint(17990, 1610, east, 17800, 18000), 1);
    EXPECT_EQ(s.containsPoint(17810, 1610, east, 17800, 18000), 0);
    // West of 180 the ray runs east to the zone's edge as usual.
    EXPECT_EQ(s.containsPoint(-17950, 1720, west, -18000, -17800), 1);
    EXPECT_EQ(s.containsPoint(-17790, 1720, west, -18000, -17800), 0);
    // A zone ending at 179.94 degrees is not taken for one at the cut: the
    // eastward ray finds no eastern side to cross.
    EXPECT_EQ(s.containsPoint(17944, 1720, short_, 17794, 17994), 0);
}

}  // namespace
}  // namespace tnx::geodata
