#include "geodata/zone_node.h"

#include <algorithm>

#include "geodata/boundary_store.h"

namespace tnx::geodata {

void ZoneBox::include(const ZoneBox& o) {
    minLongitude = std::min(minLongitude, o.minLongitude);
    maxLongitude = std::max(maxLongitude, o.maxLongitude);
    minLatitude = std::min(minLatitude, o.minLatitude);
    maxLatitude = std::max(maxLatitude, o.maxLatitude);
}

bool ZoneNode::holds(int longitude, int latitude, const BoundaryStore& store) const {
    if (kind == kRegion)
        return box.holdsStrictly(longitude, latitude) &&
               store.containsPoint(longitude, -latitude, indices, box.minLongitude, box.maxLongitude) == 1;
    for (const ZoneNode& region : children)
        if (region.holds(longitude, latitude, store)) return true;
    return false;
}

void ZoneNode::drawOutline(gfx::Device& device, const BoundaryStore& store) const {
    if (kind == kRegion) {
        store.drawPolylines(device, indices);
        return;
    }
    for (const ZoneNode& region : children) region.drawOutline(device, store);
}

}  // namespace tnx::geodata
