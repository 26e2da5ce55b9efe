// Starts the background music when the configuration enables it: builds
// the playlist from the music configuration and creates the player with it.
#pragma once

#include <memory>

#include "player/player_facade.h"
#include "player/random_source.h"
#include "settings/configuration.h"

namespace tnx::app {

class MusicPlayerLauncher {
public:
    // Null when the player is not enabled. A play mode of "Random" is
    // replaced by the mode drawn, and the configuration marked changed so
    // the choice is kept. A mode out of range plays nothing, but the player
    // is there for "Open Files".
    static std::unique_ptr<player::PlayerFacade> start(settings::Configuration& config, player::RandomSource& random);
};

}  // namespace tnx::app
