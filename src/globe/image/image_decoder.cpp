#include "globe/image/image_decoder.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "geodata/pack_archive.h"
#include "globe/image/jpeg_error_trap.h"

namespace tnx::globe {

namespace {

constexpr size_t kMaxNameStem = 256;
constexpr int kRowsPerCall = 16;

// Spreads each grey byte of a row over three channels, back to front so the
// row can be expanded in place.
void expandGreyRow(uint8_t* row, int width) {
    for (int x = width - 1; x >= 0; --x) {
        uint8_t v = row[x];
        row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = v;
    }
}

// Everything here is trivially destructible so a jump back to the setjmp
// skips no destructor.
struct DecodeJob {
    jpeg_decompress_struct cinfo;
    JpegErrorTrap trap;
};

}  // namespace

bool decodeJpegTo(std::span<const uint8_t> jpeg, const std::function<uint8_t*(int, int)>& target) {
    if (jpeg.empty() || jpeg.size() > ULONG_MAX) return false;
    DecodeJob job;
    std::memset(&job.cinfo, 0, sizeof job.cinfo);
    job.cinfo.err = job.trap.install();
    if (setjmp(job.trap.jump)) {
        jpeg_destroy_decompress(&job.cinfo);  // safe on a half-created object
        return false;
    }
    jpeg_create_decompress(&job.cinfo);
    jpeg_mem_src(&job.cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&job.cinfo, TRUE);
    job.cinfo.out_color_space = job.cinfo.num_components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_start_decompress(&job.cinfo);

    const int width = int(job.cinfo.output_width), height = int(job.cinfo.output_height);
    const int components = job.cinfo.output_components;
    if (components != 1 && components != 3) jpegFail(reinterpret_cast<j_common_ptr>(&job.cinfo));
    uint8_t* out = nullptr;
    try {
        out = target(width, height);
    } catch (...) {
        out = nullptr;
    }
    if (!out) jpegFail(reinterpret_cast<j_common_ptr>(&job.cinfo));

    const size_t stride = size_t(width) * 3;
    JSAMPROW rows[kRowsPerCall];
    while (job.cinfo.output_scanline < job.cinfo.output_height) {
        const JDIMENSION first = job.cinfo.output_scanline;
        const int want = std::min<int>(kRowsPerCall, int(job.cinfo.output_height - first));
        for (int i = 0; i < want; ++i) rows[i] = out + (first + i) * stride;
        const JDIMENSION got = jpeg_read_scanlines(&job.cinfo, rows, JDIMENSION(want));
        if (got == 0) jpegFail(reinterpret_cast<j_common_ptr>(&job.cinfo));
        if (components == 1)
            for (JDIMENSION i = 0; i < got; ++i) expandGreyRow(rows[i], width);
    }
    jpeg_finish_decompress(&job.cinfo);
    jpeg_destroy_decompress(&job.cinfo);
    return true;
}

RgbImage decodeJpeg(std::span<const uint8_t> jpeg, size_t maxPixels) {
    RgbImage image;
    bool ok = decodeJpegTo(jpeg, [&](int width, int height) -> uint8_t* {
        if (width <= 0 || height <= 0 || size_t(width) * size_t(height) > maxPixels) return nullptr;
        image.pixels.resize(size_t(width) * size_t(height) * 3);
        image.width = width;
        image.height = height;
        return image.pixels.data();
    });
    if (!ok) return {};
    return image;
}

std::string imageFileName(std::string_view name) {
    std::string_view stem = name.substr(0, name.find('.'));
    if (stem.size() > kMaxNameStem) return {};
    return std::string(stem) + ".jpg";
}

RgbImage decodeImage(std::string_view name) {
    std::string file = imageFileName(name);
    if (file.empty()) return {};
    std::vector<uint8_t> bytes;
    size_t length = 0;
    if (geodata::readDataFile(file, bytes, length) == geodata::PackArchive::kNotFound) return {};
    return decodeJpeg(std::span<const uint8_t>(bytes.data(), length));
}

}  // namespace tnx::globe
