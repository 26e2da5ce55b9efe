#include "city_product.h"

#include "country_bridge.h"
#include "cp1252_text.h"
#include "elevation_grid.h"
#include "factbook.h"

#include "platform/io/byte_io.h"
#include "platform/io/file_io.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <map>

namespace tnx::databuilder {

int16_t CityProduct::angleUnits(double degrees) {
    return int16_t(std::lround(std::clamp(degrees, -180.0, 180.0) * 30000.0 / 180.0));
}

std::vector<uint8_t> CityProduct::encode(const std::vector<CityGroup>& groups) {
    std::vector<uint8_t> out;
    io::ByteWriter w(out);
    uint32_t total = 0;
    for (const CityGroup& g : groups) total += uint32_t(g.cities.size());
    w.u32(0);
    w.u32(total);
    for (const CityGroup& g : groups) {
        if (g.cities.empty() || g.country.empty()) continue;
        w.cstring(g.country);
        w.u32(uint32_t(g.cities.size()));
        for (const CityEntry& c : g.cities) {
            w.cstring(std::string_view(c.name).substr(0, kMaxNameBytes));
            w.u8(uint8_t(c.cityClass));
            w.u16(uint16_t(c.latitude));
            w.u16(uint16_t(c.longitude));
            w.u16(uint16_t(c.altitude));
            w.i32(c.population);
        }
    }
    w.u8(0);
    return out;
}

bool CityProduct::groupCities(std::span<const uint8_t> citiesJson, const CountryBridge& bridge,
                              const Factbook& factbook, const ElevationGrid& elevation,
                              std::vector<CityGroup>& groups, std::string& error,
                              std::vector<std::string>* unmatched) {
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(
        QByteArray(reinterpret_cast<const char*>(citiesJson.data()), qsizetype(citiesJson.size())), &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isArray()) {
        error = "the city list is not a JSON array";
        return false;
    }
    struct Pending {
        CityEntry entry;
        std::string utf8Name;
    };
    std::map<std::string, std::pair<int, std::vector<Pending>>> byCountry;  // normalised name -> entity, cities
    std::map<std::string, std::string> countryName;
    for (const QJsonValue& v : doc.array()) {
        const QJsonObject c = v.toObject();
        bool okLat = false, okLon = false;
        const double lat = c.value("lat").toVariant().toDouble(&okLat);
        const double lon = c.value("lng").toVariant().toDouble(&okLon);
        const std::string name = c.value("city").toString().trimmed().toStdString();
        if (!okLat || !okLon || name.empty() || std::abs(lat) > 90 || std::abs(lon) > 180) continue;
        const auto match = bridge.resolve(c.value("iso3").toString().toStdString(),
                                          c.value("country").toString().toStdString(), lat, lon);
        Pending p;
        p.utf8Name = name;
        p.entry.name = Cp1252Text::fromUtf8(name).substr(0, kMaxNameBytes);
        p.entry.cityClass = c.value("capital").toString() == "primary" ? kCapital : kCity;
        p.entry.latitude = angleUnits(lat);
        p.entry.longitude = angleUnits(lon);
        p.entry.altitude = int16_t(std::lround(std::clamp(elevation.landElevation(lon, lat), 0.0, 9000.0)));
        const double population = c.value("population").toVariant().toDouble();
        p.entry.population = int32_t(std::clamp(std::round(population), 0.0, 2147483647.0));
        if (match.entry < 0 && unmatched) {
            const std::string source = c.value("country").toString().toStdString();
            if (std::find(unmatched->begin(), unmatched->end(), source) == unmatched->end())
                unmatched->push_back(source);
        }
        const std::string key = CountryBridge::normalised(match.name);
        countryName.emplace(key, match.name);
        auto& slot = byCountry[key];
        slot.first = match.entry;
        slot.second.push_back(std::move(p));
    }
    groups.clear();
    for (auto& [key, slot] : byCountry) {
        auto& [entry, cities] = slot;
        // The reader takes a country's last capital as its capital city.
        if (entry >= 0) {
            const std::string capital = CountryBridge::normalised(factbook.entries()[size_t(entry)].capital);
            auto named = std::find_if(cities.begin(), cities.end(), [&](const Pending& p) {
                return p.entry.cityClass == kCapital && CountryBridge::normalised(p.utf8Name) == capital;
            });
            if (named != cities.end()) std::rotate(named, named + 1, cities.end());
        }
        CityGroup g;
        g.country = Cp1252Text::fromUtf8(countryName[key]);
        for (Pending& p : cities) g.cities.push_back(std::move(p.entry));
        groups.push_back(std::move(g));
    }
    if (groups.empty()) {
        error = "the city list holds no cities";
        return false;
    }
    return true;
}

bool CityProduct::build(const SourceCache& sources, ProductFiles& files, std::string& error) {
    Factbook factbook;
    if (!factbook.load(sources.path(source::kFactbook), error)) return false;
    const auto names = io::readWholeFile(sources.path(source::kCountryNames));
    const auto cities = io::readWholeFile(sources.path(source::kCities));
    const auto netcdf = io::readWholeFile(sources.path(source::kElevation));
    if (!names || !cities || !netcdf) {
        error = "cannot read the city, country name or elevation source";
        return false;
    }
    CountryBridge bridge;
    if (!bridge.load(*names, factbook, error)) return false;
    ElevationGrid elevation;
    if (!elevation.load(*netcdf, error)) return false;
    std::vector<CityGroup> groups;
    std::vector<std::string> unmatched;
    if (!groupCities(*cities, bridge, factbook, elevation, groups, error, &unmatched)) return false;
    files["site.bin"] = encode(groups);
    size_t total = 0, capitals = 0;
    for (const CityGroup& g : groups) {
        total += g.cities.size();
        for (const CityEntry& c : g.cities) capitals += c.cityClass == kCapital;
    }
    notes_.clear();
    notes_.push_back(std::to_string(total) + " cities, " + std::to_string(capitals) + " capitals, in " +
                     std::to_string(groups.size()) + " countries");
    std::string list;
    for (const std::string& u : unmatched) list += (list.empty() ? "" : ", ") + u;
    notes_.push_back(std::to_string(unmatched.size()) + " city countries are no Factbook entity: " + list);
    return true;
}

}  // namespace tnx::databuilder
