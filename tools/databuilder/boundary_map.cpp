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

double distanceToSegment(const BoundaryPoint& p, const BoundaryPoint& a, const BoundaryPoint& b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    const double ex = a.x + t * dx - p.x, ey = a.y + t * dy - p.y;
    return std::sqrt(ex * ex + ey * ey);
}

void douglasPeucker(const std::vector<BoundaryPoint>& line, size_t first, size_t last, double tolerance,
                    std::vector<bool>& keep) {
    if (last <= first + 1) return;
    double worst = -1;
    size_t at = first;
    for (size_t i = first + 1; i < last; ++i) {
        const double d = distanceToSegment(line[i], line[first], line[last]);
        if (d > worst) {
            worst = d;
            at = i;
        }
    }
    if (worst <= tolerance) return;
    keep[at] = true;
    douglasPeucker(line, first, at, tolerance, keep);
    douglasPeucker(line, at, last, tolerance, keep);
}

std::vector<BoundaryPoint> thinned(const std::vector<BoundaryPoint>& line, double tolerance) {
    if (tolerance <= 0 || line.size() < 3) return line;
    std::vector<bool> keep(line.size(), false);
    keep.front() = keep.back() = true;
    // A closed line (first point = last) is split at its farthest point so
    // it keeps an area.
    size_t mid = line.size() - 1;
    if (line.front() == line.back()) {
        double far = -1;
        for (size_t i = 1; i + 1 < line.size(); ++i) {
            const double d = std::hypot(double(line[i].x - line[0].x), double(line[i].y - line[0].y));
            if (d > far) {
                far = d;
                mid = i;
            }
        }
        keep[mid] = true;
    }
    douglasPeucker(line, 0, mid, tolerance, keep);
    douglasPeucker(line, mid, line.size() - 1, tolerance, keep);
    std::vector<BoundaryPoint> out;
    for (size_t i = 0; i < line.size(); ++i)
        if (keep[i]) out.push_back(line[i]);
    return out;
}

}  // namespace

BoundaryPoint BoundaryMap::toFile(const GeoPoint& p) {
    const long x = std::lround(std::clamp(p.lon, -180.0, 180.0) * 100.0);
    const long y = std::lround(-std::clamp(p.lat, -90.0, 90.0) * 100.0);
    return {int16_t(x), int16_t(y)};
}

void BoundaryMap::addCountries(const TopoAtlas& atlas, const std::vector<std::vector<std::string>>& polygonCountries) {
    const auto& arcs = atlas.arcs();
    const size_t first = polylines_.size();

    // Which countries use each arc, and how often.
    std::vector<std::set<std::string>> users(arcs.size());
    std::vector<int> uses(arcs.size(), 0);
    // Arcs of rings that go once round the globe (Antarctica): the ring's
    // edge at -180 is where the zone test's ray starts, and a segment there
    // is never counted; one hundredth east of it, it is.
    std::vector<bool> wholeTurn(arcs.size(), false);
    const auto& features = atlas.features();
    for (size_t f = 0; f < features.size() && f < polygonCountries.size(); ++f)
        for (size_t p = 0; p < features[f].polygons.size() && p < polygonCountries[f].size(); ++p)
            for (const auto& ring : features[f].polygons[p]) {
                int minX = kEdgeX, maxX = -kEdgeX;
                for (const BoundaryPoint& q : fileLine(atlas.ringPoints(ring))) {
                    minX = std::min<int>(minX, q.x);
                    maxX = std::max<int>(maxX, q.x);
                }
                for (int ref : ring) {
                    const size_t a = TopoAtlas::arcOf(ref);
                    if (a >= arcs.size()) continue;
                    users[a].insert(polygonCountries[f][p]);
                    ++uses[a];
                    if (minX == -kEdgeX && maxX > 17994) wholeTurn[a] = true;
                }
            }

    // Arc i is polyline first + i; cut-off runs go after all arcs.
    std::vector<std::vector<int>> arcPolylines(arcs.size());
    std::vector<BoundaryPolyline> extra;
    polylines_.resize(first + arcs.size());
    for (size_t a = 0; a < arcs.size(); ++a) {
        const int cls = users[a].size() >= 2 ? kBorder : uses[a] >= 2 ? kInnerLine : kCoast;
        std::vector<BoundaryPoint> line = fileLine(arcs[a]);
        std::vector<Run> runs = cls == kCoast ? std::vector<Run>{{false, line}} : runsOf(line);
        for (Run& run : runs) {
            if (wholeTurn[a])
                for (BoundaryPoint& q : run.points)
                    if (q.x == -kEdgeX) q.x = -kEdgeX + 1;
            BoundaryPolyline pl{run.closing ? kCoast : cls, std::move(run.points)};
            if (arcPolylines[a].empty()) {
                polylines_[first + a] = std::move(pl);
                arcPolylines[a].push_back(int(first + a));
            } else {
                arcPolylines[a].push_back(int(first + arcs.size() + extra.size()));
                extra.push_back(std::move(pl));
            }
        }
    }
    polylines_.insert(polylines_.end(), std::make_move_iterator(extra.begin()), std::make_move_iterator(extra.end()));
    countryPolylines_ = polylines_.size();

    std::map<std::string, size_t> blockOf;
    for (size_t f = 0; f < features.size() && f < polygonCountries.size(); ++f)
        for (size_t p = 0; p < features[f].polygons.size() && p < polygonCountries[f].size(); ++p) {
            const std::string& name = polygonCountries[f][p];
            auto [it, added] = blockOf.emplace(name, zones_.size());
            if (added) zones_.push_back({name, {}});
            // One region per polygon: its holes (enclaves such as Lesotho)
            // belong with its outer ring so the even-odd test leaves them out.
            std::vector<int> region;
            for (const auto& ring : features[f].polygons[p])
                for (int ref : ring) {
                    const size_t a = TopoAtlas::arcOf(ref);
                    if (a < arcs.size()) region.insert(region.end(), arcPolylines[a].begin(), arcPolylines[a].end());
                }
            if (!region.empty()) zones_[it->second].regions.push_back(std::move(region));
        }
}

void BoundaryMap::addRivers(const std::vector<std::vector<GeoPoint>>& lines) {
    for (const auto& line : lines) {
        std::vector<BoundaryPoint> points = fileLine(line);
        if (points.size() >= 2) polylines_.push_back({kRiver, std::move(points)});
    }
}

int BoundaryMap::simplifyClass(int boundaryClass, size_t maxVertices) {
    std::vector<size_t> members;
    for (size_t i = 0; i < polylines_.size(); ++i)
        if (polylines_[i].boundaryClass == boundaryClass) members.push_back(i);
    for (int tolerance : {0, 1, 2, 3, 4, 6, 8, 12, 16, 24, 32, 48, 64}) {
        size_t total = 0;
        std::vector<std::vector<BoundaryPoint>> lines;
        for (size_t i : members) {
            lines.push_back(thinned(polylines_[i].points, tolerance));
            total += lines.back().size();
        }
        if (total > maxVertices) continue;
        for (size_t k = 0; k < members.size(); ++k) polylines_[members[k]].points = std::move(lines[k]);
        return tolerance;
    }
    return -1;
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
