// The installer's world image, read a strip at a time: the header, then
// rows in strips until the end or an error, with a pixel limit small enough
// to keep each run short.
// Links: tnx_globe_image
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "globe/image/jpeg_strip_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tnx::globe::JpegStripReader reader;
    if (!reader.open({data, size})) return 0;
    if (reader.width() <= 0 || reader.height() <= 0) std::abort();
    if (int64_t(reader.width()) * reader.height() > 4096 * 4096) return 0;
    constexpr int kStrip = 16;
    std::vector<uint8_t> strip(size_t(reader.width()) * 3 * kStrip);
    int rows = 0;
    for (int n; (n = reader.readRows(kStrip, strip.data())) > 0;) {
        if (n > kStrip) std::abort();
        rows += n;
    }
    if (rows > reader.height()) std::abort();
    return 0;
}
