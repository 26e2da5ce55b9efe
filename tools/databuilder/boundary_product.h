// "CARTE.BIN2" and "CARTE.ZONES": country borders and coasts from the
// world atlas, rivers from GSHHG, and the country zones over them (see
// boundary_map.h for the layouts).
#pragma once

#include "build_product.h"

namespace tnx::databuilder {

class BoundaryProduct : public BuildProduct {
public:
    // GSHHG river levels drawn: permanent and additional major rivers.
    static constexpr int kMaxRiverLevel = 2;

    std::string name() const override { return "boundaries"; }
    int version() const override { return 1; }
    std::vector<std::string> inputs() const override {
        return {std::string(source::kCountries), std::string(source::kRivers), std::string(source::kFactbook),
                std::string(source::kCountryNames)};
    }
    std::vector<ProductFile> outputs() const override { return {{"CARTE.BIN2", true}, {"CARTE.ZONES", true}}; }
    bool build(const SourceCache& sources, ProductFiles& files, std::string& error) override;
    std::vector<std::string> notes() const override { return notes_; }

private:
    std::vector<std::string> notes_;
};

}  // namespace tnx::databuilder
