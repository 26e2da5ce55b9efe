// The information texts: read-out lines in both hemispheres and unit systems
// with their rounding and truncation, what a frame off the globe keeps, the
// "World" fallback, the overview and the help text.
#include "geodata/info_texts.h"

#include <gtest/gtest.h>

#include <cmath>

#include "geodata/city_table.h"
#include "geodata/country_table.h"
#include "geodata/geo_files.h"
#include "geodata/geo_overlay.h"
#include "geodata/pack_archive.h"
#include "platform/io/file_io.h"
#include "support/test_home.h"

namespace tnx::geodata {
namespace {

constexpr double kDeg = 3.14159265358979323846 / 180.0;

std::string pointer(double lonDeg, double latDeg, double metres, bool metric = true) {
    return InfoTexts::pointerLine(lonDeg * kDeg, latDeg * kDeg, metres, metric);
}

TEST(ReadoutLines, LettersRoundingAndTruncationInBothUnitSystems) {
    EXPECT_EQ(pointer(-73.98765, -33.0004, 123.9), "W73.988, S33.000, Alt 123m");
    EXPECT_EQ(pointer(0.0, -0.0, 0), "E0.000, N0.000, Alt 0m");  // the equator is north
    EXPECT_EQ(pointer(-0.5, 0, 100, false), "W0.500, N0.000, Alt 328ft");  // 328.08 feet
    // A whisker short of a degree rounds into it; the sign keeps its letter.
    EXPECT_EQ(pointer(59.99961, 89.99951, 99.99), "E60.000, N90.000, Alt 99m");
    EXPECT_EQ(pointer(-179.99961, -0.00049, -0.9), "W180.000, S0.000, Alt 0m");
    EXPECT_EQ(pointer(0, 0, -10994.6, false), "E0.000, N0.000, Alt -36071ft");
    EXPECT_EQ(pointer(0, 0, NAN), "E0.000, N0.000, Alt 0m");
    EXPECT_EQ(pointer(0, 0, 1e12), "E0.000, N0.000, Alt 2147483647m");
    EXPECT_EQ(InfoTexts::cameraLine(10 * kDeg, 50 * kDeg, 30.0, false), "From E10.000, N50.000,Alt 1864.20mi.");
    EXPECT_EQ(InfoTexts::cameraLine(-120.5 * kDeg, -45.25 * kDeg, 0.0299999, true), "From W120.500, S45.250,Alt 3.00km");
    EXPECT_EQ(InfoTexts::cameraLine(0, 0, 0.0, true), "From E0.000, N0.000,Alt 0.00km");
}

TEST(ReadoutLines, AFrameOffTheGlobeKeepsCityAndCountryAndOpenSeaIsTheWorld) {
    CountryTable countries;
    countries.load(test::countryFile({{"Ruritania", "", "Old.", "Rich.", 1234567, 5000.4f, 4999.6f},
                                      {"World", "", "", "", 7.2e9f, 510072000, 148940000}}));
    CityTable cities;
    cities.load(test::siteFile({{"Ruritania", {{"Strelsau", 0, 0, 0, 300, 400000}}}}), countries);
    InfoTexts texts;
    ReadoutInput in;
    // Above 10 E 50 N, 3000 km up, the globe turned by many turns.
    in.spin = 1e4f;
    const double r = InfoTexts::kGlobeRadius + 30, lon = 10 * kDeg + in.spin, lat = 50 * kDeg;
    in.cameraPosition = {float(r * std::cos(lat) * std::cos(lon)), float(r * std::sin(lat)),
                         float(r * std::cos(lat) * std::sin(lon))};
    in.pointerOnGlobe = true;
    in.pointerElevation = 100;
    in.hoveredCity = in.hoveredCountry = 1;
    texts.update(in, cities, countries);
    EXPECT_EQ(texts.line(InfoTexts::kCamera), "From E10.000, N50.000,Alt 3000.00km");
    EXPECT_EQ(texts.line(InfoTexts::kCity), "Strelsau,Population  400000");
    EXPECT_EQ(texts.line(InfoTexts::kCountry), "Ruritania, Pop  1234567, Area total 5000, land 5000");
    const uint32_t revision = texts.linesRevision();
    texts.update(in, cities, countries);
    EXPECT_EQ(texts.linesRevision(), revision);

    in.pointerOnGlobe = false;
    in.hoveredCity = in.hoveredCountry = 0;
    texts.update(in, cities, countries);
    EXPECT_EQ(texts.line(InfoTexts::kPointer), "");
    EXPECT_EQ(texts.line(InfoTexts::kCity), "Strelsau,Population  400000");
    EXPECT_FLOAT_EQ(texts.siteElevation(), 100);  // "Add New Site" keeps the last point
    in.pointerOnGlobe = true;
    in.hoveredCity = 99;  // not a city of the table
    texts.update(in, cities, countries);
    EXPECT_EQ(texts.line(InfoTexts::kCity), "");
    EXPECT_EQ(texts.line(InfoTexts::kCountry), "World, Pop  7200000000, Area total 510072000, land 148940000");
    CountryTable noWorld;
    texts.update(in, cities, noWorld);
    EXPECT_EQ(texts.line(InfoTexts::kCountry), ", Pop  0, Area total 0, land 0");
}

TEST(InfoTexts, OverviewOnACountryClickAndHelpCutForItsWindow) {
    test::TestHome home;
    setPackArchive(nullptr);
    GeoOverlay overlay(0.00001f, false);
    overlay.countries().load(test::countryFile({{"Ruritania", "", "Old.", "Rich."}, {"World"}}));
    InfoTexts& t = overlay.infoTexts();
    t.setUp(overlay.countries());  // no readme.txt
    EXPECT_EQ(t.overview().title, "World");
    EXPECT_EQ(t.help().parts.at(0).text, "Help");
    EXPECT_EQ(t.help().body, "");

    overlay.selection().hoveredCountry = 1;
    overlay.click();
    const BrowserText& o = t.overview();
    EXPECT_EQ(o.parts.size(), 4u);
    EXPECT_TRUE(o.parts[1].marked && o.parts[3].marked && !o.parts[0].marked);
    EXPECT_EQ(o.body, "Background\r\n\r\nOld.\r\n\r\nOverview\r\n\r\nRich.");
    const uint32_t revision = t.overviewRevision();
    overlay.clearAll();  // ends with the hover handled as a click
    EXPECT_NE(t.overviewRevision(), revision);

    std::string readme(30000, 'a');
    readme[19995] = 'b';
    io::writeFileAtomically(home.file("readme.txt"), std::vector<uint8_t>(readme.begin(), readme.end()));
    t.loadHelp();
    EXPECT_EQ(t.help().parts.at(0).text, readme);
    ASSERT_EQ(t.help().body.size(), 19996u);
    EXPECT_EQ(t.help().body.back(), 'b');
}

}  // namespace
}  // namespace tnx::geodata
