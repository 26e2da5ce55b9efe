// GPX, with and without route points, from any bytes: nothing kept from a
// refused file, every kept place on the globe.
// Links: tnx_geodata
#include <cstddef>
#include <cstdint>

#include "fuzz/site_places_check.h"
#include "geodata/site_exchange/gpx_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const tnx::geodata::PlaceList list = tnx::geodata::GpxReader::read({data, size}, size % 2 == 0);
    tnx::fuzz::checkPlaces(list);
    return 0;
}
