// "Terranox.ini": the head and the two records, kept as read.
// Links: tnx_settings
#include <cstddef>
#include <cstdint>

#include "settings/configuration_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tnx::settings::ConfigurationFile file;
    if (file.loadImage({data, size}) >= 0) file.assemble();
    return 0;
}
