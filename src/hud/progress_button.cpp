#include "hud/progress_button.h"

#include <algorithm>
#include <cmath>

#include "hud/hud_root.h"

namespace tnx::hud {

void ProgressButton::setProgress(double position, double length) {
    double f = position / (length + 0.001);
    // The engine's length is an estimate and the position may pass it.
    fraction_ = std::isfinite(f) ? float(std::clamp(f, 0.0, 1.0)) : 0.0f;
    layoutBar();
    animating_ = 1;
}

void ProgressButton::buildFrame() {
    HudElement::buildFrame();
    layoutBar();
}

void ProgressButton::layoutBar() {
    const float right = width_ * fraction_ * kShare + kInset;
    // A strip along the lower quarter of the face, under the text.
    quadGeometry(bar_.data(), kInset, -0.75f * height_, right, -0.92f * height_, 0, kBarColour, kBarColour);
}

void ProgressButton::draw(gfx::Device& device, float seconds) {
    if (!visible() || !root_) return;
    device.setTransform(gfx::TransformType::World, math::matrixTranslation(x_, y_, z_) * root_->inverseView());
    drawGeometry(device);
    if ((flags_ & kHover) || glow_ > 0) drawGlow(device, seconds);
    device.setTexture(0, nullptr);
    device.drawIndexedPrimitiveUP(gfx::PrimitiveType::TriangleList, 0, 4, 2, root_->indexTable(), bar_.data(),
                                  sizeof(HudVertex));
    const int quads = std::min(glyphVertexCount_ / 4, kMaxGlyphs);
    if (quads > 0) {
        bindTexture(device, textureMode_);
        device.drawIndexedPrimitiveUP(gfx::PrimitiveType::TriangleList, 0, uint32_t(4 * quads), uint32_t(2 * quads),
                                      root_->indexTable(), glyphStore(), sizeof(HudVertex));
    }
}

}  // namespace tnx::hud
