// The engine's facade as the visualisation's music player.
#pragma once

#include "soundvis/music_player.h"

namespace tnx::soundvis {

class FacadePlayer : public MusicPlayer {
public:
    explicit FacadePlayer(player::PlayerFacade& facade) : facade_(facade) {}
    void stop() override { facade_.stop(); }
    void play() override { facade_.play(); }
    void next() override { facade_.next(); }
    void previous() override { facade_.previous(); }
    void pause() override { facade_.pause(); }
    void openFiles(const std::vector<std::string>& paths) override { facade_.openFiles(paths); }
    player::PlayerStatus status() const override { return facade_.status(); }
    bool spectrum(player::SpectrumBands& out) const override { return facade_.spectrum(out); }

private:
    player::PlayerFacade& facade_;
};

}  // namespace tnx::soundvis
