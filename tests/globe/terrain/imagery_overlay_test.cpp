// Online imagery on a patch: which triangles the tiles take, the level
// asked for, the per-frame upload limit, the mask across a tile's edge and
// the device's states left as they were.
#include "globe/terrain/imagery_overlay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <thread>
#include <tuple>

#include "globe/image/test_jpeg.h"
#include "globe/terrain/terrain_renderer.h"
#include "platform/gfx/recording_device.h"
#include "platform/io/byte_io.h"
#include "support/test_home.h"

namespace tnx::globe {
namespace {

constexpr int kCells = 8192;  // 0.044 degrees a built-in texel
constexpr int kY = 3160;      // 48.9 N
constexpr int kEdgeX = 4147;  // the level 7 tiles 80 and 81 (the cloud-free layer's finest) meet at 2.25 E, x 4147.2

math::Vec3 gridPoint(double x, double y, float height) {
    const double a = 2 * M_PI * y / kCells, b = 2 * M_PI * x / kCells;
    const float r = TerrainRenderer::kGlobeRadius + height;
    return {float(r * std::sin(a) * std::cos(b)), float(-r * std::cos(a)), float(r * std::sin(a) * std::sin(b))};
}

// Two triangles per cell over columns [x0, x1), one row of cells.
struct Patch {
    std::vector<TerrainVertex> vertices;
    std::vector<std::pair<int, int>> grid;
    std::vector<uint16_t> indices;
    Patch(int x0, int x1) {
        for (int y : {kY, kY + 1})
            for (int x = x0; x <= x1; ++x) {
                const math::Vec3 p = gridPoint(x, y, 0);
                vertices.push_back({p.x, p.y, p.z, 0, 1, 0, 0xFFFFFFFF, 0, 0, 0, 0});
                grid.emplace_back(x, y);
            }
        const int n = x1 - x0 + 1;
        for (int i = 0; i < n - 1; ++i)
            for (int k : {i, i + n, i + 1, i + 1, i + n, i + n + 1}) indices.push_back(uint16_t(k));
    }
};

class ImageryOverlayTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        source_ = ImagerySource::make("", settings::ImageryLayer::CloudFree, error);
        ImageryDiskCache disk(home_.path() / "cache", 1u << 30);
        for (int column : {80, 86, 87, 88})
            disk.store(source_->cacheFolder() + "/static/7/18/" + std::to_string(column) + ".jpg",
                       test::makeJpeg(std::vector<uint8_t>(512 * 512 * 3, 150), 512, 512, 3));
        loader_ = std::make_unique<ImageryLoader>(*source_, nullptr, std::make_unique<ImageryDiskCache>(disk.root(), 1u << 30));
    }
    ImageryOverlay::View view(float kmUp, double now = 100, bool fade = false, double x = kEdgeX + 2.5) {
        return {gridPoint(x, kY + 0.5, kmUp / 100), 2 * std::tan(0.6f) / 1280, kCells, now, fade};
    }
    // A frame over the patch; then the loader's turn.
    std::vector<uint16_t> frame(ImageryOverlay& overlay, const Patch& patch, const ImageryOverlay::View& v) {
        device_.clearRecord();
        overlay.beginFrame(device_, v);
        std::vector<uint16_t> builtIn;
        overlay.takePatch(patch.vertices, patch.grid, patch.indices, builtIn);
        overlay.drawPatch(device_, patch.vertices);
        overlay.endFrame();
        const std::vector<ImageryTileKey> wanted = overlay.missing();
        for (int i = 0; i < 2000; ++i) {
            loader_->update(v.now);
            if (std::all_of(wanted.begin(), wanted.end(), [&](auto& k) { return loader_->settled(k); })) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return builtIn;
    }
    test::TestHome home_;
    std::optional<ImagerySource> source_;
    std::unique_ptr<ImageryLoader> loader_;
    gfx::RecordingDevice device_{1280, 720};
};

TEST_F(ImageryOverlayTest, TilesTakeTheTrianglesTheyCoverAndLeaveTheRestToTheBuiltInTexture) {
    device_.setCaptureGeometry(true);
    ImageryOverlay overlay(*loader_);
    const Patch across(kEdgeX - 2, kEdgeX + 3);  // 5 cells: 2 west of the edge, its own, 2 east
    // Far away nothing is magnified: no tile is asked for.
    EXPECT_EQ(frame(overlay, across, view(8000)), across.indices);
    EXPECT_TRUE(!overlay.active() && overlay.missing().empty());
    // Nor beyond the horizon (20 degrees east, seen from 60 km up).
    const Patch hidden(kEdgeX + 455, kEdgeX + 458);
    EXPECT_TRUE(frame(overlay, hidden, view(60)) == hidden.indices && loader_->counters().lookups == 0);

    // At 60 km the finest tiles either side of the edge are asked for; the
    // disk has 80 only.
    EXPECT_EQ(frame(overlay, across, view(60)), across.indices);
    // 81 is nearer, but has none to come.
    EXPECT_EQ(overlay.missing(), (std::vector<ImageryTileKey>{{7, 18, 80}}));
    std::vector<uint16_t> builtIn = frame(overlay, across, view(60));
    EXPECT_EQ(overlay.counters().uploads, 1);
    // West of the edge the tile alone (4 triangles); the edge's cell and
    // the east keep the built-in texture, the edge's cell with the tile over it.
    EXPECT_EQ(std::tuple(builtIn.size(), overlay.counters().ownTriangles, overlay.counters().overTriangles),
              std::tuple(across.indices.size() - 4 * 3, 4, 2));
    ASSERT_EQ(device_.draws().size(), 2u);
    const gfx::RecordedDraw& over = device_.draws()[1];
    EXPECT_TRUE(over.alphaBlend);
    // The mask keeps the tile's own part: inside [0.25, 0.75] west of the
    // edge, past 0.75 east of it.
    for (size_t i = 0; i < over.vertices.size() / 44; ++i) {
        const float u1 = io::loadF32(over.vertices.data() + i * 44 + 36), u0 = io::loadF32(over.vertices.data() + i * 44 + 28);
        EXPECT_TRUE(u1 > 0.75f == u0 > 1.0f && std::abs(u1 - (0.25f + 0.5f * u0)) < 1e-4f) << i;
    }
    // The device's states as they were.
    EXPECT_EQ(std::tuple(device_.textureStageState(1, gfx::TextureStageState::ColorOp),
                         device_.renderState(gfx::RenderState::AlphaTestEnable), device_.texture(1)),
              std::tuple(uint32_t(gfx::kTopDisable), 0u, nullptr));
    EXPECT_TRUE(overlay.complete());
}

TEST_F(ImageryOverlayTest, AtMostTwoUploadsAFrameAndATileFadesInOverTheBuiltInTexture) {
    ImageryOverlay overlay(*loader_);
    const Patch east(kEdgeX + 300, kEdgeX + 380);  // lies on tiles 86, 87 and 88
    auto above = [&](double now) { return view(60, now, true, kEdgeX + 340); };
    frame(overlay, east, above(100));
    ASSERT_EQ(overlay.missing().size(), 3u);
    frame(overlay, east, above(100));
    EXPECT_EQ(overlay.counters().uploads, 2);
    // The third next frame; those just uploaded blend over the built-in
    // texture, which draws all.
    EXPECT_EQ(frame(overlay, east, above(100.2)), east.indices);
    EXPECT_TRUE(overlay.counters().uploads == 1 && overlay.fading() && overlay.counters().overTriangles > 0);
    EXPECT_TRUE(device_.draws().back().alphaBlend);
    // Faded in: the tiles alone (those on an edge once per tile), and the view is complete.
    EXPECT_TRUE(frame(overlay, east, above(101)).empty());
    EXPECT_TRUE(!overlay.fading() && overlay.complete() && overlay.onScreen());
    EXPECT_EQ(overlay.counters().ownTriangles, int(east.indices.size() / 3) + 4);
}

}  // namespace
}  // namespace tnx::globe
