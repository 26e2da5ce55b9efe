#include "settings/music_configuration.h"

namespace tnx::settings {

namespace {

const char* const kModeTexts[kPlayModeCount] = {
    "Random",
    "Play the file list",
    "Play selected directories",
    "Play a random directory",
    "Play 2 random directories",
    "Play 3 random directories",
    "Play 4 random directories",
    "Play 5 random directories",
    "Pick from all files randomly",
};

}  // namespace

const char* playModeText(int32_t mode) { return mode >= 0 && mode < kPlayModeCount ? kModeTexts[mode] : ""; }

}  // namespace tnx::settings
