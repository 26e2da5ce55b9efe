// "CARTE.BIN2": the boundary polylines, then the queries the zones make.
// Links: tnx_geodata
#include <cstddef>
#include <cstdint>
#include <vector>

#include "geodata/boundary_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tnx::geodata::BoundaryStore store;
    store.load({data, size}, [](float, float) { return 0.0f; });
    std::vector<int32_t> indices = {0, 1, 2, -1, 1 << 30};
    store.bounds(indices);
    store.containsPoint(10, 10, indices, -100, 100);
    return 0;
}
