// A control of the music player on the HUD: a button whose click calls the
// player operation chosen by its id (it never toggles), and the label, a
// player button that does nothing when clicked.
#pragma once

#include <functional>

#include "hud/hud_element.h"

namespace tnx::hud {

class PlayerButton : public HudElement {
public:
    // Called with the element's id on a click that was not a drag.
    using Operation = std::function<void(int32_t id)>;

    PlayerButton(int32_t id, Operation operation) : HudElement(id), operation_(std::move(operation)) {}

    void leftButtonUp() override;

protected:
    virtual bool acts() const { return true; }

private:
    Operation operation_;
};

class PlayerLabel : public PlayerButton {
public:
    explicit PlayerLabel(int32_t id) : PlayerButton(id, nullptr) {}

protected:
    bool acts() const override { return false; }
};

}  // namespace tnx::hud
