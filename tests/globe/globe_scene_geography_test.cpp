// The globe scene with geography data in its home: boundaries drawn between
// the terrain and the front graticule with the depth bias, the overlay last,
// clicks and "Clear" reaching the overlay, and the cities in the scene's
// record.
#include <gtest/gtest.h>

#include <fstream>

#include "camera/camera_fakes.h"
#include "camera/mouse_state_tracker.h"
#include "camera/projection_provider.h"
#include "geodata/geo_files.h"
#include "globe/globe_scene.h"
#include "platform/gfx/recording_device.h"
#include "settings/preferences_store.h"
#include "support/test_home.h"

using namespace tnx;
using namespace tnx::globe;

namespace {

struct FakeSceneHost : GlobeSceneHost {
    camera::WindowMode windowMode() const override { return camera::WindowMode::Windowed; }
    bool alwaysOnTop() const override { return false; }
    void trackContextMenu(const win::Menu&) override { ++menus; }
    int menus = 0;
};

class SceneGeography : public ::testing::Test {
protected:
    SceneGeography() {
        put("country.bin", test::countryFile({{"Ruritania", "Strelsau"}}));
        put("site.bin", test::siteFile({{"Ruritania",
                                         {{"Strelsau", 0, test::siteAngle(45), test::siteAngle(10), 0, 400000},
                                          {"Zenda", 1, test::siteAngle(47), test::siteAngle(12), 0, 20000}}}}));
        put("CARTE.BIN2", test::boundaryFile({test::ring(900, -4800, 1300, -4400, 2),
                                              {7, {{1000, -4500}, {1100, -4600}, {1200, -4700}}}}));
        std::string zones = "1 Ruritania\r\n0\r\nE\r\n";
        put("CARTE.ZONES", test::Bytes(zones.begin(), zones.end()));
        GlobeConfiguration config;
        config.graticuleOpacity = 96;
        scene_ = std::make_unique<GlobeScene>(16, 8, 8, device_, config, 0.9f, host_, projection_, frustum_,
                                              sceneHost_, UtcTime{2026, 3, 1, 12, 0, 0, 0});
        scene_->restore(device_);
    }
    void put(const std::string& name, const test::Bytes& bytes) {
        std::filesystem::create_directories(home_.file("pack"));
        std::ofstream(home_.file("pack") / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    void frame() {
        device_.clearRecord();
        scene_->advance(0.02f);
        device_.beginScene();
        scene_->draw(device_);
        device_.endScene();
    }
    void hoverCity(int city) {
        const auto& c = scene_->overlay().cities()[city];
        scene_->overlay().hover(true, c.longitude, c.latitude, 10);
    }

    test::TestHome home_;
    settings::PreferencesStore store_;
    gfx::RecordingDevice device_{800, 600};
    camera::test::FakeHost host_;
    camera::SingleViewProjection projection_{800, 600};
    camera::ViewFrustum frustum_{800, 600, 0.9f};
    FakeSceneHost sceneHost_;
    std::unique_ptr<GlobeScene> scene_;
};

TEST_F(SceneGeography, BoundariesComeBetweenTerrainAndFrontGraticuleWithDepthBias) {
    EXPECT_EQ(scene_->boundaries().polylineCount(), 2);
    EXPECT_EQ(scene_->zones().blockCount(), 1);
    EXPECT_EQ(scene_->overlay().countries().get(1)->zone, 1);
    EXPECT_EQ(scene_->overlay().countries().get(1)->capitalCity, 1);
    frame();
    const auto& d = device_.draws();
    int lastTerrain = -1, firstLine = -1, lastLine = -1, firstMeridianAfter = -1;
    std::vector<uint32_t> lineCounts;
    for (int i = 0; i < int(d.size()); ++i) {
        if (d[size_t(i)].fvf == gfx::kFvfPosNormalDiffuseTex2) lastTerrain = i;
        if (d[size_t(i)].type == gfx::PrimitiveType::LineList) {
            if (firstLine < 0) firstLine = i;
            lastLine = i;
            lineCounts.push_back(d[size_t(i)].primitiveCount);
            EXPECT_EQ(d[size_t(i)].zBias, 1u);
            EXPECT_TRUE(d[size_t(i)].zEnable);
            EXPECT_FALSE(d[size_t(i)].lighting);
            EXPECT_EQ(d[size_t(i)].world, math::matrixRotationY(-scene_->astronomy().spinAngle));
        }
        if (firstLine >= 0 && firstMeridianAfter < 0 && d[size_t(i)].vertexCount == 130) firstMeridianAfter = i;
    }
    ASSERT_GE(lastTerrain, 0);
    EXPECT_LT(lastTerrain, firstLine);
    EXPECT_EQ(lineCounts, (std::vector<uint32_t>{4, 2}));  // borders, then rivers
    EXPECT_GT(firstMeridianAfter, lastLine);

    scene_->viewOptions().rivers = false;
    frame();
    int lines = 0;
    for (const auto& x : device_.draws()) lines += x.type == gfx::PrimitiveType::LineList;
    EXPECT_EQ(lines, 1);
    scene_->viewOptions().boundaries = false;
    frame();
    for (const auto& x : device_.draws()) EXPECT_NE(x.type, gfx::PrimitiveType::LineList);
}

TEST_F(SceneGeography, ClicksMarkCitiesUnlessTheDistanceToolIsOnAndClearStartsAgain) {
    hoverCity(2);
    scene_->onClick();
    ASSERT_EQ(scene_->overlay().selection().marked().size(), 1u);
    scene_->viewOptions().distanceTool = true;
    hoverCity(1);
    scene_->onClick();
    EXPECT_EQ(scene_->overlay().selection().marked().size(), 1u);
    scene_->viewOptions().distanceTool = false;
    // "Unselect And Clear All" empties the list, then takes the hover as a click.
    scene_->onCommand(kCmdUnselectAll);
    ASSERT_EQ(scene_->overlay().selection().marked().size(), 1u);
    EXPECT_EQ(scene_->overlay().selection().marked()[0].city, 1);

    // The marked city survives in the scene's record.
    std::vector<uint8_t> rec;
    scene_->writeRecord(rec);
    scene_.reset();
    scene_ = std::make_unique<GlobeScene>(16, 8, 8, device_, GlobeConfiguration{}, 0.9f, host_, projection_, frustum_,
                                          sceneHost_);
    EXPECT_TRUE(scene_->overlay().selection().marked().empty());
    EXPECT_EQ(scene_->readRecord(rec), settings::kRecordApplied);
    ASSERT_EQ(scene_->overlay().selection().marked().size(), 1u);
    EXPECT_EQ(scene_->overlay().selection().marked()[0].city, 1);
}

TEST_F(SceneGeography, DistanceToolTakesClicksOnTheGlobeAndARightClickDropsItsPendingPoint) {
    // The pointer over the middle of the view, where the globe is.
    win::Message move{0, win::kWmMouseMove, 0, win::makeLParam(400, 300)};
    camera::mouseState().record(move);
    scene_->handleMessage(move);
    frame();
    frame();
    ASSERT_TRUE(scene_->pointerPoint().hit);
    geodata::DistanceTool& tool = scene_->distanceTool();
    scene_->viewOptions().distanceTool = true;
    scene_->onClick();
    EXPECT_EQ(tool.state(), geodata::DistanceTool::kWaitingSecond);
    scene_->onGlobeContextMenu();
    EXPECT_EQ(sceneHost_.menus, 0);
    EXPECT_EQ(tool.count(), 0);
    scene_->onClick();
    scene_->onClick();
    EXPECT_EQ(tool.completeCount(), 1);
    scene_->onGlobeContextMenu();  // nothing pending: the menu opens
    EXPECT_EQ(sceneHost_.menus, 1);
    // The ribbon is drawn with the line texture, after the overlay.
    frame();
    bool ribbon = false;
    for (const auto& d : device_.draws()) ribbon |= d.vertexCount == 4 && d.texture0 != nullptr && d.zBias == 1;
    EXPECT_TRUE(ribbon);
    // The measurement lives on in the scene's record; "Clear" empties it.
    std::vector<uint8_t> rec;
    scene_->writeRecord(rec);
    scene_->onCommand(kCmdUnselectAll);
    EXPECT_EQ(tool.count(), 0);
    EXPECT_EQ(scene_->readRecord(rec), settings::kRecordApplied);
    EXPECT_EQ(tool.count(), 1);
}

}  // namespace
