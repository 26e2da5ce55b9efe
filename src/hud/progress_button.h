// A player status text with a progress bar under its text: one extra quad
// along the face's lower edge that grows with the play position.
#pragma once

#include <array>

#include "hud/player_button.h"

namespace tnx::hud {

class ProgressButton : public PlayerButton {
public:
    // The bar starts this far in from the face's left edge and covers at
    // most this share of the width.
    static constexpr float kInset = 0.05f;
    static constexpr float kShare = 0.915f;
    static constexpr gfx::Color kBarColour = 0xC040E0FF;

    using PlayerButton::PlayerButton;

    // position / length of the item (any units); a position outside
    // 0 .. length is held at the nearer end.
    void setProgress(double position, double length);
    // The bar's right edge in element units.
    float barRight() const { return bar_[2].x; }
    std::span<const HudVertex> barVertices() const { return bar_; }

    void buildFrame() override;
    // Draws children of its own: changes redraw everything over the scene.
    bool addCoverage(float, int, int, app::OverlayArea&) const override { return false; }
    void draw(gfx::Device& device, float seconds) override;

private:
    void layoutBar();

    float fraction_ = 0;
    std::array<HudVertex, 4> bar_{};
};

}  // namespace tnx::hud
