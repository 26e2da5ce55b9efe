// "saveccamera": the list of named views, 96-byte entries.
// Links: tnx_camera
#include <cstddef>
#include <cstdint>

#include "camera/saved_locations.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tnx::camera::SavedLocations locations;
    if (locations.parse({data, size})) {
        for (size_t i = 0; i < locations.count(); ++i) locations.listLine(i);
        locations.serialize();
    }
    return 0;
}
