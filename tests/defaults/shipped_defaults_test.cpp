// The settings files the program ships: the committed files are what the
// defaults writer makes; "Terranox.ini" holds the themes and whole values;
// "3dvis.ini" puts every HUD element in view in a 1280x720 window and on a
// 1920x1080 screen.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "hud/hud_builder.h"
#include "hud/hud_root.h"
#include "platform/io/file_io.h"
#include "platform/resources/resource_lookup.h"
#include "settings/configuration.h"
#include "settings/settings_record_file.h"
#include "settings/view_core_record.h"
#include "shipped_defaults.h"
#include "support/test_home.h"

namespace tnx::defaults {
namespace {

std::filesystem::path committed(const std::string& name) {
    return std::filesystem::path(TERRANOX_SOURCE_TREE) / "src" / "resources" / "defaults" / name;
}

TEST(ShippedDefaults, CommittedFilesAreWhatTheWriterMakes) {
    // Run `terranox-defaults src/resources/defaults` after changing them.
    EXPECT_EQ(io::readWholeFile(committed("Terranox.ini")), configurationImage());
    EXPECT_EQ(io::readWholeFile(committed("3dvis.ini")), settingsImage());
}

TEST(ShippedDefaults, ConfigurationStartsNaturalWithTheThemesToChooseFrom) {
    test::TestHome home;
    const auto image = configurationImage();
    res::ScopedDefaultResourceHook hook([&](const std::string& name) -> std::optional<std::vector<uint8_t>> {
        if (name == "Terranox.ini") return image;
        return std::nullopt;
    });
    settings::Configuration c;
    c.load();
    EXPECT_FALSE(c.damaged());
    const settings::GlobeConfigRecord& g = c.globe();
    ASSERT_EQ(g.themeCount(), 4);
    EXPECT_EQ(g.theme(1).name, kNaturalName);
    EXPECT_EQ(g.theme(2).name, kReliefAtlasName);
    EXPECT_EQ(g.theme(3).name, kNightBlueName);
    EXPECT_EQ(g.currentTheme(), 1);
    EXPECT_EQ(g.live(), naturalTheme());
    // Natural shows the photograph; the other two colour land and sea by
    // height, so their bands must differ from band to band.
    EXPECT_EQ(g.live().options & (settings::GlobeConfiguration::kColorLand | settings::GlobeConfiguration::kColorOcean), 0);
    for (int t : {2, 3}) {
        const auto& look = g.theme(t).look;
        EXPECT_EQ(look.options & 0x18, 0x18);
        for (int b = 1; b < settings::GlobeConfiguration::kBands; ++b)
            EXPECT_NE(look.bandColors[size_t(b)], look.bandColors[size_t(b - 1)]) << t << " " << b;
    }
    // The saver's camera: an orbit between two distances, both outside the globe.
    EXPECT_GT(g.live().cameraNearKm, 6371);
    EXPECT_GT(g.live().cameraFarKm, g.live().cameraNearKm);
    // The player: off until the user turns it on; a start with it on
    // picks up to 99 files from every folder named, shuffled.
    const settings::MusicConfiguration& m = c.music();
    EXPECT_FALSE(m.enabled);
    EXPECT_EQ(m.maxFiles, 99);
    EXPECT_EQ(m.playMode, settings::kPlayModeAllFilesRandomly);
    EXPECT_TRUE(m.spectrumShown && m.randomizeOnStart);
    EXPECT_EQ(m.selectedDirectories[0], -1);
}

float fieldOfView(int width, int height) {
    return 2.0f * std::atan(std::tan(0.39269876f) * float(width) / float(height));
}

// Loads the shipped HUD into a root for a window of that size. Loading
// pulls into view whatever would lie outside it, so every element must
// come out exactly where the first run's layout has it.
void expectAllInView(int width, int height) {
    hud::HudRoot layout(fieldOfView(kLayoutWidth, kLayoutHeight), kLayoutWidth, kLayoutHeight, nullptr);
    hud::HudBuilder::build(layout);
    hud::HudRoot root(fieldOfView(width, height), width, height, nullptr);
    // The elements a first run creates, moved aside: the file places them.
    hud::HudBuilder::build(root);
    for (int i = 0; i < root.count(); ++i) root.element(i)->placeAt(0, 0, 40);
    ASSERT_EQ(root.count(), layout.count());

    settings::ViewCoreRecord record;
    record.setChildren(nullptr, &root, nullptr);
    ASSERT_GT(settings::SettingsRecordFile::loadImage(settingsImage(), record), 0);
    for (int i = 0; i < root.count(); ++i) {
        const hud::HudElement* e = root.element(i);
        const hud::HudElement* l = layout.element(i);
        EXPECT_NE(e->targetDepth(), 40.0f);
        EXPECT_FLOAT_EQ(e->targetX(), l->targetX()) << width << "x" << height << " " << std::hex << e->id();
        EXPECT_FLOAT_EQ(e->targetY(), l->targetY()) << width << "x" << height << " " << std::hex << e->id();
        EXPECT_FLOAT_EQ(e->targetDepth(), l->targetDepth());
    }
}

TEST(ShippedDefaults, HudFitsA720LineWindowAndA1080LineScreen) {
    expectAllInView(kLayoutWidth, kLayoutHeight);
    expectAllInView(1920, 1080);
}

}  // namespace
}  // namespace tnx::defaults
