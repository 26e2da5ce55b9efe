// The geography files built by hand for the tests: country.bin, site.bin,
// CARTE.BIN2 and CARTE.ZONES text.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/io/byte_io.h"

namespace tnx::test {

using Bytes = std::vector<uint8_t>;

struct CountryEntry {
    std::string name, capital = "", background = "", overview = "";
    float population = 0, areaTotal = 0, areaLand = 0, latitude = 0, longitude = 0;
};

inline Bytes countryFile(const std::vector<CountryEntry>& entries, uint32_t declared = ~0u) {
    Bytes out;
    io::ByteWriter w(out);
    w.u32(declared == ~0u ? uint32_t(entries.size()) : declared);
    for (const auto& e : entries) {
        w.cstring(e.name);
        w.cstring(e.capital);
        w.cstring(e.background);
        w.cstring(e.overview);
        for (float v : {e.population, e.areaTotal, e.areaLand, e.latitude, e.longitude}) w.f32(v);
    }
    return out;
}

struct CityEntry {
    std::string name;
    int8_t cls = 1;
    int16_t latitude = 0, longitude = 0;  // pi/30000 radians
    int16_t altitude = 0;
    int32_t population = 0;
};

// Degrees to site.bin's unit.
inline int16_t siteAngle(double degrees) { return int16_t(degrees / 180.0 * 30000.0); }

inline Bytes siteFile(const std::vector<std::pair<std::string, std::vector<CityEntry>>>& groups, uint32_t total = ~0u,
                      bool endByte = true) {
    Bytes out;
    io::ByteWriter w(out);
    uint32_t n = 0;
    for (const auto& g : groups) n += uint32_t(g.second.size());
    w.u32(0);
    w.u32(total == ~0u ? n : total);
    for (const auto& [country, cities] : groups) {
        w.cstring(country);
        w.u32(uint32_t(cities.size()));
        for (const auto& c : cities) {
            w.cstring(c.name);
            w.u8(uint8_t(c.cls));
            w.u16(uint16_t(c.latitude));
            w.u16(uint16_t(c.longitude));
            w.u16(uint16_t(c.altitude));
            w.i32(c.population);
        }
    }
    if (endByte) w.u8(0);
    return out;
}

// One polyline record: class k (attribute k * 1000 + 7) and (x, y) points.
struct Polyline {
    int boundaryClass = 0;
    std::vector<std::pair<int, int>> points;
};

inline Bytes boundaryFile(const std::vector<Polyline>& lines) {
    Bytes out;
    io::ByteWriter w(out);
    for (const auto& l : lines) {
        w.u16(uint16_t(l.points.size()));
        w.u16(uint16_t(l.boundaryClass * 1000 + 7));
        for (auto [x, y] : l.points) {
            w.u16(uint16_t(int16_t(x)));
            w.u16(uint16_t(int16_t(y)));
        }
    }
    return out;
}

// A closed ring through the corners of a box in file units (y = -latitude).
inline Polyline ring(int x0, int y0, int x1, int y1, int boundaryClass = 2) {
    return {boundaryClass, {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}}};
}

inline std::span<const uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

}  // namespace tnx::test
