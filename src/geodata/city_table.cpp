#include "geodata/city_table.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>

#include "geodata/country_table.h"
#include "geodata/pack_archive.h"
#include "platform/io/byte_io.h"

namespace tnx::geodata {

namespace {

// The smallest city entry: an empty name and the fixed fields.
constexpr size_t kMinCityBytes = 1 + 1 + 2 + 2 + 2 + 4;

std::string asciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = char(c + 32);
    return out;
}

}  // namespace

CityTable::CityTable() { records_.emplace_back(); }

bool CityTable::loadFile(CountryTable& countries, std::string_view name) {
    std::vector<uint8_t> bytes;
    size_t length = 0;
    readDataFile(name, bytes, length);
    if (bytes.empty()) return false;
    load(std::span<const uint8_t>(bytes.data(), std::min(length, bytes.size())), countries);
    return true;
}

int CityTable::load(std::span<const uint8_t> file, CountryTable& countries) {
    io::ByteReader in(file);
    in.u32();
    uint64_t total = in.u32();
    if (!in.ok()) return 0;
    // The declared total sizes the table, but never beyond what the file
    // can hold.
    uint64_t room = file.size() / kMinCityBytes;
    records_.reserve(size_t(std::min(total, room)) + 101);
    const uint64_t limit = total + 1;
    int read = 0;
    while (in.has(1) && *in.cursor() != 0 && records_.size() < limit) {
        std::string countryName = in.cstring();
        uint32_t n = in.u32();
        if (!in.ok()) break;
        int country = countries.findOrAdd(countryName);
        for (uint32_t k = 0; k < n && records_.size() < limit; ++k) {
            std::string name = in.cstring();
            auto cls = int8_t(in.u8());
            auto lat = int16_t(in.u16());
            auto lon = int16_t(in.u16());
            auto alt = int16_t(in.u16());
            int32_t population = in.i32();
            if (!in.ok()) return read;  // cut inside this city
            CityRecord c;
            c.kind = uint8_t(cls);
            c.latitude = float(lat) * kAngleUnit;
            c.longitude = float(lon) * kAngleUnit;
            c.altitude = float(alt);
            c.population = population;
            c.country = country;
            copyField(c.name, name);
            records_.push_back(c);
            ++read;
            if (cls == 0 && country != 0) countries.setCapitalCity(country, count() - 1);
        }
    }
    return read;
}

const CityRecord* CityTable::get(int index) const {
    return index >= 0 && index < count() ? &records_[size_t(index)] : nullptr;
}

void CityTable::replace(int index, const CityRecord& city) {
    if (isCity(index)) records_[size_t(index)] = city;
}

int CityTable::append(const CityRecord& city) {
    records_.push_back(city);
    return count() - 1;
}

void CityTable::remove(int index) {
    if (isCity(index)) records_.erase(records_.begin() + index);
}

void CityTable::computeMarker(CityRecord& c, float exaggeration) {
    switch (c.classByte()) {
        case 0: c.colour = 0xFFFF9090; break;
        case 4: c.colour = 0xFF90FFFF; break;
        default: c.colour = 0xFFFFFFD0; break;
    }
    if (c.population == 0) {
        c.markerSize = 0.1f;
        c.colour = 0xFFA0FFFF;
    } else {
        c.markerSize = std::sqrt(float(c.population) * 5e-7f) * 0.1f + 0.001f;
    }
    float r = std::max(c.altitude * exaggeration, 0.0f) + kGlobeRadius;
    float cl = std::cos(c.latitude);
    c.position = {std::cos(c.longitude) * r * cl, r * std::sin(c.latitude), std::sin(c.longitude) * r * cl};
    // An equilateral triangle in the plane x = 0, turned to lie tangent to
    // the globe at the city.
    const math::Matrix turn = math::matrixRotationZ(c.latitude) * math::matrixRotationY(-c.longitude);
    const math::Vec3 base[3] = {{0, -1, -1.732f}, {0, 2, 0}, {0, -1, 1.732f}};
    for (int k = 0; k < 3; ++k) c.corners[size_t(k)] = math::transformNormal(base[k], turn);
}

void CityTable::computeMarkers(float exaggeration) {
    for (size_t i = 1; i < records_.size(); ++i) computeMarker(records_[i], exaggeration);
}

void CityTable::fillCapitalLinks(CountryTable& countries) const {
    // First city of each name, so each country costs one lookup.
    std::unordered_map<std::string, int> firstByName;
    firstByName.reserve(records_.size());
    for (int i = 1; i < count(); ++i) firstByName.emplace(asciiLower(records_[size_t(i)].nameText()), i);
    for (int k = 1; k < countries.count(); ++k) {
        const CountryRecord* r = countries.get(k);
        if (r->capitalCity != 0) continue;
        auto it = firstByName.find(asciiLower(r->capitalText()));
        countries.setCapitalCity(k, it == firstByName.end() ? 0 : it->second);
    }
}

int CityTable::findMostPopulous(std::string_view name) const {
    int best = 0;
    for (int i = 1; i < count(); ++i) {
        const CityRecord& c = records_[size_t(i)];
        if (!pack::sameName(c.nameText(), name)) continue;
        if (best == 0 || c.population > records_[size_t(best)].population) best = i;
    }
    return best;
}

}  // namespace tnx::geodata
