#include "app/music_player_launcher.h"

#include "player/playlist_builder.h"

namespace tnx::app {

std::unique_ptr<player::PlayerFacade> MusicPlayerLauncher::start(settings::Configuration& config,
                                                                 player::RandomSource& random) {
    settings::MusicConfiguration& music = config.music();
    if (!music.enabled) return nullptr;
    const int32_t modeBefore = music.playMode;
    player::PlaylistBuilder builder(random);
    std::optional<std::string> text = builder.buildText(music);
    if (music.playMode != modeBefore) config.markChanged();
    // The viewer's command line holds only its own switches: nothing there
    // is for the engine, so it gets none of it (a switch's number would
    // otherwise be taken for a file to play).
    return std::make_unique<player::PlayerFacade>(text.value_or(std::string()));
}

}  // namespace tnx::app
