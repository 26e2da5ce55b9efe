// GeoJSON: the Point features of a FeatureCollection, a single Feature or
// a bare Point geometry, with "name", "population" and "elevation" (or
// "ele") among the properties; a third coordinate is the altitude in metres.
#pragma once

#include <cstdint>
#include <span>

#include "geodata/site_exchange/place_list.h"

namespace tnx::geodata {

class GeoJsonReader {
public:
    static PlaceList read(std::span<const uint8_t> bytes);
};

}  // namespace tnx::geodata
