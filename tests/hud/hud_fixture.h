// A HUD root on a recording device with a made-up font and its own pointer
// tracker, and helpers that send mouse messages the way the viewer core
// does: the tracker first, then the root.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "core/process_state.h"
#include "hud/hud_root.h"
#include "platform/gfx/recording_device.h"
#include "settings/option_block.h"
#include "support/fake_glyph_rasteriser.h"

namespace tnx::hud::test {

class HudFixture : public ::testing::Test {
protected:
    static constexpr int kWidth = 1280, kHeight = 720;

    void SetUp() override {
        app::processState().saverMode = app::SaverMode::InteractiveViewer;
        settings::optionBlock().set(settings::OptionBlock::kHudShown, 1);
        font_ = std::make_unique<text::TextureFont>("Arial", 25, 700, false, device_, 0,
                                                    std::make_unique<tnx::test::FakeGlyphRasteriser>());
        font_->restore(device_);
        root_ = std::make_unique<HudRoot>(fov(), kWidth, kHeight, font_.get(), tracker_);
    }
    void TearDown() override {
        app::processState().saverMode = app::SaverMode::Configuration;
        settings::optionBlock().set(settings::OptionBlock::kHudShown, 1);
    }
    static float fov() { return 2.0f * std::atan(std::tan(0.39269876f) * float(kWidth) / float(kHeight)); }

    // A plain element, placed and settled.
    HudElement& addElement(int32_t id, float x, float y, float z, float w = 2.0f, float h = 0.5f) {
        auto e = std::make_unique<HudElement>(id);
        e->init(HudElement::kFontTexture, w, h, 0, 50, 0xC0C0C080, 0xFFC0F0C0, 0xFF10F080);
        e->placeAt(x, y, z);
        HudElement& ref = *e;
        root_->add(std::move(e));
        settle();
        return ref;
    }
    void settle() {
        for (int i = 0; i < 200; ++i) root_->draw(device_, 0.02f);
        device_.clearRecord();
    }

    // Pixel of a point at depth z in front of the camera.
    int pixelX(float x, float z) const { return int(std::lround(kWidth / 2 + x / z / root_->pixelScale())); }
    int pixelY(float y, float z) const { return int(std::lround(kHeight / 2 - y / z / root_->pixelScale())); }
    int centreX(const HudElement& e) const { return pixelX(e.x() + e.width() / 2, e.depth()); }
    int centreY(const HudElement& e) const { return pixelY(e.y() - e.height() / 2, e.depth()); }

    bool send(uint32_t id, int px, int py, uint32_t keys = 0) {
        win::Message m{0, id, keys, win::makeLParam(px, py)};
        tracker_.record(m, clock_ += 16);
        return root_->mouse(m);
    }
    bool move(int px, int py, uint32_t keys = 0) { return send(win::kWmMouseMove, px, py, keys); }
    // Button down at a point, moves to another in `steps`, button up there.
    void drag(int x0, int y0, int x1, int y1, uint32_t keys, int steps = 4) {
        move(x0, y0);
        if (keys & win::kMkLButton) send(win::kWmLButtonDown, x0, y0, keys);
        if (keys & win::kMkRButton) send(win::kWmRButtonDown, x0, y0, keys);
        for (int i = 1; i <= steps; ++i)
            move(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps, keys);
        if (keys & win::kMkLButton) send(win::kWmLButtonUp, x1, y1, keys & ~win::kMkLButton);
        if (keys & win::kMkRButton) send(win::kWmRButtonUp, x1, y1, 0);
    }
    void click(const HudElement& e, bool right = false) {
        const int x = centreX(e), y = centreY(e);
        move(x, y);
        send(right ? win::kWmRButtonDown : win::kWmLButtonDown, x, y, right ? win::kMkRButton : win::kMkLButton);
        send(right ? win::kWmRButtonUp : win::kWmLButtonUp, x, y, 0);
    }

    gfx::RecordingDevice device_{kWidth, kHeight};
    camera::MouseStateTracker tracker_;
    std::unique_ptr<text::TextureFont> font_;
    std::unique_ptr<HudRoot> root_;
    int32_t clock_ = 1000;
};

}  // namespace tnx::hud::test
