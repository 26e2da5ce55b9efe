#include "geodata/boundary_store.h"

#include <algorithm>
#include <cmath>

#include "geodata/pack_archive.h"
#include "platform/io/byte_io.h"

namespace tnx::geodata {

namespace {

constexpr float kRadiansPerUnit = 0.00017453292f;  // one hundredth of a degree
constexpr uint32_t kMaxBatchVertices = 65536;     // what 16-bit indices reach

uint32_t classColour(int k) {
    switch (k) {
        case 2: return BoundaryStore::kBorderColour;
        case 3: return BoundaryStore::kOtherColour;
        case 7: return BoundaryStore::kRiverColour;
        default: return 0xFFFFFFFF;
    }
}

}  // namespace

uint32_t BoundaryStore::ClassBuffer::indexCount() const {
    uint32_t n = 0;
    for (const ClassBatch& b : batches) n += uint32_t(b.indices.size());
    return n;
}

bool BoundaryStore::loadFile(const ElevationLookup& elevation, std::string_view name) {
    std::vector<uint8_t> bytes;
    size_t length = 0;
    readDataFile(name, bytes, length);
    if (bytes.empty()) return false;
    load(std::span<const uint8_t>(bytes.data(), std::min(length, bytes.size())), elevation);
    return true;
}

void BoundaryStore::load(std::span<const uint8_t> file, const ElevationLookup& elevation) {
    *this = BoundaryStore();
    const int64_t words = int64_t(file.size() / 2);
    auto word = [&](int64_t i) { return int16_t(io::loadU16(file.data() + 2 * i)); };
    // A record is read when it starts more than two words before the end.
    for (int64_t at = 0; at < words - 2;) {
        int n = word(at);
        if (n < 0) break;  // a count that cannot be walked past
        Polyline p;
        p.boundaryClass = word(at + 1) / 1000;
        p.firstPoint = uint32_t(points_.size() / 2);
        p.count = uint32_t(std::min<int64_t>(n, (words - at - 2) / 2));
        for (uint32_t k = 0; k < p.count; ++k) {
            int16_t x = word(at + 2 + 2 * k), y = word(at + 3 + 2 * k);
            points_.push_back(x);
            points_.push_back(y);
            p.minX = std::min<int32_t>(p.minX, x);
            p.maxX = std::max<int32_t>(p.maxX, x);
            p.minY = std::min<int32_t>(p.minY, y);
            p.maxY = std::max<int32_t>(p.maxY, y);
        }
        largest_ = std::max(largest_, int(p.count));
        polylines_.push_back(p);
        at += 2 * int64_t(n) + 2;
    }
    for (int k = 0; k + 1 < largest_; ++k) {
        pairs_.push_back(uint16_t(k));
        pairs_.push_back(uint16_t(k + 1));
    }
    relift(elevation);
}

void BoundaryStore::relift(const ElevationLookup& elevation) {
    const size_t count = points_.size() / 2;
    plain_.resize(count);
    for (size_t i = 0; i < count; ++i) {
        float lon = float(points_[2 * i]) * kRadiansPerUnit;
        float lat = -float(points_[2 * i + 1]) * kRadiansPerUnit;
        float r = (elevation ? elevation(lon, lat) : 0.0f) + kGlobeRadius + kLift;
        float cl = std::cos(lat);
        plain_[i] = {std::cos(lon) * r * cl, r * std::sin(lat), std::sin(lon) * r * cl, 0xFFFFFFFF};
    }
    buildClasses();
}

void BoundaryStore::buildClasses() {
    for (int k = 0; k < kClassCount; ++k) {
        ClassBuffer& buffer = classes_[size_t(k)];
        buffer = ClassBuffer();
        const uint32_t colour = classColour(k);
        for (const Polyline& p : polylines_) {
            if (p.boundaryClass != k) continue;
            // A new batch whenever this polyline would not be reachable with
            // 16-bit indices from the current batch's first vertex.
            if (buffer.batches.empty() || buffer.batches.back().vertexCount + p.count > kMaxBatchVertices) {
                ClassBatch b;
                b.firstVertex = uint32_t(buffer.vertices.size());
                buffer.batches.push_back(b);
            }
            ClassBatch& batch = buffer.batches.back();
            for (uint32_t i = 0; i < p.count; ++i) {
                LineVertex v = plain_[p.firstPoint + i];
                v.colour = colour;
                buffer.vertices.push_back(v);
                if (i + 1 < p.count) {
                    batch.indices.push_back(uint16_t(batch.vertexCount + i));
                    batch.indices.push_back(uint16_t(batch.vertexCount + i + 1));
                }
            }
            batch.vertexCount += p.count;
        }
    }
}

void BoundaryStore::drawOverlay(gfx::Device& device, bool boundaries, bool rivers) const {
    device.setVertexShader(gfx::kFvfPosDiffuse);
    for (int k : {2, 3, 7}) {
        if (k == 7 ? !rivers : !boundaries) continue;
        const ClassBuffer& buffer = classes_[size_t(k)];
        for (const ClassBatch& b : buffer.batches) {
            if (b.indices.empty()) continue;
            device.drawIndexedPrimitiveUP(gfx::PrimitiveType::LineList, 0, b.vertexCount,
                                          uint32_t(b.indices.size() / 2), b.indices.data(),
                                          buffer.vertices.data() + b.firstVertex, sizeof(LineVertex));
        }
    }
}

void BoundaryStore::drawPolylines(gfx::Device& device, std::span<const int32_t> indices) const {
    device.setVertexShader(gfx::kFvfPosDiffuse);
    for (int32_t v : indices) {
        if (!valid(v)) continue;
        const Polyline& p = polylines_[size_t(v)];
        if (p.count < 2) continue;
        device.drawIndexedPrimitiveUP(gfx::PrimitiveType::LineList, 0, p.count, p.count - 1, pairs_.data(),
                                      plain_.data() + p.firstPoint, sizeof(LineVertex));
    }
}

PolylineBounds BoundaryStore::bounds(std::span<const int32_t> indices) const {
    PolylineBounds b;
    for (int32_t v : indices) {
        if (!valid(v)) continue;
        const Polyline& p = polylines_[size_t(v)];
        if (p.count == 0) continue;
        b.minX = int16_t(std::min<int32_t>(b.minX, p.minX));
        b.maxX = int16_t(std::max<int32_t>(b.maxX, p.maxX));
        b.minY = int16_t(std::min<int32_t>(b.minY, p.minY));
        b.maxY = int16_t(std::max<int32_t>(b.maxY, p.maxY));
    }
    return b;
}

int BoundaryStore::containsPoint(int x, int y, std::span<const int32_t> indices, int zoneMinX,
                                 int zoneMaxX) const {
    // The ray runs east from the point to the zone's edge; a zone touching
    // the antimeridian is tested from its western edge to the point instead,
    // so the ray never has to cross 180 degrees.
    int a = x, b = zoneMaxX;
    if (zoneMaxX > kAntimeridianEdge) {
        a = zoneMinX;
        b = x;
    }
    int crossings = 0;
    for (int32_t v : indices) {
        if (!valid(v)) continue;
        const Polyline& p = polylines_[size_t(v)];
        if (y < p.minY || y > p.maxY || p.minX > b || p.maxX < a) continue;
        const int16_t* pt = points_.data() + 2 * size_t(p.firstPoint);
        for (uint32_t k = 0; k + 1 < p.count; ++k, pt += 2) {
            int x1 = pt[0], y1 = pt[1], x2 = pt[2], y2 = pt[3];
            // Exactly one end on the upper side (y >= the ray's y): a vertex on
            // the ray counts once and a horizontal segment never.
            if ((y1 >= y) == (y2 >= y)) continue;
            if (x1 <= a && x2 <= a) continue;
            if (x1 > b && x2 > b) continue;
            int cx = x1 + int(int64_t(x2 - x1) * (y - y1) / (y2 - y1));
            if (a < cx && cx <= b) ++crossings;
        }
    }
    return crossings & 1;
}

}  // namespace tnx::geodata
