// .cur cursors.
// Links: tnx_platform
#include <cstddef>
#include <cstdint>

#include "platform/win/cursor_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tnx::win::parseCursorFile({data, size});
    return 0;
}
