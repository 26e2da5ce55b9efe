#include "globe/terrain/terrain_palette.h"

#include <gtest/gtest.h>

#include "globe/terrain/texture_texels.h"

namespace tnx::globe {
namespace {

// Slot i gets a distinct colour: red = 10 i, green = 255 - 10 i, blue = 7 i.
std::array<uint32_t, 18> distinctBands() {
    std::array<uint32_t, 18> c{};
    for (uint32_t i = 0; i < 18; ++i) c[i] = (10 * i) | ((255 - 10 * i) << 8) | ((7 * i) << 16);
    return c;
}

PaletteColour slot(int i, uint8_t alpha) {
    return {alpha, uint8_t(10 * i), uint8_t(255 - 10 * i), uint8_t(7 * i)};
}

TEST(TerrainPalette, LandBandsHitTheirSlotsAtBandElevations) {
    TerrainPalette p;
    p.build(distinctBands(), 200, 100);
    const int elevations[] = {-500, -100, 0, 200, 500, 1000, 2000, 3000, 5000, 9000};
    const int slots[] = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(p.at(0, elevations[i]), slot(slots[i], 200)) << elevations[i];
}

TEST(TerrainPalette, LandInterpolatesWithinABandAndHoldsBeyondTheTable) {
    TerrainPalette p;
    p.build(distinctBands(), 255, 255);
    // Halfway from 0 m (slot 7: red 70) to 200 m (slot 6: red 60).
    PaletteColour mid = p.at(0, 100);
    EXPECT_EQ(mid.r, uint8_t((70.0f / 255 + (60.0f / 255 - 70.0f / 255) * 0.5f) * 255.5f));
    // Around -100 m with black, white, black at -500, -100 and 0 m: both
    // neighbouring bands ramp towards the white band edge.
    auto bands = distinctBands();
    bands[9] = 0;
    bands[8] = 0xFFFFFF;
    bands[7] = 0;
    TerrainPalette q;
    q.build(bands, 255, 255);
    EXPECT_EQ(q.at(0, -100).r, 255);
    EXPECT_EQ(q.at(0, -99).r, uint8_t((1.0f - 0.01f) * 255.5f));
    EXPECT_EQ(q.at(0, -104).r, uint8_t((1.0f - 0.01f) * 255.5f));
    EXPECT_EQ(q.at(0, -50).r, 127);
    EXPECT_EQ(q.at(0, -300).r, 127);
    EXPECT_EQ(q.at(0, 0).r, 0);
    // Outside the table the end colours stay.
    EXPECT_EQ(p.at(0, 12000), slot(0, 255));
    EXPECT_EQ(p.at(0, -3000), slot(9, 255));
}

TEST(TerrainPalette, SeaBandsAndTheOtherClasses) {
    TerrainPalette p;
    p.build(distinctBands(), 200, 100);
    EXPECT_EQ(p.at(3, 0), slot(10, 100));
    EXPECT_EQ(p.at(3, -10), slot(11, 100));
    EXPECT_EQ(p.at(3, -7000), slot(16, 100));
    EXPECT_EQ(p.at(3, -11000), slot(17, 100));
    // Between -11000 and -7000: strictly between the two slots' reds.
    const PaletteColour deep = p.at(3, -9000);
    EXPECT_GT(deep.r, 160);
    EXPECT_LT(deep.r, 170);
    EXPECT_EQ(p.at(3, -16000), slot(17, 100));

    EXPECT_EQ(p.at(2, -300), (PaletteColour{100, 255, 255, 255}));
    EXPECT_EQ(p.at(1, 0), (PaletteColour{100, 80, 144, 255}));
    // u = 9000 x 0.00011111111 = 0.99999999: the dark end.
    const PaletteColour lake = p.at(1, 9000);
    EXPECT_LE(lake.r, 1);
    EXPECT_LE(lake.g, 1);
    EXPECT_EQ(lake.b, 80);
}

TEST(TextureTexels, AlphaOf255PacksToTheTopNibbleMinusOne) {
    EXPECT_EQ(texels::pack(gfx::Format::A4R4G4B4, 255, 0, 0, 0), 0xE000u);
    EXPECT_EQ(texels::pack(gfx::Format::A8R8G8B8, 255, 0, 0, 0), 0xFE000000u);
    EXPECT_EQ(texels::pack(gfx::Format::A8R8G8B8, 0, 255, 128, 1), 0x00FE7F00u);
    EXPECT_EQ(texels::pack(gfx::Format::A4R4G4B4, 0, 255, 255, 255), 0x0EEEu);
    EXPECT_EQ(texels::pack(gfx::Format::R5G6B5, 255, 255, 255, 255), 0xF000u | 0x07C0u | 0x001Eu);
    EXPECT_EQ(texels::pack(gfx::Format::X8R8G8B8, 255, 255, 255, 255), 0u);
}

TEST(TextureTexels, LightingLiftsTheDarkEndByTheBase) {
    EXPECT_EQ(texels::light(0, 255, 255), 255);
    EXPECT_EQ(texels::light(0, 0, 255), 0);
    EXPECT_EQ(texels::light(255, 0, 0), 255);  // a white base makes everything white
    EXPECT_EQ(texels::light(255, 120, 30), 255);
    EXPECT_EQ(texels::light(100, 255, 0), 100);
    EXPECT_EQ(texels::light(0, 255, 128), 128);
}

TEST(TextureTexels, HillShadeOfFlatGroundAndOfSlopes) {
    // Flat: the normal is straight up, the sun stands 60 degrees high.
    EXPECT_EQ(texels::hillShade(100, 100, 100, 400), 220);
    // Tilted towards the sun (ground falling to the east and north) is brighter,
    // away from it darker, and a wall facing away is black.
    EXPECT_GT(texels::hillShade(100, 0, 100, 400), 220);
    EXPECT_LT(texels::hillShade(0, 100, 0, 400), 220);
    EXPECT_EQ(texels::hillShade(0, 100000, 0, 1), 0);
    // Spacing: the sqrt(2^level) growth and the exaggeration damping with its floor.
    EXPECT_FLOAT_EQ(texels::shadeSpacing(400, 0.00001f, 2), 400 * (0.99f - 0.012f) * 2);
    EXPECT_FLOAT_EQ(texels::shadeSpacing(400, 0.001f, 0), 400 * 0.3f);
}

TEST(TextureTexels, PhotographicAdjustments) {
    TextureAdjustments neutral{1, 1, 1, 1, 1};
    EXPECT_EQ(texels::adjust({10, 20, 30}, neutral), (Rgb8{10, 20, 30}));
    // Grey has no saturation to change; brightness scales it.
    TextureAdjustments bright{2.0f, 1.5f, 1, 1, 1};
    EXPECT_EQ(texels::adjust({100, 100, 100}, bright), (Rgb8{150, 150, 150}));
    // Saturation pushes channels away from their mean (60); results clamp.
    TextureAdjustments sat{2.0f, 1.0f, 1, 1, 1};
    EXPECT_EQ(texels::adjust({90, 60, 30}, sat), (Rgb8{120, 60, 0}));
    TextureAdjustments redOnly{1.0f, 1.0f, 2.0f, 0.5f, 0.0f};
    EXPECT_EQ(texels::adjust({200, 100, 50}, redOnly), (Rgb8{255, 50, 0}));
}

}  // namespace
}  // namespace tnx::globe
