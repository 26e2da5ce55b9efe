// The geography overlay: hover, clicks and the marked-city list, the
// "saveccity" record, markers per frame and what a frame draws.
#include "geodata/geo_overlay.h"

#include <gtest/gtest.h>

#include <cmath>

#include "geodata/boundary_store.h"
#include "geodata/geo_files.h"
#include "geodata/zone_tree.h"
#include "platform/gfx/recording_device.h"
#include "support/record_bytes.h"

namespace tnx::geodata {
namespace {

using test::CityEntry;
using test::siteAngle;

constexpr float kDeg = math::kPi / 180;

class OverlayTest : public ::testing::Test {
protected:
    OverlayTest() : overlay_(0.00001f, false) {
        overlay_.countries().load(test::countryFile({{"Ruritania"}, {"Borduria"}}));
        // Three cities in one cell near 10 E 45 N, the last two 0.01 degrees
        // apart; a small town far away.
        overlay_.cities().load(test::siteFile({{"Ruritania",
                                                {{"Strelsau", 0, siteAngle(45), siteAngle(10), 300, 400000},
                                                 {"Zenda", 1, siteAngle(46), siteAngle(11), 500, 20000},
                                                 {"Tarlenheim", 1, siteAngle(46.01), siteAngle(11), 0, 30000}}},
                                               {"Borduria", {{"Szohod", 1, siteAngle(-30), siteAngle(-100), 0, 5000}}}}),
                               overlay_.countries());
        overlay_.rebuildCities();
    }
    void hoverAt(double lonDeg, double latDeg, float altitude = 10) {
        overlay_.hover(true, float(lonDeg * kDeg), float(latDeg * kDeg), altitude);
    }
    CitySelection& sel() { return overlay_.selection(); }

    GeoOverlay overlay_;
};

TEST_F(OverlayTest, HoverFindsMarkedCitiesFirstThenTheCellsMostPopulous) {
    // Tolerance at altitude 10: 0.00099 rad (0.057 degrees) of latitude.
    hoverAt(11, 46.005);
    EXPECT_EQ(sel().hoveredCity, 3);  // Tarlenheim outranks Zenda in the cell
    EXPECT_EQ(sel().hoveredCountry, 1);
    sel().hoveredCity = 2;
    overlay_.click();  // mark Zenda
    hoverAt(11, 46.005);
    EXPECT_EQ(sel().hoveredCity, 2);  // the marked city comes first
    hoverAt(11, 46.2);
    EXPECT_EQ(sel().hoveredCity, 0);
    EXPECT_EQ(sel().hoveredCountry, 0);  // no zones: no country either
    // Lower down, the tolerance narrows: 0.01 degrees apart are told apart.
    hoverAt(11, 46.008, 0.0f);
    EXPECT_EQ(sel().hoveredCity, 3);
    // Longitude tolerance widens with latitude.
    hoverAt(11.07, 46.0, 10);
    EXPECT_EQ(sel().hoveredCity, 2);
    hoverAt(11.09, 46.0, 10);
    EXPECT_EQ(sel().hoveredCity, 0);
    overlay_.hover(false, 11 * kDeg, 46 * kDeg, 10);
    EXPECT_EQ(sel().hoveredCity, 0);
}

TEST_F(OverlayTest, HoverFallsBackToTheZoneUnderThePointer) {
    BoundaryStore store;
    store.load(test::boundaryFile({test::ring(-500, -1000, 500, 1000)}), {});
    ZoneTree zones;
    zones.load(test::bytesOf("1 Borduria\r\n0\r\nE\r\n"), overlay_.countries(), store);
    overlay_.setGeography(&store, &zones);
    hoverAt(1, 2);
    EXPECT_EQ(sel().hoveredCity, 0);
    EXPECT_EQ(sel().hoveredCountry, 2);
    hoverAt(45, 2);
    EXPECT_EQ(sel().hoveredCountry, 0);
}

TEST(CitySelection, ClicksMarkUnmarkAndSelect) {
    CitySelection s;
    s.hoveredCity = 5;
    s.selectedCity = 9;
    s.click(10);
    EXPECT_EQ(s.marked().size(), 1u);
    EXPECT_EQ(s.selectedCity, 0);
    s.hoveredCity = 6;
    s.click(10);
    s.hoveredCity = 5;
    s.click(10);  // already marked: removed, later entries move up
    ASSERT_EQ(s.marked().size(), 1u);
    EXPECT_EQ(s.marked()[0].city, 6);
    s.click(10);  // and back again, at the end
    EXPECT_EQ(s.markedPosition(5), 1);
    // The selected city is deselected, not marked.
    s.selectedCity = 7;
    s.hoveredCity = 7;
    s.click(10);
    EXPECT_EQ(s.selectedCity, 0);
    EXPECT_EQ(s.markedPosition(7), -1);
    // No city: the hovered country toggles its selection.
    s.hoveredCity = 0;
    s.hoveredCountry = 3;
    s.click(10);
    EXPECT_EQ(s.selectedCountry, 3);
    s.click(10);
    EXPECT_EQ(s.selectedCountry, 0);
    s.click(10);
    s.hoveredCountry = 10;  // not a country of a 10-record table
    s.click(10);
    EXPECT_EQ(s.selectedCountry, 0);
    s.hoveredCountry = 0;
    s.selectedCountry = 4;
    s.click(10);
    EXPECT_EQ(s.selectedCountry, 0);
}

TEST(CitySelection, ClearEmptiesEverythingThenClicksTheHover) {
    CitySelection s;
    for (int c : {1, 2, 3}) {
        s.hoveredCity = c;
        s.click(5);
    }
    s.selectedCountry = 2;
    s.hoveredCity = 2;
    s.clear(5);
    ASSERT_EQ(s.marked().size(), 1u);  // the city under the pointer ends up marked
    EXPECT_EQ(s.marked()[0].city, 2);
    EXPECT_EQ(s.selectedCountry, 0);
    s.hoveredCity = 0;
    s.hoveredCountry = 4;
    s.clear(5);
    EXPECT_TRUE(s.marked().empty());
    EXPECT_EQ(s.selectedCountry, 4);
}

TEST(CitySelection, StarsSpinAndStartAgainPastTheirLimit) {
    CitySelection s;
    s.hoveredCity = 1;
    s.click(2);
    s.spin(0.25f);
    EXPECT_FLOAT_EQ(s.marked()[0].angle, 0.25f);
    s.spin(9999.0f);
    EXPECT_FLOAT_EQ(s.marked()[0].angle, 0.0f);
    s.spin(-1.0f);
    EXPECT_FLOAT_EQ(s.marked()[0].angle, 0.0f);
}

TEST(CitySelection, RecordSizesRoundTripAndRejects) {
    CitySelection s;
    for (int c : {4, 8}) {
        s.hoveredCity = c;
        s.click(10);
    }
    s.spin(1.5f);
    s.selectedCity = 3;
    s.hoveredCity = 7;
    s.selectedCountry = 2;
    s.hoveredCountry = 5;
    std::vector<uint8_t> out;
    EXPECT_EQ(s.writeRecord(out), 302u);
    ASSERT_EQ(out.size(), 302u);
    EXPECT_EQ(io::loadU32(out.data()), 302u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.data() + 4)), "saveccity");
    EXPECT_EQ(io::loadI32(out.data() + 14), 2);   // count
    EXPECT_EQ(io::loadI32(out.data() + 18), 32);  // capacity
    EXPECT_EQ(io::loadI32(out.data() + 286), 4);

    CitySelection r;
    EXPECT_EQ(r.readRecord(out), settings::kRecordApplied);
    EXPECT_EQ(r.selectedCity, 3);
    EXPECT_EQ(r.hoveredCity, 7);
    EXPECT_EQ(r.selectedCountry, 2);
    EXPECT_EQ(r.hoveredCountry, 5);
    ASSERT_EQ(r.marked().size(), 2u);
    EXPECT_EQ(r.marked()[1].city, 8);
    EXPECT_FLOAT_EQ(r.marked()[1].angle, 1.5f);
    EXPECT_EQ(r.capacity(), 34);

    // Sizes other than 286 + 8n leave everything as it was.
    auto changed = out;
    io::storeI32(changed.data() + 14, 3);
    CitySelection untouched;
    EXPECT_EQ(untouched.readRecord(changed), settings::kRecordNotMine);
    io::storeI32(changed.data() + 14, -1);
    EXPECT_EQ(untouched.readRecord(changed), settings::kRecordNotMine);
    auto longer = out;
    longer.insert(longer.end(), 8, 0);
    io::storeU32(longer.data(), 310);
    EXPECT_EQ(untouched.readRecord(longer), settings::kRecordNotMine);
    EXPECT_TRUE(untouched.marked().empty());
    EXPECT_EQ(untouched.selectedCity, 0);
    // Another record's name; a truncated record.
    EXPECT_EQ(untouched.readRecord(test::makeRecord("saveccamera", std::vector<uint8_t>(36))),
              settings::kRecordNameDiffers);
    EXPECT_NE(untouched.readRecord(std::span(out.data(), 200)), settings::kRecordApplied);
    EXPECT_TRUE(untouched.marked().empty());
    // n = 0 is the 286-byte record.
    std::vector<uint8_t> none;
    EXPECT_EQ(CitySelection().writeRecord(none), 286u);
    EXPECT_EQ(untouched.readRecord(none), settings::kRecordApplied);
}

TEST_F(OverlayTest, ARecordFromOtherDataKeepsOnlyWhatNamesThisData) {
    CitySelection saved;
    for (int c : {2, 40, 4}) {
        saved.hoveredCity = c;
        saved.click(3);
    }
    saved.selectedCity = 99;
    saved.selectedCountry = 2;
    std::vector<uint8_t> out;
    saved.writeRecord(out);
    EXPECT_EQ(overlay_.readRecord(out), settings::kRecordApplied);
    ASSERT_EQ(sel().marked().size(), 2u);
    EXPECT_EQ(sel().marked()[1].city, 4);
    EXPECT_EQ(sel().selectedCity, 0);
    EXPECT_EQ(sel().selectedCountry, 2);
}

TEST_F(OverlayTest, MarkersStopAtTheFirstCityTooSmallAndFadeBelowAPixel) {
    // Altitude 63.71 above 45 N 10 E, focal length 1000 pixels: a pixel is
    // B = 0.063 units; sizes: Strelsau 0.0457, Tarlenheim 0.0132, Zenda
    // 0.0110, Szohod 0.0060 (on the far side).
    const CityRecord& strelsau = overlay_.cities()[1];
    math::Vec3 camera = math::normalize(strelsau.position) * (2 * 63.71f);
    CityMarkers m;
    m.build(overlay_.cities(), overlay_.grid(), camera, 1000);
    ASSERT_EQ(m.batches().size(), 1u);
    EXPECT_EQ(m.triangleCount(), 3u);  // all of the cell, none of the far side
    float pixel = 63.71f * 0.99f / 1000, lift = 3, grow = 1;
    // Strelsau is under a pixel: drawn a pixel wide, alpha by its size.
    EXPECT_EQ(m.vertices()[0].colour >> 24, uint32_t(strelsau.markerSize / pixel * 255));
    EXPECT_EQ(m.vertices()[0].colour & 0xFFFFFF, 0xFF9090u);
    math::Vec3 corner{m.vertices()[1].x, m.vertices()[1].y, m.vertices()[1].z};
    EXPECT_NEAR(math::length(corner - strelsau.position), 2 * (pixel + 0.0125f * lift) * grow, 1e-4);
    EXPECT_FLOAT_EQ(m.vertices()[1].u, 0.5f);
    EXPECT_FLOAT_EQ(m.vertices()[1].v, -0.5f);
    // From 1000 times further a pixel is 63 units: only cities of at least a
    // tenth of that would show, so the walk stops at the first.
    m.build(overlay_.cities(), overlay_.grid(), camera * 1000, 1000);
    EXPECT_EQ(m.triangleCount(), 0u);
    // Close above the city everything of the cell is full size, though the
    // cell's centre lies beyond the horizon from there.
    math::Vec3 low = math::normalize(strelsau.position) * (63.71f + 0.1f);
    m.build(overlay_.cities(), overlay_.grid(), low, 1000);
    ASSERT_EQ(m.triangleCount(), 3u);
    EXPECT_EQ(m.vertices()[0].colour, 0xFFFF9090u);
    float l = 0.1f * 8 / 63.71f;
    corner = {m.vertices()[1].x, m.vertices()[1].y, m.vertices()[1].z};
    EXPECT_NEAR(math::length(corner - strelsau.position), 2 * (strelsau.markerSize + 0.0125f * l) * (l + 1) * 0.25f,
                1e-4);
}

TEST(CityMarkers, CitiesBeyondTheHorizonAreLeftOut) {
    // From twice the radius above 0 E 0 N the horizon is 60 degrees away: a
    // city at 62 E is beyond it, one at 58 E in the same cell is not.
    CountryTable countries;
    CityTable cities;
    cities.load(test::siteFile({{"X",
                                 {{"far", 1, siteAngle(0.5), siteAngle(62), 0, 900000},
                                  {"near", 1, siteAngle(1), siteAngle(58), 0, 100000}}}}),
                countries);
    cities.computeMarkers(0);
    CityGrid grid;
    grid.build(cities);
    ASSERT_EQ(grid.occupiedCells().size(), 1u);
    CityMarkers m;
    m.build(cities, grid, {2 * 63.71f, 0, 0}, 1000);
    ASSERT_EQ(m.triangleCount(), 1u);
    math::Vec3 corner{m.vertices()[1].x, m.vertices()[1].y, m.vertices()[1].z};
    EXPECT_LT(math::length(corner - cities[2].position), 0.5f);
}

TEST_F(OverlayTest, AFrameDrawsOutlineMarkersAndStars) {
    BoundaryStore store;
    store.load(test::boundaryFile({test::ring(900, -4700, 1200, -4400)}), {});
    ZoneTree zones;
    zones.load(test::bytesOf("1 Ruritania\r\n0\r\nE\r\n"), overlay_.countries(), store);
    overlay_.setGeography(&store, &zones);
    sel().hoveredCountry = 1;
    overlay_.click();  // select Ruritania
    sel().hoveredCity = 2;
    overlay_.click();  // mark Zenda
    sel().selectedCity = 1;
    ASSERT_EQ(sel().selectedCountry, 1);

    gfx::RecordingDevice device;
    OverlayFrame f;
    const CityRecord& strelsau = overlay_.cities()[1];
    f.spin = 0.3f;
    f.cameraPosition = math::transformCoord(math::normalize(strelsau.position) * 100.0f, math::matrixRotationY(-0.3f));
    f.focalLength = 800;
    f.frameSeconds = 0.5f;
    f.showCities = true;
    overlay_.draw(device, f);
    const auto& d = device.draws();
    ASSERT_EQ(d.size(), 4u);
    EXPECT_EQ(d[0].type, gfx::PrimitiveType::LineList);  // the selected country's outline
    EXPECT_EQ(d[0].primitiveCount, 4u);
    EXPECT_EQ(d[0].world, math::matrixRotationY(-0.3f));
    EXPECT_EQ(d[1].type, gfx::PrimitiveType::TriangleList);  // one cell of markers
    EXPECT_EQ(d[1].fvf, gfx::kFvfPosDiffuseTex1);
    EXPECT_EQ(d[2].type, gfx::PrimitiveType::TriangleFan);  // Zenda's star, turned by its spin
    EXPECT_EQ(d[2].primitiveCount, 8u);
    EXPECT_EQ(d[3].type, gfx::PrimitiveType::TriangleFan);  // the selected city
    EXPECT_FLOAT_EQ(sel().marked()[0].angle, 0.5f);
    // The star sits at its city, spun with the globe.
    math::Vec3 at = math::transformCoord({0, 0, 0}, d[2].world);
    math::Vec3 zenda = math::transformCoord(overlay_.cities()[2].position, math::matrixRotationY(-0.3f));
    EXPECT_NEAR(math::length(at - zenda), 0.0f, 1e-3);
    EXPECT_EQ(device.renderState(gfx::RenderState::CullMode), gfx::kCullCCW);

    // Without cities and selections: nothing but the outline.
    device.clearRecord();
    f.showCities = false;
    overlay_.clearAll();
    sel().hoveredCountry = 1;
    overlay_.click();
    overlay_.draw(device, f);
    ASSERT_EQ(device.draws().size(), 1u);
    EXPECT_EQ(device.draws()[0].type, gfx::PrimitiveType::LineList);
}

}  // namespace
}  // namespace tnx::geodata
