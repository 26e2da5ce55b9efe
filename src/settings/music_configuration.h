// The music configuration the playlist is built from: the enable switch,
// the play mode, the maximum number of files, the file list and the
// directory list with the selected directories. Plain values; the
// configuration file keeps them as its "saveconfigmp3" record.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tnx::settings {

enum PlayMode : int32_t {
    kPlayModeRandom = 0,               // one of the others, drawn when a playlist is first built
    kPlayModeFileList = 1,
    kPlayModeSelectedDirectories = 2,
    kPlayModeOneRandomDirectory = 3,   // 3 … 7: 1 … 5 directories drawn at random
    kPlayModeFiveRandomDirectories = 7,
    kPlayModeAllFilesRandomly = 8,
};
constexpr int32_t kPlayModeCount = 9;

// The play mode's text as the configuration dialog lists it.
const char* playModeText(int32_t mode);

constexpr int32_t kMaxSelectedDirectories = 256;
constexpr int32_t kMaxFilesLimit = 999;

struct MusicConfiguration {
    int32_t reserved = 0;
    bool enabled = false;
    int32_t maxFiles = 99;  // 0 … 999
    bool spectrumShown = true;
    bool randomizeOnStart = true;
    int32_t playMode = kPlayModeAllFilesRandomly;
    // Indices into the directory list, ascending, ended by -1.
    std::array<int32_t, kMaxSelectedDirectories> selectedDirectories = filledWithNone();
    std::vector<std::string> fileList;
    std::vector<std::string> directoryList;

    static std::array<int32_t, kMaxSelectedDirectories> filledWithNone() {
        std::array<int32_t, kMaxSelectedDirectories> a;
        a.fill(-1);
        return a;
    }
};

}  // namespace tnx::settings
