#include "app/viewer_core.h"

#include <algorithm>
#include <cmath>

#include "app/floating_status.h"
#include "core/frame_timer.h"
#include "camera/mouse_state_tracker.h"
#include "settings/configuration.h"
#include "settings/settings_record_file.h"
#include "platform/win/message_queue.h"
#include "platform/win/window_system.h"

namespace tnx::app {

float ViewerCore::fieldOfViewFor(int32_t width, int32_t height) {
    if (height < width) return 2.0f * std::atan(std::tan(0.39269876f) * float(width) / float(height));
    return 0.7853975f;
}

ViewerCore::ViewerCore(gfx::Device& device, SaverMode mode) : device_(&device), mode_(mode) {
    readViewport(device);
    // Sharp on a scaled desktop: as many texels to a letter as it has pixels.
    const int32_t points = int32_t(std::lround(kFontPoints * device.presentParameters().pixelRatio));
    font_ = std::make_unique<text::TextureFont>("Arial", points, 700, false, device, 0);
}

ViewerCore::~ViewerCore() {
    if (maySaveSettingsFiles()) saveSettings();
    // Only a dialog's OK changes the configuration; a file that could not
    // be read is never rewritten otherwise.
    if (resetRequested_ && settings::configuration().changed()) settings::configuration().save();
}

int ViewerCore::loadSettings() {
    auto owner = [](const std::unique_ptr<ViewerPart>& p) { return p ? p->recordOwner() : nullptr; };
    record_.setChildren(owner(scene_), owner(hud_), owner(visual_));
    const int result = settings::SettingsRecordFile::load(settings::SettingsRecordFile::kFileName, record_);
    for (ViewerPart* p : {scene_.get(), hud_.get(), visual_.get()})
        if (p) p->settingsLoaded();
    return result;
}

int ViewerCore::saveSettings() {
    auto owner = [](const std::unique_ptr<ViewerPart>& p) { return p ? p->recordOwner() : nullptr; };
    record_.setChildren(owner(scene_), owner(hud_), owner(visual_));
    return settings::SettingsRecordFile::save(settings::SettingsRecordFile::kFileName, record_);
}

void ViewerCore::readViewport(gfx::Device& device) {
    const gfx::Viewport& vp = device.viewport();
    width_ = int32_t(vp.width);
    height_ = int32_t(vp.height);
    if (width_ <= 0 || height_ <= 0) {
        width_ = height_ = 1;
    }
    fov_ = fieldOfViewFor(width_, height_);
    tanHalfFov_ = std::tan(fov_ / 2);
    aspectTan_ = float(height_) * tanHalfFov_ / float(width_);
}

void ViewerCore::restore(gfx::Device& device) {
    device_ = &device;
    sceneImageKept_ = false;
    readViewport(device);
    if (scene_) scene_->restore(device, fov_);
    if (hud_) hud_->restore(device, fov_);
    if (visual_) visual_->restore(device, fov_);
    if (font_) font_->restore(device);
}

void ViewerCore::invalidate() {
    if (scene_) scene_->invalidate();
    if (hud_) hud_->invalidate();
    if (visual_) visual_->invalidate();
    if (font_) font_->invalidate();
}

void ViewerCore::advance() {
    ++passesSinceScene_;
    float seconds = float(frameTimer().tick());
    if (scene_) scene_->advance(seconds);
    if (hud_) hud_->advance(seconds);
    if (visual_) visual_->advance(seconds);
}

void ViewerCore::draw(gfx::Device& device) { drawFrame(device, false); }

void ViewerCore::drawOverlays(gfx::Device& device, const OverlayArea& area) {
    if (beginOverlayFrame(device, area)) drawFrame(device, true);
}

bool ViewerCore::beginOverlayFrame(gfx::Device& device, const OverlayArea& area) {
    int left = 0, top = 0, right = width_, bottom = height_;
    // Without a kept scene image the scene is drawn, and kept, whole.
    if (sceneImageKept_ && !area.whole) {
        left = std::max(left, area.left);
        top = std::max(top, area.top);
        right = std::min(right, area.right);
        bottom = std::min(bottom, area.bottom);
        if (right <= left || bottom <= top) return false;
    }
    clip_ = OverlayArea{true};
    if (device.beginPartialFrame(left, top, right, bottom)) clip_ = OverlayArea{false, left, top, right, bottom};
    return true;
}

void ViewerCore::drawFrame(gfx::Device& device, bool overlaysOnly) {
    constexpr gfx::Color kBlack = 0xFF000000;
    bool restore = overlaysOnly && sceneImageKept_;
    // A frame that draws the scene starts from black: a window's back
    // buffer holds nothing of the last frame after its swap, and where the
    // sky is not drawn the last frame would otherwise show through.
    device.clear(uint32_t(gfx::kClearZBuffer) | (restore ? 0u : uint32_t(gfx::kClearTarget)), kBlack, 1.0f, 0);
    if (gfx::failed(device.beginScene())) return;
    float seconds = float(frameTimer().frameSeconds());
    if (restore && !device.restoreSceneImage()) {
        restore = false;
        device.clear(gfx::kClearTarget, kBlack, 1.0f, 0);
    }
    if (!restore) {
        if (scene_) scene_->draw(device, seconds);
        ++sceneDraws_;
        // The image is kept for the overlays to be drawn over later, except
        // while the view moves (every pass draws the scene then): after
        // moving, the first overlay frame draws the scene and keeps it.
        const bool moving = passesSinceScene_ <= 1 && !overlaysOnly;
        sceneImageKept_ = !moving && device.keepSceneImage();
        passesSinceScene_ = 0;
    }
    if (overlaysOnly) ++overlayFrames_;
    device.setRenderState(gfx::RenderState::Lighting, 0);
    if (overlaysOnly) {
        if (visual_) visual_->drawOver(device, seconds, clip_);
        if (hud_) hud_->drawOver(device, seconds, clip_);
    } else {
        if (visual_) visual_->draw(device, seconds);
        if (hud_) hud_->draw(device, seconds);
    }
    device.setRenderState(gfx::RenderState::Lighting, 1);
    camera::mouseState().clearNewInput();
    device.endScene();
}

void ViewerCore::handleMessage(const win::Message& m) {
    camera::mouseState().record(m);
    if (m.id == win::kWmCommand) {
        switch (win::loWord(m.wParam)) {
            case kCmdResetGlobe:
                resetRequested_ = true;
                win::messageQueue().post({m.window, win::kWmCommand, kCmdUpdateFrame, 0});
                break;
            case kCmdFloatingStatus:
                if (FloatingStatus* status = floatingStatus()) status->toggleEnabled();
                processState().forceRedraw = true;
                break;
            default: break;
        }
    }
    if (win::isMouseMessage(m.id)) {
        routeMouse(m);
        return;
    }
    // The button bar's command handler flips the view options the scene reads.
    if (hud_ && m.id == win::kWmCommand) hud_->handleMessage(m);
    // The player's commands.
    if (visual_ && m.id == win::kWmCommand) visual_->handleMessage(m);
    if (m.id == win::kWmMouseWheel && scene_) {
        // The wheel's point comes in screen coordinates; the camera zooms
        // toward it in the window's own.
        int x = 0, y = 0;
        if (auto* ws = win::windowSystem()) ws->clientToScreen(m.window, x, y);
        win::Message local = m;
        local.lParam = win::makeLParam(win::xFromLParam(m.lParam) - x, win::yFromLParam(m.lParam) - y);
        scene_->handleMessage(local);
        return;
    }
    if (scene_) scene_->handleMessage(m);
}

void ViewerCore::routeMouse(const win::Message& m) {
    bool drag = false;
    if (owner_ == InputOwner::Scene && sceneDrag_) {
        if (scene_) scene_->handleMouse(m, drag);
        sceneDrag_ = drag;
        return;
    }
    bool hud = mode_ != SaverMode::FullScreenSaver;  // the saver's HUD takes no input
    auto tryPart = [&](ViewerPart* p, InputOwner who) {
        bool d = false;
        if (p && p->handleMouse(m, d)) {
            owner_ = who;
            return true;
        }
        return false;
    };
    bool taken;
    if (owner_ == InputOwner::Visual)
        taken = tryPart(visual_.get(), InputOwner::Visual) || (hud && tryPart(hud_.get(), InputOwner::Hud));
    else
        taken = (hud && tryPart(hud_.get(), InputOwner::Hud)) || tryPart(visual_.get(), InputOwner::Visual);
    if (taken) return;
    owner_ = InputOwner::Scene;
    if (scene_) scene_->handleMouse(m, drag);
    sceneDrag_ = drag;
}

}  // namespace tnx::app
