// KML from any bytes: nothing kept from a refused file, every kept place
// on the globe.
// Links: tnx_geodata
#include <cstddef>
#include <cstdint>

#include "fuzz/site_places_check.h"
#include "geodata/site_exchange/kml_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const tnx::geodata::PlaceList list = tnx::geodata::KmlReader::read({data, size});
    tnx::fuzz::checkPlaces(list);
    return 0;
}
