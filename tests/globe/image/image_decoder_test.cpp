#include "globe/image/image_decoder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "geodata/pack_archive.h"
#include "geodata/pack_writer.h"
#include "globe/image/test_jpeg.h"
#include "support/test_home.h"

namespace tnx::globe {
namespace {

int maxDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    int worst = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) worst = std::max(worst, std::abs(int(a[i]) - int(b[i])));
    return worst;
}

TEST(DecodeJpegTest, ColourImageDecodesRowsFromTheTop) {
    // Four flat quadrants on 16-pixel boundaries: no colour bleeds across.
    const int w = 64, h = 48;
    std::vector<uint8_t> src(size_t(w) * h * 3);
    const uint8_t colours[4][3] = {{200, 30, 30}, {30, 200, 30}, {30, 30, 200}, {230, 230, 40}};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) src[(size_t(y) * w + x) * 3 + c] = colours[(y >= 32) * 2 + (x >= 32)][c];
    for (bool progressive : {false, true}) {
        RgbImage img = decodeJpeg(test::makeJpeg(src, w, h, 3, 95, progressive));
        ASSERT_FALSE(img.empty());
        EXPECT_EQ(img.width, w);
        EXPECT_EQ(img.height, h);
        ASSERT_EQ(img.pixels.size(), size_t(w) * h * 3);
        for (auto [x, y, q] : {std::tuple{8, 8, 0}, {56, 8, 1}, {8, 40, 2}, {56, 40, 3}})
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(img.pixels[(size_t(y) * w + x) * 3 + c], colours[q][c], 4) << x << "," << y;
    }
}

TEST(DecodeJpegTest, GreyscaleExpandsToEqualChannels) {
    const int w = 37, h = 21;  // odd sizes: partial blocks
    std::vector<uint8_t> grey(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) grey[size_t(y) * w + x] = uint8_t(x * 6 + y * 2);
    RgbImage img = decodeJpeg(test::makeJpeg(grey, w, h, 1, 98));
    ASSERT_FALSE(img.empty());
    ASSERT_EQ(img.pixels.size(), size_t(w) * h * 3);
    std::vector<uint8_t> red;
    for (size_t i = 0; i < size_t(w) * h; ++i) {
        ASSERT_EQ(img.pixels[3 * i], img.pixels[3 * i + 1]);
        ASSERT_EQ(img.pixels[3 * i], img.pixels[3 * i + 2]);
        red.push_back(img.pixels[3 * i]);
    }
    EXPECT_LE(maxDifference(red, grey), 6);
}

TEST(DecodeJpegTest, DamagedDataLeavesTheResultEmpty) {
    auto jpeg = test::makeJpeg(test::smoothRgb(96, 80), 96, 80, 3);
    EXPECT_TRUE(decodeJpeg({}).empty());
    EXPECT_TRUE(decodeJpeg(std::vector<uint8_t>(500, 0x5A)).empty());
    EXPECT_TRUE(decodeJpeg(std::span(jpeg).first(2)).empty());
    EXPECT_TRUE(decodeJpeg(std::span(jpeg).first(120)).empty());          // inside the headers
    EXPECT_TRUE(decodeJpeg(std::span(jpeg).first(jpeg.size() * 2 / 3)).empty());  // inside the scan
    EXPECT_TRUE(decodeJpeg(std::span(jpeg).first(jpeg.size() - 2)).empty());      // EOI missing

    // A marker in the middle of the entropy-coded data.
    auto marked = jpeg;
    marked[marked.size() / 2] = 0xFF;
    marked[marked.size() / 2 + 1] = 0xD9;
    EXPECT_TRUE(decodeJpeg(marked).empty());

    // Random damage may or may not be detectable, but never crashes or
    // hands out a wrongly sized image.
    for (int seed = 0; seed < 40; ++seed) {
        auto bad = jpeg;
        std::srand(unsigned(seed));
        for (int k = 0; k < 6; ++k) bad[size_t(std::rand()) % bad.size()] = uint8_t(std::rand());
        RgbImage img = decodeJpeg(bad);
        if (!img.empty()) {
            EXPECT_EQ(img.pixels.size(), size_t(img.width) * img.height * 3);
        }
    }
}

TEST(DecodeJpegTest, RefusesImagesAboveThePixelLimit) {
    auto jpeg = test::makeJpeg(test::smoothRgb(64, 32), 64, 32, 3);
    EXPECT_TRUE(decodeJpeg(jpeg, 64 * 32 - 1).empty());
    EXPECT_FALSE(decodeJpeg(jpeg, 64 * 32).empty());
}

TEST(DecodeJpegTest, DecodeToRefusedTargetFails) {
    auto jpeg = test::makeJpeg(test::smoothRgb(16, 16), 16, 16, 3);
    int asked = 0;
    EXPECT_FALSE(decodeJpegTo(jpeg, [&](int w, int h) -> uint8_t* {
        asked = w * h;
        return nullptr;
    }));
    EXPECT_EQ(asked, 256);
    EXPECT_FALSE(decodeJpegTo(jpeg, [](int, int) -> uint8_t* { throw std::bad_alloc(); }));
}

TEST(ImageFileNameTest, ExtensionFromTheFirstDotBecomesJpg) {
    EXPECT_EQ(imageFileName("pack\\moon.jpg"), "pack\\moon.jpg");
    EXPECT_EQ(imageFileName("pack\\moon.bmp"), "pack\\moon.jpg");
    EXPECT_EQ(imageFileName("star.tar.gz"), "star.jpg");
    EXPECT_EQ(imageFileName("space"), "space.jpg");
    EXPECT_EQ(imageFileName(std::string(256, 'a') + ".png"), std::string(256, 'a') + ".jpg");
    EXPECT_EQ(imageFileName(std::string(257, 'a') + ".png"), "");
}

TEST(DecodeImageTest, ReadsThroughTheArchiveThenLooseFiles) {
    test::TestHome home;
    auto moon = test::makeJpeg(test::flatRgb(32, 16, 180, 180, 180), 32, 16, 3);
    geodata::PackWriter w;
    w.add("moon.jpg", moon);
    ASSERT_TRUE(w.write(home.file("pack.dat")));
    geodata::PackArchive archive;
    ASSERT_EQ(archive.open(home.file("pack.dat")), 1);
    geodata::setPackArchive(&archive);

    RgbImage img = decodeImage("pack\\Moon.bmp");
    EXPECT_EQ(img.width, 32);
    EXPECT_EQ(img.height, 16);

    auto loose = test::makeJpeg(test::flatRgb(8, 24, 10, 20, 30), 8, 24, 3);
    std::filesystem::create_directories(home.file("pack"));
    std::ofstream(home.file("pack/place.jpg"), std::ios::binary)
        .write(reinterpret_cast<const char*>(loose.data()), std::streamsize(loose.size()));
    img = decodeImage("pack\\place.jpg");
    EXPECT_EQ(img.width, 8);
    EXPECT_EQ(img.height, 24);

    EXPECT_TRUE(decodeImage("pack\\absent.jpg").empty());
    geodata::setPackArchive(nullptr);
}

}  // namespace
}  // namespace tnx::globe
