// CSV from any bytes: nothing kept from a refused file, every kept place on
// the globe, and written back the places read the same.
// Links: tnx_geodata
#include <cstddef>
#include <cstdint>

#include "fuzz/site_places_check.h"
#include "geodata/site_exchange/csv_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const tnx::geodata::PlaceList list = tnx::geodata::CsvReader::read({data, size});
    tnx::fuzz::checkPlaces(list);
    tnx::fuzz::checkRoundTrip(list, tnx::geodata::SiteFormat::Csv);
    return 0;
}
