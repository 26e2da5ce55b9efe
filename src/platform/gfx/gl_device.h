// The OpenGL device: fixed-function GL 2.1 rendering. A frame whose size is
// the window's goes straight into the window's back buffer and a present is
// a swap; the colour is then gone after every present. Otherwise (no window,
// as for snapshots; a window not shown yet; a render resolution other than
// the window's) the frame goes into an off-screen colour/depth target of the
// back-buffer size that keeps its colour between frames, copied (and scaled)
// to the window on present. A reset really rebuilds the target.
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
    bool keepsLastFrame() const override { return !drawsToWindow(); }
    bool lastPresentShown() const override { return lastPresentShown_; }
    bool keepSceneImage() override;
    bool restoreSceneImage() override;
    bool beginPartialFrame(int left, int top, int right, int bottom) override;

    // The colour of the frame being drawn, or else of the frame last shown
    // (grabbed from the window when it went there), as an image (top row
    // first).
    QImage readBack();
    // Writes the picture readBack would give as a PNG; false when that
    // failed (no file is left then).
    bool saveImage(const std::string& path);
    // Marks the device as needing a reset (the window changed size).
    void requestReset() { needsReset_ = true; }
    // Sets where frames are shown (null: nowhere).
    void setPresentWindow(QWindow* window);
    // Renderer and version strings of the GL context, for the statistics text.
    const std::string& rendererName() const { return rendererName_; }
    // Draws every frame off-screen even where it could go to the window
    // (to compare the two paths).
    void setAlwaysOffscreen(bool on) { alwaysOffscreen_ = on; }
    // Whether the next (or current) frame goes straight to the window.
    bool drawsToWindow() const;

private:
    struct Impl;
    GlDevice();
    // Makes the context current on the surface this frame draws to.
    bool makeCurrent();
    // The last frame went to the window by a swap: only the screen holds it.
    bool shownOnlyOnScreen() const;
    // Binds the framebuffer holding the picture for glReadPixels.
    bool bindPictureForReading();
    // Binds this frame's colour target, choosing it at the frame's start.
    bool bindFrameTarget();
    void markAllStateDirty();
    // Clips drawing to this frame's part when it draws only part.
    void applyPartialClip();
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
    bool inFrame_ = false;        // a clear or scene since the last present
    bool direct_ = false;         // this frame draws into the window
    bool alwaysOffscreen_ = false;
    // An area of the window to show instead of swapping (x, y, width,
    // height as GL counts, from the bottom), and whether drawing is clipped
    // to it.
    bool showArea_ = false, clipped_ = false;
    int area_[4] = {0, 0, 0, 0};
    // The window's back buffer still holds the picture on screen: nothing
    // was swapped since it was last shown in full or in part.
    bool backHoldsPicture_ = false;
    bool shownDirect_ = false;  // the last frame shown went straight to the window
    bool lastPresentShown_ = false;
    bool renderStatesDirty_ = true, stagesDirty_ = true, transformsDirty_ = true, lightsDirty_ = true,
         materialDirty_ = true, viewportDirty_ = true;
    std::vector<uint8_t> colorScratch_;
    std::string rendererName_;
};

}  // namespace tnx::gfx
