// A TopoJSON world atlas: its shared arcs (decoded from the quantised,
// delta-encoded form into degrees) and the polygons of one of its objects,
// each polygon a list of rings and each ring a list of arc references (a
// negative reference ~i is arc i walked backwards).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tnx::databuilder {

struct GeoPoint {
    double lon = 0;  // degrees
    double lat = 0;
};

struct AtlasFeature {
    std::string name;  // properties.name (UTF-8)
    std::string id;    // the feature's id as text (empty when it has none)
    std::vector<std::vector<std::vector<int>>> polygons;  // polygon -> ring -> arc references
};

class TopoAtlas {
public:
    // Parses the topology and the features of `object` (Polygon and
    // MultiPolygon geometries; others are kept without polygons).
    bool parse(std::span<const uint8_t> json, const std::string& object, std::string& error);

    const std::vector<std::vector<GeoPoint>>& arcs() const { return arcs_; }
    const std::vector<AtlasFeature>& features() const { return features_; }

    static size_t arcOf(int reference) { return size_t(reference < 0 ? ~reference : reference); }
    // A ring's points, consecutive arcs sharing their joining point. Bad
    // arc references are skipped.
    std::vector<GeoPoint> ringPoints(const std::vector<int>& ring) const;

private:
    std::vector<std::vector<GeoPoint>> arcs_;
    std::vector<AtlasFeature> features_;
};

}  // namespace tnx::databuilder
