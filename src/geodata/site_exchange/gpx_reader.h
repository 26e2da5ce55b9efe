// GPX 1.0 and 1.1: the waypoints ("wpt") and, when asked, the route points
// ("rtept") with their "name", "ele" (metres) and a "population" among
// their extensions. Track points are a path, not places, and are left out.
#pragma once

#include <cstdint>
#include <span>

#include "geodata/site_exchange/place_list.h"

namespace tnx::geodata {

class GpxReader {
public:
    static PlaceList read(std::span<const uint8_t> bytes, bool routePoints);
};

}  // namespace tnx::geodata
