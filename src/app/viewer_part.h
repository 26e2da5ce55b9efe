// A layer the viewer core owns and drives each frame: the globe scene, the
// HUD root and the sound visualisation each sit behind this interface.
#pragma once

#include "core/process_state.h"
#include "platform/gfx/device.h"
#include "settings/record.h"
#include "platform/win/messages.h"

namespace tnx::app {

class ViewerPart {
public:
    virtual ~ViewerPart() = default;
    // Device resources: released before a reset, rebuilt after it, with the
    // viewer core's field of view for the device's viewport.
    virtual void restore(gfx::Device&, float /*fieldOfView*/) {}
    virtual void invalidate() {}
    virtual void advance(float /*seconds*/) {}
    virtual void draw(gfx::Device&, float /*seconds*/) {}
    // Drawn again over the unchanged scene, where only `area` is redrawn.
    virtual void drawOver(gfx::Device& device, float seconds, const OverlayArea&) { draw(device, seconds); }
    // A mouse message: true when this part took it. holdsDrag tells whether
    // the part now holds a drag (only the scene reports drags).
    virtual bool handleMouse(const win::Message&, bool& holdsDrag) {
        holdsDrag = false;
        return false;
    }
    // Every other message (commands, keys, the wheel).
    virtual void handleMessage(const win::Message&) {}
    // The part's record in "3dvis.ini", if it keeps one.
    virtual settings::RecordOwner* recordOwner() { return nullptr; }
    // "3dvis.ini" has been read into the parts (or could not be).
    virtual void settingsLoaded() {}
};

}  // namespace tnx::app
