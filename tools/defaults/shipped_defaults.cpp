#include "shipped_defaults.h"

#include <cmath>

#include "hud/hud_builder.h"
#include "hud/hud_root.h"
#include "settings/configuration.h"
#include "settings/settings_record_file.h"
#include "settings/view_core_record.h"

namespace tnx::defaults {

using settings::GlobeConfiguration;

namespace {

constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }

// Land from 9000 m down to -500 m, then the sea from the shore to -11000 m:
// snow, rock and the browns of high ground, the yellows and greens of the
// plains; the sea from shallow turquoise to the deep trenches' dark blue.
constexpr std::array<uint32_t, GlobeConfiguration::kBands> kAtlasBands = {
    rgb(255, 255, 255), rgb(222, 214, 204), rgb(166, 124, 88),  rgb(190, 150, 96),  rgb(222, 196, 128),
    rgb(232, 224, 152), rgb(170, 204, 122), rgb(104, 168, 92),  rgb(84, 150, 88),   rgb(64, 132, 84),
    rgb(186, 226, 240), rgb(156, 206, 236), rgb(118, 178, 226), rgb(88, 148, 212),  rgb(66, 122, 196),
    rgb(48, 98, 176),   rgb(32, 72, 146),   rgb(18, 44, 106)};

// The same relief in the blues of a night sky, lightest on the peaks.
constexpr std::array<uint32_t, GlobeConfiguration::kBands> kNightBands = {
    rgb(214, 232, 255), rgb(150, 192, 244), rgb(104, 150, 222), rgb(82, 124, 204), rgb(66, 104, 184),
    rgb(54, 88, 164),   rgb(46, 76, 148),   rgb(40, 66, 134),   rgb(34, 58, 122),  rgb(28, 50, 110),
    rgb(22, 38, 86),    rgb(19, 33, 78),    rgb(16, 28, 70),    rgb(13, 23, 62),   rgb(10, 19, 54),
    rgb(8, 15, 46),     rgb(6, 11, 38),     rgb(4, 8, 30)};

GlobeConfiguration common() {
    GlobeConfiguration c;
    c.bandColors = kAtlasBands;
    c.landOpacity = 255;
    c.oceanOpacity = 255;
    // The saver orbits between a near view that fills the screen and a far
    // one that shows the whole globe, once round in about a minute and a half.
    c.cameraNearKm = 12000;
    c.cameraFarKm = 30000;
    c.cameraProgram = 2;
    c.cameraSpeed = 10;
    return c;
}

// The viewer's horizontal field of view for a window wider than tall.
float fieldOfView(int width, int height) {
    return 2.0f * std::atan(std::tan(0.39269876f) * float(width) / float(height));
}

}  // namespace

GlobeConfiguration naturalTheme() {
    GlobeConfiguration c = common();
    c.options = GlobeConfiguration::kShadeLand | GlobeConfiguration::kShadeOcean;
    c.graticuleColor = rgb(255, 255, 255);
    c.graticuleOpacity = 0;
    c.exaggeration = 8;
    c.atmosphereColor = rgb(110, 160, 255);
    c.atmosphereOpacity = 140;
    c.saturation = 115;
    c.brightness = 115;
    return c;
}

GlobeConfiguration reliefAtlasTheme() {
    GlobeConfiguration c = common();
    c.options = GlobeConfiguration::kShadeLand | GlobeConfiguration::kShadeOcean | GlobeConfiguration::kColorLand |
                GlobeConfiguration::kColorOcean;
    c.graticuleColor = rgb(230, 230, 230);
    c.graticuleOpacity = 70;
    c.exaggeration = 20;
    c.atmosphereColor = rgb(150, 190, 255);
    c.atmosphereOpacity = 110;
    return c;
}

GlobeConfiguration nightBlueTheme() {
    GlobeConfiguration c = common();
    c.bandColors = kNightBands;
    c.options = GlobeConfiguration::kShadeLand | GlobeConfiguration::kShadeOcean | GlobeConfiguration::kColorLand |
                GlobeConfiguration::kColorOcean;
    c.graticuleColor = rgb(120, 170, 255);
    c.graticuleOpacity = 90;
    c.exaggeration = 12;
    c.atmosphereColor = rgb(50, 100, 255);
    c.atmosphereOpacity = 190;
    return c;
}

std::vector<uint8_t> configurationImage() {
    settings::Configuration config;
    settings::GlobeConfigRecord& globe = config.globe();
    globe = settings::GlobeConfigRecord(naturalTheme());
    globe.saveThemeAs(kNaturalName);
    globe.live() = reliefAtlasTheme();
    globe.saveThemeAs(kReliefAtlasName);
    globe.live() = nightBlueTheme();
    globe.saveThemeAs(kNightBlueName);
    globe.switchTheme(1);
    globe.live() = naturalTheme();
    // The player starts switched off, playing from all folders at random
    // once the user names some.
    config.music() = settings::MusicConfiguration{};
    // Online imagery on: the daily layer from the NASA service, 1 GB of disk
    // cache, the screen saver offline.
    config.imagery() = settings::ImagerySettings{};
    return *config.file().assemble();
}

std::vector<uint8_t> settingsImage() {
    hud::HudRoot root(fieldOfView(kLayoutWidth, kLayoutHeight), kLayoutWidth, kLayoutHeight, nullptr);
    hud::HudBuilder::build(root);
    settings::ViewCoreRecord record;
    record.setChildren(nullptr, &root, nullptr);
    return *settings::SettingsRecordFile::assemble(record);
}

}  // namespace tnx::defaults
