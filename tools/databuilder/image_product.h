// The images of pack.dat other than the sky: the Moon map taken over from
// its source, and the star sprite, place marker and button atlas we draw.
#pragma once

#include "build_product.h"

namespace tnx::databuilder {

class ImageProduct : public BuildProduct {
public:
    static constexpr int kQuality = 95;

    std::string name() const override { return "images"; }
    int version() const override { return 1; }
    std::vector<std::string> inputs() const override { return {std::string(source::kMoonTexture)}; }
    std::vector<ProductFile> outputs() const override {
        return {{"moon.jpg", true}, {"star.jpg", true}, {"place.jpg", true}, {"button.jpg", true}};
    }
    bool build(const SourceCache& sources, ProductFiles& files, std::string& error) override;
};

}  // namespace tnx::databuilder
