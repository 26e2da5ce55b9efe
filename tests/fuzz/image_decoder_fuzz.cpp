// JPEG images (the button and marker images, the sky): the general decoder
// with a pixel limit small enough to keep each run short.
// Links: tnx_globe_image
#include <cstddef>
#include <cstdint>
#include <vector>

#include "globe/image/image_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tnx::globe::decodeJpeg({data, size}, size_t(1) << 22);
    std::vector<uint8_t> target;
    tnx::globe::decodeJpegTo({data, size}, [&](int w, int h) -> uint8_t* {
        if (w <= 0 || h <= 0 || size_t(w) * size_t(h) > (size_t(1) << 20)) return nullptr;
        target.assign(size_t(w) * size_t(h) * 3, 0);
        return target.data();
    });
    return 0;
}
