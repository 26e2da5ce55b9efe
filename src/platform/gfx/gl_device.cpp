#define GL_GLEXT_PROTOTYPES 1
#include "platform/gfx/gl_device.h"
#include "platform/gfx/gl_blit.h"
#include "platform/gfx/glx_sub_buffer.h"
#include "platform/io/png_writer.h"
#include "platform/win/desktop_pixels.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <QGuiApplication>
#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QPixmap>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_set>
#include <utility>

namespace tnx::gfx {

struct GlDevice::Impl {
    std::unique_ptr<QOpenGLContext> context;
    std::unique_ptr<QOffscreenSurface> offscreen;
    std::unique_ptr<QOpenGLFramebufferObject> target;
    QWindow* window = nullptr;
    GLuint whiteTexture = 0;
    std::unordered_set<Texture*> textures;
    // The kept scene image (see keepSceneImage).
    GLuint sceneImage = 0;
    int sceneImageWidth = 0, sceneImageHeight = 0;
    bool sceneImageValid = false;
    GlxSubBuffer subBuffer;
};

namespace {

GLenum blendFactor(uint32_t b) {
    switch (b) {
        case kBlendZero: return GL_ZERO;
        case kBlendOne: return GL_ONE;
        case kBlendSrcColor: return GL_SRC_COLOR;
        case kBlendInvSrcColor: return GL_ONE_MINUS_SRC_COLOR;
        case kBlendSrcAlpha: return GL_SRC_ALPHA;
        case kBlendInvSrcAlpha: return GL_ONE_MINUS_SRC_ALPHA;
        case kBlendDestAlpha: return GL_DST_ALPHA;
        case kBlendInvDestAlpha: return GL_ONE_MINUS_DST_ALPHA;
        case kBlendDestColor: return GL_DST_COLOR;
        case kBlendInvDestColor: return GL_ONE_MINUS_DST_COLOR;
        default: return GL_ONE;
    }
}

GLenum compareFunc(uint32_t c) {
    switch (c) {
        case kCmpNever: return GL_NEVER;
        case kCmpLess: return GL_LESS;
        case kCmpEqual: return GL_EQUAL;
        case kCmpLessEqual: return GL_LEQUAL;
        case kCmpGreater: return GL_GREATER;
        case kCmpNotEqual: return GL_NOTEQUAL;
        case kCmpGreaterEqual: return GL_GEQUAL;
        default: return GL_ALWAYS;
    }
}

GLenum primitiveMode(PrimitiveType t) {
    switch (t) {
        case PrimitiveType::PointList: return GL_POINTS;
        case PrimitiveType::LineList: return GL_LINES;
        case PrimitiveType::LineStrip: return GL_LINE_STRIP;
        case PrimitiveType::TriangleList: return GL_TRIANGLES;
        case PrimitiveType::TriangleStrip: return GL_TRIANGLE_STRIP;
        case PrimitiveType::TriangleFan: return GL_TRIANGLE_FAN;
    }
    return GL_TRIANGLES;
}

GLenum combineSource(uint32_t arg) {
    switch (arg & 0xF) {
        case kTaDiffuse: return GL_PRIMARY_COLOR;
        case kTaCurrent: return GL_PREVIOUS;
        case kTaTexture: return GL_TEXTURE;
        case kTaTFactor: return GL_CONSTANT;
        default: return GL_PREVIOUS;
    }
}

// Sets one half (colour or alpha) of a texture unit's combiner.
void setCombiner(bool alpha, uint32_t op, uint32_t arg1, uint32_t arg2) {
    GLenum combine = alpha ? GL_COMBINE_ALPHA : GL_COMBINE_RGB;
    GLenum src0 = alpha ? GL_SOURCE0_ALPHA : GL_SOURCE0_RGB;
    GLenum src1 = alpha ? GL_SOURCE1_ALPHA : GL_SOURCE1_RGB;
    GLenum op0 = alpha ? GL_OPERAND0_ALPHA : GL_OPERAND0_RGB;
    GLenum op1 = alpha ? GL_OPERAND1_ALPHA : GL_OPERAND1_RGB;
    GLenum scale = alpha ? GL_ALPHA_SCALE : GL_RGB_SCALE;
    GLenum operand = alpha ? GL_SRC_ALPHA : GL_SRC_COLOR;
    glTexEnvi(GL_TEXTURE_ENV, op0, operand);
    glTexEnvi(GL_TEXTURE_ENV, op1, operand);
    glTexEnvf(GL_TEXTURE_ENV, scale, 1.0f);
    switch (op) {
        case kTopSelectArg1:
            glTexEnvi(GL_TEXTURE_ENV, combine, GL_REPLACE);
            glTexEnvi(GL_TEXTURE_ENV, src0, combineSource(arg1));
            break;
        case kTopSelectArg2:
            glTexEnvi(GL_TEXTURE_ENV, combine, GL_REPLACE);
            glTexEnvi(GL_TEXTURE_ENV, src0, combineSource(arg2));
            break;
        case kTopAdd:
            glTexEnvi(GL_TEXTURE_ENV, combine, GL_ADD);
            glTexEnvi(GL_TEXTURE_ENV, src0, combineSource(arg1));
            glTexEnvi(GL_TEXTURE_ENV, src1, combineSource(arg2));
            break;
        case kTopModulate2x:
        case kTopModulate4x:
            glTexEnvf(GL_TEXTURE_ENV, scale, op == kTopModulate2x ? 2.0f : 4.0f);
            [[fallthrough]];
        case kTopModulate:
        default:
            glTexEnvi(GL_TEXTURE_ENV, combine, GL_MODULATE);
            glTexEnvi(GL_TEXTURE_ENV, src0, combineSource(arg1));
            glTexEnvi(GL_TEXTURE_ENV, src1, combineSource(arg2));
            break;
        case kTopDisable:
            // Alpha disabled while colour runs: pass the previous alpha on.
            glTexEnvi(GL_TEXTURE_ENV, combine, GL_REPLACE);
            glTexEnvi(GL_TEXTURE_ENV, src0, GL_PREVIOUS);
            break;
    }
}

void colorToFloats(const ColorValue& c, float out[4]) {
    out[0] = c.r; out[1] = c.g; out[2] = c.b; out[3] = c.a;
}

// Maps the [0, w] depth range of our projections onto GL's [-w, w].
const math::Matrix& depthRangeFix() {
    static const math::Matrix m = [] {
        math::Matrix r;
        r.m[2][2] = 2;
        r.m[3][2] = -1;
        return r;
    }();
    return m;
}

}  // namespace

GlDevice::GlDevice() : impl_(std::make_unique<Impl>()) {}

GlDevice::~GlDevice() {
    if (impl_ && impl_->context && makeCurrent()) {
        for (Texture* t : impl_->textures) {
            if (t->deviceHandle) glDeleteTextures(1, &t->deviceHandle);
            t->deviceHandle = 0;
            t->onDestroy = nullptr;
        }
        if (impl_->whiteTexture) glDeleteTextures(1, &impl_->whiteTexture);
        if (impl_->sceneImage) glDeleteTextures(1, &impl_->sceneImage);
        impl_->target.reset();
        impl_->context->doneCurrent();
    }
}

std::unique_ptr<GlDevice> GlDevice::create(QWindow* presentWindow, const PresentParameters& params) {
    std::unique_ptr<GlDevice> d(new GlDevice());
    QSurfaceFormat fmt;
    fmt.setRenderableType(QSurfaceFormat::OpenGL);
    fmt.setProfile(QSurfaceFormat::CompatibilityProfile);
    fmt.setVersion(2, 1);
    fmt.setDepthBufferSize(24);
    fmt.setStencilBufferSize(8);
    d->impl_->context = std::make_unique<QOpenGLContext>();
    d->impl_->context->setFormat(fmt);
    if (!d->impl_->context->create()) return nullptr;
    d->impl_->offscreen = std::make_unique<QOffscreenSurface>();
    d->impl_->offscreen->setFormat(d->impl_->context->format());
    d->impl_->offscreen->create();
    d->impl_->window = presentWindow;
    d->params_ = params;
    if (!d->makeCurrent()) return nullptr;
    if (!QOpenGLFramebufferObject::hasOpenGLFramebufferObjects()) return nullptr;
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    d->rendererName_ = renderer ? renderer : "OpenGL";
    GLint maxSize = 2048;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    d->caps_.maxTextureWidth = d->caps_.maxTextureHeight = uint32_t(maxSize);
    // GL has no portable query for free texture memory; a software renderer
    // uses system memory, so report a generous fixed budget.
    d->availableTextureMemory_ = 512u << 20;
    glGenTextures(1, &d->impl_->whiteTexture);
    glBindTexture(GL_TEXTURE_2D, d->impl_->whiteTexture);
    const uint32_t white = 0xFFFFFFFF;
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_BGRA, GL_UNSIGNED_BYTE, &white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    if (!d->createTarget()) return nullptr;
    if (auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr)
        d->impl_->subBuffer.resolve(x11->display());
    d->setViewport({0, 0, params.backBufferWidth, params.backBufferHeight, 0, 1});
    return d;
}

bool GlDevice::makeCurrent() {
    if (!impl_->context) return false;
    QSurface* surface = direct_ && impl_->window ? static_cast<QSurface*>(impl_->window) : impl_->offscreen.get();
    if (QOpenGLContext::currentContext() == impl_->context.get() && impl_->context->surface() == surface) return true;
    return impl_->context->makeCurrent(surface);
}

bool GlDevice::drawsToWindow() const {
    if (inFrame_) return direct_;
    const QWindow* w = impl_->window;
    if (!w || alwaysOffscreen_ || !w->isExposed()) return false;
    const QSize size = win::deviceSize(*w);
    return uint32_t(size.width()) == params_.backBufferWidth && uint32_t(size.height()) == params_.backBufferHeight;
}

bool GlDevice::bindFrameTarget() {
    if (!inFrame_) {
        direct_ = drawsToWindow();
        inFrame_ = true;
    }
    if (!makeCurrent()) return false;
    if (direct_) glBindFramebuffer(GL_FRAMEBUFFER, impl_->context->defaultFramebufferObject());
    else impl_->target->bind();
    applyPartialClip();
    return true;
}

void GlDevice::applyPartialClip() {
    if (!clipped_) return;
    glEnable(GL_SCISSOR_TEST);
    glScissor(area_[0], area_[1], area_[2], area_[3]);
}

bool GlDevice::beginPartialFrame(int left, int top, int right, int bottom) {
    if (inFrame_ || !impl_->subBuffer.usable() || !drawsToWindow()) return false;
    const int w = int(params_.backBufferWidth), h = int(params_.backBufferHeight);
    left = std::clamp(left, 0, w), right = std::clamp(right, left, w);
    top = std::clamp(top, 0, h), bottom = std::clamp(bottom, top, h);
    area_[0] = left, area_[1] = h - bottom, area_[2] = right - left, area_[3] = bottom - top;
    // Shown by copying just that area, so the back buffer keeps the picture
    // and the next partial frame can start from it.
    showArea_ = true;
    clipped_ = backHoldsPicture_;
    return clipped_;
}

void GlDevice::markAllStateDirty() {
    renderStatesDirty_ = stagesDirty_ = transformsDirty_ = lightsDirty_ = materialDirty_ = viewportDirty_ = true;
}

bool GlDevice::createTarget() {
    impl_->target.reset();
    uint32_t w = std::max(1u, params_.backBufferWidth), h = std::max(1u, params_.backBufferHeight);
    QOpenGLFramebufferObjectFormat f;
    f.setAttachment(QOpenGLFramebufferObject::CombinedDepthStencil);
    f.setInternalTextureFormat(GL_RGBA8);
    impl_->target = std::make_unique<QOpenGLFramebufferObject>(int(w), int(h), f);
    if (!impl_->target->isValid()) return false;
    impl_->target->bind();
    glClearColor(0, 0, 0, 1);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    markAllStateDirty();
    return true;
}

void GlDevice::setPresentWindow(QWindow* window) { impl_->window = window; }

CooperativeLevel GlDevice::testCooperativeLevel() {
    if (!impl_->context || !impl_->context->isValid()) return CooperativeLevel::Lost;
    return needsReset_ ? CooperativeLevel::NotReset : CooperativeLevel::Ok;
}

Result GlDevice::reset(const PresentParameters& params) {
    if (inScene_) return kInvalidCall;
    params_ = params;
    inFrame_ = direct_ = false;
    showArea_ = clipped_ = backHoldsPicture_ = false;
    impl_->sceneImageValid = false;
    if (!makeCurrent() || !createTarget()) return kFail;
    // Every texture must be uploaded again, as after a real device loss.
    for (Texture* t : impl_->textures) t->uploadedVersion = 0;
    resetStateToDefaults();
    setViewport({0, 0, params.backBufferWidth, params.backBufferHeight, 0, 1});
    needsReset_ = false;
    return kOk;
}

std::unique_ptr<Texture> GlDevice::createTexture(uint32_t width, uint32_t height, uint32_t levels,
                                                 Format format, Pool pool) {
    auto t = Device::createTexture(width, height, levels, format, pool);
    if (!t || pool == Pool::SystemMem) return t;
    impl_->textures.insert(t.get());
    Impl* impl = impl_.get();
    GlDevice* self = this;
    t->onDestroy = [impl, self](Texture& tex) {
        impl->textures.erase(&tex);
        if (tex.deviceHandle && self->makeCurrent()) glDeleteTextures(1, &tex.deviceHandle);
        tex.deviceHandle = 0;
    };
    return t;
}

void GlDevice::upload(Texture& t) {
    // A released texture's texels live on in GL alone (the context outlives
    // every reset), so only a new version is uploaded.
    if (t.deviceHandle && (t.uploadedVersion == t.version() || !t.holdsTexels())) return;
    if (!t.deviceHandle) glGenTextures(1, &t.deviceHandle);
    glBindTexture(GL_TEXTURE_2D, t.deviceHandle);
    GLenum internal = GL_RGBA8, format = GL_BGRA, type = GL_UNSIGNED_BYTE;
    switch (t.format()) {
        case Format::A8R8G8B8: break;
        case Format::X8R8G8B8: internal = GL_RGB8; break;
        case Format::R5G6B5: internal = GL_RGB; format = GL_RGB; type = GL_UNSIGNED_SHORT_5_6_5; break;
        case Format::A4R4G4B4: internal = GL_RGBA4; type = GL_UNSIGNED_SHORT_4_4_4_4_REV; break;
        case Format::A1R5G5B5: internal = GL_RGB5_A1; type = GL_UNSIGNED_SHORT_1_5_5_5_REV; break;
        case Format::X1R5G5B5: internal = GL_RGB5; type = GL_UNSIGNED_SHORT_1_5_5_5_REV; break;
        case Format::R8G8B8: internal = GL_RGB8; format = GL_BGR; break;
        default: return;
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (uint32_t i = 0; i < t.levelCount(); ++i)
        glTexImage2D(GL_TEXTURE_2D, GLint(i), GLint(internal), GLsizei(t.width(i)), GLsizei(t.height(i)), 0,
                     format, type, std::as_const(t).levelData(i).data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, GLint(t.levelCount() - 1));
    t.uploadedVersion = t.version();
    // GL keeps its own copy; a second one here would double the memory
    // every texture of the device pool costs.
    if (t.pool() == Pool::Default) t.releaseTexels();
}

void GlDevice::onTransform(TransformType, const math::Matrix&) {
    transformsDirty_ = true;
    lightsDirty_ = true;  // GL keeps lights in eye space: re-place them under a new view
}

void GlDevice::applyLights() {
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(transform(TransformType::View).data());
    for (int i = 0; i < kMaxLights; ++i) {
        GLenum id = GL_LIGHT0 + GLenum(i);
        if (!lightEnabled(uint32_t(i))) {
            glDisable(id);
            continue;
        }
        const Light& l = light(uint32_t(i));
        float c[4];
        colorToFloats(l.diffuse, c); glLightfv(id, GL_DIFFUSE, c);
        colorToFloats(l.specular, c); glLightfv(id, GL_SPECULAR, c);
        colorToFloats(l.ambient, c); glLightfv(id, GL_AMBIENT, c);
        if (l.type == LightType::Directional) {
            float p[4] = {-l.direction[0], -l.direction[1], -l.direction[2], 0};
            glLightfv(id, GL_POSITION, p);
            glLightf(id, GL_CONSTANT_ATTENUATION, 1);
            glLightf(id, GL_LINEAR_ATTENUATION, 0);
            glLightf(id, GL_QUADRATIC_ATTENUATION, 0);
        } else {
            float p[4] = {l.position[0], l.position[1], l.position[2], 1};
            glLightfv(id, GL_POSITION, p);
            glLightf(id, GL_CONSTANT_ATTENUATION, l.attenuation0);
            glLightf(id, GL_LINEAR_ATTENUATION, l.attenuation1);
            glLightf(id, GL_QUADRATIC_ATTENUATION, l.attenuation2);
        }
        glLightf(id, GL_SPOT_CUTOFF, 180.0f);
        glEnable(id);
    }
    transformsDirty_ = true;
}

void GlDevice::applyState() {
    if (viewportDirty_) {
        const Viewport& vp = viewport();
        GLint y = GLint(params_.backBufferHeight) - GLint(vp.y + vp.height);
        glViewport(GLint(vp.x), y, GLsizei(vp.width), GLsizei(vp.height));
        glDepthRange(vp.minZ, vp.maxZ);
        viewportDirty_ = false;
    }
    if (renderStatesDirty_) {
        auto on = [](GLenum cap, bool enable) { enable ? glEnable(cap) : glDisable(cap); };
        uint32_t z = renderState(RenderState::ZEnable);
        on(GL_DEPTH_TEST, z != 0);
        glDepthMask(renderState(RenderState::ZWriteEnable) ? GL_TRUE : GL_FALSE);
        glDepthFunc(compareFunc(renderState(RenderState::ZFunc)));
        uint32_t fill = renderState(RenderState::FillMode);
        glPolygonMode(GL_FRONT_AND_BACK, fill == kFillWireframe ? GL_LINE : fill == kFillPoint ? GL_POINT : GL_FILL);
        // A line is a pixel of the desktop wide, however it is scaled.
        glLineWidth(std::max(1.0f, std::round(params_.pixelRatio)));
        glShadeModel(renderState(RenderState::ShadeMode) == 1 ? GL_FLAT : GL_SMOOTH);
        // Cull modes name the winding as the viewer sees it on screen.
        uint32_t cull = renderState(RenderState::CullMode);
        on(GL_CULL_FACE, cull != kCullNone);
        glFrontFace(GL_CCW);
        glCullFace(cull == kCullCW ? GL_BACK : GL_FRONT);
        on(GL_ALPHA_TEST, renderState(RenderState::AlphaTestEnable) != 0);
        glAlphaFunc(compareFunc(renderState(RenderState::AlphaFunc)),
                    float(renderState(RenderState::AlphaRef) & 0xFF) / 255.0f);
        on(GL_BLEND, renderState(RenderState::AlphaBlendEnable) != 0);
        glBlendFunc(blendFactor(renderState(RenderState::SrcBlend)), blendFactor(renderState(RenderState::DestBlend)));
        on(GL_DITHER, renderState(RenderState::DitherEnable) != 0);
        glDisable(GL_FOG);
        on(GL_LIGHTING, renderState(RenderState::Lighting) != 0);
        on(GL_NORMALIZE, renderState(RenderState::NormalizeNormals) != 0);
        glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, renderState(RenderState::LocalViewer) ? 1 : 0);
        glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
        Color a = renderState(RenderState::Ambient);
        float amb[4] = {float((a >> 16) & 0xFF) / 255.0f, float((a >> 8) & 0xFF) / 255.0f, float(a & 0xFF) / 255.0f,
                        float(a >> 24) / 255.0f};
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, amb);
        uint32_t bias = renderState(RenderState::ZBias);
        on(GL_POLYGON_OFFSET_FILL, bias != 0);
        on(GL_POLYGON_OFFSET_LINE, bias != 0);
        glPolygonOffset(-float(bias), -float(bias));
        renderStatesDirty_ = false;
        materialDirty_ = true;  // specular enable lives in the material
    }
    if (materialDirty_) {
        const Material& m = material();
        float c[4];
        colorToFloats(m.diffuse, c); glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, c);
        colorToFloats(m.ambient, c); glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, c);
        ColorValue specular = renderState(RenderState::SpecularEnable) ? m.specular : ColorValue{0, 0, 0, 0};
        colorToFloats(specular, c); glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, c);
        colorToFloats(m.emissive, c); glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, c);
        glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, std::clamp(m.power, 0.0f, 128.0f));
        // Vertex colours feed the diffuse term, as the classic pipeline does.
        if ((vertexFormat() & kFvfDiffuse) && renderState(RenderState::ColorVertex)) {
            glColorMaterial(GL_FRONT_AND_BACK, GL_DIFFUSE);
            glEnable(GL_COLOR_MATERIAL);
        } else {
            glDisable(GL_COLOR_MATERIAL);
        }
        materialDirty_ = false;
    }
    if (lightsDirty_) {
        applyLights();
        lightsDirty_ = false;
    }
    if (transformsDirty_) {
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixf((transform(TransformType::Projection) * depthRangeFix()).data());
        glMatrixMode(GL_MODELVIEW);
        glLoadMatrixf((transform(TransformType::World) * transform(TransformType::View)).data());
        transformsDirty_ = false;
    }
    if (stagesDirty_) {
        applyTextures();
        stagesDirty_ = false;
    }
}

void GlDevice::applyTextures() {
    for (uint32_t s = 0; s < uint32_t(kMaxTextureStages); ++s) {
        glActiveTexture(GL_TEXTURE0 + s);
        uint32_t colorOp = textureStageState(s, TextureStageState::ColorOp);
        if (colorOp == kTopDisable) {
            glDisable(GL_TEXTURE_2D);
            // A disabled stage ends the cascade.
            for (uint32_t r = s + 1; r < uint32_t(kMaxTextureStages); ++r) {
                glActiveTexture(GL_TEXTURE0 + r);
                glDisable(GL_TEXTURE_2D);
            }
            break;
        }
        glEnable(GL_TEXTURE_2D);
        Texture* t = texture(s);
        if (t) {
            upload(*t);
            glBindTexture(GL_TEXTURE_2D, t->deviceHandle);
        } else {
            // Sampling no texture reads opaque white.
            glBindTexture(GL_TEXTURE_2D, impl_->whiteTexture);
        }
        auto wrap = [](uint32_t a) { return a == kTaddressClamp ? GL_CLAMP_TO_EDGE : a == kTaddressMirror ? GL_MIRRORED_REPEAT : GL_REPEAT; };
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap(textureStageState(s, TextureStageState::AddressU)));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap(textureStageState(s, TextureStageState::AddressV)));
        bool linearMag = textureStageState(s, TextureStageState::MagFilter) >= kTexfLinear;
        bool linearMin = textureStageState(s, TextureStageState::MinFilter) >= kTexfLinear;
        uint32_t mip = textureStageState(s, TextureStageState::MipFilter);
        if (t && t->levelCount() <= 1) mip = kTexfNone;
        GLenum minFilter = linearMin ? GL_LINEAR : GL_NEAREST;
        if (mip == kTexfPoint) minFilter = linearMin ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
        if (mip >= kTexfLinear) minFilter = linearMin ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, linearMag ? GL_LINEAR : GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GLint(minFilter));
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
        setCombiner(false, colorOp, textureStageState(s, TextureStageState::ColorArg1),
                    textureStageState(s, TextureStageState::ColorArg2));
        setCombiner(true, textureStageState(s, TextureStageState::AlphaOp),
                    textureStageState(s, TextureStageState::AlphaArg1),
                    textureStageState(s, TextureStageState::AlphaArg2));
    }
    glActiveTexture(GL_TEXTURE0);
}

void GlDevice::setupArrays(const void* vertices, uint32_t first, uint32_t count, uint32_t stride) {
    uint32_t fvf = vertexFormat();
    auto* base = static_cast<const uint8_t*>(vertices);
    size_t offset = 0;
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, GLsizei(stride), base);
    offset += (fvf & kFvfXyzRhw) ? 16 : 12;
    if (fvf & kFvfNormal) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, GLsizei(stride), base + offset);
        offset += 12;
    } else {
        glDisableClientState(GL_NORMAL_ARRAY);
        glNormal3f(0, 0, 1);
    }
    if (fvf & kFvfDiffuse) {
        // Colours are stored as 0xAARRGGBB words; GL 2.1 wants R, G, B, A bytes.
        colorScratch_.resize(size_t(first + count) * 4);
        for (uint32_t i = first; i < first + count; ++i) {
            uint32_t c;
            std::memcpy(&c, base + size_t(i) * stride + offset, 4);
            uint8_t* o = &colorScratch_[size_t(i) * 4];
            o[0] = uint8_t(c >> 16); o[1] = uint8_t(c >> 8); o[2] = uint8_t(c); o[3] = uint8_t(c >> 24);
        }
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(4, GL_UNSIGNED_BYTE, 0, colorScratch_.data());
        offset += 4;
    } else {
        glDisableClientState(GL_COLOR_ARRAY);
        glColor4f(1, 1, 1, 1);
    }
    if (fvf & kFvfSpecular) offset += 4;
    int sets = (fvf & kFvfTex2) ? 2 : (fvf & kFvfTex1) ? 1 : 0;
    for (int s = 0; s < 2; ++s) {
        glClientActiveTexture(GL_TEXTURE0 + GLenum(s));
        uint32_t index = textureStageState(uint32_t(s), TextureStageState::TexCoordIndex) & 0xFFFF;
        if (sets > 0) {
            if (int(index) >= sets) index = 0;
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(2, GL_FLOAT, GLsizei(stride), base + offset + index * 8);
        } else {
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        }
    }
    glClientActiveTexture(GL_TEXTURE0);
}

Result GlDevice::clear(uint32_t flags, Color color, float z, uint32_t stencil) {
    if (!bindFrameTarget()) return kDeviceLost;
    applyState();
    const Viewport& vp = viewport();
    glEnable(GL_SCISSOR_TEST);
    glScissor(GLint(vp.x), GLint(params_.backBufferHeight) - GLint(vp.y + vp.height), GLsizei(vp.width),
              GLsizei(vp.height));
    if (clipped_) {
        // Within this frame's part only.
        const GLint x0 = std::max(GLint(vp.x), area_[0]);
        const GLint y0 = std::max(GLint(params_.backBufferHeight) - GLint(vp.y + vp.height), area_[1]);
        const GLint x1 = std::min(GLint(vp.x + vp.width), area_[0] + area_[2]);
        const GLint y1 = std::min(GLint(params_.backBufferHeight) - GLint(vp.y), area_[1] + area_[3]);
        glScissor(x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0));
    }
    GLbitfield mask = 0;
    if (flags & kClearTarget) {
        glClearColor(float((color >> 16) & 0xFF) / 255.0f, float((color >> 8) & 0xFF) / 255.0f,
                     float(color & 0xFF) / 255.0f, float(color >> 24) / 255.0f);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & kClearZBuffer) {
        glClearDepth(z);
        glDepthMask(GL_TRUE);
        renderStatesDirty_ = true;
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if (flags & kClearStencil) {
        glClearStencil(GLint(stencil));
        mask |= GL_STENCIL_BUFFER_BIT;
    }
    glClear(mask);
    glDisable(GL_SCISSOR_TEST);
    applyPartialClip();
    return kOk;
}

Result GlDevice::beginScene() {
    if (inScene_) return kInvalidCall;
    if (!bindFrameTarget()) return kDeviceLost;
    inScene_ = true;
    return kOk;
}

Result GlDevice::endScene() {
    if (!inScene_) return kInvalidCall;
    inScene_ = false;
    glFlush();
    return kOk;
}

Result GlDevice::drawIndexedPrimitiveUP(PrimitiveType type, uint32_t minIndex, uint32_t vertexCount,
                                        uint32_t primitiveCount, const uint16_t* indices, const void* vertices,
                                        uint32_t stride) {
    if (!inScene_ || !indices || !vertices || stride == 0) return kInvalidCall;
    if (primitiveCount == 0) return kOk;
    applyState();
    setupArrays(vertices, minIndex, vertexCount, stride);
    glDrawElements(primitiveMode(type), GLsizei(primitiveVertexCount(type, primitiveCount)), GL_UNSIGNED_SHORT,
                   indices);
    return kOk;
}

Result GlDevice::drawPrimitiveUP(PrimitiveType type, uint32_t primitiveCount, const void* vertices,
                                 uint32_t stride) {
    if (!inScene_ || !vertices || stride == 0) return kInvalidCall;
    if (primitiveCount == 0) return kOk;
    applyState();
    GLsizei n = GLsizei(primitiveVertexCount(type, primitiveCount));
    setupArrays(vertices, 0, uint32_t(n), stride);
    glDrawArrays(primitiveMode(type), 0, n);
    return kOk;
}

Result GlDevice::present() {
    const bool drawn = inFrame_, direct = direct_, showArea = showArea_;
    inFrame_ = direct_ = showArea_ = lastPresentShown_ = false;
    if (clipped_) {
        clipped_ = false;
        glDisable(GL_SCISSOR_TEST);
    }
    if (!impl_->window || !impl_->window->isExposed()) {
        // Nothing to swap: wait for the frame here instead. Mesa frees a
        // frame's vertex data only once something waits for it, and frames
        // nobody shows (snapshots) would otherwise hold on to 6 to 12 MB
        // each, frame after frame.
        if (drawn && makeCurrent()) glFinish();
        return kOk;
    }
    QWindow* w = impl_->window;
    if (direct) {
        // The frame is in the window's back buffer already. Without a new
        // frame there is nothing to swap in (the caller redraws instead).
        if (!drawn) return kOk;
        shownDirect_ = lastPresentShown_ = true;
        if (showArea) {
            impl_->subBuffer.copy(w->winId(), area_[0], area_[1], area_[2], area_[3]);
            backHoldsPicture_ = true;
        } else {
            impl_->context->swapBuffers(w);
            backHoldsPicture_ = false;
        }
        return kOk;
    }
    backHoldsPicture_ = shownDirect_ = false;
    if (!impl_->context->makeCurrent(w)) return kDeviceLost;
    glBindFramebuffer(GL_FRAMEBUFFER, impl_->context->defaultFramebufferObject());
    const QSize window = win::deviceSize(*w);
    const GLsizei width = window.width(), height = window.height();
    glViewport(0, 0, width, height);
    // Scaled to the window when the render resolution differs from it.
    const QSize size = impl_->target->size();
    drawTextureOverViewport(impl_->target->texture(), size.width() != width || size.height() != height);
    impl_->context->swapBuffers(w);
    lastPresentShown_ = true;
    markAllStateDirty();
    makeCurrent();
    return kOk;
}

bool GlDevice::shownOnlyOnScreen() const {
    const QWindow* window = impl_->window;
    return !inFrame_ && shownDirect_ && window && window->isExposed() && window->screen();
}

bool GlDevice::bindPictureForReading() {
    // The window's back buffer before its swap, or the off-screen target.
    // Its alpha is not part of the picture (the window shows colour alone),
    // so the colour is read as it is, never divided by the alpha.
    const bool fromWindow = inFrame_ && direct_;
    if (!(fromWindow ? makeCurrent() : impl_->context->makeCurrent(impl_->offscreen.get())) || !impl_->target)
        return false;
    if (fromWindow) glBindFramebuffer(GL_FRAMEBUFFER, impl_->context->defaultFramebufferObject());
    else impl_->target->bind();
    return true;
}

QImage GlDevice::readBack() {
    if (shownOnlyOnScreen()) {
        QWindow* window = impl_->window;
        return window->screen()->grabWindow(window->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    }
    const int w = int(params_.backBufferWidth), h = int(params_.backBufferHeight);
    // Read straight into the image's own layout (BGRA bytes are RGB32's
    // words), then turn it upright and make it opaque in place: one copy of
    // the picture instead of three.
    QImage image(w, h, QImage::Format_RGB32);
    if (image.isNull() || !bindPictureForReading()) return {};
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_BYTE, image.bits());
    for (int top = 0, bottom = h - 1; top <= bottom; ++top, --bottom) {
        auto* a = reinterpret_cast<uint32_t*>(image.scanLine(top));
        auto* b = reinterpret_cast<uint32_t*>(image.scanLine(bottom));
        for (int x = 0; x < w; ++x) {
            const uint32_t upper = a[x];
            a[x] = b[x] | 0xFF000000u;
            b[x] = upper | 0xFF000000u;
        }
    }
    return image;
}

bool GlDevice::saveImage(const std::string& path) {
    if (shownOnlyOnScreen()) {
        QImage img = readBack();
        return !img.isNull() && img.save(QString::fromStdString(path), "PNG", 80);
    }
    // A band of rows at a time straight into the file: the picture is never
    // held whole (3.7 MB at 1280 x 720, at the moment memory peaks).
    const int w = int(params_.backBufferWidth), h = int(params_.backBufferHeight);
    constexpr int kBand = 32;
    std::vector<uint8_t> band(size_t(w) * 3 * kBand);
    io::PngWriter png;
    if (!bindPictureForReading() || !png.open(path, w, h)) return false;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    // GL counts rows from the bottom; the file wants the top first.
    for (int top = 0; top < h; top += kBand) {
        const int rows = std::min(kBand, h - top);
        glReadPixels(0, h - top - rows, w, rows, GL_RGB, GL_UNSIGNED_BYTE, band.data());
        for (int r = rows - 1; r >= 0; --r)
            if (!png.writeRow(&band[size_t(r) * size_t(w) * 3])) return false;
    }
    return png.finish();
}

bool GlDevice::keepSceneImage() {
    if (!inScene_) return false;
    const int w = int(params_.backBufferWidth), h = int(params_.backBufferHeight);
    if (!impl_->sceneImage || impl_->sceneImageWidth != w || impl_->sceneImageHeight != h) {
        if (!impl_->sceneImage) glGenTextures(1, &impl_->sceneImage);
        glBindTexture(GL_TEXTURE_2D, impl_->sceneImage);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        impl_->sceneImageWidth = w;
        impl_->sceneImageHeight = h;
    }
    glBindTexture(GL_TEXTURE_2D, impl_->sceneImage);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, w, h);
    stagesDirty_ = true;
    impl_->sceneImageValid = true;
    return true;
}

bool GlDevice::restoreSceneImage() {
    if (!inScene_ || !impl_->sceneImageValid) return false;
    glViewport(0, 0, GLsizei(params_.backBufferWidth), GLsizei(params_.backBufferHeight));
    glDepthMask(GL_FALSE);
    drawTextureOverViewport(impl_->sceneImage, false);
    markAllStateDirty();
    return true;
}

}  // namespace tnx::gfx
