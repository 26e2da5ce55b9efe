#include "globe/terrain/tile_codec.h"

#include <algorithm>
#include <cstring>

#include "globe/terrain/tile_file.h"

namespace tnx::globe {

namespace {
constexpr size_t kMaxPacket = 127;

// Splits interleaved samples into planes, or joins them back.
void toPlanes(std::span<const uint8_t> in, uint8_t* out, int n) {
    size_t count = in.size() / size_t(n);
    for (int j = 0; j < n; ++j) {
        uint8_t* plane = out + size_t(j) * count;
        const uint8_t* src = in.data() + j;
        for (size_t i = 0; i < count; ++i) plane[i] = src[i * size_t(n)];
    }
}

void fromPlanes(const uint8_t* in, std::span<uint8_t> out, int n) {
    size_t count = out.size() / size_t(n);
    for (int j = 0; j < n; ++j) {
        const uint8_t* plane = in + size_t(j) * count;
        uint8_t* dst = out.data() + j;
        for (size_t i = 0; i < count; ++i) dst[i * size_t(n)] = plane[i];
    }
}
}  // namespace

int tileSampleBytes(size_t byteCount) {
    if (byteCount > 0 && byteCount % size_t(kTileSampleCount) == 0) return int(byteCount / size_t(kTileSampleCount));
    return 1;
}

void encodeRunLength(std::span<const uint8_t> d, std::vector<uint8_t>& out) {
    out.clear();
    out.reserve(d.size() + d.size() / kMaxPacket + 2);
    const size_t n = d.size();
    size_t i = 0;
    while (i < n) {
        size_t run = 1;
        while (i + run < n && run < kMaxPacket && d[i + run] == d[i]) ++run;
        if (run >= 2) {
            out.push_back(uint8_t(run));
            out.push_back(d[i]);
            i += run;
            continue;
        }
        size_t start = i;
        while (i < n && i - start < kMaxPacket) {
            if (i + 2 < n && d[i] == d[i + 1] && d[i + 1] == d[i + 2]) break;
            ++i;
        }
        size_t len = i - start;
        out.push_back(uint8_t(-int(len)));
        out.insert(out.end(), d.begin() + std::ptrdiff_t(start), d.begin() + std::ptrdiff_t(i));
    }
}

bool decodeRunLength(std::span<const uint8_t> coded, std::span<uint8_t> data) {
    size_t in = 0, out = 0;
    const size_t inEnd = coded.size(), outEnd = data.size();
    while (out < outEnd) {
        if (in >= inEnd) return false;
        int n = int8_t(coded[in++]);
        if (n <= 0) {
            size_t len = size_t(-n);
            if (len > inEnd - in || len > outEnd - out) return false;
            std::memcpy(data.data() + out, coded.data() + in, len);
            in += len;
            out += len;
        } else {
            if (in >= inEnd || size_t(n) > outEnd - out) return false;
            std::memset(data.data() + out, coded[in++], size_t(n));
            out += size_t(n);
        }
    }
    return true;
}

void encodeRunLengthPlanes(std::span<const uint8_t> tile, std::vector<uint8_t>& out) {
    int n = tileSampleBytes(tile.size());
    if (n == 1) {
        encodeRunLength(tile, out);
        return;
    }
    std::vector<uint8_t> planes(tile.size());
    toPlanes(tile, planes.data(), n);
    encodeRunLength(planes, out);
}

bool decodeRunLengthPlanes(std::span<const uint8_t> coded, std::span<uint8_t> tile) {
    int n = tileSampleBytes(tile.size());
    if (n == 1) return decodeRunLength(coded, tile);
    std::vector<uint8_t> planes(tile.size());
    if (!decodeRunLength(coded, planes)) return false;
    fromPlanes(planes.data(), tile, n);
    return true;
}

}  // namespace tnx::globe
