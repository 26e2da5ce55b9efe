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

    notes_.clear();
    std::vector<std::vector<std::string>> polygonCountries;
    size_t matched = 0;
    std::string unmatched;
    for (const AtlasFeature& f : atlas.features()) {
        std::vector<std::string> countries;
        bool known = !f.polygons.empty();
        for (const auto& polygon : f.polygons) {
            const GeoPoint c = centreOf(polygon.empty() ? std::vector<GeoPoint>{} : atlas.ringPoints(polygon.front()));
            const auto match = bridge.resolve(f.id, f.name, c.lat, c.lon);
            known = known && match.entry >= 0;
            countries.push_back(Cp1252Text::fromUtf8(match.name));
        }
        if (known) ++matched;
        else unmatched += (unmatched.empty() ? "" : ", ") + f.name;
        polygonCountries.push_back(std::move(countries));
    }
    notes_.push_back(std::to_string(matched) + " of " + std::to_string(atlas.features().size()) +
                     " atlas countries are Factbook entities; not: " + unmatched);
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
    notes_.push_back(std::to_string(pieces.size()) + " river pieces of levels 1 to " + std::to_string(kMaxRiverLevel) +
                     " chained into " + std::to_string(map.classPolylines(BoundaryMap::kRiver)) + " rivers");

    // Each class is drawn from one buffer with 16-bit indices.
    for (int cls = 0; cls < 8; ++cls)
        if (map.classVertices(cls) > BoundaryMap::kClassVertexLimit) {
            error = "class " + std::to_string(cls) + " lines have " + std::to_string(map.classVertices(cls)) +
                    " points, more than 65535";
            return false;
        }
    for (const BoundaryPolyline& pl : map.polylines())
        if (pl.points.size() > kMaxPolylinePoints) {
            error = "a line of more than 32767 points";
            return false;
        }
    notes_.push_back(std::to_string(map.zones().size()) + " zones, " + std::to_string(map.countryPolylines()) +
                     " country lines, " + std::to_string(map.classPolylines(BoundaryMap::kRiver)) + " rivers");
    for (int cls : {BoundaryMap::kCoast, BoundaryMap::kBorder, BoundaryMap::kInnerLine, BoundaryMap::kRiver})
        notes_.push_back("class " + std::to_string(cls) + ": " + std::to_string(map.classPolylines(cls)) +
                         " lines, " + std::to_string(map.classVertices(cls)) + " points");
    files["CARTE.BIN2"] = map.encodeBoundaries();
    const std::string zones = map.encodeZones();
    files["CARTE.ZONES"] = std::vector<uint8_t>(zones.begin(), zones.end());
    return true;
}

}  // namespace tnx::databuilder
