// The texture font on the system's font engine and the OpenGL device:
// "Arial" resolves to its metric twin, the glyph texture carries the glyphs
// as alpha, and drawn quads show them.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>

#include "platform/gfx/gl_device.h"
#include "platform/text/texture_font.h"

namespace tnx::text {
namespace {

using namespace tnx::gfx;

class TextureFontGuiTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "test";
        static char* argv[] = {name, nullptr};
        if (!QGuiApplication::instance()) new QGuiApplication(argc, argv);
    }
    void SetUp() override {
        PresentParameters p;
        p.backBufferWidth = 256;
        p.backBufferHeight = 64;
        device_ = GlDevice::create(nullptr, p);
        ASSERT_TRUE(device_) << "no OpenGL context";
        device_->setTransform(TransformType::View, math::matrixLookAtLH({0, 0, -10}, {0, 0, 0}, {0, 1, 0}));
        device_->setTransform(TransformType::Projection,
                              math::matrixPerspectiveFovLH(math::kPi / 4, 256.0f / 64, 1, 100));
        device_->setRenderState(RenderState::Lighting, 0);
        device_->setRenderState(RenderState::ZEnable, 0);
        device_->setRenderState(RenderState::CullMode, kCullNone);
        device_->setRenderState(RenderState::AlphaBlendEnable, 1);
        device_->setRenderState(RenderState::SrcBlend, kBlendSrcAlpha);
        device_->setRenderState(RenderState::DestBlend, kBlendInvSrcAlpha);
        device_->setTextureStageState(0, TextureStageState::AlphaOp, kTopModulate);
        device_->setTextureStageState(0, TextureStageState::AlphaArg1, kTaTexture);
        device_->setTextureStageState(0, TextureStageState::AlphaArg2, kTaDiffuse);
    }

    // Draws one character 7 units high over the middle of the view and
    // counts the bright pixels.
    int brightPixelsOf(TextureFont& font, std::string_view text) {
        TextVertex v[4 * 4];
        int count = 4;
        font.makeQuads(-3, 3.5f, 7, text, count, v);
        for (auto& x : v) x.z = 0, x.diffuse = 0xFFFFFFFF;
        device_->clear(kClearTarget | kClearZBuffer, 0xFF000000, 1.0f, 0);
        device_->setTexture(0, font.texture());
        device_->setVertexShader(kFvfPosDiffuseTex1);
        device_->beginScene();
        device_->drawIndexedPrimitiveUP(PrimitiveType::TriangleList, 0, uint32_t(4 * count), uint32_t(2 * count),
                                        font.quadIndices().data(), v, sizeof(TextVertex));
        device_->endScene();
        QImage img = device_->readBack();
        int bright = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) bright += qGreen(img.pixel(x, y)) > 200;
        return bright;
    }

    std::unique_ptr<GlDevice> device_;
};

TEST_F(TextureFontGuiTest, ArialIsDrawnWithTheMetricCompatibleLiberationSans) {
    TextureFont font("Arial", 25, 700, false, *device_, 0);
    ASSERT_TRUE(font.hasGlyphs());
    EXPECT_EQ(font.resolvedFamily(), "Liberation Sans");
    EXPECT_EQ(font.pointSize(), 25);
    EXPECT_EQ(font.textureWidth(), 512u);
    // A 33 pixel em; the cell adds the descent below it.
    EXPECT_GT(font.lineHeightPixels(), 33);
    EXPECT_LT(font.lineHeightPixels(), 45);
    const GlyphCell& W = font.cell('W');
    const GlyphCell& i = font.cell('i');
    EXPECT_GT(W.right - W.left, 2 * (i.right - i.left));
}

TEST_F(TextureFontGuiTest, GlyphTextureHoldsCoverageAsAlphaOfWhite) {
    TextureFont font("Arial", 25, 700, false, *device_, 0);
    ASSERT_TRUE(font.hasGlyphs());
    auto cellTexels = [&](uint8_t code, int& opaque, int& clear) {
        const GlyphCell& c = font.cell(code);
        opaque = clear = 0;
        for (int y = c.top; y < c.bottom; ++y)
            for (int x = c.left; x < c.right; ++x) {
                uint16_t t = font.image()[size_t(y) * font.textureWidth() + size_t(x)];
                EXPECT_EQ(t & 0x0FFF, 0x0FFF);
                opaque += t == 0xFFFF;
                clear += t == 0x0FFF;
            }
    };
    int opaque = 0, clear = 0;
    cellTexels(' ', opaque, clear);
    EXPECT_EQ(opaque, 0);
    EXPECT_GT(clear, 0);
    cellTexels('W', opaque, clear);
    EXPECT_GT(opaque, 50);
    EXPECT_GT(clear, 50);
    // 0x80 is the euro sign in Windows-1252.
    cellTexels(0x80, opaque, clear);
    EXPECT_GT(opaque, 10);
}

TEST_F(TextureFontGuiTest, QuadsShowTheGlyphsThroughTheDevice) {
    TextureFont font("Arial", 25, 700, false, *device_, 0);
    font.restore(*device_);
    ASSERT_NE(font.texture(), nullptr);
    EXPECT_GT(brightPixelsOf(font, "W"), 100);
    EXPECT_EQ(brightPixelsOf(font, " "), 0);
    EXPECT_GT(brightPixelsOf(font, "\x80"), 30);
    // After a device reset cycle the glyphs come back from the kept image.
    font.invalidate();
    font.restore(*device_);
    EXPECT_GT(brightPixelsOf(font, "W"), 100);
}

}  // namespace
}  // namespace tnx::text
