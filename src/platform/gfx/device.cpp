#include "platform/gfx/device.h"

#include <cstring>

namespace tnx::gfx {

Device::Device() { resetStateToDefaults(); }

void Device::resetStateToDefaults() {
    renderStates_.fill(0);
    auto rs = [&](RenderState s, uint32_t v) { renderStates_[size_t(s)] = v; };
    rs(RenderState::ZEnable, 1);
    rs(RenderState::FillMode, kFillSolid);
    rs(RenderState::ShadeMode, 2);
    rs(RenderState::ZWriteEnable, 1);
    rs(RenderState::SrcBlend, kBlendOne);
    rs(RenderState::DestBlend, kBlendZero);
    rs(RenderState::CullMode, kCullCCW);
    rs(RenderState::ZFunc, kCmpLessEqual);
    rs(RenderState::AlphaFunc, kCmpAlways);
    rs(RenderState::Lighting, 1);
    rs(RenderState::ColorVertex, 1);
    rs(RenderState::LocalViewer, 1);
    for (auto& stage : stageStates_) stage.fill(0);
    for (int s = 0; s < kMaxTextureStages; ++s) {
        auto& st = stageStates_[s];
        st[size_t(TextureStageState::ColorOp)] = s == 0 ? kTopModulate : kTopDisable;
        st[size_t(TextureStageState::ColorArg1)] = kTaTexture;
        st[size_t(TextureStageState::ColorArg2)] = kTaCurrent;
        st[size_t(TextureStageState::AlphaOp)] = s == 0 ? kTopSelectArg1 : kTopDisable;
        st[size_t(TextureStageState::AlphaArg1)] = kTaTexture;
        st[size_t(TextureStageState::AlphaArg2)] = kTaCurrent;
        st[size_t(TextureStageState::TexCoordIndex)] = uint32_t(s);
        st[size_t(TextureStageState::AddressU)] = kTaddressWrap;
        st[size_t(TextureStageState::AddressV)] = kTaddressWrap;
        st[size_t(TextureStageState::MagFilter)] = kTexfPoint;
        st[size_t(TextureStageState::MinFilter)] = kTexfPoint;
        st[size_t(TextureStageState::MipFilter)] = kTexfNone;
    }
    world_ = view_ = projection_ = texture0_ = math::Matrix{};
    lights_.fill(Light{});
    lightEnabled_.fill(false);
    material_ = Material{};
    textures_.fill(nullptr);
    fvf_ = 0;
}

void Device::setRenderState(RenderState state, uint32_t value) {
    renderStates_[size_t(state) % kRenderStateCount] = value;
    onRenderState(state, value);
}

void Device::setTextureStageState(uint32_t stage, TextureStageState state, uint32_t value) {
    if (stage >= kMaxTextureStages) return;
    stageStates_[stage][size_t(state) % kTextureStageStateCount] = value;
    onTextureStageState(stage, state, value);
}

uint32_t Device::textureStageState(uint32_t stage, TextureStageState state) const {
    if (stage >= kMaxTextureStages) return 0;
    return stageStates_[stage][size_t(state) % kTextureStageStateCount];
}

void Device::setTransform(TransformType type, const math::Matrix& m) {
    switch (type) {
        case TransformType::World: world_ = m; break;
        case TransformType::View: view_ = m; break;
        case TransformType::Projection: projection_ = m; break;
        case TransformType::Texture0: texture0_ = m; break;
    }
    onTransform(type, m);
}

const math::Matrix& Device::transform(TransformType type) const {
    switch (type) {
        case TransformType::View: return view_;
        case TransformType::Projection: return projection_;
        case TransformType::Texture0: return texture0_;
        case TransformType::World: break;
    }
    return world_;
}

void Device::setLight(uint32_t index, const Light& light) {
    if (index >= kMaxLights) return;
    lights_[index] = light;
    onLight(index);
}

void Device::lightEnable(uint32_t index, bool enable) {
    if (index >= kMaxLights) return;
    lightEnabled_[index] = enable;
    onLight(index);
}

void Device::setMaterial(const Material& material) {
    material_ = material;
    onMaterial();
}

void Device::setTexture(uint32_t stage, Texture* texture) {
    if (stage >= kMaxTextureStages) return;
    textures_[stage] = texture;
    onTexture(stage, texture);
}

void Device::setVertexShader(uint32_t fvf) {
    fvf_ = fvf;
    onVertexShader(fvf);
}

void Device::setViewport(const Viewport& vp) {
    viewport_ = vp;
    onViewport();
}

std::unique_ptr<Texture> Device::createTexture(uint32_t width, uint32_t height, uint32_t levels,
                                               Format format, Pool pool) {
    if (width == 0 || height == 0 || bytesPerPixel(format) == 0) return nullptr;
    if (width > caps_.maxTextureWidth || height > caps_.maxTextureHeight) return nullptr;
    return std::make_unique<Texture>(width, height, levels, format, pool);
}

Result Device::updateTexture(Texture& source, Texture& destination) {
    if (source.format() != destination.format() || source.width() != destination.width() ||
        source.height() != destination.height())
        return kInvalidCall;
    uint32_t levels = std::min(source.levelCount(), destination.levelCount());
    for (uint32_t i = 0; i < levels; ++i) destination.levelData(i) = source.levelData(i);
    destination.touch();
    return kOk;
}

int Device::primitiveVertexCount(PrimitiveType type, uint32_t n) {
    switch (type) {
        case PrimitiveType::PointList: return int(n);
        case PrimitiveType::LineList: return int(n * 2);
        case PrimitiveType::LineStrip: return n ? int(n + 1) : 0;
        case PrimitiveType::TriangleList: return int(n * 3);
        case PrimitiveType::TriangleStrip:
        case PrimitiveType::TriangleFan: return n ? int(n + 2) : 0;
    }
    return 0;
}

}  // namespace tnx::gfx
