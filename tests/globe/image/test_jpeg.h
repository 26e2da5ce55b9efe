// Test images: pixel patterns and JPEGs made with libjpeg directly, so the
// decoders are checked against the library rather than against our encoder.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace tnx::test {

inline std::vector<uint8_t> makeJpeg(const std::vector<uint8_t>& pixels, int width, int height, int components,
                                     int quality = 95, bool progressive = false, bool fullColour = false) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (progressive) jpeg_simple_progression(&cinfo);
    if (fullColour)
        for (int c = 0; c < cinfo.num_components; ++c) cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(pixels.data()) + size_t(cinfo.next_scanline) * width * components;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<uint8_t> out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

// A smooth colour pattern that JPEG keeps well.
inline std::vector<uint8_t> smoothRgb(int width, int height) {
    std::vector<uint8_t> p(size_t(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* px = &p[(size_t(y) * width + x) * 3];
            px[0] = uint8_t(40 + x * 160 / width);
            px[1] = uint8_t(30 + y * 180 / height);
            px[2] = uint8_t(120 + (x + y) * 100 / (width + height));
        }
    return p;
}

inline std::vector<uint8_t> flatRgb(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> p(size_t(width) * height * 3);
    for (size_t i = 0; i < p.size(); i += 3) {
        p[i] = r;
        p[i + 1] = g;
        p[i + 2] = b;
    }
    return p;
}

}  // namespace tnx::test
