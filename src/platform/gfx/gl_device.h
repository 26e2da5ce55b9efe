// The OpenGL device: fixed-function GL 2.1 rendering into a persistent
// off-screen colour/depth target of the back-buffer size, copied to the window
// on present. A frame that clears only depth keeps the last frame's colour,
// as the frame loop expects, and a reset really rebuilds the target.
#pragma once

#include <memory>
#include <vector>

#include "platform/gfx/device.h"

class QImage;
class QWindow;

namespace tnx::gfx {

class GlDevice : public Device {
public:
    // presentWindow may be null (snapshots): frames then stay off-screen.
    static std::unique_ptr<GlDevice> create(QWindow* presentWindow, const PresentParameters& params);
    ~GlDevice() override;

    Result clear(uint32_t flags, Color color, float z, uint32_t stencil) override;
    Result beginScene() override;
    Result endScene() override;
    Result drawIndexedPrimitiveUP(PrimitiveType type, uint32_t minIndex, uint32_t vertexCount,
                                  uint32_t primitiveCount, const uint16_t* indices, const void* vertices,
                                  uint32_t stride) override;
    Result drawPrimitiveUP(PrimitiveType type, uint32_t primitiveCount, const void* vertices,
                           uint32_t stride) override;
    Result present() override;
    std::unique_ptr<Texture> createTexture(uint32_t width, uint32_t height, uint32_t levels, Format format,
                                           Pool pool) override;
    CooperativeLevel testCooperativeLevel() override;
    Result reset(const PresentParameters& params) override;

    // The colour target as an image (top row first).
    QImage readBack();
    // Writes the colour target as a PNG; false when that failed.
    bool saveImage(const std::string& path);
    // Marks the device as needing a reset (the window changed size).
    void requestReset() { needsReset_ = true; }
    // Sets where frames are shown (null: nowhere).
    void setPresentWindow(QWindow* window);
    // Renderer and version strings of the GL context, for the statistics text.
    const std::string& rendererName() const { return rendererName_; }

private:
    struct Impl;
    GlDevice();
    bool makeCurrent();
    bool createTarget();
    void applyState();
    void applyTextures();
    void applyLights();
    void upload(Texture& t);
    void setupArrays(const void* vertices, uint32_t first, uint32_t count, uint32_t stride);

    void onRenderState(RenderState, uint32_t) override { renderStatesDirty_ = true; }
    void onTextureStageState(uint32_t, TextureStageState, uint32_t) override { stagesDirty_ = true; }
    void onTransform(TransformType t, const math::Matrix&) override;
    void onLight(uint32_t) override { lightsDirty_ = true; }
    void onMaterial() override { materialDirty_ = true; }
    void onTexture(uint32_t, Texture*) override { stagesDirty_ = true; }
    void onVertexShader(uint32_t) override { materialDirty_ = true; }
    void onViewport() override { viewportDirty_ = true; }

    std::unique_ptr<Impl> impl_;
    bool needsReset_ = false;
    bool inScene_ = false;
    bool renderStatesDirty_ = true, stagesDirty_ = true, transformsDirty_ = true, lightsDirty_ = true,
         materialDirty_ = true, viewportDirty_ = true;
    std::vector<uint8_t> colorScratch_;
    std::string rendererName_;
};

}  // namespace tnx::gfx
