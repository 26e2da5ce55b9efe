// The information texts: the four read-out lines in both hemispheres and
// both unit systems with their rounding and truncation, what a frame off the
// globe keeps, the "World" fallback, the overview and the help text.
#include "geodata/info_texts.h"

#include <gtest/gtest.h>

#include <cmath>

#include "geodata/city_table.h"
#include "geodata/country_table.h"
#include "geodata/geo_files.h"
#include "geodata/geo_overlay.h"
#include "geodata/pack_archive.h"
#include "platform/gfx/recording_device.h"
#include "platform/io/file_io.h"
#include "support/test_home.h"

namespace tnx::geodata {
namespace {

constexpr double kDeg = 3.14159265358979323846 / 180.0;

TEST(ReadoutLines, HemisphereLettersThreeDecimalsAndRoundingAtTheEdges) {
    EXPECT_EQ(InfoTexts::pointerLine(10 * kDeg, 50 * kDeg, 123.9, true), "E10.000, N50.000, Alt 123m");
    EXPECT_EQ(InfoTexts::pointerLine(-73.98765 * kDeg, -33.0004 * kDeg, 0, true), "W73.988, S33.000, Alt 0m");
    // On the equator and the prime meridian: N and E with zeros.
    EXPECT_EQ(InfoTexts::pointerLine(0.0, 0.0, 0, true), "E0.000, N0.000, Alt 0m");
    EXPECT_EQ(InfoTexts::pointerLine(-0.5 * kDeg, -0.0, 0, true), "W0.500, N0.000, Alt 0m");
    // A whisker short of a whole degree rounds up into it; the letter keeps
    // the sign even where the figure rounds to zero.
    EXPECT_EQ(InfoTexts::pointerLine(59.99961 * kDeg, 89.99951 * kDeg, 0, true), "E60.000, N90.000, Alt 0m");
    EXPECT_EQ(InfoTexts::pointerLine(-0.00049 * kDeg, -0.00049 * kDeg, 0, true), "W0.000, S0.000, Alt 0m");
    EXPECT_EQ(InfoTexts::pointerLine(-179.99961 * kDeg, 0.00151 * kDeg, 0, true), "W180.000, N0.002, Alt 0m");
}

TEST(ReadoutLines, ElevationIsCutTowardsZeroInMetresOrFeet) {
    EXPECT_EQ(InfoTexts::pointerLine(0, 0, 100, false), "E0.000, N0.000, Alt 328ft");  // 328.08
    EXPECT_EQ(InfoTexts::pointerLine(0, 0, 99.99, true), "E0.000, N0.000, Alt 99m");
    EXPECT_EQ(InfoTexts::pointerLine(0, 0, -0.9, true), "E0.000, N0.000, Alt 0m");
    EXPECT_EQ(InfoTexts::pointerLine(0, 0, -10994.6, true), "E0.000, N0.000, Alt -10994m");
    EXPECT_EQ(InfoTexts::pointerLine(0, 0, -10994.6, false), "E0.000, N0.000, Alt -36071ft");  // -36071.08
    EXPECT_EQ(InfoTexts::pointerLine(0, 0, NAN, true), "E0.000, N0.000, Alt 0m");
    EXPECT_EQ(InfoTexts::pointerLine(0, 0, 1e12, true), "E0.000, N0.000, Alt 2147483647m");
}

TEST(ReadoutLines, CameraHeightInKilometresOrMilesWithTwoDecimals) {
    EXPECT_EQ(InfoTexts::cameraLine(10 * kDeg, 50 * kDeg, 30.0, true), "From E10.000, N50.000,Alt 3000.00km");
    EXPECT_EQ(InfoTexts::cameraLine(10 * kDeg, 50 * kDeg, 30.0, false), "From E10.000, N50.000,Alt 1864.20mi.");
    EXPECT_EQ(InfoTexts::cameraLine(-120.5 * kDeg, -45.25 * kDeg, 0.123456, true),
              "From W120.500, S45.250,Alt 12.35km");
    EXPECT_EQ(InfoTexts::cameraLine(0, 0, 0.0, true), "From E0.000, N0.000,Alt 0.00km");
    EXPECT_EQ(InfoTexts::cameraLine(0, 0, -0.00001, false), "From E0.000, N0.000,Alt -0.00mi.");
    EXPECT_EQ(InfoTexts::cameraLine(0, 0, 0.0299999, true), "From E0.000, N0.000,Alt 3.00km");
}

class Readouts : public ::testing::Test {
protected:
    Readouts() {
        countries_.load(test::countryFile({{"Ruritania", "Strelsau", "Old.", "Rich.", 1234567, 5000.4f, 4999.6f},
                                           {"World", "", "Big.", "Busy.", 7.2e9f, 510072000, 148940000}}));
        cities_.load(test::siteFile({{"Ruritania", {{"Strelsau", 0, 0, 0, 300, 400000}}}}), countries_);
    }
    // A frame with the camera above (lon, lat) at a height, the globe spun.
    ReadoutInput frame(double lonDeg, double latDeg, double heightUnits, float spin = 0) {
        ReadoutInput in;
        const double r = InfoTexts::kGlobeRadius + heightUnits, lon = lonDeg * kDeg + spin, lat = latDeg * kDeg;
        in.cameraPosition = {float(r * std::cos(lat) * std::cos(lon)), float(r * std::sin(lat)),
                             float(r * std::cos(lat) * std::sin(lon))};
        in.spin = spin;
        return in;
    }

    CountryTable countries_;
    CityTable cities_;
    InfoTexts texts_;
};

TEST_F(Readouts, TheCameraLineIsThePointBelowTheCameraOnTheTurningGlobe) {
    texts_.update(frame(10, 50, 30, 2.5f), cities_, countries_);
    EXPECT_EQ(texts_.line(InfoTexts::kCamera), "From E10.000, N50.000,Alt 3000.00km");
    texts_.update(frame(-170, -10, 30, 1e4f), cities_, countries_);  // many turns of the globe
    EXPECT_EQ(texts_.line(InfoTexts::kCamera).substr(0, 20), "From W170.000, S10.0");
    // Straight over a pole: north, at whatever longitude.
    ReadoutInput pole = frame(0, 90, 1);
    pole.cameraPosition = {0, 64.71f, 0};
    texts_.update(pole, cities_, countries_);
    EXPECT_EQ(texts_.line(InfoTexts::kCamera), "From E0.000, N90.000,Alt 100.00km");
}

TEST_F(Readouts, CityAndCountryLinesFollowTheHoverAndStayWhenThePointerLeavesTheGlobe) {
    ReadoutInput in = frame(0, 0, 10);
    in.pointerOnGlobe = true;
    in.pointerLongitude = float(-0.5 * kDeg);
    in.pointerElevation = 100;
    in.hoveredCity = 1;
    in.hoveredCountry = 1;
    in.metric = false;
    texts_.update(in, cities_, countries_);
    EXPECT_EQ(texts_.line(InfoTexts::kPointer), "W0.500, N0.000, Alt 328ft");
    EXPECT_EQ(texts_.line(InfoTexts::kCity), "Strelsau,Population  400000");
    EXPECT_EQ(texts_.line(InfoTexts::kCountry), "Ruritania, Pop  1234567, Area total 5000, land 5000");
    EXPECT_EQ(texts_.line(InfoTexts::kCamera), "From E0.000, N0.000,Alt 621.40mi.");
    EXPECT_FLOAT_EQ(texts_.siteLongitude(), float(-0.5 * kDeg));
    EXPECT_FLOAT_EQ(texts_.siteElevation(), 100);

    const uint32_t before = texts_.linesRevision();
    texts_.update(in, cities_, countries_);
    EXPECT_EQ(texts_.linesRevision(), before);  // nothing new, nothing to lay out

    // Off the globe: no pointer line, the rest as it was, the site kept.
    in.pointerOnGlobe = false;
    in.hoveredCity = in.hoveredCountry = 0;
    texts_.update(in, cities_, countries_);
    EXPECT_EQ(texts_.line(InfoTexts::kPointer), "");
    EXPECT_EQ(texts_.line(InfoTexts::kCity), "Strelsau,Population  400000");
    EXPECT_EQ(texts_.line(InfoTexts::kCountry), "Ruritania, Pop  1234567, Area total 5000, land 5000");
    EXPECT_FALSE(texts_.pointerOnGlobe());
    EXPECT_FLOAT_EQ(texts_.siteElevation(), 100);
    EXPECT_NE(texts_.linesRevision(), before);

    // Open sea: no city, and the world's figures.
    in.pointerOnGlobe = true;
    texts_.update(in, cities_, countries_);
    EXPECT_EQ(texts_.line(InfoTexts::kCity), "");
    EXPECT_EQ(texts_.line(InfoTexts::kCountry), "World, Pop  7200000000, Area total 510072000, land 148940000");
    // A hovered index the table does not hold is the world too.
    in.hoveredCity = 99;
    in.hoveredCountry = -3;
    texts_.update(in, cities_, countries_);
    EXPECT_EQ(texts_.line(InfoTexts::kCity), "");
    EXPECT_EQ(texts_.line(InfoTexts::kCountry).substr(0, 6), "World,");
}

TEST_F(Readouts, WithoutAWorldRecordTheCountryLineHasAnEmptyNameAndZeros) {
    CountryTable none;
    none.load(test::countryFile({{"Ruritania"}}));
    ReadoutInput in = frame(0, 0, 10);
    in.pointerOnGlobe = true;
    texts_.update(in, cities_, none);
    EXPECT_EQ(texts_.line(InfoTexts::kCountry), ", Pop  0, Area total 0, land 0");
}

TEST_F(Readouts, LinesAreCutAt255Characters) {
    CityRecord city;
    copyField(city.name, std::string(63, 'x'));
    city.population = -2147483647 - 1;
    EXPECT_EQ(InfoTexts::cityLine(city), std::string(63, 'x') + ",Population  -2147483648");
    CountryRecord huge;
    copyField(huge.name, std::string(127, 'y'));
    huge.population = huge.areaTotal = huge.areaLand = 3.4e38f;
    const std::string line = InfoTexts::countryLine(huge);
    EXPECT_EQ(line.size(), 255u);
    EXPECT_EQ(line.substr(0, 135), std::string(127, 'y') + ", Pop  3");
}

TEST_F(Readouts, TheOverviewHasTwoHeadingsAndTwoMarkedTexts) {
    texts_.showOverview(1, countries_);
    const BrowserText& o = texts_.overview();
    EXPECT_EQ(o.title, "Ruritania");
    ASSERT_EQ(o.parts.size(), 4u);
    EXPECT_EQ(o.parts[0].text, "Background");
    EXPECT_FALSE(o.parts[0].marked);
    EXPECT_EQ(o.parts[1].text, "Old.");
    EXPECT_TRUE(o.parts[1].marked);
    EXPECT_EQ(o.parts[2].text, "Overview");
    EXPECT_EQ(o.parts[3].text, "Rich.");
    EXPECT_EQ(o.caption, "Ruritania");
    EXPECT_EQ(o.body, "Background\r\n\r\nOld.\r\n\r\nOverview\r\n\r\nRich.");
    // No such country: the empty record, headings only.
    const uint32_t rev = texts_.overviewRevision();
    texts_.showOverview(42, countries_);
    EXPECT_NE(texts_.overviewRevision(), rev);
    EXPECT_EQ(texts_.overview().title, "");
    EXPECT_EQ(texts_.overview().body, "Background\r\n\r\n\r\n\r\nOverview\r\n\r\n");
}

TEST(HelpText, TheWindowGetsTheFirst19996BytesAndTheFileMayBeMissing) {
    test::TestHome home;
    setPackArchive(nullptr);
    InfoTexts texts;
    CountryTable countries;
    countries.load(test::countryFile({{"World", "", "All of it.", "Everything."}}));
    texts.setUp(countries);  // no readme.txt anywhere
    EXPECT_EQ(texts.help().title, "Help");
    ASSERT_EQ(texts.help().parts.size(), 1u);
    EXPECT_EQ(texts.help().parts[0].text, "Help");
    EXPECT_EQ(texts.help().body, "");
    EXPECT_EQ(texts.overview().title, "World");  // found in any letter case
    EXPECT_EQ(texts.overview().parts[1].text, "All of it.");

    std::string readme(30000, 'a');
    readme[19995] = 'b';
    readme[19996] = 'c';
    readme[29999] = '\xE9';  // Windows-1252 stays as it is
    io::writeFileAtomically(home.file("readme.txt"), std::vector<uint8_t>(readme.begin(), readme.end()));
    const uint32_t rev = texts.helpRevision();
    texts.loadHelp();
    EXPECT_NE(texts.helpRevision(), rev);
    EXPECT_EQ(texts.help().caption, "Readme.txt");
    EXPECT_EQ(texts.help().parts[0].text, readme);
    ASSERT_EQ(texts.help().body.size(), 19996u);
    EXPECT_EQ(texts.help().body.back(), 'b');
}

TEST(OverlayReadouts, AFrameFillsTheLinesAndACountryClickShowsItsOverview) {
    GeoOverlay overlay(0.00001f, false);
    overlay.countries().load(test::countryFile({{"Ruritania", "", "Old.", "Rich.", 10, 20, 30}}));
    gfx::RecordingDevice device;
    OverlayFrame f;
    f.cameraPosition = {InfoTexts::kGlobeRadius + 30, 0, 0};
    f.spin = 0;
    f.pointerOnGlobe = true;
    f.pointerLongitude = float(2 * kDeg);
    f.pointerLatitude = float(-3 * kDeg);
    f.pointerElevation = -4000.7f;
    f.metricUnits = true;
    overlay.draw(device, f);
    const InfoTexts& t = overlay.infoTexts();
    EXPECT_EQ(t.line(InfoTexts::kCamera), "From E0.000, N0.000,Alt 3000.00km");
    EXPECT_EQ(t.line(InfoTexts::kPointer), "E2.000, S3.000, Alt -4000m");

    const uint32_t rev = t.overviewRevision();
    overlay.selection().hoveredCountry = 1;
    overlay.click();
    EXPECT_EQ(overlay.selection().selectedCountry, 1);
    EXPECT_NE(t.overviewRevision(), rev);
    EXPECT_EQ(t.overview().title, "Ruritania");
    overlay.click();  // deselecting shows it too
    EXPECT_EQ(overlay.selection().selectedCountry, 0);
    EXPECT_EQ(t.overview().title, "Ruritania");
}

}  // namespace
}  // namespace tnx::geodata
