// "site.bin", read against an empty country table (the loader adds the
// countries it names).
// Links: tnx_geodata
#include <cstddef>
#include <cstdint>

#include "geodata/city_table.h"
#include "geodata/country_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tnx::geodata::CountryTable countries;
    tnx::geodata::CityTable cities;
    cities.load({data, size}, countries);
    return 0;
}
