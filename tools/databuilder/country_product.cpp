#include "country_product.h"

#include "country_bridge.h"
#include "cp1252_text.h"
#include "factbook.h"

#include "platform/io/byte_io.h"
#include "platform/io/file_io.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace tnx::databuilder {

namespace {

constexpr double kRadiansPerDegree = M_PI / 180.0;

std::string fieldText(std::string_view utf8, size_t maxBytes = std::string::npos) {
    std::string s = Cp1252Text::fromUtf8(utf8);
    if (s.size() > maxBytes) s.resize(maxBytes);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

CountryRecord recordOf(const FactbookEntry& e, std::string_view name) {
    CountryRecord r;
    r.name = fieldText(name, CountryProduct::kMaxNameBytes);
    r.capital = fieldText(e.capital, CountryProduct::kMaxNameBytes);
    if (r.capital.empty()) r.capital = " ";
    r.background = fieldText(e.background);
    r.overview = fieldText(e.overview);
    r.population = float(e.population);
    r.areaTotal = float(e.areaTotal);
    r.areaLand = float(e.areaLand);
    return r;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

std::vector<uint8_t> CountryProduct::encode(const std::vector<CountryRecord>& records) {
    std::vector<uint8_t> out;
    io::ByteWriter w(out);
    w.u32(uint32_t(records.size()));
    for (const CountryRecord& r : records) {
        w.cstring(r.name);
        w.cstring(r.capital);
        w.cstring(r.background);
        w.cstring(r.overview);
        w.f32(r.population);
        w.f32(r.areaTotal);
        w.f32(r.areaLand);
        w.f32(r.latitude);  // latitude before longitude in the file
        w.f32(r.longitude);
    }
    return out;
}

bool CountryProduct::build(const SourceCache& sources, ProductFiles& files, std::string& error) {
    Factbook factbook;
    if (!factbook.load(sources.path(source::kFactbook), error)) return false;
    const auto list = io::readWholeFile(sources.path(source::kCountryNames));
    if (!list) {
        error = "cannot read " + sources.path(source::kCountryNames).string();
        return false;
    }
    CountryBridge bridge;
    if (!bridge.load(*list, factbook, error)) return false;

    std::vector<CountryRecord> records;
    records.push_back(recordOf(factbook.world(), "World"));
    // Sorted by name as a reader would (accents ignored, any letter case).
    std::vector<size_t> order(factbook.entries().size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return CountryBridge::normalised(bridge.nameOf(a)) < CountryBridge::normalised(bridge.nameOf(b));
    });
    std::vector<CountryRecord> countries;
    for (size_t i : order) {
        CountryRecord r = recordOf(factbook.entries()[i], bridge.nameOf(i));
        double lat = 0, lon = 0;
        if (bridge.positionOf(i, lat, lon)) {
            r.latitude = float(lat * kRadiansPerDegree);
            r.longitude = float(lon * kRadiansPerDegree);
        }
        countries.push_back(std::move(r));
    }
    // Readers look names up ignoring letter case: each must be unique so.
    for (size_t i = 0; i < countries.size(); ++i)
        for (size_t j = i + 1; j < countries.size(); ++j)
            if (sameName(countries[i].name, countries[j].name)) {
                error = "two countries named " + countries[i].name;
                return false;
            }
    records.insert(records.end(), countries.begin(), countries.end());
    notes_.clear();
    std::string noCode;
    for (size_t i = 0; i < bridge.size(); ++i)
        if (bridge.isoOf(i).empty()) noCode += (noCode.empty() ? "" : ", ") + bridge.nameOf(i);
    notes_.push_back(std::to_string(records.size()) + " records; entities without an ISO code: " + noCode);
    files["country.bin"] = encode(records);
    return true;
}

}  // namespace tnx::databuilder
