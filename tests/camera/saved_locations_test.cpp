#include "camera/saved_locations.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "core/process_state.h"
#include "camera/camera.h"
#include "camera_fakes.h"
#include "platform/io/byte_io.h"
#include "platform/win/popup_menu.h"
#include "settings/preferences_store.h"
#include "support/test_home.h"

namespace tnx::camera {
namespace {

using math::Vec3;

TEST(SavedLocationsTest, EntriesAreNinetySixLittleEndianBytes) {
    SavedLocations list;
    list.saveAs("Home", 0.5f, {1, 2, 3}, {0, 0, 1}, {0, 1, 0});
    std::vector<uint8_t> bytes = list.serialize();
    ASSERT_EQ(bytes.size(), 96u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data())), "Home");
    for (size_t i = 4; i < 56; ++i) EXPECT_EQ(bytes[i], 0) << i;
    EXPECT_FLOAT_EQ(io::loadF32(&bytes[56]), 0.5f);
    EXPECT_FLOAT_EQ(io::loadF32(&bytes[60]), 1);
    EXPECT_FLOAT_EQ(io::loadF32(&bytes[64]), 2);
    EXPECT_FLOAT_EQ(io::loadF32(&bytes[68]), 3);
    EXPECT_FLOAT_EQ(io::loadF32(&bytes[80]), 1);  // direction z
    EXPECT_FLOAT_EQ(io::loadF32(&bytes[88]), 1);  // up y

    SavedLocations back;
    ASSERT_TRUE(back.parse(bytes));
    ASSERT_EQ(back.count(), 1u);
    EXPECT_EQ(back.at(0).name, "Home");
    EXPECT_FLOAT_EQ(back.at(0).rho, 0.5f);
    EXPECT_FLOAT_EQ(back.at(0).position.z, 3);
}

TEST(SavedLocationsTest, ACutOffEntryIsDroppedAndTheWholeOnesKept) {
    SavedLocations list;
    for (int i = 0; i < 3; ++i) list.saveAs("x" + std::to_string(i), 0, {1, 0, 0}, {1, 0, 0}, {0, 1, 0});
    std::vector<uint8_t> bytes = list.serialize();
    bytes.resize(bytes.size() + 95, 0xAB);  // a fourth entry one byte short
    settings::PreferencesStore store;
    store.setBinary(SavedLocations::kRecordKey, bytes.data(), uint32_t(bytes.size()));
    SavedLocations back;
    ASSERT_TRUE(back.load(store));
    ASSERT_EQ(back.count(), 3u);
    EXPECT_EQ(back.at(2).name, "x2");
    EXPECT_TRUE(back.parse(std::span<const uint8_t>(bytes.data(), 95)));
    EXPECT_TRUE(back.empty());
}

TEST(SavedLocationsTest, DamagedEntriesAreDroppedAndTheRestKept) {
    SavedLocations list;
    list.saveAs("good", 0, {1, 0, 0}, {1, 0, 0}, {0, 1, 0});
    list.saveAs("nan", std::numeric_limits<float>::quiet_NaN(), {1, 0, 0}, {1, 0, 0}, {0, 1, 0});
    list.saveAs("zero", 0, {1, 0, 0}, {0, 0, 0}, {0, 1, 0});
    list.saveAs("also good", 0, {2, 0, 0}, {1, 0, 0}, {0, 1, 0});
    std::vector<uint8_t> bytes = list.serialize();
    // A name field without its NUL is cut to 55 characters.
    std::fill(bytes.begin(), bytes.begin() + 56, uint8_t('n'));
    SavedLocations back;
    ASSERT_TRUE(back.parse(bytes));
    ASSERT_EQ(back.count(), 2u);
    EXPECT_EQ(back.at(0).name, std::string(55, 'n'));
    EXPECT_EQ(back.at(1).name, "also good");
}

TEST(SavedLocationsTest, NamesAreCutToFiftyFiveBytesOnACharacterBoundary) {
    EXPECT_EQ(SavedLocations::clampName(std::string(80, 'a')), std::string(55, 'a'));
    std::string umlauts;
    for (int i = 0; i < 30; ++i) umlauts += "\xC3\xBC";  // 60 bytes of two-byte characters
    std::string cut = SavedLocations::clampName(umlauts);
    EXPECT_EQ(cut.size(), 54u);
    EXPECT_EQ(cut, umlauts.substr(0, 54));
    EXPECT_EQ(SavedLocations::clampName(std::string("ab\0cd", 5)), "ab");
}

TEST(SavedLocationsTest, RemoveShiftsAndIgnoresBadIndexes) {
    SavedLocations list;
    for (const char* n : {"a", "b", "c"}) list.saveAs(n, 0, {1, 0, 0}, {1, 0, 0}, {0, 1, 0});
    list.remove(7);
    list.remove(size_t(-1));
    ASSERT_EQ(list.count(), 3u);
    list.remove(1);
    ASSERT_EQ(list.count(), 2u);
    EXPECT_EQ(list.at(1).name, "c");
    EXPECT_EQ(list.listLine(1), "  2  c");
    EXPECT_EQ(list.listLine(5), "");
}

TEST(SavedLocationsTest, ListsLongerThanFourThousandBytesComeBackWhole) {
    settings::PreferencesStore store;
    SavedLocations list;
    for (int i = 0; i < 60; ++i) list.saveAs("p" + std::to_string(i), 0, {float(i + 1), 0, 0}, {1, 0, 0}, {0, 1, 0});
    ASSERT_TRUE(list.store(store));
    SavedLocations back;
    ASSERT_TRUE(back.load(store));
    ASSERT_EQ(back.count(), 60u);
    EXPECT_EQ(back.at(59).name, "p59");
    // No record: an empty list.
    settings::PreferencesStore empty;
    EXPECT_FALSE(back.load(empty));
    EXPECT_TRUE(back.empty());
}

class LocationsAcrossRunsTest : public ::testing::Test {
protected:
    void SetUp() override {
        app::processState() = {};
        app::processState().saverMode = app::SaverMode::InteractiveViewer;
    }
    void TearDown() override { app::processState() = {}; }
    std::unique_ptr<Camera> run(settings::PreferencesStore& store) {
        return std::make_unique<Camera>(CameraSettings{}, 800, 600, 1.0f, host, projection, nullptr, &store, &tracker);
    }
    test::FakeHost host;
    SingleViewProjection projection{800, 600};
    MouseStateTracker tracker;
    tnx::test::TestHome home;
};

TEST_F(LocationsAcrossRunsTest, SavedLocationComesBackAfterRestartAndTheViewResumes) {
    const auto path = home.file("pref.ini");
    Vec3 lastPosition;
    {
        settings::PreferencesStore store;
        store.open(path);
        auto cam = run(store);
        cam->resumeLastLocation();  // fresh installation: nothing to resume
        EXPECT_TRUE(cam->locations().empty());
        cam->saveCurrentLocation("a");
        CameraFrame f;
        f.position = {150, 30, -20};
        f.direction = math::normalize(-f.position);
        f.up = {0, 1, 0};
        cam->setFrame(f);
        cam->setCountdown(42);
        lastPosition = cam->current().position;
        cam.reset();  // writes "current" and the countdown
        ASSERT_TRUE(store.write());
    }
    settings::PreferencesStore store;
    store.open(path);
    auto cam = run(store);
    EXPECT_FLOAT_EQ(cam->countdown(), 42);
    ASSERT_EQ(cam->locations().count(), 2u);
    EXPECT_EQ(cam->locations().at(1).name, "current");
    cam->resumeLastLocation();
    win::Menu menu;
    cam->fillLocationsMenu(menu);
    ASSERT_EQ(menu.items.size(), 1u);
    EXPECT_EQ(menu.items[0].text, "1  a");
    EXPECT_EQ(menu.items[0].id, 3000u);
    // Gliding back to the last view.
    EXPECT_NEAR(math::length(cam->target().position - lastPosition), 0, 1e-3);
    for (int i = 0; i < 2000; ++i) cam->update(0.05f, 0);
    // (The idle turn about the axis carries on once there.)
    EXPECT_NEAR(cam->distance(), math::length(lastPosition), 0.05);
    EXPECT_NEAR(cam->current().position.y, lastPosition.y, 0.05);
}

TEST_F(LocationsAcrossRunsTest, TheSaverNeitherReadsTheListNorTheCountdown) {
    settings::PreferencesStore store;
    SavedLocations list;
    list.saveAs("a", 0, {100, 0, 0}, {-1, 0, 0}, {0, 1, 0});
    list.store(store);
    uint8_t bytes[4];
    io::storeF32(bytes, 3);
    store.setBinary(Camera::kCountdownKey, bytes, 4);
    app::processState().saverMode = app::SaverMode::FullScreenSaver;
    auto cam = run(store);
    EXPECT_TRUE(cam->locations().empty());
    EXPECT_FLOAT_EQ(cam->countdown(), 0);
}

}  // namespace
}  // namespace tnx::camera
