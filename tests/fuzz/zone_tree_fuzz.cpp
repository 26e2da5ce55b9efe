// "CARTE.ZONES": the zone text, against empty tables and an empty store.
// Links: tnx_geodata
#include <cstddef>
#include <cstdint>

#include "geodata/boundary_store.h"
#include "geodata/country_table.h"
#include "geodata/zone_tree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tnx::geodata::CountryTable countries;
    tnx::geodata::BoundaryStore store;
    tnx::geodata::ZoneTree zones;
    zones.load({data, size}, countries, store);
    int country = 0;
    for (int lon = -18000; lon <= 18000; lon += 4500) zones.hitTest(lon, 1000, &country);
    return 0;
}
