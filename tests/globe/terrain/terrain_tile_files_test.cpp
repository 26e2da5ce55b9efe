// The renderer over the real elevation cache and tile files.
#include <gtest/gtest.h>

#include <cmath>

#include "globe/terrain/elevation_cache.h"
#include "globe/terrain/terrain_renderer.h"
#include "globe/terrain/tile_file.h"
#include "platform/gfx/recording_device.h"
#include "platform/io/byte_io.h"
#include "support/test_home.h"

namespace tnx::globe {
namespace {

// A class-11 terrain file whose level-0 tiles all hold one elevation.
void writeFlatTerrain(const std::filesystem::path& path, int metres) {
    TileFile file;
    ASSERT_EQ(file.open(path, "w+b"), kTileFileKind2);
    file.setGrid(2049, 1025);
    std::vector<uint8_t> tile(kTerrainTileBytes);
    const uint16_t sample = makeSample(metres, 0);
    for (size_t i = 0; i < tile.size(); i += 2) io::storeU16(&tile[i], sample);
    for (int y = 0; y < 1024; y += 128)
        for (int x = 0; x < 2048; x += 128) ASSERT_TRUE(file.writeTile(x, y, 0, tile.data(), tile.size(), true));
    ASSERT_TRUE(file.writeHeader());
}

TEST(TerrainTileFiles, DrawsTheFileElevationsThroughTheCache) {
    test::TestHome home;
    writeFlatTerrain(home.file("globe11c.tem"), 1000);
    TileFileSet files;
    openTileFiles(files);
    ASSERT_EQ(files.rendererGridWidth(), 4097);

    TerrainRenderer renderer(files, 256u << 20);
    ASSERT_NE(renderer.elevationCache(), nullptr);
    EXPECT_EQ(renderer.elevationCache()->levelCount(), 2);
    gfx::RecordingDevice device;
    device.setCaptureGeometry(true);
    renderer.restore(device);
    TerrainFrame frame;
    frame.cameraPosition = math::Vec3{0, 10, -70};
    frame.detailStartLevel = TerrainRenderer::detailStartLevel(renderer.patchLevelCount(), 70.7f);
    renderer.draw(device, frame);
    ASSERT_FALSE(device.draws().empty());
    for (const auto& d : device.draws())
        for (size_t i = 0; i < d.vertexCount; ++i) {
            const uint8_t* v = d.vertices.data() + i * 44;
            const float r = std::sqrt(io::loadF32(v) * io::loadF32(v) + io::loadF32(v + 4) * io::loadF32(v + 4) +
                                      io::loadF32(v + 8) * io::loadF32(v + 8));
            ASSERT_NEAR(r, 63.71f + 0.01f, 1e-4f);
        }
    // Cities and the distance tool read the same cache, in scene units.
    EXPECT_NEAR(renderer.elevationCache()->scaledElevationAt(0.3f, 0.2f), 0.01f, 1e-5f);
}

TEST(TerrainTileFiles, NoFilesGiveAFlatGlobe) {
    test::TestHome home;
    TileFileSet files;
    openTileFiles(files);
    TerrainRenderer renderer(files, 16u << 20);
    gfx::RecordingDevice device;
    device.setCaptureGeometry(true);
    device.setAvailableTextureMemory(8u << 20);  // restoring picks the 16-bit format
    renderer.restore(device);
    TerrainFrame frame;
    frame.cameraPosition = math::Vec3{70, 0, 0};
    frame.detailStartLevel = TerrainRenderer::detailStartLevel(renderer.patchLevelCount(), 70.0f);
    renderer.draw(device, frame);
    ASSERT_FALSE(device.draws().empty());
    const auto& d = device.draws().front();
    const uint8_t* v = d.vertices.data();
    EXPECT_NEAR(std::hypot(io::loadF32(v), io::loadF32(v + 4), io::loadF32(v + 8)), 63.71f, 1e-4f);
    EXPECT_EQ(renderer.textureCache().format(), gfx::Format::A4R4G4B4);
}

}  // namespace
}  // namespace tnx::globe
