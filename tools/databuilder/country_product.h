// "country.bin": every country and entity of the World Factbook with its
// capital, two texts (background, economy overview), population, total and
// land area (square kilometres, as the Factbook gives them) and reference
// position, named as the other geography files name it; and a record
// "World" with the whole world's figures.
//
// Layout (little-endian, packed): uint32 record count; per record the name,
// capital, background and overview as NUL-terminated Windows-1252 text,
// then float32 population, total area, land area, latitude and longitude
// (radians). A country without a capital has " " as its capital.
#pragma once

#include "build_product.h"

namespace tnx::databuilder {

struct CountryRecord {
    std::string name;  // Windows-1252, at most 127 bytes
    std::string capital;
    std::string background;
    std::string overview;
    float population = 0;
    float areaTotal = 0;
    float areaLand = 0;
    float latitude = 0;   // radians
    float longitude = 0;  // radians
};

class CountryProduct : public BuildProduct {
public:
    static constexpr size_t kMaxNameBytes = 127;

    static std::vector<uint8_t> encode(const std::vector<CountryRecord>& records);

    std::string name() const override { return "countries"; }
    int version() const override { return 1; }
    std::vector<std::string> inputs() const override {
        return {std::string(source::kFactbook), std::string(source::kCountryNames)};
    }
    std::vector<ProductFile> outputs() const override { return {{"country.bin", true}}; }
    bool build(const SourceCache& sources, ProductFiles& files, std::string& error) override;
    std::vector<std::string> notes() const override { return notes_; }

private:
    std::vector<std::string> notes_;
};

}  // namespace tnx::databuilder
