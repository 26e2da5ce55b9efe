// The political map's polylines from "CARTE.BIN2": country borders, coasts,
// rivers and other lines, as 3D line geometry lying on the relief, and the
// integer even-odd test the zone tree asks.
//
// CARTE.BIN2 is a list of 16-bit little-endian records without a header:
// point count n, attribute (its boundary class is attribute / 1000), then n
// points (x, y) in hundredths of a degree, x = longitude, y = -latitude.
// Polylines are numbered in file order.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/gfx/device.h"

namespace tnx::geodata {

// Surface height in scene units at a point (radians): the elevation times
// the vertical exaggeration. The scene supplies it from the terrain.
using ElevationLookup = std::function<float(float longitude, float latitude)>;

struct LineVertex {
    float x, y, z;
    uint32_t colour;
};
static_assert(sizeof(LineVertex) == 16);

// A box in file units.
struct PolylineBounds {
    int16_t minX = 18000, maxX = -18000, minY = 9000, maxY = -9000;
};

class BoundaryStore {
public:
    static constexpr int kClassCount = 8;
    static constexpr const char* kFileName = "pack\\CARTE.BIN2";
    static constexpr float kGlobeRadius = 63.71f;
    static constexpr float kLift = 0.01f;  // keeps the lines above the surface
    // A zone reaching further east than this touches the antimeridian.
    static constexpr int kAntimeridianEdge = 17994;

    static constexpr uint32_t kBorderColour = 0xFF000000;  // class 2
    static constexpr uint32_t kOtherColour = 0xFF009000;   // class 3
    static constexpr uint32_t kRiverColour = 0xFF8080FF;   // class 7

    BoundaryStore() = default;

    // Reads the file from the data files; false (and nothing built) when it
    // is absent.
    bool loadFile(const ElevationLookup& elevation, std::string_view name = kFileName);
    // Builds everything from the file image; a record running past the end
    // keeps the points that are there.
    void load(std::span<const uint8_t> file, const ElevationLookup& elevation);
    // Recomputes every vertex position (the exaggeration changed).
    void relift(const ElevationLookup& elevation);

    int polylineCount() const { return int(polylines_.size()); }
    int pointCount(int polyline) const { return int(polylines_[size_t(polyline)].count); }
    int boundaryClass(int polyline) const { return polylines_[size_t(polyline)].boundaryClass; }
    int largestPointCount() const { return largest_; }
    size_t totalPoints() const { return points_.size() / 2; }

    // Borders (classes 2 and 3) and rivers (class 7) as indexed line lists;
    // the caller sets the depth bias around it.
    void drawOverlay(gfx::Device& device, bool boundaries, bool rivers) const;
    // The listed polylines in their plain white, one line-list draw each;
    // indices outside the store are skipped.
    void drawPolylines(gfx::Device& device, std::span<const int32_t> indices) const;
    // The box of the listed polylines' points; indices outside the store are
    // skipped.
    PolylineBounds bounds(std::span<const int32_t> indices) const;
    // Even-odd test of the point (x, y) in file units against the listed
    // polylines, with a horizontal ray towards the zone's eastern edge, or
    // from its western edge when the zone touches the antimeridian. 1 inside.
    int containsPoint(int x, int y, std::span<const int32_t> indices, int zoneMinX, int zoneMaxX) const;

    // One class's geometry: its vertices in the class colour and, for each
    // run of vertices a 16-bit index list can address, a line list.
    struct ClassBatch {
        uint32_t firstVertex = 0;
        uint32_t vertexCount = 0;
        std::vector<uint16_t> indices;  // numbered from firstVertex
    };
    struct ClassBuffer {
        std::vector<LineVertex> vertices;
        std::vector<ClassBatch> batches;
        uint32_t indexCount() const;
    };
    const ClassBuffer& classBuffer(int k) const { return classes_[size_t(k)]; }
    const std::vector<LineVertex>& plainVertices() const { return plain_; }

private:
    struct Polyline {
        uint32_t firstPoint = 0;  // into points_ (pairs) and plain_
        uint32_t count = 0;
        int boundaryClass = 0;
        int32_t minX = 18000, minY = 9000, maxX = -18000, maxY = -9000;
    };
    void buildClasses();
    bool valid(int32_t index) const { return index >= 0 && index < int32_t(polylines_.size()); }

    std::vector<Polyline> polylines_;
    std::vector<int16_t> points_;  // x, y of every point, polyline after polyline
    std::vector<LineVertex> plain_;
    std::vector<uint16_t> pairs_;  // (0,1), (1,2), ... for the longest polyline
    std::array<ClassBuffer, kClassCount> classes_;
    int largest_ = 0;
};

}  // namespace tnx::geodata
