// "usersite.bin": parsed, then written back and parsed again; the second
// reading must keep every record the first one kept.
// Links: tnx_geodata
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "geodata/user_site_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tnx::geodata::UserSiteStore store;
    int kept = store.load({data, size});
    std::vector<uint8_t> again = store.serialise(0);
    tnx::geodata::UserSiteStore reread;
    if (reread.load(again) != kept) std::abort();
    return 0;
}
