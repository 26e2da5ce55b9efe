#include "star_catalogue.h"

#include "platform/io/byte_io.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace tnx::databuilder {
namespace {

std::optional<StarCatalogue> parse(const std::string& json, std::string* error = nullptr) {
    return StarCatalogue::fromGeoJson(std::span(reinterpret_cast<const uint8_t*>(json.data()), json.size()),
                                      error);
}

std::string feature(const std::string& coords, const std::string& mag) {
    return R"({"type":"Feature","id":1,"properties":{"mag":)" + mag +
           R"(,"bv":"0.5"},"geometry":{"type":"Point","coordinates":)" + coords + "}}";
}

std::string collection(const std::vector<std::string>& features) {
    std::string s = R"({"type":"FeatureCollection","features":[)";
    for (size_t i = 0; i < features.size(); ++i) s += (i ? "," : "") + features[i];
    return s + "]}";
}

TEST(StarBrightness, FollowsTheSquareRootOfTheLight) {
    EXPECT_EQ(StarCatalogue::brightnessForMagnitude(0.0), 200);
    EXPECT_EQ(StarCatalogue::brightnessForMagnitude(5.0), 20);
    EXPECT_EQ(StarCatalogue::brightnessForMagnitude(8.0), 5);
    EXPECT_EQ(StarCatalogue::brightnessForMagnitude(-1.44), 388);  // Sirius
    EXPECT_EQ(StarCatalogue::brightnessForMagnitude(-0.62), 266);  // Canopus, the next brightest
}

TEST(StarBrightness, NeverGrowsWithMagnitudeAndStaysInRange) {
    uint16_t previous = StarCatalogue::brightnessForMagnitude(-30.0);
    EXPECT_EQ(previous, 65535);
    for (double mag = -29.9; mag <= 30.0; mag += 0.01) {
        const uint16_t b = StarCatalogue::brightnessForMagnitude(mag);
        ASSERT_LE(b, previous) << "magnitude " << mag;
        ASSERT_GE(b, 1) << "magnitude " << mag;
        previous = b;
    }
    EXPECT_EQ(StarCatalogue::brightnessForMagnitude(std::nan("")), 1);
}

TEST(StarRecord, ConvertsRightAscensionAndDeclination) {
    const StarRecord r = StarCatalogue::toRecord({101.2872, -16.7161, -1.44});
    EXPECT_EQ(r.azimuth, 18439);  // 101.2872 / 360 x 65536 = 18438.8
    EXPECT_EQ(r.polar, 13341);    // (90 - 16.7161) / 360 x 65536 = 13340.9
    EXPECT_EQ(r.brightness, 388);

    EXPECT_EQ(StarCatalogue::toRecord({0.0, 0.0, 1}).azimuth, 0);
    EXPECT_EQ(StarCatalogue::toRecord({180.0, 0.0, 1}).azimuth, 32768);
    EXPECT_EQ(StarCatalogue::toRecord({359.99, 0.0, 1}).azimuth, 65534);
    // Just short of a full turn rounds to the turn itself, which is 0.
    EXPECT_EQ(StarCatalogue::toRecord({359.999, 0.0, 1}).azimuth, 0);

    EXPECT_EQ(StarCatalogue::toRecord({0.0, -90.0, 1}).polar, 0);
    EXPECT_EQ(StarCatalogue::toRecord({0.0, 0.0, 1}).polar, 16384);
    // The north pole itself would be polar 32768, past the last bucket row.
    EXPECT_EQ(StarCatalogue::toRecord({0.0, 90.0, 1}).polar, 32767);
    EXPECT_EQ(StarCatalogue::toRecord({0.0, 89.999, 1}).polar, 32767);
}

TEST(StarCatalogueJson, ReadsStarsAndTurnsNegativeRightAscension) {
    const auto cat = parse(collection({feature("[101.2872,-16.7161]", "-1.44"),
                                       feature("[-90.5,45]", "6")}));
    ASSERT_TRUE(cat);
    ASSERT_EQ(cat->stars().size(), 2u);
    EXPECT_DOUBLE_EQ(cat->stars()[0].raDegrees, 101.2872);
    EXPECT_DOUBLE_EQ(cat->stars()[0].decDegrees, -16.7161);
    EXPECT_DOUBLE_EQ(cat->stars()[0].magnitude, -1.44);
    EXPECT_DOUBLE_EQ(cat->stars()[1].raDegrees, 269.5);
    EXPECT_EQ(cat->skipped(), 0u);
}

TEST(StarCatalogueJson, SkipsFeaturesWithoutUsablePositionOrMagnitude) {
    const auto cat = parse(collection({
        feature("[10,10]", "3"),
        feature("[10,10]", "\"3\""),       // magnitude as text
        feature("[10]", "3"),              // one coordinate
        feature("[\"10\",10]", "3"),       // coordinate as text
        feature("[10,95]", "3"),           // beyond the pole
        feature("[400,10]", "3"),          // beyond a turn
        R"({"type":"Feature","properties":{"mag":2}})",  // no geometry
        feature("[20,-20]", "4"),
    }));
    ASSERT_TRUE(cat);
    EXPECT_EQ(cat->stars().size(), 2u);
    EXPECT_EQ(cat->skipped(), 6u);
}

TEST(StarCatalogueJson, RefusesWhatIsNotAFeatureCollection) {
    std::string error;
    EXPECT_FALSE(parse("{\"type\":\"Feature", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(parse(R"({"type":"Topology","features":[]})", &error));
    EXPECT_FALSE(parse(R"({"type":"FeatureCollection"})", &error));
    EXPECT_FALSE(parse("", &error));
    const auto empty = parse(collection({}));
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->stars().empty());
}

TEST(StarBin, HoldsTheCountThenSixByteRecordsInCatalogueOrder) {
    const StarCatalogue cat({{101.2872, -16.7161, -1.44}, {269.5, 45.0, 6.0}, {0.0, -90.0, 8.0}});
    const std::vector<uint8_t> bytes = cat.encodeStarBin();
    ASSERT_EQ(bytes.size(), 4u + 3u * 6u);
    io::ByteReader r(bytes);
    EXPECT_EQ(r.i32(), 3);
    EXPECT_EQ(r.u16(), 18439);
    EXPECT_EQ(r.u16(), 13341);
    EXPECT_EQ(r.u16(), 388);
    EXPECT_EQ(r.u16(), 49061);  // 269.5 / 360 x 65536 = 49061.0
    EXPECT_EQ(r.u16(), 24576);  // 135 degrees from the south pole
    EXPECT_EQ(r.u16(), 13);     // 200 x 10^-1.2 = 12.6
    EXPECT_EQ(r.u16(), 0);
    EXPECT_EQ(r.u16(), 0);
    EXPECT_EQ(r.u16(), 5);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.remaining(), 0u);

    EXPECT_EQ(StarCatalogue().encodeStarBin(), std::vector<uint8_t>({0, 0, 0, 0}));
}

}  // namespace
}  // namespace tnx::databuilder
