// The settings files the program carries as its defaults: "Terranox.ini"
// with a few globe themes and the screen saver's settings, and "3dvis.ini"
// with the first run's HUD layout.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/globe_configuration.h"

namespace tnx::defaults {

// The themes, in the order the theme list shows them.
settings::GlobeConfiguration naturalTheme();
settings::GlobeConfiguration reliefAtlasTheme();
settings::GlobeConfiguration nightBlueTheme();

inline constexpr const char* kNaturalName = "Natural";
inline constexpr const char* kReliefAtlasName = "Relief Atlas";
inline constexpr const char* kNightBlueName = "Night Blue";

// The HUD is laid out for this window; a 16:9 view of any size shows the
// same layout, as the HUD scales with the view's height.
inline constexpr int kLayoutWidth = 1280;
inline constexpr int kLayoutHeight = 720;

// "Terranox.ini": the themes saved, "Natural" current.
std::vector<uint8_t> configurationImage();
// "3dvis.ini": the HUD as a first run builds it; the globe's and the sound
// visualisation's records empty, so theirs stay at their own defaults.
std::vector<uint8_t> settingsImage();

}  // namespace tnx::defaults
