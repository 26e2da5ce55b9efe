#include "image_jpeg.h"

#include "globe/image/jpeg_encoder.h"

#include <QImage>

#include <cstring>

namespace tnx::databuilder {

std::vector<uint8_t> jpegOf(const QImage& image, int quality) {
    if (image.isNull()) return {};
    const bool grey = image.format() == QImage::Format_Grayscale8;
    const QImage src = grey ? image : image.convertToFormat(QImage::Format_RGB888);
    const int components = grey ? 1 : 3;
    // QImage pads rows to four bytes; the encoder wants them packed.
    const size_t rowBytes = size_t(src.width()) * size_t(components);
    std::vector<uint8_t> pixels(rowBytes * size_t(src.height()));
    for (int y = 0; y < src.height(); ++y)
        std::memcpy(pixels.data() + rowBytes * size_t(y), src.constScanLine(y), rowBytes);
    std::vector<uint8_t> out;
    if (!globe::encodeJpeg(pixels, src.width(), src.height(), components, quality, out)) return {};
    return out;
}

}  // namespace tnx::databuilder
