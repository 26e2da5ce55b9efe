// Names and numeric values of the fixed-function device vocabulary. The
// numbers follow the classic fixed-function API so stored settings and
// logs read the same everywhere.
#pragma once

#include <cstdint>

namespace tnx::gfx {

using Result = int32_t;
constexpr Result kOk = 0;
constexpr Result kFail = int32_t(0x80004005);
constexpr Result kOutOfMemory = int32_t(0x8007000E);
constexpr Result kInvalidCall = int32_t(0x8876086C);
constexpr Result kOutOfVideoMemory = int32_t(0x8876017C);
constexpr Result kDeviceLost = int32_t(0x88760868);
constexpr Result kDeviceNotReset = int32_t(0x88760869);
inline bool failed(Result r) { return r < 0; }

using Color = uint32_t;  // 0xAARRGGBB
constexpr Color argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

enum class Format : uint32_t {
    Unknown = 0,
    R8G8B8 = 20,
    A8R8G8B8 = 21,
    X8R8G8B8 = 22,
    R5G6B5 = 23,
    X1R5G5B5 = 24,
    A1R5G5B5 = 25,
    A4R4G4B4 = 26,
    D16 = 80,
    D24S8 = 75,
    D24X8 = 77,
    D32 = 71,
};
int bytesPerPixel(Format f);
int bitsPerPixel(Format f);

enum class Pool : uint32_t { Default = 0, Managed = 1, SystemMem = 2 };

enum class RenderState : uint32_t {
    ZEnable = 7,
    FillMode = 8,
    ShadeMode = 9,
    ZWriteEnable = 14,
    AlphaTestEnable = 15,
    SrcBlend = 19,
    DestBlend = 20,
    CullMode = 22,
    ZFunc = 23,
    AlphaRef = 24,
    AlphaFunc = 25,
    DitherEnable = 26,
    AlphaBlendEnable = 27,
    FogEnable = 28,
    SpecularEnable = 29,
    ZBias = 47,
    Lighting = 137,
    Ambient = 139,
    ColorVertex = 141,
    LocalViewer = 142,
    NormalizeNormals = 143,
};
constexpr int kRenderStateCount = 256;

enum FillMode : uint32_t { kFillPoint = 1, kFillWireframe = 2, kFillSolid = 3 };
enum CullMode : uint32_t { kCullNone = 1, kCullCW = 2, kCullCCW = 3 };
enum Blend : uint32_t {
    kBlendZero = 1,
    kBlendOne = 2,
    kBlendSrcColor = 3,
    kBlendInvSrcColor = 4,
    kBlendSrcAlpha = 5,
    kBlendInvSrcAlpha = 6,
    kBlendDestAlpha = 7,
    kBlendInvDestAlpha = 8,
    kBlendDestColor = 9,
    kBlendInvDestColor = 10,
};
enum CompareFunc : uint32_t {
    kCmpNever = 1, kCmpLess = 2, kCmpEqual = 3, kCmpLessEqual = 4,
    kCmpGreater = 5, kCmpNotEqual = 6, kCmpGreaterEqual = 7, kCmpAlways = 8,
};

enum class TextureStageState : uint32_t {
    ColorOp = 1,
    ColorArg1 = 2,
    ColorArg2 = 3,
    AlphaOp = 4,
    AlphaArg1 = 5,
    AlphaArg2 = 6,
    TexCoordIndex = 11,
    AddressU = 13,
    AddressV = 14,
    MagFilter = 16,
    MinFilter = 17,
    MipFilter = 18,
};
constexpr int kTextureStageStateCount = 32;
constexpr int kMaxTextureStages = 2;

enum TextureOp : uint32_t {
    kTopDisable = 1,
    kTopSelectArg1 = 2,
    kTopSelectArg2 = 3,
    kTopModulate = 4,
    kTopModulate2x = 5,
    kTopModulate4x = 6,
    kTopAdd = 7,
};
enum TextureArg : uint32_t { kTaDiffuse = 0, kTaCurrent = 1, kTaTexture = 2, kTaTFactor = 3 };
enum TextureAddress : uint32_t { kTaddressWrap = 1, kTaddressMirror = 2, kTaddressClamp = 3 };
enum TextureFilter : uint32_t { kTexfNone = 0, kTexfPoint = 1, kTexfLinear = 2 };

enum class TransformType : uint32_t { View = 2, Projection = 3, Texture0 = 16, World = 256 };

enum class PrimitiveType : uint32_t {
    PointList = 1,
    LineList = 2,
    LineStrip = 3,
    TriangleList = 4,
    TriangleStrip = 5,
    TriangleFan = 6,
};

// Flexible vertex format bits.
enum Fvf : uint32_t {
    kFvfXyz = 0x002,
    kFvfXyzRhw = 0x004,
    kFvfNormal = 0x010,
    kFvfDiffuse = 0x040,
    kFvfSpecular = 0x080,
    kFvfTex1 = 0x100,
    kFvfTex2 = 0x200,
};
constexpr uint32_t kFvfPosDiffuse = kFvfXyz | kFvfDiffuse;                            // 16 bytes
constexpr uint32_t kFvfPosDiffuseTex1 = kFvfXyz | kFvfDiffuse | kFvfTex1;             // 24 bytes
constexpr uint32_t kFvfPosNormalDiffuseTex1 = kFvfXyz | kFvfNormal | kFvfDiffuse | kFvfTex1;  // 36
constexpr uint32_t kFvfPosNormalDiffuseTex2 = kFvfXyz | kFvfNormal | kFvfDiffuse | kFvfTex2;  // 44
// Bytes of one vertex of the given format (texture pairs are two floats).
int fvfStride(uint32_t fvf);

enum ClearFlags : uint32_t { kClearTarget = 1, kClearZBuffer = 2, kClearStencil = 4 };

struct ColorValue {
    float r = 0, g = 0, b = 0, a = 0;
};

enum class LightType : uint32_t { Point = 1, Spot = 2, Directional = 3 };

struct Light {
    LightType type = LightType::Directional;
    ColorValue diffuse{1, 1, 1, 1};
    ColorValue specular{0, 0, 0, 0};
    ColorValue ambient{0, 0, 0, 0};
    float position[3] = {0, 0, 0};
    float direction[3] = {0, 0, 1};  // the way the light travels
    float range = 1e30f;
    float attenuation0 = 1, attenuation1 = 0, attenuation2 = 0;
};

struct Material {
    ColorValue diffuse{1, 1, 1, 1};
    ColorValue ambient{0, 0, 0, 0};
    ColorValue specular{0, 0, 0, 0};
    ColorValue emissive{0, 0, 0, 0};
    float power = 0;
};

struct Viewport {
    uint32_t x = 0, y = 0, width = 0, height = 0;
    float minZ = 0, maxZ = 1;
};

struct Caps {
    // Shader versions in the classic 0xFFFEmmnn / 0xFFFFmmnn encoding; the
    // fixed-function GL path reports none.
    uint32_t vertexShaderVersion = 0xFFFE0000;
    uint32_t pixelShaderVersion = 0xFFFF0000;
    uint32_t maxTextureWidth = 2048, maxTextureHeight = 2048;
    bool hardwareTransformAndLight = true;
};

enum class CooperativeLevel { Ok, Lost, NotReset };

}  // namespace tnx::gfx
