// KML 2.2: every Placemark with a Point, at any depth of Documents and
// Folders, with its name, its coordinates "lon,lat[,alt]" (blanks allowed
// around the commas) and an optional "population" in its ExtendedData. The
// altitude is taken when the Point's altitudeMode is "absolute"; otherwise
// the place lies on the ground, as KML means it.
#pragma once

#include <cstdint>
#include <span>

#include "geodata/site_exchange/place_list.h"

namespace tnx::geodata {

class KmlReader {
public:
    static PlaceList read(std::span<const uint8_t> bytes);
};

}  // namespace tnx::geodata
