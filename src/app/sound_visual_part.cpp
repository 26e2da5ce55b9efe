#include "app/sound_visual_part.h"

#include "soundvis/open_files_dialog.h"

namespace tnx::app {

SoundVisualPart::SoundVisualPart(hud::HudRoot& root, bool spectrumShown, player::PlayerFacade* facade) {
    if (facade) player_ = std::make_unique<soundvis::FacadePlayer>(*facade);
    layer_ = std::make_unique<soundvis::SoundVisualLayer>(root, spectrumShown, player_.get());
    layer_->setOpenFilesPrompt([](win::WindowId) { return soundvis::OpenFilesDialog::run(); });
}

bool SoundVisualPart::handleMouse(const win::Message& m, bool& holdsDrag) {
    holdsDrag = false;
    return !hidden_ && layer_->mouse(m);
}

void SoundVisualPart::handleMessage(const win::Message& m) {
    if (m.id == win::kWmCommand) layer_->command(win::loWord(m.wParam), m.window);
}

void SoundVisualPart::settingsLoaded() {
    // The HUD's records show every element they match; without a player
    // or a spectrum the player's stay hidden.
    layer_->showPlayerButtons(layer_->displayShown());
}

}  // namespace tnx::app
