#include "hud/player_button.h"

namespace tnx::hud {

void PlayerButton::leftButtonUp() {
    const bool dragged = (flags_ & (kLeftDragged | kRightDragged)) != 0;
    flags_ &= ~(kLeftDown | kLeftDragged);
    animating_ = 1;
    if (!dragged && acts() && operation_) operation_(id_);
}

}  // namespace tnx::hud
