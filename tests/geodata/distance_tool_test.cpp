// The distance tool: arc steps and points, label counts and units, the two
// states with the cancelled point, the 16-measurement limit, the ribbon and
// label geometry, what a frame draws and the "savecdistance" record.
#include "geodata/distance_tool.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/gfx/recording_device.h"
#include "platform/io/byte_io.h"
#include "support/fake_glyph_rasteriser.h"

namespace tnx::geodata {
namespace {

constexpr float kR = 63.71f;
constexpr float kPi = math::kPi;

// Ends on the equator `angle` radians apart.
const DistanceMeasurement& measure(DistanceTool& tool, float angle, float lon0 = 0) {
    tool.addPoint(lon0, 0);
    tool.addPoint(lon0 + angle, 0);
    return tool.measurement(tool.count() - 1);
}

math::Vec3 onGlobe(const DistanceVertex& v, const math::Matrix& frame) {
    return math::transformCoord({v.x, 0, v.z}, frame);
}

math::Vec3 spherePoint(float lon, float lat, float r) {
    return {std::cos(lon) * std::cos(lat) * r, std::sin(lat) * r, std::sin(lon) * std::cos(lat) * r};
}

TEST(DistanceToolTest, ArcStepsPointsAndLabelCountsAtTheirBoundaries) {
    DistanceTool tool(kR);
    // One radian: K = trunc(1 / (pi/78)) = 24, so 26 points.
    const DistanceMeasurement& one = measure(tool, 1.0f);
    EXPECT_EQ(one.ribbonVertexCount, 52);
    EXPECT_EQ(one.steps(), 25);
    // Just under one step: K = 0, the two ends alone.
    EXPECT_EQ(measure(tool, DistanceTool::kMaxStep * 0.999f).ribbonVertexCount, 4);
    // Exactly one step: K = 1, three points.
    EXPECT_EQ(measure(tool, DistanceTool::kMaxStep).ribbonVertexCount, 6);
    // A half turn uses every vertex of the storage: 80 points.
    EXPECT_EQ(measure(tool, kPi).ribbonVertexCount, DistanceMeasurement::kRibbonVertices);

    EXPECT_EQ(measure(tool, 0.499f).labelCount, 1);
    EXPECT_EQ(measure(tool, 0.5f).labelCount, 2);
    EXPECT_EQ(measure(tool, 1.499f).labelCount, 2);
    EXPECT_EQ(measure(tool, 1.5f).labelCount, 3);
}

TEST(DistanceToolTest, AgreesWithWgs84AlongTheEquatorAndAMeridian) {
    DistanceTool tool(kR);
    // One radian of the equator is the equatorial radius.
    const DistanceMeasurement& equator = measure(tool, 1.0f);
    EXPECT_NEAR(equator.kilometres, 6378.137, 0.005);
    EXPECT_EQ(equator.labelText(), "6378.1km");
    // Pole to equator: the quarter meridian, 10,001.966 km; 40 steps of at
    // most pi/78 come within half a kilometre of it.
    tool.addPoint(0.3f, kPi / 2);
    tool.addPoint(0.3f, 0);
    EXPECT_NEAR(tool.measurement(tool.count() - 1).kilometres, 10001.966, 0.5);
}

TEST(DistanceToolTest, RibbonRunsFromAToBAtTheTerrainsHeights) {
    DistanceTool tool(kR);
    tool.setTerrain({[](float lon, float) { return lon < 0.5f ? 1000.0f : 3000.0f; },
                     [](float lon, float) { return lon < 0.5f ? 0.1f : 0.3f; }});
    const float lonA = 0.3f, latA = 0.8f, lonB = 2.0f, latB = -0.4f;
    tool.addPoint(lonA, latA);
    tool.addPoint(lonB, latB);
    const DistanceMeasurement& m = tool.measurement(0);
    const int points = m.ribbonVertexCount / 2;
    const math::Vec3 a = onGlobe(m.ribbon[0], m.frame), b = onGlobe(m.ribbon[size_t(2 * points - 2)], m.frame);
    const math::Vec3 wantA = spherePoint(lonA, latA, kR + 0.1f), wantB = spherePoint(lonB, latB, kR + 0.3f);
    EXPECT_LT(math::length(a - wantA), 1e-3f);
    EXPECT_LT(math::length(b - wantB), 1e-3f);
    // The two edges stand 0.4 apart across the arc plane, along its axis.
    const math::Vec3 across = math::transformNormal({0, m.ribbon[0].y - m.ribbon[1].y, 0}, m.frame);
    EXPECT_NEAR(std::fabs(math::dot(across, m.axis)), 0.4f, 1e-5f);
    EXPECT_FLOAT_EQ(m.heightSlope, (0.3f - 0.1f) / m.arcAngle);
    // The elevations (1 and 3 km) add their values at the step ends: 1 km
    // + 2 km x (n + 1) / 2n over the arc, n steps.
    const double bare = DistanceTool::ellipsoidArcKm(lonA, latA, lonB, latB, m.steps(), 0, 0);
    const double n = m.steps();
    EXPECT_NEAR(m.kilometres - bare, m.arcAngle * (1.0 + 2.0 * (n + 1) / (2 * n)), 0.015);
}

TEST(DistanceToolTest, CoincidingEndsReadZeroAndAntipodalEndsTakeAGreatCircle) {
    DistanceTool tool(kR);
    tool.addPoint(0.4f, 0.2f);
    tool.addPoint(0.4f, 0.2f);
    const DistanceMeasurement& same = tool.measurement(0);
    EXPECT_EQ(same.labelText(), "0.0km");
    EXPECT_NEAR(math::length(same.axis), 1.0f, 1e-5f);

    for (float lat : {0.0f, 1.5707963f, 0.7f}) {
        tool.addPoint(0.5f, lat);
        tool.addPoint(0.5f - kPi, -lat);
        const DistanceMeasurement& m = tool.measurement(tool.count() - 1);
        EXPECT_NEAR(m.arcAngle, kPi, 1e-3f);
        EXPECT_NEAR(math::length(m.axis), 1.0f, 1e-5f);
        // Half of a great ellipse: between the meridian's and the equator's.
        EXPECT_GT(m.kilometres, 20003.0);
        EXPECT_LT(m.kilometres, 20038.0);
        const math::Vec3 end = onGlobe(m.ribbon[size_t(m.ribbonVertexCount - 2)], m.frame);
        EXPECT_LT(math::length(end - spherePoint(0.5f - kPi, -lat, kR)), 1e-3f);
    }
}

TEST(DistanceToolTest, PendingPointIsCancelledAndTheSixteenthIsReused) {
    DistanceTool tool(kR);
    EXPECT_FALSE(tool.cancelPendingPoint());
    tool.addPoint(0.1f, 0.1f);
    EXPECT_EQ(tool.state(), DistanceTool::kWaitingSecond);
    EXPECT_EQ(tool.count(), 1);
    EXPECT_EQ(tool.completeCount(), 0);
    EXPECT_TRUE(tool.cancelPendingPoint());
    EXPECT_EQ(tool.state(), DistanceTool::kWaitingFirst);
    EXPECT_EQ(tool.count(), 0);
    measure(tool, 0.2f);
    EXPECT_FALSE(tool.cancelPendingPoint());  // nothing pending: the menu opens
    EXPECT_EQ(tool.count(), 1);

    for (int i = 1; i < DistanceTool::kCapacity; ++i) measure(tool, 0.01f * float(i + 1));
    ASSERT_EQ(tool.count(), 16);
    measure(tool, 0.9f);
    EXPECT_EQ(tool.count(), 16);
    EXPECT_NEAR(tool.measurement(15).arcAngle, 0.9f, 1e-4f);
    EXPECT_NEAR(tool.measurement(14).arcAngle, 0.15f, 1e-4f);
    tool.clear();
    EXPECT_EQ(tool.count(), 0);
}

class LabelTest : public ::testing::Test {
protected:
    void frame(DistanceTool& tool, bool metric, float cameraDistance = 2 * kR, bool pointer = false, float lon = 0,
               float lat = 0) {
        DistanceFrame f;
        f.cameraDistance = cameraDistance;
        f.metric = metric;
        f.pointerOnGlobe = pointer;
        f.pointerLongitude = lon;
        f.pointerLatitude = lat;
        device_.clearRecord();
        tool.draw(device_, f);
    }
    int drawsWith(uint32_t vertices) const {
        int n = 0;
        for (const auto& d : device_.draws()) n += d.vertexCount == vertices;
        return n;
    }

    gfx::RecordingDevice device_{800, 600};
    text::TextureFont font_{"Arial", 25, 700, false, device_, 0, test::fakeRasteriser()};
};

TEST_F(LabelTest, UnitsFollowTheMetricOptionOnTheNextFrame) {
    font_.restore(device_);
    DistanceTool tool(kR, &font_);
    const DistanceMeasurement& m = measure(tool, 0.7f);
    char km[32], miles[32];
    std::snprintf(km, sizeof km, "%.1fkm", m.kilometres);
    std::snprintf(miles, sizeof miles, "%.1fmiles", m.kilometres * 0.6214);
    EXPECT_EQ(m.labelText(), km);
    EXPECT_EQ(m.labelVertexCount, 4 * int(std::string(km).size()));
    frame(tool, false);
    EXPECT_EQ(m.labelText(), miles);
    EXPECT_EQ(m.labelVertexCount, 4 * int(std::string(miles).size()));
    // A measurement made while miles are shown is in miles too.
    const DistanceMeasurement& next = measure(tool, 0.3f);
    EXPECT_NE(next.labelText().find("miles"), std::string_view::npos);
    frame(tool, true);
    EXPECT_EQ(m.labelText(), km);
    EXPECT_NE(next.labelText().find("km"), std::string_view::npos);
}

TEST_F(LabelTest, LabelIsCentredTwoPointTwoHighAndColouredTopAndBottom) {
    font_.restore(device_);
    DistanceTool tool(kR, &font_);
    const DistanceMeasurement& m = measure(tool, 1.6f);
    ASSERT_GT(m.labelVertexCount, 0);
    float left = 1e9f, right = -1e9f;
    for (int i = 0; i < m.labelVertexCount; ++i) {
        const DistanceVertex& v = m.labelVertices[size_t(i)];
        left = std::min(left, v.x);
        right = std::max(right, v.x);
        const bool top = i % 4 == 0 || i % 4 == 2;
        EXPECT_FLOAT_EQ(v.y, top ? 1.1f : -1.1f);
        EXPECT_EQ(v.diffuse, top ? DistanceTool::kLabelTop : DistanceTool::kLabelBottom);
    }
    EXPECT_NEAR(left, -right, 1e-4f);
    // Glyphs keep the font's proportions, stretched by 2.09.
    const float fontWidth = font_.textWidth(1.0f, m.labelText());
    EXPECT_NEAR(right - left, fontWidth * 2.09f, 1e-3f);
    // End labels stand clear of the arc ends: half the label and a margin.
    EXPECT_NEAR(m.labelSpacing * kR, (right - left) / 2 + 1.1f, 1e-3f);
    std::array<float, 3> at;
    const float w = tool.widthFactor(2 * kR);
    ASSERT_EQ(tool.labelAngles(m, w, at), 3);
    EXPECT_FLOAT_EQ(at[0], w * m.labelSpacing);
    EXPECT_FLOAT_EQ(at[1], m.arcAngle / 2);
    EXPECT_FLOAT_EQ(at[2], m.arcAngle - w * m.labelSpacing);
    EXPECT_FLOAT_EQ(tool.widthFactor(kR), 0.01f);
    EXPECT_FLOAT_EQ(tool.widthFactor(10 * kR), 2.0f);
}

TEST_F(LabelTest, FrameDrawsEveryRibbonAndLabelAndThePendingEndFollowsThePointer) {
    font_.restore(device_);
    device_.setCaptureGeometry(true);
    DistanceTool tool(kR, &font_);
    for (int i = 0; i < DistanceTool::kCapacity; ++i) measure(tool, kPi, -3.0f + 0.1f * float(i));
    frame(tool, true);
    // A ribbon of 80 points each, and three labels drawn twice (shadow, text).
    EXPECT_EQ(drawsWith(160), 16);
    const int labelVertices = tool.measurement(0).labelVertexCount;
    EXPECT_EQ(drawsWith(uint32_t(labelVertices)), 16 * 3 * 2);
    int shadows = 0, texts = 0;
    for (const auto& d : device_.draws()) {
        if (d.vertexCount != uint32_t(labelVertices)) continue;
        const uint32_t colour = io::loadU32(d.vertices.data() + 12);
        shadows += colour == DistanceTool::kShadowColour;
        texts += colour == DistanceTool::kLabelTop;
        EXPECT_EQ(d.texture0, font_.texture());
    }
    EXPECT_EQ(shadows, 48);
    EXPECT_EQ(texts, 48);

    tool.clear();
    tool.addPoint(0, 0);
    frame(tool, true, 2 * kR, true, 0.6f, 0.0f);
    EXPECT_NEAR(tool.measurement(0).arcAngle, 0.6f, 1e-5f);
    frame(tool, true, 2 * kR, false, 1.2f, 0.0f);  // off the globe: the end stays
    EXPECT_NEAR(tool.measurement(0).arcAngle, 0.6f, 1e-5f);
    EXPECT_EQ(tool.state(), DistanceTool::kWaitingSecond);
}

TEST(DistanceRecordTest, SavesEveryMeasurementAndRefusesAWrongSize) {
    DistanceTool tool(kR);
    measure(tool, 0.5f);
    measure(tool, 1.0f, 0.2f);
    tool.addPoint(-1.0f, 0.5f);  // pending: saved too
    std::vector<uint8_t> rec;
    EXPECT_EQ(tool.writeRecord(rec), 70u);
    ASSERT_EQ(rec.size(), 70u);
    EXPECT_EQ(io::loadU32(rec.data()), 70u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(rec.data() + 4)), "savecdistance");
    EXPECT_EQ(io::loadU32(rec.data() + 18), 3u);
    EXPECT_FLOAT_EQ(io::loadF32(rec.data() + 22 + 16 + 8), 1.2f);

    DistanceTool back(kR);
    EXPECT_EQ(back.readRecord(rec), settings::kRecordApplied);
    ASSERT_EQ(back.count(), 3);
    EXPECT_EQ(back.state(), DistanceTool::kWaitingFirst);  // every entry replays as two points
    EXPECT_NEAR(back.measurement(1).arcAngle, 1.0f, 1e-5f);

    // A size that does not match the count changes nothing.
    std::vector<uint8_t> wrong = rec;
    io::storeU32(wrong.data() + 18, 4);
    EXPECT_EQ(back.readRecord(wrong), settings::kRecordNotMine);
    EXPECT_EQ(back.count(), 3);
    std::vector<uint8_t> other = rec;
    other[4] = 'x';
    EXPECT_EQ(back.readRecord(other), settings::kRecordNameDiffers);
    // Entries that are not numbers are dropped, the rest still read.
    std::vector<uint8_t> nan = rec;
    io::storeF32(nan.data() + 22 + 4, std::nanf(""));
    EXPECT_EQ(back.readRecord(nan), settings::kRecordApplied);
    EXPECT_EQ(back.count(), 2);
}

}  // namespace
}  // namespace tnx::geodata
