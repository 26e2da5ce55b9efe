// Site files: what each reader takes from a small file of its format (and
// what it passes over or refuses), writers that read back to the same
// places, names made Windows-1252, the duplicate rule, and the city grid's
// order for a cell crowded with imported sites.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>

#include "geodata/city_grid.h"
#include "geodata/city_table.h"
#include "geodata/country_table.h"
#include "core/process_state.h"
#include "geodata/geo_files.h"
#include "geodata/geo_overlay.h"
#include "geodata/site_exchange/site_file.h"
#include "geodata/site_exchange/site_name.h"
#include "geodata/site_exchange/site_transfer.h"
#include "geodata/site_exchange/site_writer.h"
#include "geodata/user_site_store.h"
#include "support/test_home.h"

namespace tnx::geodata {
namespace {

std::span<const uint8_t> bytesOf(const std::string& s) { return {reinterpret_cast<const uint8_t*>(s.data()), s.size()}; }

// Each place as "name lon,lat alt pop", then each skipped entry, or the
// error alone.
std::vector<std::string> described(const PlaceList& list) {
    if (list.done()) return {"error: " + list.error()};
    std::vector<std::string> out;
    for (const SitePlace& p : list.places()) {
        char line[200];
        std::snprintf(line, sizeof line, "%s %.6f,%.6f %s %d", p.name.c_str(), p.longitude, p.latitude,
                      p.altitude ? std::to_string(int(std::lround(*p.altitude * 100))).c_str() : "-", p.population);
        out.push_back(line);
    }
    for (const SkippedEntry& s : list.skipped()) out.push_back(s.where + ": " + s.reason);
    return out;
}

struct ReadCase {
    SiteFormat format;
    std::string text;
    bool routePoints;
    std::vector<std::string> expected;
};

TEST(SiteReaders, EachFormatGivesItsPlacesAndNamesWhatItPassesOver) {
    const std::string kml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<kml xmlns=\"http://www.opengis.net/kml/2.2\"><Document><name>Trip</name>\n"
        "<Style id=\"s\"><IconStyle><Icon><href>p.png</href></Icon></IconStyle></Style>\n"
        "<Folder><name>Alps</name>\n"
        "<Placemark><name>Hut</name><styleUrl>#s</styleUrl><Point><coordinates>7.5 , 45.25,3260</coordinates>"
        "</Point></Placemark>\n"
        "<Folder><name>Lakes</name>\n"
        "<Placemark><name>Lake</name><ExtendedData><Data name=\"population\"><value>12</value></Data></ExtendedData>"
        "<Point><altitudeMode>absolute</altitudeMode><coordinates>\n 6.5,46.5,372 7,47,0</coordinates></Point>"
        "</Placemark>\n"
        "<Placemark><name>Path</name><LineString><coordinates>1,2 3,4</coordinates></LineString></Placemark>\n"
        "</Folder></Folder>\n"
        "<Placemark><name>Far</name><Point><coordinates>10,95</coordinates></Point></Placemark>\n"
        "<Placemark><name>Odd</name><Point><coordinates>10;5</coordinates></Point></Placemark>\n"
        "</Document></kml>\n";
    const std::string gpx =
        "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
        "<wpt lat=\"47.5\" lon=\"-122.25\"><ele>56</ele><name>Camp</name><link href=\"x\"><text>t</text></link>"
        "</wpt>\n"
        "<wpt lat=\"north\" lon=\"1\"><name>Bad</name></wpt>\n"
        "<rte><name>R</name><rtept lat=\"47.75\" lon=\"-122.5\"><name>Turn</name></rtept></rte>\n"
        "<trk><trkseg><trkpt lat=\"1\" lon=\"1\"/></trkseg></trk></gpx>\n";
    const std::string collection =
        R"({"type":"FeatureCollection","features":[
            {"type":"Feature","geometry":{"type":"Point","coordinates":[139.75,35.5,40]},
             "properties":{"name":"Tokyo","population":"13960000","elevation":3}},
            {"type":"Feature","geometry":{"type":"LineString","coordinates":[[1,2],[3,4]]},"properties":{}},
            {"type":"Feature","geometry":{"type":"Point","coordinates":[-74,40.75]},"properties":{"name":"NYC","ele":10}},
            {"type":"Feature","geometry":{"type":"Point","coordinates":[1,2]},"properties":{"name":"X","population":2.5}},
            {"type":"Feature","geometry":{"type":"Point","coordinates":[181,2]},"properties":{"name":"Y"}}]})";
    const std::string csv =
        "\xEF\xBB\xBFLongitude;Name;LAT;Population\r\n"
        "2,3522;\"Caf\xC3\xA9 \"\"Le Coin\"\";\nParis\";48,8566;2100000\r\n"
        "\r\n"
        "1;Short\r\n"
        "-0.125;London;51.5;\r\n"
        "x;Nowhere;1;0\r\n";
    const std::vector<ReadCase> cases = {
        {SiteFormat::Kml, kml, false,
         {"Hut 7.500000,45.250000 - 0", "Lake 6.500000,46.500000 37200 12", "line 11: latitude 95 out of range",
          "line 12: coordinates \"10;5\" are not lon,lat[,alt]"}},
        {SiteFormat::Gpx, gpx, false,
         {"Camp -122.250000,47.500000 5600 0", "line 4: latitude \"north\" is not a number"}},
        {SiteFormat::Gpx, gpx, true,
         {"Camp -122.250000,47.500000 5600 0", "Turn -122.500000,47.750000 - 0",
          "line 4: latitude \"north\" is not a number"}},
        {SiteFormat::GeoJson, collection, false,
         {"Tokyo 139.750000,35.500000 4000 13960000", "NYC -74.000000,40.750000 1000 0",
          "feature 4: population 2.5 is not a whole number from 0 to 2147483647",
          "feature 5: longitude 181 out of range"}},
        {SiteFormat::GeoJson, R"({"type":"Feature","geometry":{"type":"Point","coordinates":[1.5,-2]},
                                  "properties":{"name":"One"}})", false, {"One 1.500000,-2.000000 - 0"}},
        {SiteFormat::GeoJson, R"({"type":"Point","coordinates":[3,4,5]})", false, {" 3.000000,4.000000 500 0"}},
        {SiteFormat::Csv, csv, false,
         {"Caf\xC3\xA9 \"Le Coin\";\nParis 2.352200,48.856600 - 2100000", "London -0.125000,51.500000 - 0",
          "line 5: 2 fields where the header names 4", "line 7: longitude \"x\" is not a number"}},
        {SiteFormat::Csv, "name,lat,lon,alt\nM\xFCnchen,48.1,11.5,519\n", false, {"M\xC3\xBCnchen 11.500000,48.100000 51900 0"}},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 60));
        EXPECT_EQ(described(SiteFile::parse(bytesOf(c.text), c.format, c.routePoints)), c.expected);
    }
}

TEST(SiteReaders, UnreadableFilesAndFilesWithoutPlacesAreRefusedWhole) {
    std::string many = "name,lat,lon\n";
    for (size_t i = 0; i <= PlaceList::kMaxEntries; ++i) many += "p,1,2\n";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"t.kml", "<?xml version=\"1.0\"?>\n<kml><Document><Placemark><name>x</name><Point>"},
        {"p.kml", "<kml><Placemark><name>Area</name><Polygon/></Placemark></kml>"},
        {"b.kml", std::string("\x89PNG\r\n\x1a\n\0\0\xff\xfe", 12)},
        {"h.kml", "<html><body/></html>"},
        {"e.csv", ""},
        {"w.gpx", "<gpx version=\"1.0\"><rte><rtept lat=\"1\" lon=\"2\"/></rte></gpx>"},
        {"z.kmz", std::string("PK\x03\x04\x14\0\0\0", 8)},
        {"j.geojson", "{\"type\":\"FeatureCollection\",\"features\":[{"},
        {"m.json", "{\"type\":\"MultiPoint\",\"coordinates\":[[1,2]]}"},
        {"c.csv", "name,x,y\na,1,2\n"},
        {"n.csv", "name;lat;lon\n\n"},
        {"many.csv", many},
    };
    const std::vector<std::string> expected = {
        "error: the XML is broken at line 2: Premature end of document",
        "error: it holds no placemark with a point (its one placemark is a line or an area)",
        "error: not a KML file (line 1: Encountered incorrectly encoded content)",
        "error: not a KML file: it begins with <html> where <kml> should be",
        "error: the file is empty",
        "error: it holds no waypoint (its route point comes in with \"Also import the route points\" in Import "
        "Sites\xE2\x80\xA6)",
        "error: it is a zip archive (a KMZ?): import the KML file inside it",
        "error: not valid JSON at byte 41: unterminated object",
        "error: not GeoJSON: its \"type\" is neither FeatureCollection, Feature nor Point",
        "error: its header row names no latitude column (lat or latitude)",
        "error: it holds no rows under its header",
        "error: it holds more than 100000 places; please split it into smaller files",
    };
    test::TestHome home;
    for (size_t i = 0; i < cases.size(); ++i) {
        std::ofstream(home.file(cases[i].first), std::ios::binary) << cases[i].second;
        EXPECT_EQ(described(SiteFile::read(home.file(cases[i].first))), std::vector<std::string>{expected[i]});
    }
    // Too large to be a list of places: refused before it is read.
    std::ofstream(home.file("huge.gpx")) << "<gpx>";
    std::filesystem::resize_file(home.file("huge.gpx"), SiteFile::kMaxBytes + 1);
    EXPECT_EQ(SiteFile::read(home.file("huge.gpx")).error(), "it is 65 MB, more than the 64 MB a site file may have");
    // Any other extension: the format is told by the content.
    std::ofstream(home.file("places.txt")) << "<?xml version=\"1.0\"?><!-- x --><gpx><wpt lat=\"1\" lon=\"2\"/></gpx>";
    EXPECT_EQ(described(SiteFile::read(home.file("places.txt"))), std::vector<std::string>{" 2.000000,1.000000 - 0"});
}

TEST(SiteWriters, EveryFormatReadsBackToTheSamePlaces) {
    std::vector<SitePlace> places(3);
    places[0] = {"", "Caf\xC3\xA9 \"Le Coin\", Paris; <Rive> & gauche", 2.3522, 48.8566, 35.25, 2100000};
    places[1] = {"", "Ushuaia", -68.303, -54.8019, -5.5, 0};
    places[2] = {"", "Edge", 180, -90, 0, 1};
    PlaceList original;
    for (const SitePlace& p : places)
        original.add("", p.name, PlaceValue::of(p.longitude), PlaceValue::of(p.latitude), PlaceValue::of(*p.altitude),
                     PlaceValue::of(p.population));
    const std::vector<std::string> expected = described(original);
    for (SiteFormat f : {SiteFormat::Kml, SiteFormat::Gpx, SiteFormat::GeoJson, SiteFormat::Csv}) {
        const std::vector<uint8_t> bytes = SiteWriter::write(f, places);
        EXPECT_EQ(described(SiteFile::parse(bytes, f)), expected) << std::string(bytes.begin(), bytes.end());
    }
}

TEST(SiteNames, NamesBecomeWindows1252AndSayWhenTheyChanged) {
    const std::vector<std::tuple<std::string, std::string, bool>> cases = {
        {"  Lac de\n   Gen\xC3\xA8ve ", "Lac de Gen\xE8ve", false},
        {"\xC5\x81\xC3\xB3\xC5\xBA" "d\xC5\xBA", "L\xF3zdz", true},          // Łóźdź: Ł and ź have no form there
        {"\xC5\x92uvre \xE2\x82\xAC", "\x8Cuvre \x80", false},                // Œ and € do
        {"\xEF\xAC\x81ne", "fine", true},                                      // the ligature
        {"\xE6\x9D\xB1\xE4\xBA\xAC Tower", "?? Tower", true},
        {std::string(62, 'a') + " bc", std::string(62, 'a'), true},            // cut, no blank left at the end
        {std::string(63, 'a'), std::string(63, 'a'), false},
        {"bad \xFF", "bad ?", true},
    };
    for (const auto& [utf8, stored, changed] : cases) {
        bool was = !changed;
        EXPECT_EQ(SiteName::fromUtf8(utf8, was), stored) << utf8;
        EXPECT_EQ(was, changed) << utf8;
    }
    EXPECT_EQ(SiteName::folded("Z\xDCRICH \x8A\x9F"), "z\xFCrich \x9A\xFF");
}

TEST(SiteImport, SameNameWithin100MetresIsPresentAndASecondImportChangesNothing) {
    CountryTable countries;
    countries.load(test::countryFile({{"Ruritania"}, {"World"}}));
    CityTable cities;
    cities.load(test::siteFile({{"Ruritania", {{"Strelsau", 0, test::siteAngle(45), test::siteAngle(10), 300, 4}}}}),
                countries);
    const double lat0 = cities[1].latitude * 180 / 3.14159265358979, lon0 = cities[1].longitude * 180 / 3.14159265358979;
    const double metre = 180 / 3.14159265358979 / 6371008.8;  // degrees of latitude
    PlaceList list;
    list.add("line 2", "STRELSAU", PlaceValue::of(lon0), PlaceValue::of(lat0 + 99 * metre));
    list.add("line 3", "strelsau", PlaceValue::of(lon0), PlaceValue::of(lat0 + 101 * metre));
    list.add("line 4", "Zenda", PlaceValue::of(lon0), PlaceValue::of(lat0), PlaceValue::of(-20));
    list.add("line 5", "zenda", PlaceValue::of(lon0), PlaceValue::of(lat0 - 50 * metre));  // the file's own duplicate
    list.add("line 6", "\xC5\x81" "eba", PlaceValue::of(-30), PlaceValue::of(-60));
    list.add("line 7", "Lost", PlaceValue::of(1), PlaceValue::of(100));
    SiteSurroundings around;
    around.countryAt = [](float lon, float) { return lon > 0 ? 1 : 7; };  // 7: no country of the table
    around.groundAt = [](float lon, float) { return lon > 0 ? 123.0f : -3000.0f; };
    around.worldCountry = 2;
    around.countryCount = countries.count();
    UserSiteStore store;
    SiteImportReport r = SiteTransfer::importPlaces(list, "f.csv", "f", cities, store, around);
    EXPECT_EQ(r.summary(), "imported 3, skipped 1, already present 2, names changed 1");
    EXPECT_EQ(r.exitStatus(), 1);
    EXPECT_EQ(r.skippedLines, std::vector<std::string>{"line 7: latitude 100 out of range"});
    EXPECT_EQ(r.nameLines, std::vector<std::string>{"line 6: name \"\xC5\x81" "eba\" kept as \"Leba\""});
    ASSERT_EQ(cities.count(), 5);
    ASSERT_EQ(store.records().size(), 3u);
    EXPECT_EQ(store.changes(), 1);
    const UserSiteRecord& strelsau = store.records()[0];
    EXPECT_EQ(strelsau.cityIndex, 2);
    EXPECT_EQ(strelsau.kind, 0x201);
    EXPECT_EQ(strelsau.country, 1);
    EXPECT_FLOAT_EQ(strelsau.altitude, 123);  // no altitude: the ground there
    EXPECT_FLOAT_EQ(store.records()[1].altitude, -20);
    EXPECT_EQ(store.records()[2].country, 2);         // in no country: the world
    EXPECT_FLOAT_EQ(store.records()[2].altitude, 0);  // at sea: on the water
    EXPECT_EQ(cities[4].nameText(), "Leba");

    list.skip("line 8", "unused");
    r = SiteTransfer::importPlaces(list, "f.csv", "f", cities, store, around);
    EXPECT_EQ(r.summary(), "imported 0, skipped 2, already present 5, names changed 0");
    EXPECT_EQ(store.changes(), 1);
    EXPECT_EQ(cities.count(), 5);
    // Exported, the user's sites are those three; edits of built-in cities are not.
    UserSiteRecord edit = store.records()[0];
    edit.kind = 0x101;
    store.addSites(std::span(&edit, 1));
    std::vector<SitePlace> own = SiteTransfer::ownSites(store);
    ASSERT_EQ(own.size(), 3u);
    EXPECT_EQ(own[2].name, "Leba");
    EXPECT_NEAR(own[2].latitude, -60, 1e-5);
}

// Answers the file choosers with fixed paths (none: Cancel) and keeps what
// it was shown.
struct ScriptedFiles : SiteFileUi {
    std::optional<std::string> importPath, exportPath;
    std::vector<std::string> shown;
    int busyNow = 0;
    std::optional<ImportChoice> chooseImportFile() override {
        if (!importPath) return std::nullopt;
        return ImportChoice{*importPath, true};
    }
    std::optional<std::string> chooseExportFile() override { return exportPath; }
    void busy(bool on) override { busyNow += on ? 1 : -1; }
    void showImportReport(const SiteImportReport& r) override { shown.push_back(r.summary() + " " + r.error); }
    void showExportResult(const std::string& text, bool error) override { shown.push_back(text + (error ? "!" : "")); }
};

TEST(SiteFileCommands, ImportedSitesShowAtOnceAndSurviveARestartAndExportBack) {
    test::TestHome home;
    app::processState().saverMode = app::SaverMode::InteractiveViewer;
    std::filesystem::create_directories(home.file("pack"));
    std::ofstream(home.file("pack/country.bin"), std::ios::binary) << [] {
        test::Bytes b = test::countryFile({{"Ruritania"}, {"World"}});
        return std::string(b.begin(), b.end());
    }();
    std::ofstream(home.file("trip.gpx")) << "<gpx><wpt lat=\"45\" lon=\"10\"><name>Camp</name></wpt>"
                                            "<rte><rtept lat=\"46\" lon=\"11\"/></rte></gpx>";
    ScriptedFiles files;
    auto overlay = std::make_unique<GeoOverlay>(0.00001f);
    overlay->setSiteFileUi(&files);
    int refills = 0;
    overlay->setCitiesChanged([&] { ++refills; });
    overlay->exportSitesCommand();  // nothing of the user's yet: said so, no chooser
    EXPECT_EQ(overlay->importSitesCommand({}), 0);  // cancelled
    files.importPath = home.file("trip.gpx").string();
    EXPECT_EQ(overlay->importSitesCommand([](float, float) { return 250.0f; }), 1);
    EXPECT_EQ(overlay->importSitesCommand({}), 0);  // all there already
    EXPECT_EQ(files.busyNow, 0);
    EXPECT_EQ(refills, 1);
    ASSERT_EQ(overlay->cities().count(), 3);
    EXPECT_EQ(overlay->cities()[2].nameText(), "trip 2");  // the unnamed route point
    EXPECT_FLOAT_EQ(overlay->cities()[2].markerSize, 0.1f);
    EXPECT_EQ(std::filesystem::file_size(home.file("usersite.bin")), 8u + 2 * 92);

    overlay = std::make_unique<GeoOverlay>(0.00001f);
    overlay->setSiteFileUi(&files);
    ASSERT_EQ(overlay->cities().count(), 3);
    EXPECT_FLOAT_EQ(overlay->cities()[1].altitude, 250);
    files.exportPath = home.file("back.csv").string();
    overlay->exportSitesCommand();
    files.exportPath = home.file("nowhere/back.csv").string();
    overlay->exportSitesCommand();
    app::processState().saverMode = app::SaverMode::Configuration;
    ASSERT_EQ(files.shown.size(), 5u);
    EXPECT_EQ(files.shown[0].substr(0, 40), "You have no sites of your own to export ");
    EXPECT_EQ(files.shown[1], "imported 2, skipped 0, already present 0, names changed 0 ");
    EXPECT_EQ(files.shown[2], "imported 0, skipped 0, already present 2, names changed 0 ");
    EXPECT_EQ(files.shown[3], "Exported 2 sites to back.csv.");
    EXPECT_EQ(files.shown[4], "The sites could not be exported to back.csv: it cannot be written.!");
    // Back within the 32-bit radians a site keeps (a few millionths of a degree).
    const PlaceList back = SiteFile::read(home.file("back.csv"));
    ASSERT_EQ(back.places().size(), 2u);
    EXPECT_EQ(back.places()[1].name, "trip 2");
    EXPECT_NEAR(back.places()[1].latitude, 46, 1e-5);
    EXPECT_NEAR(back.places()[1].longitude, 11, 1e-5);
    EXPECT_EQ(*back.places()[1].altitude, 250);
}

TEST(CityGridOrder, ACrowdedCellSortsAsTheSelectionSortDoes) {
    std::mt19937 random(7);
    std::vector<test::CityEntry> entries;
    for (int i = 0; i < 300; ++i)
        entries.push_back({"c" + std::to_string(i), 1, test::siteAngle(45), test::siteAngle(10),
                           0, int32_t(random() % 4) * 1000});
    CountryTable countries;
    CityTable cities;
    cities.load(test::siteFile({{"R", entries}}), countries);
    CityGrid grid;
    grid.build(cities);
    std::vector<int32_t> expected;
    for (int i = 1; i < cities.count(); ++i) expected.push_back(i);
    for (size_t i = 0; i + 1 < expected.size(); ++i) {
        size_t best = i;
        for (size_t j = i + 1; j < expected.size(); ++j)
            if (cities[expected[j]].population > cities[expected[best]].population) best = j;
        std::swap(expected[i], expected[best]);
    }
    EXPECT_EQ(grid.cell(CityGrid::cellIndex(cities[1].longitude, cities[1].latitude)).cities, expected);
}

}  // namespace
}  // namespace tnx::geodata
