// Writes an RGB picture to a PNG file a row at a time, so that the picture
// never has to be held whole. zlib level 1: a snapshot's file is about a
// tenth larger than at zlib's default and is written five times faster.
//
//   PngWriter png;
//   if (png.open(path, width, height))
//       for (each row, top first) png.writeRow(rgb);
//   bool ok = png.finish();  // a file that failed is removed
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace tnx::io {

class PngWriter {
public:
    PngWriter() = default;
    ~PngWriter();
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    // Creates the file and writes the header; false when that failed.
    bool open(const std::string& path, int width, int height);
    // One row of width x 3 bytes (red, green, blue), rows top first.
    bool writeRow(const uint8_t* rgb);
    // Ends the file. False when anything failed or rows are missing.
    bool finish();

private:
    void abandon();

    std::string path_;
    std::FILE* file_ = nullptr;
    void* png_ = nullptr;   // png_structp
    void* info_ = nullptr;  // png_infop
    int height_ = 0, rowsWritten_ = 0;
    bool failed_ = false;
};

}  // namespace tnx::io
