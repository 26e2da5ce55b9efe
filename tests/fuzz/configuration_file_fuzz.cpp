// "Terranox.ini": the head, the globe configuration's record, the music
// configuration's record with its two lists and the time-lapse record.
// Links: tnx_settings
#include <cstddef>
#include <cstdint>

#include "settings/configuration.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tnx::settings::Configuration config;
    if (config.file().loadImage({data, size}) >= 0) config.file().assemble();
    return 0;
}
