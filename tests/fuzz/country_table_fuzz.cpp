// "country.bin".
// Links: tnx_geodata
#include <cstddef>
#include <cstdint>

#include "geodata/country_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tnx::geodata::CountryTable countries;
    countries.load({data, size});
    return 0;
}
