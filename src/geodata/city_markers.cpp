#include "geodata/city_markers.h"

#include <algorithm>
#include <cmath>

#include "geodata/city_grid.h"
#include "geodata/city_table.h"

namespace tnx::geodata {

namespace {
constexpr float kCornerU[3] = {-0.366f, 0.5f, 1.366f};
constexpr float kCornerV[3] = {1.0f, -0.5f, 1.0f};
}  // namespace

void CityMarkers::build(const CityTable& cities, const CityGrid& grid, const math::Vec3& camera, float focalLength) {
    vertices_.clear();
    batches_.clear();
    const float altitude = std::fabs(math::length(camera) - kGlobeRadius);
    const float pixel = altitude * 0.99f / std::max(focalLength, 1e-6f);  // one pixel at the surface
    const float lift = std::min(altitude * 8.0f / kGlobeRadius, 3.0f);
    const float grow = (lift + 1.0f) * 0.25f;
    const float smallest = 0.1f * pixel;
    // A point counts while it lies at most slightly beyond the horizon.
    auto inSight = [&](const math::Vec3& p) {
        math::Vec3 toCamera = camera - p;
        return math::dot(toCamera, p) / std::sqrt(math::lengthSq(toCamera) + 1e-5f) >= -0.02f * kGlobeRadius;
    };
    // Near the surface the horizon can lie inside a cell whose centre is far
    // beyond it: such a cell counts too when its farthest corner may be in
    // sight.
    const float distance = math::length(camera);
    const math::Vec3 nadir = distance > 0 ? camera / distance : math::Vec3{0, 1, 0};
    const float horizonAngle = distance > kGlobeRadius ? std::acos(kGlobeRadius / distance) : 0.0f;
    for (int index : grid.occupiedCells()) {
        const CityGrid::Cell& cell = grid.cell(index);
        if (!inSight(cell.centre)) {
            float reach = horizonAngle + cell.radius + kCellMargin;
            if (reach < math::kPi && math::dot(nadir, cell.centre) / kGlobeRadius < std::cos(reach)) continue;
        }
        Batch batch;
        batch.firstVertex = uint32_t(vertices_.size());
        for (int32_t id : cell.cities) {
            const CityRecord& c = cities[id];
            float s = c.markerSize;
            if (s < smallest) break;
            // A city beyond the horizon would show through the globe.
            if (!inSight(c.position)) continue;
            float length;
            uint32_t colour = c.colour;
            if (s < pixel) {
                length = (pixel + 0.0125f * lift) * grow;
                colour = (colour & 0x00FFFFFF) | (uint32_t(s / pixel * 255.0f) << 24);
            } else {
                length = (s + 0.0125f * lift) * grow;
            }
            for (int k = 0; k < 3; ++k) {
                math::Vec3 p = c.position + c.corners[size_t(k)] * length;
                vertices_.push_back({p.x, p.y, p.z, colour, kCornerU[k], kCornerV[k]});
            }
            ++batch.triangles;
        }
        if (batch.triangles) batches_.push_back(batch);
    }
}

void CityMarkers::draw(gfx::Device& device) const {
    for (const Batch& b : batches_)
        device.drawPrimitiveUP(gfx::PrimitiveType::TriangleList, b.triangles, vertices_.data() + b.firstVertex,
                               sizeof(MarkerVertex));
}

}  // namespace tnx::geodata
