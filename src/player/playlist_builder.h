// Turns the music configuration into the list of files to play when the
// player starts: chooses directories by the play mode, lists the MP3 files
// in them and in their subdirectories (each folder once, so links that
// loop back are harmless), adds the file list where the mode wants it, and
// cuts the result to the maximum number of files, in order or drawn at
// random.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "settings/music_configuration.h"
#include "player/random_source.h"

namespace tnx::player {

// The music configuration belongs to the configuration file; the player
// reads it under its own names.
using settings::MusicConfiguration;
using settings::playModeText;
using enum settings::PlayMode;
using settings::kPlayModeCount;
using settings::kMaxFilesLimit;
using settings::kMaxSelectedDirectories;


class PlaylistBuilder {
public:
    // At most this much playlist text (paths, their NULs and the final NUL).
    static constexpr size_t kMaxTextBytes = 1 << 20;
    // A directory list this long or longer is ignored: the file list plays.
    static constexpr size_t kMaxDirectories = 5000;

    explicit PlaylistBuilder(RandomSource& random) : random_(random) {}

    // The files to play, or nothing when the mode is outside 0 … 8. A mode
    // of 0 is replaced in `config` by the mode drawn.
    std::optional<std::vector<std::string>> build(MusicConfiguration& config);
    // The same as playlist text.
    std::optional<std::string> buildText(MusicConfiguration& config);

private:
    std::vector<size_t> chooseDirectories(const MusicConfiguration& config, int32_t mode, size_t count);
    void listDirectory(const std::string& dir);
    bool append(std::string path);

    RandomSource& random_;
    std::vector<std::string> files_;
    size_t textBytes_ = 0;
    std::vector<std::string> visited_;  // canonical folders already listed, sorted
};

}  // namespace tnx::player
