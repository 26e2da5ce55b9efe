// A device that draws nothing and remembers what was submitted: tests read
// back the calls of a frame in order, with the state each draw saw.
#pragma once

#include <string>
#include <vector>

#include "platform/gfx/device.h"

namespace tnx::gfx {

struct RecordedDraw {
    PrimitiveType type{};
    uint32_t primitiveCount = 0;
    uint32_t vertexCount = 0;
    uint32_t indexCount = 0;
    uint32_t stride = 0;
    uint32_t fvf = 0;
    math::Matrix world;
    math::Matrix view;
    math::Matrix projection;
    Texture* texture0 = nullptr;
    bool lighting = false;
    bool zEnable = false;
    bool alphaBlend = false;
    uint32_t srcBlend = 0, destBlend = 0;
    uint32_t fillMode = 0;
    uint32_t zBias = 0;
    // Filled only when geometry capture is on.
    std::vector<uint8_t> vertices;
    std::vector<uint16_t> indices;
};

struct RecordedCall {
    enum Kind { Clear, BeginScene, EndScene, Draw, Present, Reset, KeepImage, RestoreImage } kind;
    uint32_t clearFlags = 0;
    size_t drawIndex = 0;  // into draws() for Kind::Draw
};

class RecordingDevice : public Device {
public:
    explicit RecordingDevice(uint32_t width = 800, uint32_t height = 600);
    explicit RecordingDevice(const PresentParameters& params);

    Result clear(uint32_t flags, Color color, float z, uint32_t stencil) override;
    Result beginScene() override;
    Result endScene() override;
    Result drawIndexedPrimitiveUP(PrimitiveType type, uint32_t minIndex, uint32_t vertexCount,
                                  uint32_t primitiveCount, const uint16_t* indices, const void* vertices,
                                  uint32_t stride) override;
    Result drawPrimitiveUP(PrimitiveType type, uint32_t primitiveCount, const void* vertices,
                           uint32_t stride) override;
    Result present() override;
    CooperativeLevel testCooperativeLevel() override { return level_; }
    Result reset(const PresentParameters& params) override;
    bool keepsLastFrame() const override { return keepsLastFrame_; }
    bool keepSceneImage() override;
    bool restoreSceneImage() override;
    bool beginPartialFrame(int left, int top, int right, int bottom) override;

    // --- test controls ---
    void setCooperativeLevel(CooperativeLevel level) { level_ = level; }
    void failResets(int count) { failResets_ = count; }
    void setCaps(const Caps& caps) { caps_ = caps; }
    void setAvailableTextureMemory(uint32_t bytes) { availableTextureMemory_ = bytes; }
    void setCaptureGeometry(bool on) { captureGeometry_ = on; }
    void failBeginScene(bool on) { failBeginScene_ = on; }
    // As a device drawing straight into a window: the colour is gone after
    // every present.
    void setKeepsLastFrame(bool on) { keepsLastFrame_ = on; }
    // Whether partial frames are offered (they are asked for either way).
    void setPartialFrames(bool on) { partialFrames_ = on; }

    // --- what happened ---
    const std::vector<RecordedDraw>& draws() const { return draws_; }
    const std::vector<RecordedCall>& calls() const { return calls_; }
    int presentCount() const { return presents_; }
    struct Area {
        int left, top, right, bottom;
    };
    // Every rectangle a partial frame was asked for.
    const std::vector<Area>& partialFrameAreas() const { return partialAreas_; }
    int resetCount() const { return resets_; }
    int sceneCount() const { return scenes_; }
    bool inScene() const { return inScene_; }
    void clearRecord();

private:
    RecordedDraw snapshot(PrimitiveType type, uint32_t primitiveCount, uint32_t vertexCount, uint32_t stride);

    CooperativeLevel level_ = CooperativeLevel::Ok;
    std::vector<RecordedDraw> draws_;
    std::vector<RecordedCall> calls_;
    int presents_ = 0, resets_ = 0, scenes_ = 0, failResets_ = 0;
    bool inScene_ = false, captureGeometry_ = false, failBeginScene_ = false;
    bool keepsLastFrame_ = true, sceneImageKept_ = false, partialFrames_ = false;
    std::vector<Area> partialAreas_;
};

}  // namespace tnx::gfx
