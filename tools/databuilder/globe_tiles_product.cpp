#include "globe_tiles_product.h"

#include "elevation_grid.h"
#include "image_scaling.h"
#include "land_mask.h"

#include "globe/image/image_decoder.h"
#include "globe/image/jpeg_encoder.h"
#include "globe/image/jpeg_strip_reader.h"
#include "globe/terrain/row_shift_table.h"
#include "globe/terrain/tile_file.h"
#include "globe/terrain/tile_installer.h"
#include "platform/io/byte_io.h"
#include "platform/io/file_io.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tnx::databuilder {

namespace fs = std::filesystem;

namespace {

constexpr int kDeliveredQuality = 95;

// A temporary file removed when it goes out of scope.
class TempFile {
public:
    TempFile() {
        std::string pattern = (fs::temp_directory_path() / "terranox-tiles-XXXXXX").string();
        int fd = mkstemp(pattern.data());
        if (fd >= 0) {
            ::close(fd);
            path_ = pattern;
        }
    }
    ~TempFile() {
        std::error_code ec;
        if (!path_.empty()) fs::remove(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

}  // namespace

GlobeTilesProduct::GlobeTilesProduct(int globeClass)
    : class_(supportedClass(globeClass) ? globeClass : 11), terrainWidth_(class_ == 13 ? 4097 : 2049) {}

std::string GlobeTilesProduct::name() const { return class_ == 11 ? "globe-tiles" : "globe-tiles-" + std::to_string(class_); }

std::string GlobeTilesProduct::terrainName() const { return class_ == 13 ? "globe12c.tem" : "globe11c.tem"; }
std::string GlobeTilesProduct::textureName() const { return class_ == 13 ? "globetex13j90.tex" : "globetex11j90.tex"; }

std::vector<std::string> GlobeTilesProduct::inputs() const {
    return {std::string(source::kElevation), std::string(source::kCountries),
            std::string(class_ == 13 ? source::kEarthImageLarge : source::kEarthImage)};
}

std::vector<ProductFile> GlobeTilesProduct::outputs() const {
    return {{terrainName(), false}, {textureName(), false}};
}

TerrainSamples GlobeTilesProduct::classify(int width, const std::vector<float>& metres, const std::vector<uint8_t>& land) {
    TerrainSamples t;
    t.width = width;
    t.height = (width - 1) / 2 + 1;
    const size_t n = size_t(t.width) * size_t(t.height);
    t.samples.resize(n);
    for (size_t i = 0; i < n; ++i) {
        int m = int(std::lround(i < metres.size() ? metres[i] : 0.0f));
        bool isLand = i < land.size() && land[i];
        // Sea at -1 m would be 0xFFFF, the installer's mark for a missing sample.
        t.samples[i] = isLand ? globe::makeSample(m, 0) : globe::makeSample(std::min(m, -2), 3);
    }
    return t;
}

bool GlobeTilesProduct::writeLevelZero(const TerrainSamples& terrain, const fs::path& file) {
    if (std::FILE* f = std::fopen(file.c_str(), "wb")) std::fclose(f);
    else return false;
    globe::TileFile tiles;
    if (tiles.open(file, "r+b") != globe::kTileFileKind2) return false;
    const int w = terrain.width, h = terrain.height;
    tiles.setFormatWord(globe::kTileFormatWord);
    tiles.setGrid(w, h);
    const globe::RowShiftTable shifts(w);
    std::vector<uint8_t> tile(globe::kTerrainTileBytes);
    for (int y = 0; y < h - 1; y += 128) {
        const int step = 1 << shifts.tileRowShift(y, 128);
        for (int x = 0; x < w - 1; x += 128 * step) {
            for (int j = 0; j < globe::kTileSide; ++j) {
                const uint16_t* row = terrain.samples.data() + size_t(std::min(y + j, h - 1)) * size_t(w);
                for (int i = 0; i < globe::kTileSide; ++i)
                    io::storeU16(&tile[size_t(j * globe::kTileSide + i) * 2], row[(x + i * step) % (w - 1)]);
            }
            if (!tiles.writeTile(x, y, 0, tile.data(), tile.size(), true)) return false;
        }
    }
    return tiles.writeHeader();
}

bool GlobeTilesProduct::buildTexture(const SourceCache& sources, std::vector<uint8_t>& out, std::string& error) const {
    const fs::path imagePath = sources.path(class_ == 13 ? source::kEarthImageLarge : source::kEarthImage);
    auto bytes = io::readWholeFile(imagePath);
    if (!bytes) {
        error = "cannot read " + imagePath.string();
        return false;
    }
    const int wanted = class_ == 13 ? 4096 : 2048;
    globe::JpegStripReader header;
    if (!header.open(*bytes) || header.width() != wanted || header.height() != wanted / 2) {
        error = imagePath.string() + " is not a " + std::to_string(wanted) + " x " + std::to_string(wanted / 2) + " JPEG";
        return false;
    }
    header.close();
    if (class_ == 11) {
        // Delivered as it is: the installer reads any such world image.
        out = std::move(*bytes);
        return true;
    }
    globe::RgbImage src = globe::decodeJpeg(*bytes);
    if (src.empty()) {
        error = "cannot decode " + imagePath.string();
        return false;
    }
    // Twice the size: the installer cuts tiles from this image.
    if (!doubledJpeg(src, kDeliveredQuality, out)) {
        error = "cannot encode the scaled world image";
        return false;
    }
    return true;
}

bool GlobeTilesProduct::build(const SourceCache& sources, ProductFiles& files, std::string& error) {
    const fs::path elevationPath = sources.path(source::kElevation);
    auto netcdf = io::readWholeFile(elevationPath);
    if (!netcdf) {
        error = "cannot read " + elevationPath.string();
        return false;
    }
    ElevationGrid grid;
    if (!grid.load(*netcdf, error)) {
        error = elevationPath.string() + ": " + error;
        return false;
    }
    netcdf.reset();
    const std::vector<float> metres = grid.resample(terrainWidth_);

    const fs::path atlasPath = sources.path(source::kCountries);
    auto atlas = io::readWholeFile(atlasPath);
    LandMask mask;
    if (!atlas || !mask.build(*atlas, terrainWidth_, error)) {
        error = atlasPath.string() + ": " + (atlas ? error : std::string("cannot read"));
        return false;
    }
    std::vector<uint8_t> land(size_t(mask.width()) * size_t(mask.height()));
    for (int r = 0; r < mask.height(); ++r)
        for (int c = 0; c < mask.width(); ++c) land[size_t(r) * mask.width() + c] = mask.land(c, r) ? 1 : 0;

    const TerrainSamples terrain = classify(terrainWidth_, metres, land);
    TempFile temp;
    if (temp.path().empty() || !writeLevelZero(terrain, temp.path())) {
        error = "cannot write the terrain tiles";
        return false;
    }
    auto terrainBytes = io::readWholeFile(temp.path());
    if (!terrainBytes) {
        error = "cannot read back the terrain tiles";
        return false;
    }
    files[terrainName()] = std::move(*terrainBytes);

    std::vector<uint8_t> texture;
    if (!buildTexture(sources, texture, error)) return false;
    files[textureName()] = std::move(texture);
    return true;
}

bool GlobeTilesProduct::complete(const fs::path& outputFolder, std::string& error) {
    const fs::path terrain = outputFolder / terrainName(), texture = outputFolder / textureName();
    if (class_ == 11) {
        // What a user's "InitTemAndTexture" runs.
        globe::initTemAndTexture(outputFolder);
    } else {
        globe::installTexture(texture);
        globe::installTerrain(terrain);
    }
    // Check the result the way the viewer will open it.
    globe::TileFile check;
    const int textureWidth = class_ == 13 ? 8193 : 2049;
    if (check.open(texture, "rb") != globe::kTileFileKind2 || check.gridWidth() != textureWidth) {
        error = "the installer did not complete " + texture.string();
        return false;
    }
    std::vector<uint8_t> tile(globe::kTerrainTileBytes);
    if (check.open(terrain, "rb") != globe::kTileFileKind2 ||
        check.readTile(0, 0, 4, tile.data(), tile.size()) != globe::kTileDelivered) {
        error = "the installer did not complete " + terrain.string();
        return false;
    }
    return true;
}

}  // namespace tnx::databuilder
