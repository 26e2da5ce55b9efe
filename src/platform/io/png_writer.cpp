#include "platform/io/png_writer.h"

#include <png.h>

#include <csetjmp>

namespace tnx::io {

namespace {

void ignoreWarning(png_structp, png_const_charp) {}

// libpng reports a failure by jumping back to the setjmp of the call that
// started the work; nothing with a destructor lives in these frames.
bool writeHeader(png_structp png, png_infop info, std::FILE* file, int width, int height) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    png_set_compression_level(png, 1);
    // Paeth alone packs these pictures as small as trying every filter on
    // every row, in less time.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_PAETH);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    return true;
}

bool writeOneRow(png_structp png, const uint8_t* rgb) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_write_row(png, rgb);
    return true;
}

bool writeEnd(png_structp png, png_infop info) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_write_end(png, info);
    return true;
}

}  // namespace

PngWriter::~PngWriter() {
    if (file_) abandon();
}

bool PngWriter::open(const std::string& path, int width, int height) {
    if (file_ || width <= 0 || height <= 0) return false;
    path_ = path;
    height_ = height;
    rowsWritten_ = 0;
    failed_ = false;
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, ignoreWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    png_ = png;
    info_ = info;
    if (!info || !writeHeader(png, info, file_, width, height)) {
        abandon();
        return false;
    }
    return true;
}

bool PngWriter::writeRow(const uint8_t* rgb) {
    if (!file_ || failed_ || rowsWritten_ >= height_ || !writeOneRow(static_cast<png_structp>(png_), rgb)) {
        failed_ = true;
        return false;
    }
    ++rowsWritten_;
    return true;
}

bool PngWriter::finish() {
    if (!file_) return false;
    if (failed_ || rowsWritten_ != height_ ||
        !writeEnd(static_cast<png_structp>(png_), static_cast<png_infop>(info_))) {
        abandon();
        return false;
    }
    auto png = static_cast<png_structp>(png_);
    auto info = static_cast<png_infop>(info_);
    png_destroy_write_struct(&png, &info);
    png_ = info_ = nullptr;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!closed) std::remove(path_.c_str());
    return closed;
}

void PngWriter::abandon() {
    auto png = static_cast<png_structp>(png_);
    auto info = static_cast<png_infop>(info_);
    if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
    png_ = info_ = nullptr;
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
        std::remove(path_.c_str());
    }
}

}  // namespace tnx::io
