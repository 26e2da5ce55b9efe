#include "boundary_map.h"

#include "platform/io/byte_io.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace tnx::databuilder {

namespace {

constexpr int kEdgeX = 18000;
constexpr int kPoleY = 8999;  // -89.99 degrees and beyond: the pole

std::vector<BoundaryPoint> fileLine(const std::vector<GeoPoint>& points) {
    std::vector<BoundaryPoint> out;
    for (const GeoPoint& p : points) {
        const BoundaryPoint q = BoundaryMap::toFile(p);
        if (out.empty() || !(out.back() == q)) out.push_back(q);
    }
    return out;
}

// A segment that only closes a ring: along the date line or the pole.
bool closingSegment(const BoundaryPoint& a, const BoundaryPoint& b) {
    if (a.x == b.x && std::abs(a.x) == kEdgeX) return true;
    return a.y == b.y && std::abs(a.y) >= kPoleY;
}

struct Run {
    bool closing = false;
    std::vector<BoundaryPoint> points;
};

// Cuts a line into runs of drawn and of closing segments; neighbouring runs
// share their joining point.
std::vector<Run> runsOf(const std::vector<BoundaryPoint>& line) {
    std::vector<Run> runs;
    for (size_t i = 0; i + 1 < line.size(); ++i) {
        const bool closing = closingSegment(line[i], line[i + 1]);
        if (runs.empty() || runs.back().closing != closing) runs.push_back({closing, {line[i]}});
        runs.back().points.push_back(line[i + 1]);
    }
    if (runs.empty()) runs.push_back({false, line});
    return runs;
}

// Cuts a line where a segment jumps across the date line (more than half
// the map wide): the first part ends on its own edge, the next begins on
// the other, both at the latitude where the segment crosses, which is
// added to `crossings`. Segments along the pole are left whole.
std::vector<std::vector<BoundaryPoint>> cutAtDateLine(const std::vector<BoundaryPoint>& line,
                                                      std::vector<int>& crossings) {
    std::vector<std::vector<BoundaryPoint>> pieces(1);
    for (size_t i = 0; i < line.size(); ++i) {
        if (i > 0) {
            const BoundaryPoint a = line[i - 1], b = line[i];
            const int dx = b.x - a.x;
            if (std::abs(dx) > kEdgeX && !(a.y == b.y && std::abs(a.y) >= kPoleY)) {
                // Eastwards over +180 when b lies far west of a, else westwards.
                const int edge = dx < 0 ? kEdgeX : -kEdgeX;
                const double bx = b.x + (dx < 0 ? 2 * kEdgeX : -2 * kEdgeX);
                int16_t y = a.y;
                if (b.x == -edge) y = b.y;
                else if (a.x != edge) y = int16_t(std::lround(a.y + (edge - a.x) / (bx - a.x) * (b.y - a.y)));
                if (!(pieces.back().back() == BoundaryPoint{int16_t(edge), y}))
                    pieces.back().push_back({int16_t(edge), y});
                pieces.push_back({{int16_t(-edge), y}});
                crossings.push_back(y);
                if (b == pieces.back().back()) continue;
            }
        }
        pieces.back().push_back(line[i]);
    }
    // A line that ends (or begins) with its crossing leaves a lone point.
    if (pieces.size() > 1)
        pieces.erase(std::remove_if(pieces.begin(), pieces.end(), [](const auto& p) { return p.size() < 2; }),
                     pieces.end());
    return pieces;
}

// The segments that close a ring cut at the date line: between crossings,
// paired from north to south, on both edges; a ring crossing an odd number
// of times goes round a pole (y = pole) and closes along it.
//
// Such a ring reaches both ends of the map, so the zone test casts its ray
// from the western edge, where a segment never counts: the western closing
// segments lie one hundredth east of the edge, where they do.
std::vector<BoundaryPolyline> closingLines(std::vector<int> ys, int pole) {
    if (ys.size() % 2 != 0) ys.push_back(pole);
    std::sort(ys.begin(), ys.end());
    std::vector<BoundaryPolyline> lines;
    for (size_t i = 0; i + 1 < ys.size(); i += 2)
        for (int edge : {kEdgeX, -kEdgeX + 1})
            lines.push_back({BoundaryMap::kCoast, {{int16_t(edge), int16_t(ys[i])}, {int16_t(edge), int16_t(ys[i + 1])}}});
    if (std::find(ys.begin(), ys.end(), pole) != ys.end())
        lines.push_back({BoundaryMap::kCoast, {{int16_t(kEdgeX), int16_t(pole)}, {int16_t(-kEdgeX + 1), int16_t(pole)}}});
    return lines;
}

}  // namespace

BoundaryPoint BoundaryMap::toFile(const GeoPoint& p) {
    const long x = std::lround(std::clamp(p.lon, -180.0, 180.0) * 100.0);
    const long y = std::lround(-std::clamp(p.lat, -90.0, 90.0) * 100.0);
    return {int16_t(x), int16_t(y)};
}

void BoundaryMap::addCountries(const TopoAtlas& atlas, const std::vector<std::vector<std::string>>& polygonCountries) {
    const auto& arcs = atlas.arcs();
    const auto& features = atlas.features();
    const size_t first = polylines_.size();
    const auto forEachPolygon = [&](auto&& visit) {
        for (size_t f = 0; f < features.size() && f < polygonCountries.size(); ++f)
            for (size_t p = 0; p < features[f].polygons.size() && p < polygonCountries[f].size(); ++p)
                visit(features[f].polygons[p], polygonCountries[f][p]);
    };

    // Which countries use each arc, and how often.
    std::vector<std::set<std::string>> users(arcs.size());
    std::vector<int> uses(arcs.size(), 0);
    forEachPolygon([&](const auto& polygon, const std::string& country) {
        for (const auto& ring : polygon)
            for (int ref : ring)
                if (const size_t a = TopoAtlas::arcOf(ref); a < arcs.size()) {
                    users[a].insert(country);
                    ++uses[a];
                }
    });

    // Arc i is polyline first + i; further pieces go after all arcs.
    std::vector<std::vector<int>> arcPolylines(arcs.size());
    std::vector<std::vector<int>> arcCrossings(arcs.size());  // y where the arc crosses the date line
    std::vector<BoundaryPolyline> extra;
    const auto add = [&](size_t a, BoundaryPolyline pl) {
        if (arcPolylines[a].empty()) {
            polylines_[first + a] = std::move(pl);
            arcPolylines[a].push_back(int(first + a));
        } else {
            arcPolylines[a].push_back(int(first + arcs.size() + extra.size()));
            extra.push_back(std::move(pl));
        }
    };
    polylines_.resize(first + arcs.size());
    for (size_t a = 0; a < arcs.size(); ++a) {
        const int cls = users[a].size() >= 2 ? kBorder : uses[a] >= 2 ? kInnerLine : kCoast;
        for (auto& piece : cutAtDateLine(fileLine(arcs[a]), arcCrossings[a])) {
            if (cls == kCoast) {
                add(a, {kCoast, std::move(piece)});
                continue;
            }
            for (Run& run : runsOf(piece)) add(a, {run.closing ? kCoast : cls, std::move(run.points)});
        }
    }
    polylines_.insert(polylines_.end(), std::make_move_iterator(extra.begin()), std::make_move_iterator(extra.end()));

    std::map<std::string, size_t> blockOf;
    std::vector<std::vector<int>*> regions;
    forEachPolygon([&](const auto& polygon, const std::string& country) {
        auto [it, added] = blockOf.emplace(country, zones_.size());
        if (added) zones_.push_back({country, {}});
        // One region per polygon: its holes (enclaves such as Lesotho)
        // belong with its outer ring so the even-odd test leaves them out.
        std::vector<int> region;
        for (const auto& ring : polygon) {
            std::vector<int> crossings;
            for (int ref : ring) {
                const size_t a = TopoAtlas::arcOf(ref);
                if (a >= arcs.size()) continue;
                region.insert(region.end(), arcPolylines[a].begin(), arcPolylines[a].end());
                crossings.insert(crossings.end(), arcCrossings[a].begin(), arcCrossings[a].end());
            }
            if (crossings.empty()) continue;
            int sumY = 0;
            for (const BoundaryPoint& q : fileLine(atlas.ringPoints(ring))) sumY += q.y > 0 ? 1 : -1;
            for (BoundaryPolyline& pl : closingLines(crossings, sumY > 0 ? 9000 : -9000)) {
                region.push_back(int(polylines_.size()));
                polylines_.push_back(std::move(pl));
            }
        }
        if (!region.empty()) {
            zones_[it->second].regions.push_back(std::move(region));
        }
    });
    countryPolylines_ = polylines_.size();
}

void BoundaryMap::addRivers(const std::vector<std::vector<GeoPoint>>& lines) {
    for (const auto& line : lines) {
        std::vector<BoundaryPoint> points = fileLine(line);
        if (points.size() >= 2) polylines_.push_back({kRiver, std::move(points)});
    }
}

size_t BoundaryMap::classVertices(int boundaryClass) const {
    size_t n = 0;
    for (const auto& pl : polylines_)
        if (pl.boundaryClass == boundaryClass) n += pl.points.size();
    return n;
}

size_t BoundaryMap::classPolylines(int boundaryClass) const {
    return size_t(std::count_if(polylines_.begin(), polylines_.end(),
                                [&](const BoundaryPolyline& pl) { return pl.boundaryClass == boundaryClass; }));
}

std::vector<uint8_t> BoundaryMap::encodeBoundaries() const {
    std::vector<uint8_t> out;
    io::ByteWriter w(out);
    for (const auto& pl : polylines_) {
        w.u16(uint16_t(int16_t(pl.points.size())));
        w.u16(uint16_t(int16_t(pl.boundaryClass * 1000)));
        for (const BoundaryPoint& p : pl.points) {
            w.u16(uint16_t(p.x));
            w.u16(uint16_t(p.y));
        }
    }
    return out;
}

std::string BoundaryMap::encodeZones() const {
    std::string out;
    for (const ZoneBlock& block : zones_) {
        out += "1 " + block.name + "\r\n";
        for (const auto& region : block.regions) {
            for (size_t i = 0; i < region.size(); ++i) {
                out += std::to_string(region[i]);
                // A line ending in a space goes on on the next line.
                const bool lineEnds = (i + 1) % kIndicesPerLine == 0 || i + 1 == region.size();
                out += lineEnds ? (i + 1 == region.size() ? "\r\n" : " \r\n") : " ";
            }
        }
        out += "E\r\n";
    }
    return out;
}

}  // namespace tnx::databuilder
