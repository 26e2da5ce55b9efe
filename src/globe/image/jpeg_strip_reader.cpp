#include "globe/image/jpeg_strip_reader.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "globe/image/jpeg_error_trap.h"

namespace tnx::globe {

// Trivially destructible, so a jump back to a setjmp skips nothing.
struct JpegStripReader::Decoder {
    jpeg_decompress_struct cinfo;
    JpegErrorTrap trap;
    bool started = false;
};

namespace {
constexpr int kRowsPerCall = 16;
}

JpegStripReader::JpegStripReader() = default;
JpegStripReader::~JpegStripReader() { close(); }

bool JpegStripReader::isOpen() const { return decoder_ != nullptr; }

bool JpegStripReader::open(std::span<const uint8_t> jpeg) {
    close();
    width_ = height_ = rowsRead_ = 0;
    if (jpeg.empty() || jpeg.size() > ULONG_MAX) return false;
    decoder_ = std::make_unique<Decoder>();
    Decoder* d = decoder_.get();
    std::memset(&d->cinfo, 0, sizeof d->cinfo);
    d->cinfo.err = d->trap.install();
    if (setjmp(d->trap.jump)) {
        close();
        return false;
    }
    jpeg_create_decompress(&d->cinfo);
    jpeg_mem_src(&d->cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&d->cinfo, TRUE);
    d->cinfo.out_color_space = d->cinfo.num_components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    width_ = int(d->cinfo.image_width);
    height_ = int(d->cinfo.image_height);
    return true;
}

int JpegStripReader::readRows(int rows, uint8_t* dest) {
    if (!decoder_) return 0;
    if (rows < 0) {
        close();
        return 0;
    }
    if (rows == 0 || !dest) return 0;
    Decoder* d = decoder_.get();
    if (setjmp(d->trap.jump)) {
        close();
        return -1;
    }
    if (!d->started) {
        jpeg_start_decompress(&d->cinfo);
        d->started = true;
        if (d->cinfo.output_components != 1 && d->cinfo.output_components != 3)
            jpegFail(reinterpret_cast<j_common_ptr>(&d->cinfo));
    }
    const bool grey = d->cinfo.output_components == 1;
    const size_t stride = size_t(width_) * 3;
    int done = 0;
    JSAMPROW rowPointers[kRowsPerCall];
    while (done < rows && d->cinfo.output_scanline < d->cinfo.output_height) {
        const int want = std::min({kRowsPerCall, rows - done, int(d->cinfo.output_height - d->cinfo.output_scanline)});
        for (int i = 0; i < want; ++i) rowPointers[i] = dest + size_t(done + i) * stride;
        const int got = int(jpeg_read_scanlines(&d->cinfo, rowPointers, JDIMENSION(want)));
        if (got == 0) jpegFail(reinterpret_cast<j_common_ptr>(&d->cinfo));
        if (grey)
            for (int i = 0; i < got; ++i)
                for (int x = width_ - 1; x >= 0; --x)
                    rowPointers[i][3 * x] = rowPointers[i][3 * x + 1] = rowPointers[i][3 * x + 2] = rowPointers[i][x];
        done += got;
    }
    rowsRead_ += done;
    if (d->cinfo.output_scanline >= d->cinfo.output_height) {
        jpeg_finish_decompress(&d->cinfo);
        close();
    }
    return done;
}

void JpegStripReader::close() {
    if (!decoder_) return;
    jpeg_destroy_decompress(&decoder_->cinfo);
    decoder_.reset();
}

}  // namespace tnx::globe
