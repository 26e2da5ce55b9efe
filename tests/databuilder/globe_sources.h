// Small stand-ins for the globe's sources: a netCDF classic elevation grid,
// a TopoJSON atlas and a world image, shaped like the real ones.
#pragma once

#include <cstdint>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "globe/image/jpeg_encoder.h"

namespace tnx::test {

// A CDF-1 file with dimensions X and Y and the float variable ROSE(Y, X),
// rows from the south pole, columns from longitude 0.
inline std::vector<uint8_t> netcdfGrid(int columns, int rows, const std::vector<float>& metres) {
    std::vector<uint8_t> out;
    auto u32 = [&](uint32_t v) {
        for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
    };
    auto name = [&](const std::string& n) {
        u32(uint32_t(n.size()));
        out.insert(out.end(), n.begin(), n.end());
        while (out.size() % 4) out.push_back(0);
    };
    out.insert(out.end(), {'C', 'D', 'F', 1});
    u32(0);
    u32(0x0A), u32(2);
    name("X"), u32(uint32_t(columns));
    name("Y"), u32(uint32_t(rows));
    // One global attribute, to be skipped.
    u32(0x0C), u32(1);
    name("history"), u32(2), u32(5);
    out.insert(out.end(), {'t', 'e', 's', 't', '!', 0, 0, 0});
    u32(0x0B), u32(1);
    name("ROSE"), u32(2), u32(1), u32(0);
    u32(0), u32(0);  // no attributes
    u32(5);
    u32(uint32_t(columns * rows * 4));
    const size_t beginField = out.size();
    u32(0);
    const uint32_t begin = uint32_t(out.size());
    for (int i = 0; i < 4; ++i) out[beginField + size_t(i)] = uint8_t(begin >> (24 - 8 * i));
    for (float m : metres) {
        uint32_t u;
        std::memcpy(&u, &m, 4);
        u32(u);
    }
    return out;
}

// A quantised TopoJSON topology whose "land" object is the given rings
// (longitude, latitude pairs; each ring becomes one arc of one polygon).
inline std::string topojson(const std::vector<std::vector<std::pair<double, double>>>& rings) {
    // Quantised to 0.01 degrees with delta coding, as the real atlas is.
    std::string arcs, polygons;
    for (size_t r = 0; r < rings.size(); ++r) {
        long px = 0, py = 0;
        std::string arc;
        for (auto [lon, lat] : rings[r]) {
            long x = std::lround((lon + 180.0) * 100), y = std::lround((lat + 90.0) * 100);
            arc += (arc.empty() ? "" : ",") + ("[" + std::to_string(x - px) + "," + std::to_string(y - py) + "]");
            px = x, py = y;
        }
        arcs += (r ? "," : "") + ("[" + arc + "]");
        polygons += (r ? "," : "") + ("[[" + std::to_string(r) + "]]");
    }
    return R"({"type":"Topology","transform":{"scale":[0.01,0.01],"translate":[-180,-90]},)"
           R"("objects":{"land":{"type":"GeometryCollection","geometries":[{"type":"MultiPolygon","arcs":[)" +
           polygons + R"(]}]}},"arcs":[)" + arcs + "]}";
}

// A flat-coloured world image.
inline std::vector<uint8_t> worldImage(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> pixels(size_t(width) * height * 3);
    for (size_t i = 0; i < pixels.size(); i += 3) pixels[i] = r, pixels[i + 1] = g, pixels[i + 2] = b;
    std::vector<uint8_t> jpeg;
    globe::encodeJpeg(pixels, width, height, 3, 90, jpeg);
    return jpeg;
}

}  // namespace tnx::test
