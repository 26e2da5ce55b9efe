// "site.bin": the cities of the SimpleMaps world cities list, grouped by
// country under the names the other geography files use. National capitals
// have class 0, every other city class 1; population 0 where the list has
// none; altitude in metres from the ETOPO5 grid, a coastal city taking the
// nearest land sample rather than the sea floor.
//
// Layout (little-endian, packed): uint32 0; uint32 city total; per country
// its name (NUL-terminated), uint32 city count and the cities: name
// (NUL-terminated, at most 63 bytes), int8 class, int16 latitude, int16
// longitude (both in pi/30000 radians), int16 altitude, int32 population;
// then a 0 byte. Text is Windows-1252.
#pragma once

#include "build_product.h"

#include <span>

namespace tnx::databuilder {

class CountryBridge;
class ElevationGrid;
class Factbook;

struct CityEntry {
    std::string name;  // Windows-1252
    int8_t cityClass = 1;
    int16_t latitude = 0;   // pi/30000 radians
    int16_t longitude = 0;
    int16_t altitude = 0;   // metres
    int32_t population = 0;
};

struct CityGroup {
    std::string country;  // Windows-1252
    std::vector<CityEntry> cities;
};

class CityProduct : public BuildProduct {
public:
    static constexpr int8_t kCapital = 0;
    static constexpr int8_t kCity = 1;
    static constexpr size_t kMaxNameBytes = 63;

    // Degrees to the file's pi/30000 radians (30000 = 180 degrees).
    static int16_t angleUnits(double degrees);
    static std::vector<uint8_t> encode(const std::vector<CityGroup>& groups);

    // Groups the cities of the list's JSON by country (alphabetically by
    // country name, cities in the list's order) with the bridge's names.
    // Among a country's capitals, the one the Factbook names comes last.
    // `unmatched` receives the list's country names that match no Factbook
    // entity (their cities keep the name the bridge gives them).
    static bool groupCities(std::span<const uint8_t> citiesJson, const CountryBridge& bridge,
                            const Factbook& factbook, const ElevationGrid& elevation,
                            std::vector<CityGroup>& groups, std::string& error,
                            std::vector<std::string>* unmatched = nullptr);

    std::string name() const override { return "cities"; }
    int version() const override { return 1; }
    std::vector<std::string> inputs() const override {
        return {std::string(source::kCities), std::string(source::kFactbook), std::string(source::kCountryNames),
                std::string(source::kElevation)};
    }
    std::vector<ProductFile> outputs() const override { return {{"site.bin", true}}; }
    bool build(const SourceCache& sources, ProductFiles& files, std::string& error) override;
    std::vector<std::string> notes() const override { return notes_; }

private:
    std::vector<std::string> notes_;
};

}  // namespace tnx::databuilder
