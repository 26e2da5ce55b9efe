// The sky from the star catalogue: "star.bin" (the stars the viewer draws as
// sprites) and "space.jpg" (the faint backdrop behind them).
#pragma once

#include "build_product.h"

namespace tnx::databuilder {

class SkyProduct : public BuildProduct {
public:
    static constexpr int kBackdropQuality = 92;

    std::string name() const override { return "sky"; }
    int version() const override { return 1; }
    std::vector<std::string> inputs() const override { return {std::string(source::kStarCatalogue)}; }
    std::vector<ProductFile> outputs() const override {
        return {{"star.bin", true}, {"space.jpg", true}};
    }
    bool build(const SourceCache& sources, ProductFiles& files, std::string& error) override;
};

}  // namespace tnx::databuilder
