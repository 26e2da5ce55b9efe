// "pref.ini": the keyed store read from its file, then the records the
// program reads out of it: the saved camera locations ("saveccamera").
// Links: tnx_camera
#include <cstddef>
#include <cstdint>

#include "camera/saved_locations.h"
#include "fuzz/fuzz_file.h"
#include "settings/preferences_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tnx::fuzz::MemoryFile file(data, size);
    if (!file.ok()) return 0;
    tnx::settings::PreferencesStore store;
    store.open(file.path());
    tnx::camera::SavedLocations locations;
    locations.load(store);
    uint8_t buffer[64];
    uint32_t length = sizeof buffer;
    store.getBinary("position", buffer, &length);
    store.serialize();
    return 0;
}
