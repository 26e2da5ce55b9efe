// The render device the scene draws through: fixed-function states,
// transforms, one light set, a material, textures, and indexed draws straight
// from the caller's memory. Two implementations: the OpenGL device that shows
// frames, and the recording device tests use to see what a frame submits.
#pragma once

#include <array>
#include <memory>

#include "platform/gfx/gfx_types.h"
#include "platform/gfx/texture.h"
#include "platform/math/d3d_math.h"

namespace tnx::gfx {

struct PresentParameters {
    uint32_t backBufferWidth = 0;
    uint32_t backBufferHeight = 0;
    Format backBufferFormat = Format::X8R8G8B8;
    Format depthStencilFormat = Format::D24S8;
    bool windowed = true;
    // Back-buffer pixels per pixel of an unscaled desktop (a desktop scaled
    // to 150 % gives 1.5): sizes meant for the eye are multiplied by it.
    float pixelRatio = 1.0f;
};

constexpr int kMaxLights = 8;

class Device {
public:
    Device();
    virtual ~Device() = default;
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    // --- state (tracked here, forwarded to the backend) ---
    void setRenderState(RenderState state, uint32_t value);
    uint32_t renderState(RenderState state) const { return renderStates_[size_t(state) % kRenderStateCount]; }
    void setTextureStageState(uint32_t stage, TextureStageState state, uint32_t value);
    uint32_t textureStageState(uint32_t stage, TextureStageState state) const;
    void setTransform(TransformType type, const math::Matrix& m);
    const math::Matrix& transform(TransformType type) const;
    void setLight(uint32_t index, const Light& light);
    const Light& light(uint32_t index) const { return lights_[index % kMaxLights]; }
    void lightEnable(uint32_t index, bool enable);
    bool lightEnabled(uint32_t index) const { return lightEnabled_[index % kMaxLights]; }
    void setMaterial(const Material& material);
    const Material& material() const { return material_; }
    void setTexture(uint32_t stage, Texture* texture);
    Texture* texture(uint32_t stage) const { return stage < kMaxTextureStages ? textures_[stage] : nullptr; }
    void setVertexShader(uint32_t fvf);  // a flexible vertex format
    uint32_t vertexFormat() const { return fvf_; }
    void setViewport(const Viewport& vp);
    const Viewport& viewport() const { return viewport_; }

    // --- drawing ---
    virtual Result clear(uint32_t flags, Color color, float z, uint32_t stencil) = 0;
    virtual Result beginScene() = 0;
    virtual Result endScene() = 0;
    // Indexed primitives from memory: indices are 16-bit, vertices of the
    // current vertex format at the given stride.
    virtual Result drawIndexedPrimitiveUP(PrimitiveType type, uint32_t minIndex, uint32_t vertexCount,
                                          uint32_t primitiveCount, const uint16_t* indices,
                                          const void* vertices, uint32_t stride) = 0;
    virtual Result drawPrimitiveUP(PrimitiveType type, uint32_t primitiveCount, const void* vertices,
                                   uint32_t stride) = 0;
    virtual Result present() = 0;
    // Whether the colour of the last frame is still there: a frame that
    // clears only depth then draws over it, and a paint can show it again.
    // A device drawing straight into a window's back buffer loses it at
    // every swap.
    virtual bool keepsLastFrame() const { return true; }
    // Whether the last present put a picture on screen (a window there,
    // showing): start-up is timed to the first.
    virtual bool lastPresentShown() const { return false; }
    // The scene image: a copy of what the current scene has drawn so far,
    // kept so that a later frame in which only the overlays changed can
    // start from it instead of drawing the scene again. Keeping fails
    // outside a scene; restoring fails when nothing is kept (or a reset
    // dropped it) and otherwise covers the whole viewport.
    virtual bool keepSceneImage() { return false; }
    virtual bool restoreSceneImage() { return false; }
    // Before a frame in which the picture changes only inside the given
    // rectangle (pixels, right and bottom exclusive). True: the device can
    // redraw just that part; until the present, drawing is clipped to it.
    // False: the frame must be drawn whole. Either way the present may show
    // only that part, the rest being as the last present left it.
    virtual bool beginPartialFrame(int /*left*/, int /*top*/, int /*right*/, int /*bottom*/) { return false; }

    // --- resources ---
    virtual std::unique_ptr<Texture> createTexture(uint32_t width, uint32_t height, uint32_t levels,
                                                   Format format, Pool pool);
    // Copies a system-memory texture into a device texture of the same shape.
    virtual Result updateTexture(Texture& source, Texture& destination);

    // --- device life ---
    virtual CooperativeLevel testCooperativeLevel() = 0;
    // Rebuilds the back buffer at the new size. Default-pool textures are lost
    // and must be recreated by their owners.
    virtual Result reset(const PresentParameters& params) = 0;
    virtual const Caps& caps() const { return caps_; }
    virtual uint32_t availableTextureMemory() const { return availableTextureMemory_; }
    const PresentParameters& presentParameters() const { return params_; }

    static int primitiveVertexCount(PrimitiveType type, uint32_t primitiveCount);

protected:
    // Backend hooks; called after the tracked state changed.
    virtual void onRenderState(RenderState, uint32_t) {}
    virtual void onTextureStageState(uint32_t, TextureStageState, uint32_t) {}
    virtual void onTransform(TransformType, const math::Matrix&) {}
    virtual void onLight(uint32_t) {}
    virtual void onMaterial() {}
    virtual void onTexture(uint32_t, Texture*) {}
    virtual void onVertexShader(uint32_t) {}
    virtual void onViewport() {}
    // Puts every tracked state back to the startup defaults (after a reset).
    void resetStateToDefaults();

    PresentParameters params_;
    Caps caps_;
    uint32_t availableTextureMemory_ = 256u << 20;

private:
    std::array<uint32_t, kRenderStateCount> renderStates_{};
    std::array<std::array<uint32_t, kTextureStageStateCount>, kMaxTextureStages> stageStates_{};
    math::Matrix world_, view_, projection_, texture0_;
    std::array<Light, kMaxLights> lights_{};
    std::array<bool, kMaxLights> lightEnabled_{};
    Material material_;
    std::array<Texture*, kMaxTextureStages> textures_{};
    uint32_t fvf_ = 0;
    Viewport viewport_;
};

}  // namespace tnx::gfx
