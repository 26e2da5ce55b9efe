#include "settings/globe_configuration.h"

#include <cstdlib>

namespace tnx::settings {

GlobeConfiguration GlobeConfiguration::defaults() {
    GlobeConfiguration c;
    for (auto& b : c.bandColors) {
        uint32_t hi = uint32_t(std::rand() & 0x7FFF), lo = uint32_t(std::rand() & 0x7FFF);
        b = ((hi << 9) | lo) & 0xFFFFFF;
    }
    return c;
}

}  // namespace tnx::settings
