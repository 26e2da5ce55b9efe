// The distance tool: up to 16 measurements between points clicked on the
// globe, each drawn as a ribbon along the great-circle arc between its ends
// and labelled with the distance over the WGS 84 ellipsoid, terrain
// elevation at both ends included, in kilometres or miles.
//
// A measurement's geometry lives in a local plane: angle 0 lies on its first
// end A, the angle grows towards B, and the ribbon stands +-0.2 across the
// plane; its frame matrix turns that plane onto the globe. All geometry and
// the distance are computed once per measurement (again only for the
// measurement following the pointer, or when the units change).
//
// "savecdistance": u32 size (22 + 16n), the name, u32 n, then n entries of
// four f32 (start longitude, start latitude, end longitude, end latitude).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/gfx/device.h"
#include "platform/math/d3d_math.h"
#include "platform/text/texture_font.h"
#include "settings/record.h"

namespace tnx::geodata {

using DistanceVertex = text::TextVertex;  // position, ARGB, one texture pair

struct DistanceMeasurement {
    static constexpr int kRibbonVertices = 160;  // 80 arc points
    static constexpr int kLabelCharacters = 30;
    static constexpr int kLabelVertices = 4 * kLabelCharacters;

    float startLongitude = 0, startLatitude = 0;  // A, radians
    float endLongitude = 0, endLatitude = 0;      // B
    int32_t ribbonVertexCount = 0;                // 2 x arc points
    int32_t labelVertexCount = 0;                 // 4 x label characters
    math::Matrix frame;                           // local arc plane -> globe
    float arcAngle = 0;                           // A to B, radians
    float labelSpacing = 0;                       // end labels' angle from the ends, per unit of label scale
    float startHeight = 0, endHeight = 0;         // terrain, scene units
    float heightSlope = 0;                        // per radian of arc
    math::Vec3 axis;                              // unit normal of the arc plane
    int32_t labelCount = 0;                       // 1, 2 or 3
    double kilometres = 0;
    std::array<char, kLabelCharacters + 2> label{};
    std::array<DistanceVertex, kRibbonVertices> ribbon{};
    std::array<DistanceVertex, kLabelVertices> labelVertices{};

    int steps() const { return ribbonVertexCount / 2 - 1; }  // K + 1
    std::string_view labelText() const { return label.data(); }
};

// The terrain under a point (radians): metres, and metres times the
// vertical exaggeration (scene units). Either may be empty: no terrain.
struct TerrainHeights {
    std::function<float(float, float)> metres;
    std::function<float(float, float)> scaled;
};

// What one frame hands the tool.
struct DistanceFrame {
    float cameraDistance = 0;  // from the globe's centre
    float spin = 0;            // the globe's spin; drawn with world = rotation by -spin
    bool pointerOnGlobe = false;
    float pointerLongitude = 0, pointerLatitude = 0;
    bool metric = true;
    gfx::Texture* lineTexture = nullptr;  // the ribbon's band
};

class DistanceTool : public settings::RecordOwner {
public:
    static constexpr int kCapacity = 16;
    static constexpr const char* kRecordName = "savecdistance";
    static constexpr size_t kRecordFixedBytes = 4 + 14 + 4;  // size, name, count
    static constexpr size_t kEntryBytes = 16;
    static constexpr float kMaxStep = math::kPi / 78;  // longest arc step, radians
    static constexpr int kMaxSteps = 79;               // K + 1 for a half turn
    static constexpr float kRibbonHalfWidth = 0.2f;
    static constexpr float kLabelHalfHeight = 1.1f;
    static constexpr float kGlyphWidthScale = 2.09f;
    static constexpr uint32_t kRibbonColour = 0xFFFFFFFF;
    static constexpr uint32_t kLabelTop = 0xFF00FF00;
    static constexpr uint32_t kLabelBottom = 0xFF00FFFF;
    static constexpr uint32_t kShadowColour = 0xFF000000;
    // WGS 84, kilometres.
    static constexpr double kInvASquared = 2.4581722e-08;
    static constexpr double kInvBSquared = 2.4747393e-08;
    static constexpr double kKmToMiles = 0.6214;

    enum State : int { kWaitingFirst = 1, kWaitingSecond = 2 };

    explicit DistanceTool(float globeRadius, const text::TextureFont* font = nullptr);
    ~DistanceTool() override;

    void setFont(const text::TextureFont* font) { font_ = font; }
    void setTerrain(TerrainHeights heights) { heights_ = std::move(heights); }
    // Kilometres or miles; a change remakes every label.
    void setMetric(bool metric);

    // A first point starts a measurement (the 16th is reused once all are
    // taken); a second point completes it.
    void addPoint(float longitude, float latitude);
    // Drops a pending first point: true when there was one.
    bool cancelPendingPoint();
    void clear();
    void compute(int index);
    void recomputeAll();
    // The ribbons and their labels; in state 2 the pending end follows the
    // pointer.
    void draw(gfx::Device& device, const DistanceFrame& frame);

    int state() const { return state_; }
    int count() const { return count_; }
    // Measurements drawn every frame (the pending one excluded).
    int completeCount() const { return state_ == kWaitingSecond ? count_ - 1 : count_; }
    const DistanceMeasurement& measurement(int index) const { return (*measurements_)[size_t(index)]; }
    bool metric() const { return metric_; }
    const std::array<uint16_t, 474>& ribbonIndices() const { return ribbonIndices_; }

    // Ribbon width factor for a camera distance.
    float widthFactor(float cameraDistance) const;
    // Arc angles of a measurement's labels at width factor w.
    int labelAngles(const DistanceMeasurement& m, float w, std::array<float, 3>& angles) const;

    // The arc's length over the ellipsoid between two points (radians), in
    // `steps` equal steps, with the terrain elevations (kilometres) at the
    // ends interpolated along it. Latitudes are geographic; each arc point
    // is taken on the ellipsoid in the direction of the great ellipse
    // through the two ends.
    static double ellipsoidArcKm(double lon1, double lat1, double lon2, double lat2, int steps, double elevation1Km,
                                 double elevation2Km);

    // "savecdistance"
    size_t writeRecord(std::vector<uint8_t>& out) override;
    int readRecord(std::span<const uint8_t> record) override;

private:
    void makeLabel(DistanceMeasurement& m);
    void drawMeasurement(gfx::Device& device, const DistanceMeasurement& m, float w, const math::Matrix& spin);

    float radius_;
    const text::TextureFont* font_;
    TerrainHeights heights_;
    std::unique_ptr<std::array<DistanceMeasurement, kCapacity>> measurements_;
    int count_ = 0;
    int state_ = kWaitingFirst;
    bool metric_ = true;  // the labels' units
    std::array<uint16_t, 474> ribbonIndices_{};
    std::array<uint16_t, 180> labelIndices_{};
    std::array<DistanceVertex, DistanceMeasurement::kLabelVertices> shadow_{};
};

}  // namespace tnx::geodata
