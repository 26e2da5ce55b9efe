#include "night_lights_product.h"

#include "globe_sources.h"

#include "globe/image/jpeg_encoder.h"
#include "globe/terrain/tile_file.h"
#include "platform/io/file_io.h"
#include "support/test_home.h"

#include <gtest/gtest.h>

namespace tnx::databuilder {
namespace {

namespace fs = std::filesystem;

TEST(NightLights, KeepsOnlyWhatOutshinesTheGround) {
    struct Case {
        uint8_t r, g, b;
        bool lit;
    };
    // Sea, moonlit land, desert, ice (pixels of the real image), a dim town,
    // a city and a bluish light no warmer than the ground.
    const Case cases[] = {{1, 11, 21, false},  {2, 20, 44, false},  {8, 54, 81, false}, {16, 70, 90, false},
                          {30, 25, 20, true},  {96, 91, 88, true},  {40, 60, 100, false}};
    for (const Case& c : cases) {
        const auto l = NightLightsProduct::lightsOf(c.r, c.g, c.b);
        // Warm: red leads, blue last.
        EXPECT_TRUE((l[0] > 0) == c.lit && l[0] >= l[1] && l[1] >= l[2]) << int(c.r) << ',' << int(c.g) << ',' << int(c.b);
    }
    EXPECT_EQ(NightLightsProduct::lightsOf(255, 255, 255)[0], 255);  // saturates
    EXPECT_LT(NightLightsProduct::lightsOf(30, 25, 20)[0], NightLightsProduct::lightsOf(96, 91, 88)[0]);
}

// The whole product on a small night: blue ground with one lit block.
TEST(NightLights, BuildsAndCompletesBothClasses) {
    test::TestHome home;
    const fs::path sources = home.file("sources"), out = home.file("out");
    const int w = 4096, h = 2048;
    std::vector<uint8_t> pixels(size_t(w) * h * 3);
    for (size_t i = 0; i < pixels.size(); i += 3) {
        const size_t x = i / 3 % w, y = i / 3 / w;
        const bool city = x >= 2048 && x < 2176 && y >= 512 && y < 640;  // 0..11 E, 34..45 N
        pixels[i] = city ? 120 : 2, pixels[i + 1] = city ? 110 : 20, pixels[i + 2] = city ? 100 : 44;
    }
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(globe::encodeJpeg(pixels, w, h, 3, 90, jpeg));
    fs::create_directories((sources / source::kNightImage).parent_path());
    ASSERT_TRUE(io::writeFileAtomically(sources / source::kNightImage, jpeg));
    fs::create_directories(out);

    for (int globeClass : {11, 13}) {
        NightLightsProduct product(globeClass);
        ProductFiles files;
        std::string error;
        ASSERT_TRUE(product.build(SourceCache(sources), files, error)) << error;
        for (auto& [name, bytes] : files) ASSERT_TRUE(io::writeFileAtomically(out / name, bytes));
        ASSERT_TRUE(product.complete(out, error)) << error;
        globe::TileFile file;
        ASSERT_EQ(file.open(out / product.fileName(), "rb"), globe::kTileFileKind2);
        const int scale = globeClass == 13 ? 4 : 1;  // grid samples per class-11 sample
        EXPECT_EQ(file.gridWidth(), 2048 * scale + 1);
        std::vector<uint8_t> tile(globe::kTextureTileBytes);
        // 5 E, 40 N lies in the block (grid rows run from the south pole).
        const int column = 185 * 2048 * scale / 360, row = 130 * 1024 * scale / 180;
        ASSERT_EQ(file.readTile(column & ~127, row & ~127, 0, tile.data(), tile.size()), globe::kTileDelivered);
        const uint8_t* lit = &tile[size_t((row & 127) * 129 + (column & 127)) * 3];
        EXPECT_TRUE(lit[0] > 150 && lit[0] > lit[2]) << globeClass;
        ASSERT_EQ(file.readTile(0, 0, 0, tile.data(), tile.size()), globe::kTileDelivered);
        EXPECT_LT(tile[size_t(60 * 129 + 60) * 3 + 2], 4) << "the blue ground stays dark";
    }
}

}  // namespace
}  // namespace tnx::databuilder
