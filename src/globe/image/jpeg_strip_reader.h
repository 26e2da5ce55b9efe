// Decodes a large JPEG a few rows at a time, so the installer can cut a world
// image into tiles without holding the whole decoded picture.
//
//   JpegStripReader r;
//   if (r.open(bytes) && r.width() > 512) {
//       std::vector<uint8_t> strip(size_t(r.width()) * 3 * 128);
//       while (r.readRows(128, strip.data()) > 0) ...
//   }
#pragma once

#include <cstdint>
#include <memory>
#include <span>

namespace tnx::globe {

class JpegStripReader {
public:
    JpegStripReader();
    ~JpegStripReader();
    JpegStripReader(const JpegStripReader&) = delete;
    JpegStripReader& operator=(const JpegStripReader&) = delete;

    // Starts on a JPEG in memory (which must stay alive while the reader is
    // open) and reads its header. False, and the reader closed, when the
    // header cannot be read.
    bool open(std::span<const uint8_t> jpeg);
    bool isOpen() const;
    int width() const { return width_; }
    int height() const { return height_; }
    // Rows delivered so far.
    int rowsRead() const { return rowsRead_; }

    // Decodes up to `rows` further rows into `dest` (RGB, 3 x width bytes per
    // row, greyscale expanded) and returns how many were decoded. After the
    // last row the decoder is finished and closed. rows = -1 finishes and
    // closes at once (returns 0). A decoding error closes the reader and
    // returns -1; a closed reader returns 0.
    int readRows(int rows, uint8_t* dest);
    void close();

private:
    struct Decoder;
    std::unique_ptr<Decoder> decoder_;
    int width_ = 0, height_ = 0, rowsRead_ = 0;
};

}  // namespace tnx::globe
