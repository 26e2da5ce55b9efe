// What the sound visualisation needs of the music player: its commands,
// the status shown once a frame and the spectrum of what is being heard.
#pragma once

#include <string>
#include <vector>

#include "player/player_facade.h"

namespace tnx::soundvis {

class MusicPlayer {
public:
    virtual ~MusicPlayer() = default;
    virtual void stop() = 0;
    virtual void play() = 0;
    virtual void next() = 0;
    virtual void previous() = 0;
    virtual void pause() = 0;
    virtual void openFiles(const std::vector<std::string>& paths) = 0;
    virtual player::PlayerStatus status() const = 0;
    // False (and zeros) while nothing plays.
    virtual bool spectrum(player::SpectrumBands& out) const = 0;
};

}  // namespace tnx::soundvis
