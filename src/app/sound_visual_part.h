// The sound visualisation as the viewer core's part: updated and drawn each
// frame after the scene, offered the mouse after the HUD, given the
// player's commands, saved in "3dvis.ini".
#pragma once

#include <memory>

#include "app/viewer_part.h"
#include "soundvis/facade_player.h"
#include "soundvis/sound_visual_layer.h"

namespace tnx::app {

class SoundVisualPart : public ViewerPart {
public:
    // `facade` may be null (no player): the controls then stay hidden.
    SoundVisualPart(hud::HudRoot& root, bool spectrumShown, player::PlayerFacade* facade);

    soundvis::SoundVisualLayer& layer() { return *layer_; }

    void advance(float seconds) override { layer_->update(seconds); }
    void draw(gfx::Device& device, float seconds) override {
        if (!hidden_) layer_->draw(device, seconds);
    }
    // --hide hud: the spectrum goes with the rest of the HUD.
    void setHidden(bool hidden) { hidden_ = hidden; }
    bool handleMouse(const win::Message& m, bool& holdsDrag) override;
    void handleMessage(const win::Message& m) override;
    settings::RecordOwner* recordOwner() override { return layer_.get(); }
    void settingsLoaded() override;

private:
    bool hidden_ = false;
    std::unique_ptr<soundvis::FacadePlayer> player_;
    std::unique_ptr<soundvis::SoundVisualLayer> layer_;
};

}  // namespace tnx::app
