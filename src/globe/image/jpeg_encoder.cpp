#include "globe/image/jpeg_encoder.h"

#include <algorithm>
#include <cstring>

#include "globe/image/jpeg_error_trap.h"

namespace tnx::globe {

namespace {

constexpr size_t kInitialOutput = 16384;

// A destination that grows a vector, so the caller owns the result with no
// malloc'ed buffer to free on the error path.
struct VectorDestination {
    jpeg_destination_mgr manager;  // first member: cinfo.dest is this object
    std::vector<uint8_t>* out;
};

VectorDestination* destinationOf(j_compress_ptr cinfo) {
    return reinterpret_cast<VectorDestination*>(cinfo->dest);
}

void initDestination(j_compress_ptr cinfo) {
    VectorDestination* d = destinationOf(cinfo);
    try {
        d->out->resize(std::max(d->out->capacity(), kInitialOutput));
    } catch (...) {
        d->out->clear();
    }
    if (d->out->empty()) jpegFail(reinterpret_cast<j_common_ptr>(cinfo));
    d->manager.next_output_byte = d->out->data();
    d->manager.free_in_buffer = d->out->size();
}

boolean growDestination(j_compress_ptr cinfo) {
    VectorDestination* d = destinationOf(cinfo);
    // libjpeg calls this only when the buffer is full.
    const size_t used = d->out->size();
    bool grown = true;
    try {
        d->out->resize(used * 2);
    } catch (...) {
        grown = false;
    }
    if (!grown) jpegFail(reinterpret_cast<j_common_ptr>(cinfo));
    d->manager.next_output_byte = d->out->data() + used;
    d->manager.free_in_buffer = d->out->size() - used;
    return TRUE;
}

void termDestination(j_compress_ptr cinfo) {
    VectorDestination* d = destinationOf(cinfo);
    d->out->resize(d->out->size() - d->manager.free_in_buffer);
}

struct EncodeJob {
    jpeg_compress_struct cinfo;
    JpegErrorTrap trap;
    VectorDestination destination;
};

}  // namespace

bool encodeJpeg(std::span<const uint8_t> pixels, int width, int height, int components, int quality,
                std::vector<uint8_t>& out, bool fullColourResolution) {
    if (width <= 0 || height <= 0 || pixels.size() < size_t(width) * size_t(height) * size_t(components)) {
        out.clear();
        return false;
    }
    const size_t stride = size_t(width) * size_t(components);
    return encodeJpegRows([&](int row) { return pixels.data() + size_t(row) * stride; }, width, height,
                          components, quality, out, fullColourResolution);
}

bool encodeJpegRows(const JpegRowSource& rowAt, int width, int height, int components, int quality,
                    std::vector<uint8_t>& out, bool fullColourResolution) {
    out.clear();
    if (width <= 0 || height <= 0 || width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION ||
        (components != 1 && components != 3) || !rowAt)
        return false;

    EncodeJob job;
    std::memset(&job.cinfo, 0, sizeof job.cinfo);
    job.cinfo.err = job.trap.install();
    job.destination.manager.init_destination = initDestination;
    job.destination.manager.empty_output_buffer = growDestination;
    job.destination.manager.term_destination = termDestination;
    job.destination.out = &out;
    if (setjmp(job.trap.jump)) {
        jpeg_destroy_compress(&job.cinfo);
        out.clear();
        return false;
    }
    jpeg_create_compress(&job.cinfo);
    job.cinfo.dest = &job.destination.manager;
    job.cinfo.image_width = JDIMENSION(width);
    job.cinfo.image_height = JDIMENSION(height);
    job.cinfo.input_components = components;
    job.cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&job.cinfo);
    jpeg_set_quality(&job.cinfo, std::clamp(quality, 1, 100), TRUE);
    if (fullColourResolution)
        for (int c = 0; c < job.cinfo.num_components; ++c) {
            job.cinfo.comp_info[c].h_samp_factor = 1;
            job.cinfo.comp_info[c].v_samp_factor = 1;
        }
    jpeg_start_compress(&job.cinfo, TRUE);
    while (job.cinfo.next_scanline < job.cinfo.image_height) {
        const uint8_t* bytes = rowAt(int(job.cinfo.next_scanline));
        if (!bytes) {
            jpeg_destroy_compress(&job.cinfo);
            out.clear();
            return false;
        }
        // libjpeg does not write through the row pointer.
        JSAMPROW row = const_cast<uint8_t*>(bytes);
        jpeg_write_scanlines(&job.cinfo, &row, 1);
    }
    jpeg_finish_compress(&job.cinfo);
    jpeg_destroy_compress(&job.cinfo);
    return true;
}

}  // namespace tnx::globe
