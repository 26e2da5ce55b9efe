// "star.bin".
// Links: tnx_globe_sky
#include <cstddef>
#include <cstdint>

#include "globe/sky/star_field.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tnx::globe::StarField stars;
    stars.load({data, size});
    return 0;
}
