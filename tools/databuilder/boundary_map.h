// The political map as the viewer draws and hit-tests it: polylines in
// hundredths of a degree (x = longitude, y = -latitude, int16) with a class
// each, and the zones that group them by country. Written as "CARTE.BIN2"
// and "CARTE.ZONES".
//
// Country arcs come first, arc i as polyline i: an arc two countries share
// is a land border (class 2), one that two parts of one country share a
// line inside it (class 3, such as Somaliland's edge), any other a coast
// (class 0, used only by the zone test). Segments that only close a ring
// along the date line or the pole are never drawn: a drawn arc that has
// them is cut there, the drawn runs keep the drawn class, and the closing
// runs become class-0 polylines the zone still lists, so every ring stays
// closed for the zone test. Rivers (class 7) follow the country arcs.
//
// CARTE.BIN2: per polyline int16 n, int16 attribute (class x 1000), then n
// points (x, y). CARTE.ZONES: per country "1 <name>", one line of polyline
// indices per polygon (long lists continue on lines ended by a space), and
// "E"; lines end in CR LF.
#pragma once

#include "topo_atlas.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tnx::databuilder {

struct BoundaryPoint {
    int16_t x = 0;
    int16_t y = 0;
    bool operator==(const BoundaryPoint&) const = default;
};

struct BoundaryPolyline {
    int boundaryClass = 0;
    std::vector<BoundaryPoint> points;
};

struct ZoneBlock {
    std::string name;                       // as written (Windows-1252)
    std::vector<std::vector<int>> regions;  // polygon -> polyline indices of all its rings
};

class BoundaryMap {
public:
    static constexpr int kCoast = 0;
    static constexpr int kBorder = 2;
    static constexpr int kInnerLine = 3;
    static constexpr int kRiver = 7;
    static constexpr int kZoneIndexLimit = 5000;      // zones drop indices from here on
    static constexpr size_t kClassVertexLimit = 65535;  // 16-bit indices per class buffer
    static constexpr int kIndicesPerLine = 16;

    static BoundaryPoint toFile(const GeoPoint& p);

    // The atlas's arcs and, for every feature's every polygon (in the
    // atlas's order), the name of the country it belongs to. Countries
    // become zone blocks in the order they first appear.
    void addCountries(const TopoAtlas& atlas, const std::vector<std::vector<std::string>>& polygonCountries);
    // Lines in degrees; lines of fewer than two distinct points are left out.
    void addRivers(const std::vector<std::vector<GeoPoint>>& lines);

    const std::vector<BoundaryPolyline>& polylines() const { return polylines_; }
    const std::vector<ZoneBlock>& zones() const { return zones_; }
    size_t countryPolylines() const { return countryPolylines_; }
    size_t classVertices(int boundaryClass) const;
    size_t classPolylines(int boundaryClass) const;

    std::vector<uint8_t> encodeBoundaries() const;
    std::string encodeZones() const;

private:
    std::vector<BoundaryPolyline> polylines_;
    std::vector<ZoneBlock> zones_;
    size_t countryPolylines_ = 0;
};

}  // namespace tnx::databuilder
