// The globe scene's frame on the recording device: what is drawn, in which
// order, under which conditions.
#include <gtest/gtest.h>

#include "camera/camera_fakes.h"
#include "camera/projection_provider.h"
#include "globe/globe_scene.h"
#include "platform/gfx/recording_device.h"
#include "settings/preferences_store.h"
#include "support/test_home.h"

using namespace tnx;
using namespace tnx::globe;

namespace {

struct FakeSceneHost : GlobeSceneHost {
    camera::WindowMode mode = camera::WindowMode::Windowed;
    int background = 2;
    int menus = 0;
    win::Menu lastMenu;
    camera::WindowMode windowMode() const override { return mode; }
    int transparentBackground() const override { return background; }
    bool alwaysOnTop() const override { return true; }
    void trackContextMenu(const win::Menu& m) override {
        ++menus;
        lastMenu = m;
    }
};

class SceneTest : public ::testing::Test {
protected:
    void build(GlobeConfiguration config, std::optional<UtcTime> when = UtcTime{2026, 3, 1, 12, 0, 0, 0}) {
        scene_.reset();
        scene_ = std::make_unique<GlobeScene>(16, 8, 8, device_, config, 0.9f, host_, projection_, frustum_, sceneHost_,
                                              when);
        scene_->restore(device_);
    }
    void frame() {
        device_.clearRecord();
        scene_->advance(0.02f);
        device_.beginScene();
        scene_->draw(device_);
        device_.endScene();
    }
    int countDraws(uint32_t vertexCount) const {
        int n = 0;
        for (const auto& d : device_.draws()) n += d.vertexCount == vertexCount;
        return n;
    }
    static GlobeConfiguration config(int graticule, int land = 128, int ocean = 128) {
        GlobeConfiguration c;
        c.graticuleOpacity = graticule;
        c.landOpacity = land;
        c.oceanOpacity = ocean;
        return c;
    }

    test::TestHome home_;
    settings::PreferencesStore store_;
    gfx::RecordingDevice device_{800, 600};
    camera::test::FakeHost host_;
    camera::SingleViewProjection projection_{800, 600};
    camera::ViewFrustum frustum_{800, 600, 0.9f};
    FakeSceneHost sceneHost_;
    std::unique_ptr<GlobeScene> scene_;

    // Vertex counts that identify the meshes.
    static constexpr uint32_t kMoon = 289, kMeridian = 130, kParallels = 17 * 256, kDisc = 65, kAtmosphere = 1025;
};

TEST_F(SceneTest, DrawsInItsFixedOrder) {
    build(config(96));
    frame();
    std::vector<uint32_t> order;
    for (const auto& d : device_.draws())
        if (d.vertexCount == kMoon || d.vertexCount == kMeridian || d.vertexCount == kParallels ||
            d.vertexCount == kDisc || d.vertexCount == kAtmosphere)
            if (order.empty() || order.back() != d.vertexCount) order.push_back(d.vertexCount);
    // Moon, back graticule (meridians, parallels), backing disc, atmosphere,
    // front graticule (meridians, parallels).
    std::vector<uint32_t> expected = {kMoon, kMeridian, kParallels, kDisc, kAtmosphere, kMeridian, kParallels};
    EXPECT_EQ(order, expected);
    EXPECT_EQ(countDraws(kMeridian), 32 + 36);
    // The sky (backdrop strips) comes first, drawn without depth.
    ASSERT_FALSE(device_.draws().empty());
    EXPECT_EQ(device_.draws().front().fvf, gfx::kFvfPosDiffuseTex1);
    EXPECT_FALSE(device_.draws().front().zEnable);
    // Back meridians are 1/16 turn apart, front ones 1/18.
    std::vector<const gfx::RecordedDraw*> meridians;
    for (const auto& d : device_.draws())
        if (d.vertexCount == kMeridian) meridians.push_back(&d);
    float spin = scene_->astronomy().spinAngle;
    auto angleOf = [](const math::Matrix& m) { return std::atan2(-m.m[0][2], m.m[0][0]); };
    auto expectAngle = [&](const gfx::RecordedDraw* d, float a) {
        EXPECT_NEAR(std::cos(angleOf(d->world)), std::cos(a), 1e-4);
        EXPECT_NEAR(std::sin(angleOf(d->world)), std::sin(a), 1e-4);
    };
    expectAngle(meridians[1], -(math::kPi / 16 + spin));
    expectAngle(meridians[32 + 1], -(math::kPi / 18 + spin));
}

TEST_F(SceneTest, GraticuleOpacityThresholdAndOpaqueGlobe) {
    build(config(15));
    frame();
    EXPECT_EQ(countDraws(kMeridian), 0);
    EXPECT_EQ(countDraws(kParallels), 0);
    build(config(16));
    frame();
    EXPECT_EQ(countDraws(kMeridian), 32 + 36);  // not opaque: back and front
    build(config(16, 255, 240));
    frame();
    EXPECT_TRUE(scene_->globeOpaque());
    EXPECT_EQ(countDraws(kMeridian), 36);        // front only
    EXPECT_EQ(countDraws(kDisc), 0);             // opaque and flat: no backing disc
    build(config(16, 255, 239));
    frame();
    EXPECT_FALSE(scene_->globeOpaque());
    EXPECT_EQ(countDraws(kDisc), 1);
}

TEST_F(SceneTest, GlobeProjectionTightensNearTheSurface) {
    build(config(96));
    // Projection z row: near n and far f give m22 = f / (f - n), m32 = -n f / (f - n).
    auto nearFar = [](const math::Matrix& p) {
        float a = p.m[2][2], b = p.m[3][2];
        float n = -b / a, f = n * a / (a - 1);
        return std::pair{n, f};
    };
    frame();
    auto [n1, f1] = nearFar(device_.draws().back().projection);
    float d = scene_->cameraDistance();
    EXPECT_NEAR(f1, (d + GlobeScene::kRadius) * 1.1f, f1 * 1e-3f);
    EXPECT_NEAR(n1, 1.0f, 1e-2f);  // far from the surface
    // The camera never goes below 63.8; there the near plane follows the far one.
    camera::CameraFrame f;
    f.position = {0, 0, -30};
    f.direction = {0, 0, 1};
    f.up = {0, 1, 0};
    scene_->camera().setFrame(f);
    scene_->camera().setTarget(f);
    frame();
    EXPECT_GE(scene_->cameraDistance(), 63.8f - 1e-3f);
    auto [n2, f2] = nearFar(device_.draws().back().projection);
    EXPECT_NEAR(n2, f2 * 0.0001f, f2 * 1e-5f);
}

TEST_F(SceneTest, EclipseShadowOnlyNearFullMoonInLine) {
    float h = 0;
    // The total lunar eclipse of 2000-01-21, 04:44 UT.
    build(config(0), UtcTime{2000, 1, 21, 4, 44, 0, 0});
    frame();
    EXPECT_TRUE(scene_->eclipseVisible(h));
    EXPECT_EQ(countDraws(65), 1 + 1) << "the shadow disc (65 vertices) besides the backing disc";
    // A week later the Moon is far from the shadow.
    build(config(0), UtcTime{2000, 1, 28, 4, 44, 0, 0});
    frame();
    EXPECT_FALSE(scene_->eclipseVisible(h));
}

TEST_F(SceneTest, AtmosphereColourLeavesGraticuleColoursAlone) {
    device_.setCaptureGeometry(true);
    build(config(96));
    frame();
    auto meridianColours = [&] {
        for (const auto& d : device_.draws())
            if (d.vertexCount == kMeridian) return d.vertices;
        return std::vector<uint8_t>{};
    };
    auto before = meridianColours();
    GlobeConfiguration c = config(96);
    c.atmosphereColor = 0x0000FF;
    scene_->applySettings(c);
    frame();
    EXPECT_EQ(meridianColours(), before);
    c.graticuleColor = 0x00FF00;
    scene_->applySettings(c);
    frame();
    EXPECT_NE(meridianColours(), before);
}

TEST_F(SceneTest, RecordHoldsTheCitiesThenTheDistanceBlockAndRefusesOtherNames) {
    build(config(0));
    std::vector<uint8_t> rec;
    settings::RecordWriter w(rec, "SAVECGLOBE");
    std::vector<uint8_t> city, dist;
    settings::RecordWriter(city, "saveccity").finish();  // no block: refused, defaults stay
    geodata::DistanceTool measured(63.71f);
    measured.addPoint(0.1f, 0.2f);
    measured.addPoint(0.5f, -0.3f);
    measured.writeRecord(dist);
    w.data().bytes(city.data(), city.size());
    w.data().bytes(dist.data(), dist.size());
    w.finish();
    EXPECT_EQ(scene_->readRecord(rec), settings::kRecordApplied);
    EXPECT_EQ(scene_->distanceTool().count(), 1);
    std::vector<uint8_t> out;
    scene_->writeRecord(out);
    // Size, "savecglobe", the 286-byte city record with nothing marked, the
    // distance record as it was read.
    ASSERT_EQ(out.size(), 4 + 11 + 286 + dist.size());
    EXPECT_EQ(io::loadU32(out.data() + 15), 286u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.data() + 19)), "saveccity");
    EXPECT_TRUE(std::equal(dist.begin(), dist.end(), out.end() - long(dist.size())));
    std::vector<uint8_t> other;
    settings::RecordWriter(other, "saveccamera").finish();
    EXPECT_EQ(scene_->readRecord(other), settings::kRecordNameDiffers);
    // A block running past the record's end.
    std::vector<uint8_t> bad = rec;
    bad[4 + 11] = 0xFF;
    EXPECT_EQ(scene_->readRecord(bad), settings::kRecordOverrun);
}

TEST_F(SceneTest, ContextMenuMarksModeAndHidesToolBarsWhenTransparent) {
    build(config(0));
    scene_->contextMenu();
    ASSERT_EQ(sceneHost_.menus, 1);
    EXPECT_TRUE(sceneHost_.lastMenu.find(40028)->checked);
    EXPECT_TRUE(sceneHost_.lastMenu.find(40023)->checked);
    EXPECT_TRUE(sceneHost_.lastMenu.find(40050)->checked);
    sceneHost_.mode = camera::WindowMode::Transparent;
    scene_->contextMenu();
    EXPECT_TRUE(sceneHost_.lastMenu.find(40023)->greyed);
    EXPECT_TRUE(sceneHost_.lastMenu.find(40020)->checked);
    EXPECT_TRUE(sceneHost_.lastMenu.find(40029)->checked);
    EXPECT_FALSE(scene_->viewOptions().toolBars);
    // Saved locations appear in the Locations sub-menu.
    scene_->camera().saveCurrentLocation("a");
    win::Menu m = scene_->buildContextMenu();
    const win::MenuItem* loc = m.find(3000);
    ASSERT_NE(loc, nullptr);
    EXPECT_EQ(loc->text, "1  a");
}

}  // namespace
