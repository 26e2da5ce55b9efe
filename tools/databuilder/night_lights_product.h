// The city lights of the night side: three-globe's night image (NASA's
// night-lights composite over a dark-blue moonlit Earth) reduced to its
// lights and delivered, like the day image, as a JPEG under its tile-file
// name "globenight<c>j90.tex", which the program's installer then cuts into
// the tile pyramid. The viewer adds these tiles to the darkened surface on
// the night side, so the moonlit ground must not come along: only what is
// brighter and warmer than that ground is kept, everything else is black.
//
// Classes as the day texture: 11 (2049 x 1025, the image halved) and 13
// (8193 x 4097, the image doubled).
#pragma once

#include "build_product.h"

#include <array>
#include <cstdint>

namespace tnx::databuilder {

class NightLightsProduct : public BuildProduct {
public:
    explicit NightLightsProduct(int globeClass = 11);

    std::string name() const override;
    int version() const override { return 1; }
    std::vector<std::string> inputs() const override;
    std::vector<ProductFile> outputs() const override;
    bool build(const SourceCache& sources, ProductFiles& files, std::string& error) override;
    bool complete(const std::filesystem::path& outputFolder, std::string& error) override;

    std::string fileName() const;

    // The lights of one pixel of the night image (red, green, blue), black
    // where it shows only the ground: how far its red rises above both a
    // fixed ground level and half its blue, in a warm colour that keeps
    // the pixel's own tint.
    static std::array<uint8_t, 3> lightsOf(uint8_t red, uint8_t green, uint8_t blue);

private:
    int class_;
};

}  // namespace tnx::databuilder
