#include "image_scaling.h"

#include <algorithm>
#include <cmath>

#include "globe/image/jpeg_encoder.h"

namespace tnx::databuilder {

bool halvedJpeg(const globe::RgbImage& src, int quality, std::vector<uint8_t>& out) {
    const int sw = src.width, w = sw / 2, h = src.height / 2;
    if (w < 1 || h < 1) return false;
    std::vector<uint8_t> row(size_t(w) * 3);
    auto rowAt = [&](int y) -> const uint8_t* {
        const uint8_t* r0 = src.pixels.data() + size_t(2 * y) * sw * 3;
        const uint8_t* r1 = r0 + size_t(sw) * 3;
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) {
                const int sum = r0[6 * x + c] + r0[6 * x + 3 + c] + r1[6 * x + c] + r1[6 * x + 3 + c];
                row[size_t(x) * 3 + c] = uint8_t((sum + 2) / 4);
            }
        return row.data();
    };
    return globe::encodeJpegRows(rowAt, w, h, 3, quality, out, /*fullColourResolution=*/true);
}

bool doubledJpeg(const globe::RgbImage& src, int quality, std::vector<uint8_t>& out) {
    const int sw = src.width, sh = src.height, w = sw * 2, h = sh * 2;
    if (sw < 2 || sh < 2) return false;
    std::vector<uint8_t> row(size_t(w) * 3);
    auto rowAt = [&](int y) -> const uint8_t* {
        uint8_t* dst = row.data();
        double sy = std::clamp((y + 0.5) / 2.0 - 0.5, 0.0, double(sh - 1));
        int y0 = std::min(int(sy), sh - 2);
        double fy = sy - y0;
        const uint8_t* r0 = src.pixels.data() + size_t(y0) * sw * 3;
        const uint8_t* r1 = r0 + size_t(sw) * 3;
        for (int x = 0; x < w; ++x) {
            double sx = (x + 0.5) / 2.0 - 0.5;
            int x0 = int(std::floor(sx));
            double fx = sx - x0;
            int xa = (x0 + sw) % sw, xb = (x0 + 1) % sw;
            for (int c = 0; c < 3; ++c) {
                double top = r0[xa * 3 + c] * (1 - fx) + r0[xb * 3 + c] * fx;
                double bottom = r1[xa * 3 + c] * (1 - fx) + r1[xb * 3 + c] * fx;
                dst[x * 3 + c] = uint8_t(std::lround(top * (1 - fy) + bottom * fy));
            }
        }
        return dst;
    };
    return globe::encodeJpegRows(rowAt, w, h, 3, quality, out, /*fullColourResolution=*/true);
}

}  // namespace tnx::databuilder
