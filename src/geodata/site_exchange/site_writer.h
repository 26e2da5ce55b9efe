// The user's sites written for other programs: KML 2.2, GPX 1.1, GeoJSON
// or CSV, UTF-8, coordinates to 6 decimals, altitudes in metres. Each reads
// back with its reader to the same places, population included (KML's
// ExtendedData, a GPX extension, a GeoJSON property, a CSV column).
#pragma once

#include <cstdint>
#include <vector>

#include "geodata/site_exchange/place_list.h"
#include "geodata/site_exchange/site_format.h"

namespace tnx::geodata {

class SiteWriter {
public:
    static constexpr const char* kGpxExtensionNamespace = "urn:terranox:sites:1";

    static std::vector<uint8_t> write(SiteFormat format, const std::vector<SitePlace>& places);
};

}  // namespace tnx::geodata
