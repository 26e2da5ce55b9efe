#include "boundary_product.h"

#include "boundary_map.h"
#include "country_bridge.h"
#include "cp1252_text.h"
#include "factbook.h"
#include "river_network.h"
#include "topo_atlas.h"

#include "platform/io/file_io.h"

namespace tnx::databuilder {

namespace {

constexpr size_t kMaxPolylinePoints = 32767;  // the point count is an int16

// Where a polygon lies, for telling apart entities that share a code.
GeoPoint centreOf(const std::vector<GeoPoint>& ring) {
    GeoPoint c;
    for (const GeoPoint& p : ring) {
        c.lon += p.lon;
        c.lat += p.lat;
    }
    if (!ring.empty()) {
        c.lon /= double(ring.size());
        c.lat /= double(ring.size());
    }
    return c;
}

}  // namespace

bool BoundaryProduct::build(const SourceCache& sources, ProductFiles& files, std::string& error) {
    Factbook factbook;
    if (!factbook.load(sources.path(source::kFactbook), error)) return false;
    const auto names = io::readWholeFile(sources.path(source::kCountryNames));
    const auto atlasJson = io::readWholeFile(sources.path(source::kCountries));
    if (!names || !atlasJson) {
        error = "cannot read the atlas or the country names";
        return false;
    }
    CountryBridge bridge;
    if (!bridge.load(*names, factbook, error)) return false;
    TopoAtlas atlas;
    if (!atlas.parse(*atlasJson, "countries", error)) {
        error = sources.path(source::kCountries).string() + ": " + error;
        return false;
    }

    std::vector<std::vector<std::string>> polygonCountries;
    for (const AtlasFeature& f : atlas.features()) {
        std::vector<std::string> countries;
        for (const auto& polygon : f.polygons) {
            const GeoPoint c = centreOf(polygon.empty() ? std::vector<GeoPoint>{} : atlas.ringPoints(polygon.front()));
            countries.push_back(Cp1252Text::fromUtf8(bridge.resolve(f.id, f.name, c.lat, c.lon).name));
        }
        polygonCountries.push_back(std::move(countries));
    }
    BoundaryMap map;
    map.addCountries(atlas, polygonCountries);
    if (map.countryPolylines() >= size_t(BoundaryMap::kZoneIndexLimit)) {
        error = "the atlas makes " + std::to_string(map.countryPolylines()) + " country lines, more than zones can list";
        return false;
    }

    RiverNetwork rivers;
    if (!rivers.load(sources.path(source::kRivers), error)) return false;
    std::vector<std::vector<GeoPoint>> pieces;
    for (const RiverSegment& s : rivers.segments())
        if (s.level >= 1 && s.level <= kMaxRiverLevel) pieces.push_back(s.points);
    map.addRivers(RiverNetwork::chain(pieces));

    for (int cls = 0; cls < 8; ++cls)
        if (map.classVertices(cls) > BoundaryMap::kClassVertexLimit &&
            map.simplifyClass(cls, BoundaryMap::kClassVertexLimit) < 0) {
            error = "class " + std::to_string(cls) + " lines do not fit 65535 vertices";
            return false;
        }
    for (const BoundaryPolyline& pl : map.polylines())
        if (pl.points.size() > kMaxPolylinePoints) {
            error = "a line of more than 32767 points";
            return false;
        }
    files["CARTE.BIN2"] = map.encodeBoundaries();
    const std::string zones = map.encodeZones();
    files["CARTE.ZONES"] = std::vector<uint8_t>(zones.begin(), zones.end());
    return true;
}

}  // namespace tnx::databuilder
