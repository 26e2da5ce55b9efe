#include "platform/gfx/recording_device.h"

#include <cstring>

namespace tnx::gfx {

RecordingDevice::RecordingDevice(uint32_t width, uint32_t height) {
    params_.backBufferWidth = width;
    params_.backBufferHeight = height;
    setViewport({0, 0, width, height, 0, 1});
}

RecordingDevice::RecordingDevice(const PresentParameters& params) : RecordingDevice(params.backBufferWidth, params.backBufferHeight) {
    params_ = params;
}

void RecordingDevice::clearRecord() {
    draws_.clear();
    calls_.clear();
    presents_ = resets_ = scenes_ = 0;
    partialAreas_.clear();
}

Result RecordingDevice::clear(uint32_t flags, Color, float, uint32_t) {
    calls_.push_back({RecordedCall::Clear, flags, 0});
    return kOk;
}

Result RecordingDevice::beginScene() {
    if (failBeginScene_ || inScene_) return kInvalidCall;
    inScene_ = true;
    ++scenes_;
    calls_.push_back({RecordedCall::BeginScene});
    return kOk;
}

Result RecordingDevice::endScene() {
    if (!inScene_) return kInvalidCall;
    inScene_ = false;
    calls_.push_back({RecordedCall::EndScene});
    return kOk;
}

RecordedDraw RecordingDevice::snapshot(PrimitiveType type, uint32_t primitiveCount, uint32_t vertexCount,
                                       uint32_t stride) {
    RecordedDraw d;
    d.type = type;
    d.primitiveCount = primitiveCount;
    d.vertexCount = vertexCount;
    d.stride = stride;
    d.fvf = vertexFormat();
    d.world = transform(TransformType::World);
    d.view = transform(TransformType::View);
    d.projection = transform(TransformType::Projection);
    d.texture0 = texture(0);
    d.lighting = renderState(RenderState::Lighting) != 0;
    d.zEnable = renderState(RenderState::ZEnable) != 0;
    d.alphaBlend = renderState(RenderState::AlphaBlendEnable) != 0;
    d.srcBlend = renderState(RenderState::SrcBlend);
    d.destBlend = renderState(RenderState::DestBlend);
    d.fillMode = renderState(RenderState::FillMode);
    d.zBias = renderState(RenderState::ZBias);
    return d;
}

Result RecordingDevice::drawIndexedPrimitiveUP(PrimitiveType type, uint32_t minIndex, uint32_t vertexCount,
                                               uint32_t primitiveCount, const uint16_t* indices,
                                               const void* vertices, uint32_t stride) {
    if (!indices || !vertices || stride == 0) return kInvalidCall;
    RecordedDraw d = snapshot(type, primitiveCount, vertexCount, stride);
    d.indexCount = uint32_t(primitiveVertexCount(type, primitiveCount));
    if (captureGeometry_) {
        d.indices.assign(indices, indices + d.indexCount);
        auto* v = static_cast<const uint8_t*>(vertices);
        d.vertices.assign(v + size_t(minIndex) * stride, v + size_t(minIndex + vertexCount) * stride);
    }
    calls_.push_back({RecordedCall::Draw, 0, draws_.size()});
    draws_.push_back(std::move(d));
    return kOk;
}

Result RecordingDevice::drawPrimitiveUP(PrimitiveType type, uint32_t primitiveCount, const void* vertices,
                                        uint32_t stride) {
    if (!vertices || stride == 0) return kInvalidCall;
    uint32_t n = uint32_t(primitiveVertexCount(type, primitiveCount));
    RecordedDraw d = snapshot(type, primitiveCount, n, stride);
    if (captureGeometry_) {
        auto* v = static_cast<const uint8_t*>(vertices);
        d.vertices.assign(v, v + size_t(n) * stride);
    }
    calls_.push_back({RecordedCall::Draw, 0, draws_.size()});
    draws_.push_back(std::move(d));
    return kOk;
}

Result RecordingDevice::present() {
    if (level_ != CooperativeLevel::Ok) return kDeviceLost;
    ++presents_;
    calls_.push_back({RecordedCall::Present});
    return kOk;
}

Result RecordingDevice::reset(const PresentParameters& params) {
    ++resets_;
    calls_.push_back({RecordedCall::Reset});
    if (failResets_ > 0) {
        --failResets_;
        return kFail;
    }
    params_ = params;
    sceneImageKept_ = false;
    resetStateToDefaults();
    setViewport({0, 0, params.backBufferWidth, params.backBufferHeight, 0, 1});
    level_ = CooperativeLevel::Ok;
    return kOk;
}

bool RecordingDevice::keepSceneImage() {
    if (!inScene_) return false;
    calls_.push_back({RecordedCall::KeepImage});
    sceneImageKept_ = true;
    return true;
}

bool RecordingDevice::beginPartialFrame(int left, int top, int right, int bottom) {
    partialAreas_.push_back({left, top, right, bottom});
    return partialFrames_;
}

bool RecordingDevice::restoreSceneImage() {
    if (!inScene_ || !sceneImageKept_) return false;
    calls_.push_back({RecordedCall::RestoreImage});
    return true;
}

}  // namespace tnx::gfx
