#include "night_lights_product.h"

#include "image_scaling.h"

#include "globe/image/image_decoder.h"
#include "globe/image/jpeg_encoder.h"
#include "globe/terrain/tile_file.h"
#include "globe/terrain/tile_installer.h"
#include "platform/io/file_io.h"

#include <algorithm>
#include <cmath>

namespace tnx::databuilder {

namespace fs = std::filesystem;

namespace {

constexpr int kSourceWidth = 4096;
constexpr int kDeliveredQuality = 95;
// The ground's red: the moonlit land, ice and desert of the image stay
// below it (their blue is far above their red).
constexpr float kGroundRed = 18.0f;
// The excess of red that makes a fully bright light.
constexpr float kFullLight = 80.0f;

}  // namespace

NightLightsProduct::NightLightsProduct(int globeClass) : class_(globeClass == 13 ? 13 : 11) {}

std::string NightLightsProduct::name() const { return class_ == 11 ? "night-lights" : "night-lights-13"; }

std::string NightLightsProduct::fileName() const { return class_ == 13 ? "globenight13j90.tex" : "globenight11j90.tex"; }

std::vector<std::string> NightLightsProduct::inputs() const { return {std::string(source::kNightImage)}; }

std::vector<ProductFile> NightLightsProduct::outputs() const { return {{fileName(), false}}; }

std::array<uint8_t, 3> NightLightsProduct::lightsOf(uint8_t red, uint8_t green, uint8_t blue) {
    const float r = red, g = green, b = blue;
    const float excess = r - std::max(kGroundRed, 0.5f * b);
    if (excess <= 0) return {0, 0, 0};
    const float level = std::min(excess / kFullLight, 1.0f) * 255.0f;
    // Warm whatever the pixel's tint: green and blue never pass a share of
    // the red, as sodium and incandescent light look from orbit.
    const float greenShare = std::min(g / r, 0.85f), blueShare = std::min(b / r, 0.6f);
    auto byte = [](float v) { return uint8_t(std::clamp(std::lround(v), 0L, 255L)); };
    return {byte(level), byte(level * greenShare), byte(level * blueShare)};
}

bool NightLightsProduct::build(const SourceCache& sources, ProductFiles& files, std::string& error) {
    const fs::path imagePath = sources.path(source::kNightImage);
    auto bytes = io::readWholeFile(imagePath);
    if (!bytes) {
        error = "cannot read " + imagePath.string();
        return false;
    }
    globe::RgbImage image = globe::decodeJpeg(*bytes);
    if (image.width != kSourceWidth || image.height != kSourceWidth / 2) {
        error = imagePath.string() + " is not a " + std::to_string(kSourceWidth) + " x " +
                std::to_string(kSourceWidth / 2) + " JPEG";
        return false;
    }
    for (size_t i = 0; i + 2 < image.pixels.size(); i += 3) {
        const auto l = lightsOf(image.pixels[i], image.pixels[i + 1], image.pixels[i + 2]);
        image.pixels[i] = l[0];
        image.pixels[i + 1] = l[1];
        image.pixels[i + 2] = l[2];
    }
    std::vector<uint8_t> jpeg;
    const bool ok = class_ == 11 ? halvedJpeg(image, kDeliveredQuality, jpeg) : doubledJpeg(image, kDeliveredQuality, jpeg);
    if (!ok) {
        error = "cannot encode the night lights";
        return false;
    }
    files[fileName()] = std::move(jpeg);
    return true;
}

bool NightLightsProduct::complete(const fs::path& outputFolder, std::string& error) {
    const fs::path file = outputFolder / fileName();
    globe::installTexture(file);
    globe::TileFile check;
    const int width = class_ == 13 ? 8193 : 2049;
    if (check.open(file, "rb") != globe::kTileFileKind2 || check.gridWidth() != width) {
        error = "the installer did not complete " + file.string();
        return false;
    }
    return true;
}

}  // namespace tnx::databuilder
