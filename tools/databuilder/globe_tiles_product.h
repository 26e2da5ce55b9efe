// The globe's tile files, delivered the way the program's installer expects
// them and then completed by that installer:
//   - the terrain file "globe<c>c.tem": level-0 tiles of the elevation grid
//     (ETOPO5 resampled to the class's grid) with the surface class of every
//     sample (land 0 inside the world atlas's land, sea 3 outside);
//   - the texture file "globetex<c>j90.tex": the world colour image as a
//     JPEG under the tile file's name.
// After writing, the installer's own code builds the pyramids (for class 11
// exactly what "InitTemAndTexture" runs).
//
// Classes: 11 (the default, always built): terrain 2049 x 1025, texture from
// the 2048 x 1024 image. 13 (builder option): terrain class 12 (4097 x 2049,
// about the grid's own 5' spacing) and texture class 13 from the 4096 x 2048
// image scaled to 8192 x 4096 (the viewer reads no class-12 texture file).
#pragma once

#include "build_product.h"

#include <vector>

namespace tnx::databuilder {

struct TerrainSamples {
    int width = 0, height = 0;
    std::vector<uint16_t> samples;  // row 0 the south pole, column 0 longitude -180
};

class GlobeTilesProduct : public BuildProduct {
public:
    explicit GlobeTilesProduct(int globeClass = 11);

    static bool supportedClass(int globeClass) { return globeClass == 11 || globeClass == 13; }

    std::string name() const override;
    int version() const override { return 3; }
    std::vector<std::string> inputs() const override;
    std::vector<ProductFile> outputs() const override;
    bool build(const SourceCache& sources, ProductFiles& files, std::string& error) override;
    bool complete(const std::filesystem::path& outputFolder, std::string& error) override;

    std::string terrainName() const;
    std::string textureName() const;
    int terrainWidth() const { return terrainWidth_; }

    // Elevations in metres and a land mask (1 land) of one grid -> samples:
    // land keeps its elevation as class 0 (-4096 ... 12287 m), sea becomes
    // class 3 (-16384 ... -2 m: sea cells the elevation data puts higher are
    // set to -2 m, since -1 m would be the missing-sample mark 0xFFFF).
    static TerrainSamples classify(int width, const std::vector<float>& metres, const std::vector<uint8_t>& land);
    // A tile file holding the level-0 tiles of the samples (decimated polar
    // rows as the installer cuts them, run-length coded).
    static bool writeLevelZero(const TerrainSamples& terrain, const std::filesystem::path& file);

private:
    bool buildTexture(const SourceCache& sources, std::vector<uint8_t>& out, std::string& error) const;

    int class_;
    int terrainWidth_;
};

}  // namespace tnx::databuilder
