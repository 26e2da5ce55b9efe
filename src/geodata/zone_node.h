// One node of the zone tree: the root ("world"), a country block, or one of a
// block's regions, which lists the polylines that outline it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/device.h"

namespace tnx::geodata {

class BoundaryStore;

// Hundredths of a degree, latitude north-positive.
struct ZoneBox {
    int32_t minLongitude = -18000;
    int32_t maxLongitude = 18000;
    int32_t minLatitude = -9000;
    int32_t maxLatitude = 9000;

    // The box no point falls into: a region without polylines.
    static constexpr ZoneBox none() { return {19000, -19000, 19000, -19000}; }
    // The start of a union.
    static constexpr ZoneBox empty() { return {18000, -18000, 9000, -9000}; }
    void include(const ZoneBox& o);
    // Strictly inside on both axes.
    bool holdsStrictly(int longitude, int latitude) const {
        return minLongitude < longitude && longitude < maxLongitude && minLatitude < latitude &&
               latitude < maxLatitude;
    }
    bool operator==(const ZoneBox&) const = default;
};

class ZoneNode {
public:
    enum Kind : int32_t { kRoot = 1, kBlock = 2, kRegion = 3 };

    explicit ZoneNode(Kind k = kRegion) : kind(k) {}

    // A region holds a point strictly inside its box that the even-odd test
    // over its polylines puts inside; a block holds what one of its regions
    // holds.
    bool holds(int longitude, int latitude, const BoundaryStore& store) const;
    // Every region's polylines in plain white, region by region.
    void drawOutline(gfx::Device& device, const BoundaryStore& store) const;

    Kind kind;
    std::string name;
    std::vector<int32_t> indices;  // polyline indices (regions)
    ZoneBox box;
    int32_t country = 0;           // index into the country table (blocks)
    std::vector<ZoneNode> children;
};

}  // namespace tnx::geodata
