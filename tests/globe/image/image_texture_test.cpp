#include "globe/image/image_texture.h"

#include <gtest/gtest.h>

#include <fstream>

#include "geodata/pack_archive.h"
#include "geodata/pack_writer.h"
#include "globe/image/test_jpeg.h"
#include "platform/gfx/recording_device.h"
#include "platform/io/byte_io.h"
#include "support/test_home.h"

namespace tnx::globe {
namespace {

using gfx::Format;
using gfx::Pool;

// Records which pools textures come from and can refuse the staging copy.
class StagingDevice : public gfx::RecordingDevice {
public:
    std::unique_ptr<gfx::Texture> createTexture(uint32_t w, uint32_t h, uint32_t levels, Format format,
                                                Pool pool) override {
        pools.push_back(pool);
        if (pool == Pool::SystemMem && refuseStaging) return nullptr;
        return RecordingDevice::createTexture(w, h, levels, format, pool);
    }
    gfx::Result updateTexture(gfx::Texture& source, gfx::Texture& destination) override {
        ++updates;
        EXPECT_EQ(source.pool(), Pool::SystemMem);
        return RecordingDevice::updateTexture(source, destination);
    }
    std::vector<Pool> pools;
    int updates = 0;
    bool refuseStaging = false;
};

uint16_t texel16(const gfx::Texture& t, uint32_t level, uint32_t x, uint32_t y) {
    return io::loadU16(t.levelData(level).data() + (size_t(y) * t.width(level) + x) * 2);
}
uint32_t texel32(const gfx::Texture& t, uint32_t level, uint32_t x, uint32_t y) {
    return io::loadU32(t.levelData(level).data() + (size_t(y) * t.width(level) + x) * 4);
}
void setTexel32(gfx::Texture& t, uint32_t level, uint32_t x, uint32_t y, uint32_t v) {
    io::storeU32(t.levelData(level).data() + (size_t(y) * t.width(level) + x) * 4, v);
}
void setTexel16(gfx::Texture& t, uint32_t level, uint32_t x, uint32_t y, uint16_t v) {
    io::storeU16(t.levelData(level).data() + (size_t(y) * t.width(level) + x) * 2, v);
}

// A 3 x 2 image with a different colour in every pixel.
RgbImage sixColours() {
    RgbImage img;
    img.width = 3;
    img.height = 2;
    img.pixels = {255, 128, 7,  0, 0, 0,  8, 4, 8,  //
                  1, 255, 250,  17, 34, 51,  255, 255, 255};
    return img;
}

class ImageTextureTest : public ::testing::Test {
protected:
    void addToPack(const std::string& name, const std::vector<uint8_t>& bytes) { pack.add(name, bytes); }
    void openPack() {
        ASSERT_TRUE(pack.write(home.file("pack.dat")));
        ASSERT_GT(archive.open(home.file("pack.dat")), 0);
        geodata::setPackArchive(&archive);
    }
    void TearDown() override { geodata::setPackArchive(nullptr); }

    test::TestHome home;
    geodata::PackWriter pack;
    geodata::PackArchive archive;
    StagingDevice device;
    ImageTexture images{device};
};

TEST_F(ImageTextureTest, ColourConversionPerFormatThroughStaging) {
    auto t = images.colourTexture(sixColours(), 1, Format::R5G6B5);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->pool(), Pool::Default);
    EXPECT_EQ(device.pools, (std::vector<Pool>{Pool::Default, Pool::SystemMem}));
    EXPECT_EQ(device.updates, 1);
    EXPECT_EQ(t->width(), 3u);
    EXPECT_EQ(t->height(), 2u);
    EXPECT_EQ(texel16(*t, 0, 0, 0), 0xFC00);  // 31 << 11 | 32 << 5 | 0
    EXPECT_EQ(texel16(*t, 0, 1, 0), 0x0000);
    EXPECT_EQ(texel16(*t, 0, 2, 0), 0x0821);  // 1 << 11 | 1 << 5 | 1
    EXPECT_EQ(texel16(*t, 0, 0, 1), 0x07FF);
    EXPECT_EQ(texel16(*t, 0, 1, 1), 0x1106);  // 2 << 11 | 8 << 5 | 6
    EXPECT_EQ(texel16(*t, 0, 2, 1), 0xFFFF);

    t = images.colourTexture(sixColours(), 1, Format::A8R8G8B8);
    ASSERT_TRUE(t);
    EXPECT_EQ(texel32(*t, 0, 0, 0), 0xFFFF8007u);
    EXPECT_EQ(texel32(*t, 0, 1, 0), 0xFF000000u);
    EXPECT_EQ(texel32(*t, 0, 0, 1), 0xFF01FFFAu);
    EXPECT_EQ(texel32(*t, 0, 1, 1), 0xFF112233u);

    // Other formats: a texture, but nothing written into it.
    t = images.colourTexture(sixColours(), 1, Format::X1R5G5B5);
    ASSERT_TRUE(t);
    for (uint8_t b : t->levelData(0)) ASSERT_EQ(b, 0);
}

TEST_F(ImageTextureTest, MaskTexelsAreWhiteWithTheHighNibbleAsAlpha) {
    EXPECT_EQ(ImageTexture::maskTexel(0x00, false), 0x0FFF);
    EXPECT_EQ(ImageTexture::maskTexel(0x80, false), 0x8FFF);
    EXPECT_EQ(ImageTexture::maskTexel(0xF1, false), 0xFFFF);  // low nibble must not carry into alpha
    EXPECT_EQ(ImageTexture::maskTexel(0xFF, false), 0xFFFF);
    EXPECT_EQ(ImageTexture::maskTexel(0xFF, true), 0x0FFF);
    EXPECT_EQ(ImageTexture::maskTexel(0x10, true), 0xEFFF);

    auto t = images.alphaTexture(sixColours(), 1, Format::A4R4G4B4, false);
    ASSERT_TRUE(t);
    EXPECT_EQ(texel16(*t, 0, 0, 0), 0xFFFF);  // red 255
    EXPECT_EQ(texel16(*t, 0, 1, 1), 0x1FFF);  // red 17
    t = images.alphaTexture(sixColours(), 1, Format::A4R4G4B4, true);
    ASSERT_TRUE(t);
    EXPECT_EQ(texel16(*t, 0, 0, 0), 0x0FFF);
    EXPECT_EQ(texel16(*t, 0, 1, 1), 0xEFFF);  // 255 - 17 = 238
}

TEST_F(ImageTextureTest, LoadsJpegsFromThePack) {
    auto colour = test::makeJpeg(test::flatRgb(16, 8, 200, 100, 50), 16, 8, 3, 95);
    std::vector<uint8_t> greyPixels(32 * 16);
    for (size_t i = 0; i < greyPixels.size(); ++i) greyPixels[i] = uint8_t(i % 200);
    auto grey = test::makeJpeg(greyPixels, 32, 16, 1, 95);
    addToPack("moon.jpg", colour);
    addToPack("star.jpg", grey);
    addToPack("button.jpg", colour);
    openPack();

    auto moon = images.loadColourTexture("pack\\moon.jpg", 1, Format::A8R8G8B8);
    ASSERT_TRUE(moon);
    EXPECT_EQ(moon->width(), 16u);
    EXPECT_EQ(moon->height(), 8u);
    // Texels are exactly the conversion of the decoded pixels.
    RgbImage decoded = decodeJpeg(colour);
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t x = 0; x < 16; ++x) {
            const uint8_t* p = &decoded.pixels[(y * 16 + x) * 3];
            ASSERT_EQ(texel32(*moon, 0, x, y), ImageTexture::toA8R8G8B8(p[0], p[1], p[2]));
        }
    uint32_t centre = texel32(*moon, 0, 8, 4);
    EXPECT_NEAR(int((centre >> 16) & 0xFF), 200, 4);
    EXPECT_NEAR(int((centre >> 8) & 0xFF), 100, 4);
    EXPECT_NEAR(int(centre & 0xFF), 50, 4);

    // A greyscale image gives equal channels.
    auto star = images.loadColourTexture("pack\\star.jpg", 1, Format::A8R8G8B8);
    ASSERT_TRUE(star);
    for (uint32_t y = 0; y < 16; ++y)
        for (uint32_t x = 0; x < 32; ++x) {
            uint32_t t = texel32(*star, 0, x, y);
            ASSERT_EQ((t >> 16) & 0xFF, t & 0xFF);
            ASSERT_EQ((t >> 8) & 0xFF, t & 0xFF);
        }

    auto button = images.loadAlphaTexture("pack\\button.jpg", 1, Format::A4R4G4B4, true);
    ASSERT_TRUE(button);
    EXPECT_EQ(texel16(*button, 0, 8, 4) & 0x0FFF, 0x0FFF);
    EXPECT_EQ(texel16(*button, 0, 8, 4) >> 12, uint16_t((255 - decoded.pixels[(4 * 16 + 8) * 3]) >> 4));
}

TEST_F(ImageTextureTest, FailuresLeaveTheResultEmpty) {
    auto colour = test::makeJpeg(test::flatRgb(16, 8, 1, 2, 3), 16, 8, 3);
    addToPack("broken.jpg", std::vector<uint8_t>(colour.begin(), colour.begin() + long(colour.size() / 2)));
    addToPack("huge.jpg", test::makeJpeg(test::flatRgb(2100, 8, 1, 2, 3), 2100, 8, 3));  // wider than the caps
    addToPack("ok.jpg", colour);
    openPack();
    EXPECT_FALSE(images.loadColourTexture("pack\\missing.jpg", 1, Format::R5G6B5));
    EXPECT_FALSE(images.loadColourTexture("pack\\broken.jpg", 1, Format::R5G6B5));
    EXPECT_FALSE(images.loadAlphaTexture("pack\\broken.jpg", 1, Format::A4R4G4B4, false));
    EXPECT_FALSE(images.loadColourTexture("pack\\huge.jpg", 1, Format::R5G6B5));
    device.refuseStaging = true;
    EXPECT_FALSE(images.loadColourTexture("pack\\ok.jpg", 1, Format::R5G6B5));
    device.refuseStaging = false;
    EXPECT_TRUE(images.loadColourTexture("pack\\ok.jpg", 1, Format::R5G6B5));
}

TEST_F(ImageTextureTest, BandTextureRows) {
    auto band = images.makeBandTexture(4);
    ASSERT_TRUE(band);
    EXPECT_EQ(band->format(), Format::A4R4G4B4);
    EXPECT_EQ(band->width(), 4u);
    EXPECT_EQ(band->height(), 4u);
    for (uint32_t x = 0; x < 4; ++x) {
        EXPECT_EQ(texel16(*band, 0, x, 0), 0x0FFF);
        EXPECT_EQ(texel16(*band, 0, x, 1), 0xFFFF);
        EXPECT_EQ(texel16(*band, 0, x, 2), 0xFFFF);
        EXPECT_EQ(texel16(*band, 0, x, 3), 0x0FFF);
    }
    band = images.makeBandTexture(16, 0);
    ASSERT_TRUE(band);
    const uint16_t expected[16] = {0x0FFF, 0x0FFF, 0x0FFF, 0x0FFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF,
                                   0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0x0FFF, 0x0FFF, 0x0FFF, 0x0FFF};
    for (uint32_t y = 0; y < 16; ++y) EXPECT_EQ(texel16(*band, 0, 5, y), expected[y]) << y;
    EXPECT_EQ(band->levelCount(), 5u);
    EXPECT_EQ(texel16(*band, 1, 0, 1), 0x0FFF);  // rows 2, 3
    EXPECT_EQ(texel16(*band, 1, 0, 2), 0xFFFF);  // rows 4, 5
    EXPECT_FALSE(images.makeBandTexture(0));
}

TEST_F(ImageTextureTest, MipLevelsAreTwoByTwoMeans) {
    auto t = images.createEmptyTexture(4, 4, 0, Format::A8R8G8B8, Pool::SystemMem);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->levelCount(), 3u);
    EXPECT_EQ(t->pool(), Pool::SystemMem);
    // Top-left block: alphas 1, 2, 3, 5 -> 11 >> 2 = 2; other channels exact.
    setTexel32(*t, 0, 0, 0, 0x01102030);
    setTexel32(*t, 0, 1, 0, 0x02102030);
    setTexel32(*t, 0, 0, 1, 0x03FF0000);
    setTexel32(*t, 0, 1, 1, 0x05FF0000);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 4; ++x)
            if (x >= 2 || y >= 2) setTexel32(*t, 0, x, y, 0xFF808080);
    ImageTexture::buildMipLevels(*t);
    EXPECT_EQ(texel32(*t, 1, 0, 0), 0x02871018u);  // red (0x10+0x10+0xFF+0xFF)>>2 = 0x87
    EXPECT_EQ(texel32(*t, 1, 1, 0), 0xFF808080u);
    EXPECT_EQ(texel32(*t, 1, 1, 1), 0xFF808080u);
    // Level 2 from level 1: alpha (2 + 255 * 3) >> 2 = 191.
    EXPECT_EQ(texel32(*t, 2, 0, 0) >> 24, 191u);
    EXPECT_FALSE(t->isLocked(0) || t->isLocked(1) || t->isLocked(2));

    auto s = images.createEmptyTexture(2, 2, 2, Format::A4R4G4B4, Pool::SystemMem);
    ASSERT_TRUE(s);
    setTexel16(*s, 0, 0, 0, 0xF000);
    setTexel16(*s, 0, 1, 0, 0x0F00);
    setTexel16(*s, 0, 0, 1, 0x00F0);
    setTexel16(*s, 0, 1, 1, 0x000F);
    ImageTexture::buildMipLevels(*s);
    EXPECT_EQ(texel16(*s, 1, 0, 0), 0x3333);
}

TEST_F(ImageTextureTest, ThinLevelsAreFilledToTheEndOfTheChain) {
    auto t = images.createEmptyTexture(4, 1, 0, Format::A8R8G8B8, Pool::SystemMem);
    ASSERT_TRUE(t);
    ASSERT_EQ(t->levelCount(), 3u);
    setTexel32(*t, 0, 0, 0, 0x00000000);
    setTexel32(*t, 0, 1, 0, 0x40404040);
    setTexel32(*t, 0, 2, 0, 0x80808080);
    setTexel32(*t, 0, 3, 0, 0xFFFFFFFF);
    ImageTexture::buildMipLevels(*t);
    EXPECT_EQ(texel32(*t, 1, 0, 0), 0x20202020u);
    EXPECT_EQ(texel32(*t, 1, 1, 0), 0xBFBFBFBFu);
    EXPECT_EQ(texel32(*t, 2, 0, 0), 0x6F6F6F6Fu);
}

TEST_F(ImageTextureTest, SixteenBitColourLeavesLowerLevelsUnfilled) {
    RgbImage white;
    white.width = 8;
    white.height = 8;
    white.pixels.assign(8 * 8 * 3, 255);
    auto t = images.colourTexture(white, 0, Format::R5G6B5);
    ASSERT_TRUE(t);
    ASSERT_EQ(t->levelCount(), 4u);
    EXPECT_EQ(texel16(*t, 0, 3, 3), 0xFFFF);
    for (uint32_t level = 1; level < 4; ++level)
        for (uint8_t b : t->levelData(level)) ASSERT_EQ(b, 0) << level;

    auto full = images.colourTexture(white, 0, Format::A8R8G8B8);
    ASSERT_TRUE(full);
    EXPECT_EQ(texel32(*full, 3, 0, 0), 0xFFFFFFFFu);
}

TEST_F(ImageTextureTest, EmptyTextureHasTheAskedShape) {
    auto t = images.createEmptyTexture(128, 128, 0, Format::A4R4G4B4, Pool::Default);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->levelCount(), 8u);
    EXPECT_EQ(t->format(), Format::A4R4G4B4);
    EXPECT_FALSE(images.createEmptyTexture(0, 128, 1, Format::A4R4G4B4, Pool::Default));
}

}  // namespace
}  // namespace tnx::globe
