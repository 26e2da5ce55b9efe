// Renders small scenes through the OpenGL device and reads the pixels back.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <string>

#include "platform/gfx/gl_device.h"

using namespace tnx::gfx;
using namespace tnx::math;

namespace {

struct PosDiffuse {
    float x, y, z;
    uint32_t color;
};
struct PosNormalDiffuse {
    float x, y, z, nx, ny, nz;
    uint32_t color;
};
struct PosDiffuseTex {
    float x, y, z;
    uint32_t color;
    float u, v;
};

class GlDeviceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "test";
        static char* argv[] = {name, nullptr};
        if (!QGuiApplication::instance()) app_ = new QGuiApplication(argc, argv);
    }
    void SetUp() override {
        PresentParameters p;
        p.backBufferWidth = 64;
        p.backBufferHeight = 48;
        device_ = GlDevice::create(nullptr, p);
        ASSERT_TRUE(device_) << "no OpenGL context";
        setView();
    }
    // Camera at -10 on Z looking at the origin, no lighting.
    void setView() {
        device_->setTransform(TransformType::View, matrixLookAtLH({0, 0, -10}, {0, 0, 0}, {0, 1, 0}));
        device_->setTransform(TransformType::Projection, matrixPerspectiveFovLH(kPi / 4, 64.0f / 48, 1, 100));
        device_->setRenderState(RenderState::Lighting, 0);
    }
    QRgb pixel(const QImage& img, int x, int y) { return img.pixel(x, y); }
    // A triangle covering the centre, clockwise as seen by the camera.
    void drawTriangle(uint32_t color, float z = 0) {
        PosDiffuse v[3] = {{-2, -2, z, color}, {0, 3, z, color}, {2, -2, z, color}};
        uint16_t idx[3] = {0, 1, 2};
        device_->setVertexShader(kFvfPosDiffuse);
        device_->drawIndexedPrimitiveUP(PrimitiveType::TriangleList, 0, 3, 1, idx, v, sizeof(PosDiffuse));
    }
    static QGuiApplication* app_;
    std::unique_ptr<GlDevice> device_;
};
QGuiApplication* GlDeviceTest::app_ = nullptr;

TEST_F(GlDeviceTest, DrawsVertexColoursAndKeepsColourOnDepthOnlyClear) {
    device_->clear(kClearTarget | kClearZBuffer, 0xFF0000FF, 1.0f, 0);
    ASSERT_EQ(device_->beginScene(), kOk);
    drawTriangle(0xFFFF0000);
    device_->endScene();
    QImage img = device_->readBack();
    ASSERT_EQ(img.width(), 64);
    ASSERT_EQ(img.height(), 48);
    EXPECT_EQ(qRed(pixel(img, 32, 24)), 255);
    EXPECT_EQ(qBlue(pixel(img, 32, 24)), 0);
    EXPECT_EQ(qBlue(pixel(img, 1, 1)), 255);
    // The apex points up: the top row above the apex stays background.
    EXPECT_EQ(qBlue(pixel(img, 32, 2)), 255);

    // Next frame clears only depth: last frame's colour stays.
    device_->clear(kClearZBuffer, 0, 1.0f, 0);
    QImage again = device_->readBack();
    EXPECT_EQ(qRed(pixel(again, 32, 24)), 255);
}

TEST_F(GlDeviceTest, ImagesComeBackTopRowFirst) {
    device_->clear(kClearTarget | kClearZBuffer, 0xFF000000, 1.0f, 0);
    device_->beginScene();
    // A triangle in the upper half of the view only.
    PosDiffuse v[3] = {{-2, 1, 0, 0xFFFF0000}, {0, 3.5f, 0, 0xFFFF0000}, {2, 1, 0, 0xFFFF0000}};
    uint16_t idx[3] = {0, 1, 2};
    device_->setVertexShader(kFvfPosDiffuse);
    device_->drawIndexedPrimitiveUP(PrimitiveType::TriangleList, 0, 3, 1, idx, v, sizeof(PosDiffuse));
    device_->endScene();
    QImage img = device_->readBack();
    EXPECT_EQ(qRed(img.pixel(32, 14)), 255);
    EXPECT_EQ(qRed(img.pixel(32, 34)), 0);
    // The file holds the same picture, though written a band of rows at a
    // time (48 rows: a whole band and part of the next). A path that
    // cannot be written fails.
    const std::string path = ::testing::TempDir() + "/top_row_first.png";
    ASSERT_TRUE(device_->saveImage(path));
    const QImage saved(QString::fromStdString(path));
    ASSERT_EQ(saved.size(), img.size());
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) ASSERT_EQ(saved.pixel(x, y), img.pixel(x, y)) << x << "," << y;
    EXPECT_FALSE(device_->saveImage(::testing::TempDir() + "/no/such/folder/x.png"));
}

TEST_F(GlDeviceTest, CullsCounterClockwiseFacesOnScreen) {
    device_->clear(kClearTarget | kClearZBuffer, 0xFF000000, 1.0f, 0);
    device_->setRenderState(RenderState::CullMode, kCullCCW);
    device_->beginScene();
    PosDiffuse v[3] = {{-2, -2, 0, 0xFF00FF00}, {2, -2, 0, 0xFF00FF00}, {0, 3, 0, 0xFF00FF00}};
    uint16_t idx[3] = {0, 1, 2};  // counter-clockwise on screen
    device_->setVertexShader(kFvfPosDiffuse);
    device_->drawIndexedPrimitiveUP(PrimitiveType::TriangleList, 0, 3, 1, idx, v, sizeof(PosDiffuse));
    device_->endScene();
    EXPECT_EQ(qGreen(device_->readBack().pixel(32, 24)), 0);
    device_->setRenderState(RenderState::CullMode, kCullCW);
    device_->beginScene();
    device_->drawIndexedPrimitiveUP(PrimitiveType::TriangleList, 0, 3, 1, idx, v, sizeof(PosDiffuse));
    device_->endScene();
    EXPECT_EQ(qGreen(device_->readBack().pixel(32, 24)), 255);
}

TEST_F(GlDeviceTest, DepthTestKeepsNearerSurface) {
    device_->clear(kClearTarget | kClearZBuffer, 0xFF000000, 1.0f, 0);
    device_->beginScene();
    drawTriangle(0xFFFF0000, -1);  // nearer
    drawTriangle(0xFF00FF00, 1);   // farther, drawn later
    device_->endScene();
    QRgb c = device_->readBack().pixel(32, 24);
    EXPECT_EQ(qRed(c), 255);
    EXPECT_EQ(qGreen(c), 0);
}

TEST_F(GlDeviceTest, DirectionalLightShadesByNormal) {
    device_->clear(kClearTarget | kClearZBuffer, 0xFF000000, 1.0f, 0);
    Light l;
    l.direction[0] = 0; l.direction[1] = 0; l.direction[2] = 1;  // travelling away from the camera
    l.diffuse = {1, 1, 1, 1};
    device_->setLight(0, l);
    device_->lightEnable(0, true);
    device_->setRenderState(RenderState::Lighting, 1);
    device_->setVertexShader(kFvfXyz | kFvfNormal | kFvfDiffuse);
    // Left triangle faces the camera (lit), right one faces away (dark).
    PosNormalDiffuse v[6] = {{-4, -2, 0, 0, 0, -1, 0xFFFFFFFF}, {-2, 2, 0, 0, 0, -1, 0xFFFFFFFF},
                             {-0.5f, -2, 0, 0, 0, -1, 0xFFFFFFFF}, {0.5f, -2, 0, 0, 0, 1, 0xFFFFFFFF},
                             {2, 2, 0, 0, 0, 1, 0xFFFFFFFF},       {4, -2, 0, 0, 0, 1, 0xFFFFFFFF}};
    uint16_t idx[6] = {0, 1, 2, 3, 4, 5};
    device_->setRenderState(RenderState::CullMode, kCullNone);
    device_->beginScene();
    device_->drawIndexedPrimitiveUP(PrimitiveType::TriangleList, 0, 6, 2, idx, v, sizeof(PosNormalDiffuse));
    device_->endScene();
    QImage img = device_->readBack();
    EXPECT_GT(qRed(img.pixel(18, 28)), 200);
    EXPECT_LT(qRed(img.pixel(46, 28)), 30);
}

// A 2 x 2 opaque green A4R4G4B4 texture in the given pool (through a
// staging copy for the device pool), drawn on a triangle over the centre.
QRgb drawGreenTexture(GlDevice& device, Texture& tex) {
    device.clear(kClearTarget | kClearZBuffer, 0xFF000000, 1.0f, 0);
    device.setTexture(0, &tex);
    device.setVertexShader(kFvfPosDiffuseTex1);
    PosDiffuseTex v[3] = {{-2, -2, 0, 0xFFFFFFFF, 0, 1}, {0, 3, 0, 0xFFFFFFFF, 0.5f, 0}, {2, -2, 0, 0xFF808080, 1, 1}};
    uint16_t idx[3] = {0, 1, 2};
    device.beginScene();
    device.drawIndexedPrimitiveUP(PrimitiveType::TriangleList, 0, 3, 1, idx, v, sizeof(PosDiffuseTex));
    device.endScene();
    return device.readBack().pixel(32, 24);
}
std::unique_ptr<Texture> greenTexture(GlDevice& device, Pool pool) {
    auto tex = device.createTexture(2, 2, 1, Format::A4R4G4B4, pool == Pool::Default ? Pool::SystemMem : pool);
    LockedRect r;
    if (!tex || tex->lock(0, r) != kOk) return nullptr;
    for (int i = 0; i < 4; ++i) reinterpret_cast<uint16_t*>(r.bits)[i] = 0xF0F0;
    tex->unlock(0);
    if (pool != Pool::Default) return tex;
    auto onDevice = device.createTexture(2, 2, 1, Format::A4R4G4B4, Pool::Default);
    return device.updateTexture(*tex, *onDevice) == kOk ? std::move(onDevice) : nullptr;
}

TEST_F(GlDeviceTest, SamplesA4R4G4B4TextureModulatedByDiffuse) {
    auto tex = greenTexture(*device_, Pool::Managed);
    ASSERT_TRUE(tex);
    QRgb c = drawGreenTexture(*device_, *tex);
    EXPECT_EQ(qRed(c), 0);
    EXPECT_GT(qGreen(c), 150);
    EXPECT_EQ(qBlue(c), 0);
}

TEST_F(GlDeviceTest, ADeviceTextureLivesInGlAloneOnceUploadedThroughAReset) {
    auto tex = greenTexture(*device_, Pool::Default);
    ASSERT_TRUE(tex);
    EXPECT_GT(qGreen(drawGreenTexture(*device_, *tex)), 150);
    EXPECT_FALSE(tex->holdsTexels());
    device_->requestReset();
    ASSERT_EQ(device_->reset(device_->presentParameters()), kOk);
    setView();
    EXPECT_GT(qGreen(drawGreenTexture(*device_, *tex)), 150);
}

TEST_F(GlDeviceTest, ResetResizesTargetAndReuploadsTextures) {
    auto tex = device_->createTexture(1, 1, 1, Format::A8R8G8B8, Pool::Managed);
    device_->setTexture(0, tex.get());
    device_->beginScene();
    drawTriangle(0xFFFFFFFF);
    device_->endScene();
    EXPECT_EQ(tex->uploadedVersion, tex->version());
    PresentParameters p;
    p.backBufferWidth = 32;
    p.backBufferHeight = 16;
    device_->requestReset();
    EXPECT_EQ(device_->testCooperativeLevel(), CooperativeLevel::NotReset);
    ASSERT_EQ(device_->reset(p), kOk);
    EXPECT_EQ(device_->testCooperativeLevel(), CooperativeLevel::Ok);
    EXPECT_EQ(tex->uploadedVersion, 0u);
    QImage img = device_->readBack();
    EXPECT_EQ(img.width(), 32);
    EXPECT_EQ(img.height(), 16);
    EXPECT_EQ(device_->viewport().width, 32u);
}

}  // namespace
