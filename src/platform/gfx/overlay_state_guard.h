// Puts back, when it goes out of scope, the device states an overlay (the
// HUD, the spectrum display) sets for itself: depth test, culling, blending
// and the world transform; with `textureStage` also stage 0's alpha
// operation, leaving the stage without a texture.
#pragma once

#include <array>
#include <cstdint>

#include "platform/gfx/device.h"

namespace tnx::gfx {

class OverlayStateGuard {
public:
    explicit OverlayStateGuard(Device& d, bool textureStage = false) : d_(d), textureStage_(textureStage) {
        for (size_t i = 0; i < kStates.size(); ++i) saved_[i] = d.renderState(kStates[i]);
        if (textureStage_) alphaOp_ = d.textureStageState(0, TextureStageState::AlphaOp);
        world_ = d.transform(TransformType::World);
    }
    ~OverlayStateGuard() {
        for (size_t i = 0; i < kStates.size(); ++i) d_.setRenderState(kStates[i], saved_[i]);
        if (textureStage_) d_.setTextureStageState(0, TextureStageState::AlphaOp, alphaOp_);
        d_.setTransform(TransformType::World, world_);
        if (textureStage_) d_.setTexture(0, nullptr);
    }
    OverlayStateGuard(const OverlayStateGuard&) = delete;
    OverlayStateGuard& operator=(const OverlayStateGuard&) = delete;

private:
    static constexpr std::array<RenderState, 5> kStates = {RenderState::ZEnable, RenderState::CullMode,
                                                           RenderState::AlphaBlendEnable, RenderState::SrcBlend,
                                                           RenderState::DestBlend};
    Device& d_;
    bool textureStage_;
    std::array<uint32_t, 5> saved_{};
    uint32_t alphaOp_ = 0;
    math::Matrix world_;
};

}  // namespace tnx::gfx
