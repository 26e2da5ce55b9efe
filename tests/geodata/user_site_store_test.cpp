// The user's sites: the 92-byte records of "usersite.bin" and what a short
// or damaged file yields, applying them to the city table, the site dialog's
// conversions and refusals, and edits, additions and deletions surviving a
// restart of the overlay, with the index shift after a deletion.
#include "geodata/user_site_store.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "core/process_state.h"
#include "geodata/city_table.h"
#include "geodata/country_table.h"
#include "geodata/geo_files.h"
#include "geodata/geo_overlay.h"
#include "geodata/site_form.h"
#include "platform/io/byte_io.h"
#include "platform/io/file_io.h"
#include "support/test_home.h"

namespace tnx::geodata {
namespace {

using test::siteAngle;

UserSiteRecord site(const char* name, int index, int kind, float lon = 0.1f, float lat = 0.2f) {
    UserSiteRecord r;
    copyField(r.name, name);
    r.cityIndex = index;
    r.kind = kind;
    r.longitude = lon;
    r.latitude = lat;
    r.altitude = 120;
    r.population = 50;
    r.country = 1;
    return r;
}

// Answers the dialog with fixed texts (or Cancel) and the question with OK
// or Cancel; counts what it was asked.
struct ScriptedEditor : SiteEditor {
    std::optional<SiteTexts> answer;  // nothing: Cancel
    bool confirm = true;
    int dialogs = 0, questions = 0;
    std::string lastTitle;
    bool editSite(UserSiteRecord& work) override {
        ++dialogs;
        lastTitle = std::string(work.nameText());
        return answer && SiteForm::read(*answer, work).empty();
    }
    bool confirmDelete(std::string_view) override {
        ++questions;
        return confirm;
    }
};

// A usersite.bin image laid out by hand: the count, a time, the records.
std::vector<uint8_t> fileWith(const std::vector<UserSiteRecord>& records, uint32_t declared) {
    std::vector<uint8_t> out(8);
    io::storeU32(out.data(), declared);
    for (const auto& r : records) {
        std::vector<uint8_t> body(UserSiteRecord::kBytes);
        std::copy(r.name.begin(), r.name.end(), body.begin());
        io::storeI32(body.data() + 64, r.cityIndex);
        io::storeI32(body.data() + 68, r.kind);
        io::storeF32(body.data() + 72, r.longitude);
        io::storeF32(body.data() + 76, r.latitude);
        io::storeF32(body.data() + 80, r.altitude);
        io::storeI32(body.data() + 84, r.population);
        io::storeI32(body.data() + 88, r.country);
        out.insert(out.end(), body.begin(), body.end());
    }
    return out;
}

TEST(UserSiteFileTest, RecordsAreNinetyTwoBytesAndAShortFileKeepsItsWholeRecords) {
    auto bytes = fileWith({site("Alpha", 5, 0x101), site("Beta", 9, 0x201), site("Gamma", 10, 0x201)}, 3);
    ASSERT_EQ(bytes.size(), 8u + 3 * 92);
    UserSiteStore store;
    EXPECT_EQ(store.load(bytes), 3);
    // Written back byte for byte, after the time of writing.
    auto again = store.serialise(1234);
    EXPECT_EQ(io::loadU32(again.data() + 4), 1234u);
    EXPECT_TRUE(std::equal(again.begin() + 8, again.end(), bytes.begin() + 8));

    // The count promises three, the data holds two and a half.
    std::vector<uint8_t> cut(bytes.begin(), bytes.end() - 46);
    EXPECT_EQ(store.load(cut), 2);
    EXPECT_EQ(store.records()[1].nameText(), "Beta");
    // The count promises fewer than the data holds.
    io::storeU32(bytes.data(), 1);
    EXPECT_EQ(store.load(bytes), 1);
    EXPECT_EQ(store.load(std::span<const uint8_t>(bytes.data(), 7)), 0);
}

TEST(UserSiteFileTest, ValuesOutsideTheirRangesAreClampedAndNonNumbersDropped) {
    UserSiteRecord wild = site("Wild", 3, 0x201, 10.0f, -5.0f);
    wild.altitude = 50000;
    wild.population = -7;
    wild.name.fill('x');  // no terminator in the field
    UserSiteRecord broken = site("Broken", 4, 0x201, std::nanf(""), 0);
    UserSiteRecord infinite = site("Infinite", 4, 0x201);
    infinite.altitude = INFINITY;
    UserSiteStore store;
    ASSERT_EQ(store.load(fileWith({wild, broken, infinite, site("Fine", 6, 0x201)}, 4)), 2);
    const UserSiteRecord& r = store.records()[0];
    EXPECT_FLOAT_EQ(r.longitude, 3.1415925f);
    EXPECT_FLOAT_EQ(r.latitude, -1.5707963f);
    EXPECT_FLOAT_EQ(r.altitude, 10000.0f);
    EXPECT_EQ(r.population, 0);
    EXPECT_EQ(r.nameText().size(), 63u);
    EXPECT_EQ(store.records()[1].nameText(), "Fine");
}

class SiteTableTest : public ::testing::Test {
protected:
    SiteTableTest() {
        countries_.load(test::countryFile({{"Ruritania"}, {"World"}}));
        cities_.load(test::siteFile({{"Ruritania",
                                      {{"Strelsau", 0, siteAngle(45), siteAngle(10), 300, 400000},
                                       {"Zenda", 1, siteAngle(46), siteAngle(11), 500, 20000}}}}),
                     countries_);
    }
    CountryTable countries_;
    CityTable cities_;
};

TEST_F(SiteTableTest, ApplyReplacesEditsAppendsAdditionsAndPassesOverTheRest) {
    UserSiteRecord badCountry = site("Far", 77, 0x201);
    badCountry.country = 99;
    UserSiteStore store;
    store.load(fileWith({site("Zenda Castle", 2, 0x101), site("Nowhere", 9, 0x101), site("Gone", 1, 0x301),
                         badCountry, site("Near", 3, 0x201)},
                        5));
    store.apply(cities_, countries_.count());
    ASSERT_EQ(cities_.count(), 5);
    EXPECT_EQ(cities_[1].nameText(), "Strelsau");
    EXPECT_EQ(cities_[2].nameText(), "Zenda Castle");
    EXPECT_EQ(cities_[2].kind, 0x101);
    EXPECT_FLOAT_EQ(cities_[2].altitude, 120.0f);
    EXPECT_EQ(cities_[3].nameText(), "Far");
    EXPECT_EQ(cities_[3].country, 0);
    EXPECT_EQ(cities_[4].nameText(), "Near");
    // Each added site's record now names where it landed.
    EXPECT_EQ(store.records()[3].cityIndex, 3);
    EXPECT_EQ(store.records()[4].cityIndex, 4);
}

TEST_F(SiteTableTest, EditingTwiceKeepsOneRecordAndCancelChangesNothing) {
    UserSiteStore store;
    ScriptedEditor editor;
    CityRecord copy = cities_[2];
    EXPECT_EQ(store.editSite(2, copy, editor), 0);
    EXPECT_TRUE(store.records().empty());
    EXPECT_EQ(store.changes(), 0);
    editor.answer = SiteTexts{"Zenda", "200", "-95", "50000", "12"};
    ASSERT_EQ(store.editSite(2, copy, editor), 1);
    EXPECT_FLOAT_EQ(copy.longitude, 3.1415925f);
    EXPECT_FLOAT_EQ(copy.latitude, -1.5707963f);
    EXPECT_FLOAT_EQ(copy.altitude, 10000.0f);
    editor.answer = SiteTexts{"Zenda Old Town", "11", "46", "1000", "13"};
    ASSERT_EQ(store.editSite(2, copy, editor), 1);
    ASSERT_EQ(store.records().size(), 1u);
    EXPECT_EQ(store.records()[0].nameText(), "Zenda Old Town");
    EXPECT_EQ(store.records()[0].population, 13);
    EXPECT_NEAR(store.records()[0].altitude, 304.8037f, 1e-3f);
    EXPECT_EQ(store.changes(), 2);
}

TEST(SiteFormTest, ShowsDegreesAndFeetAndRefusesWhatIsNoSite) {
    UserSiteRecord r = site("Caf\xE9", 1, 0x201, 0.5f, -0.25f);
    SiteTexts t = SiteForm::texts(r);
    EXPECT_EQ(t.name, "Caf\xC3\xA9");  // shown as UTF-8
    EXPECT_EQ(t.longitude, "28.648");
    EXPECT_EQ(t.latitude, "-14.324");
    EXPECT_EQ(t.altitude, "393.696");
    EXPECT_EQ(t.population, "50");
    UserSiteRecord back = r;
    ASSERT_EQ(SiteForm::read(t, back), "");
    EXPECT_EQ(back.nameText(), "Caf\xE9");
    EXPECT_NEAR(back.longitude, 0.5f, 1e-4f);

    const std::string name63(63, 'n');
    t.name = name63;
    EXPECT_EQ(SiteForm::read(t, back), "");
    EXPECT_EQ(back.nameText(), name63);
    auto refused = [&](SiteTexts texts) {
        UserSiteRecord before = back;
        std::string message = SiteForm::read(texts, back);
        if (!message.empty()) {
            EXPECT_EQ(std::memcmp(&before, &back, sizeof back), 0) << "changed despite: " << message;
        }
        return !message.empty();
    };
    SiteTexts ok = t;
    auto with = [&](std::string SiteTexts::*field, std::string value) {
        SiteTexts x = ok;
        x.*field = std::move(value);
        return x;
    };
    EXPECT_TRUE(refused(with(&SiteTexts::name, std::string(64, 'n'))));
    EXPECT_TRUE(refused(with(&SiteTexts::name, "   ")));
    EXPECT_TRUE(refused(with(&SiteTexts::name, "\xE6\x9D\xB1\xE4\xBA\xAC")));  // no Windows-1252 form
    EXPECT_TRUE(refused(with(&SiteTexts::longitude, "")));
    EXPECT_TRUE(refused(with(&SiteTexts::latitude, "north")));
    EXPECT_TRUE(refused(with(&SiteTexts::latitude, "48,85")));
    EXPECT_TRUE(refused(with(&SiteTexts::altitude, "nan")));
    EXPECT_TRUE(refused(with(&SiteTexts::population, "-1")));
    EXPECT_TRUE(refused(with(&SiteTexts::population, "2147483648")));
    EXPECT_TRUE(refused(with(&SiteTexts::population, "12.5")));
    EXPECT_FALSE(refused(with(&SiteTexts::longitude, " +1.5e1 ")));
    EXPECT_NEAR(back.longitude, 15 * 0.017453292f, 1e-6f);
    // An empty altitude or population is 0; text that is no number is not.
    SiteTexts blank = with(&SiteTexts::altitude, "");
    blank.population = "  ";
    EXPECT_FALSE(refused(blank));
    EXPECT_EQ(back.altitude, 0.0f);
    EXPECT_EQ(back.population, 0);
    EXPECT_TRUE(refused(with(&SiteTexts::altitude, "high")));
    EXPECT_TRUE(refused(with(&SiteTexts::population, "many")));
}

class SiteOverlayTest : public ::testing::Test {
protected:
    SiteOverlayTest() {
        app::processState().saverMode = app::SaverMode::InteractiveViewer;
        put("country.bin", test::countryFile({{"Ruritania"}, {"World"}}));
        put("site.bin", test::siteFile({{"Ruritania",
                                         {{"Strelsau", 0, siteAngle(45), siteAngle(10), 300, 400000},
                                          {"Zenda", 1, siteAngle(46), siteAngle(11), 500, 20000}}}}));
    }
    ~SiteOverlayTest() override { app::processState().saverMode = app::SaverMode::Configuration; }
    void put(const std::string& name, const test::Bytes& bytes) {
        std::filesystem::create_directories(home_.file("pack"));
        std::ofstream(home_.file("pack") / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    std::unique_ptr<GeoOverlay> start() {
        auto o = std::make_unique<GeoOverlay>(0.00001f);
        o->setSiteEditor(&editor_);
        o->setCitiesChanged([this] { ++refills_; });
        return o;
    }
    void hover(GeoOverlay& o, int city) {
        const CityRecord& c = o.cities()[city];
        o.hover(true, c.longitude, c.latitude, 10);
    }
    static win::Menu editMenu(const GeoOverlay& o) {
        win::Menu m;
        o.appendSiteItems(m);
        return m;
    }

    test::TestHome home_;
    ScriptedEditor editor_;
    int refills_ = 0;
};

TEST_F(SiteOverlayTest, AddedSitesSurviveARestartAndDeletingShiftsTheLaterOnes) {
    auto o = start();
    const SitePoint at{0.3f, 0.6f, 250.0f};
    // Cancelling "Add New Site" adds nothing and writes nothing.
    EXPECT_EQ(o->siteCommand(GeoOverlay::kSiteAdd, at), 0);
    EXPECT_EQ(o->cities().count(), 3);
    EXPECT_EQ(editor_.lastTitle, "newsite");
    EXPECT_FALSE(std::filesystem::exists(home_.file("usersite.bin")));

    editor_.answer = SiteTexts{"Camp One", "17.189", "34.377", "820.2", "0"};
    ASSERT_EQ(o->siteCommand(GeoOverlay::kSiteAdd, at), 1);
    editor_.answer = SiteTexts{"Camp Two", "-40", "-20", "0", "7"};
    ASSERT_EQ(o->siteCommand(GeoOverlay::kSiteAdd, at), 1);
    ASSERT_EQ(o->cities().count(), 5);
    const CityRecord& one = o->cities()[3];
    EXPECT_EQ(one.kind, 0x201);
    EXPECT_EQ(one.country, 2);  // nothing hovered: "World"
    EXPECT_FLOAT_EQ(one.markerSize, 0.1f);  // its marker is made at once
    EXPECT_GT(math::length(one.position), 63.7f);
    EXPECT_EQ(refills_, 2);
    // In the grid: the cell of its point lists it.
    const auto& cell = o->grid().cell(CityGrid::cellIndex(one.longitude, one.latitude)).cities;
    EXPECT_NE(std::find(cell.begin(), cell.end(), 3), cell.end());

    // Only the user's own sites offer "Delete".
    hover(*o, 2);
    win::Menu predefined = editMenu(*o);
    ASSERT_EQ(predefined.items.size(), 1u);
    EXPECT_EQ(predefined.items[0].text, "Edit Zenda");
    hover(*o, 3);
    win::Menu own = editMenu(*o);
    ASSERT_EQ(own.items.size(), 2u);
    EXPECT_EQ(own.items[1].text, "Delete Camp One");
    EXPECT_EQ(own.items[1].id, GeoOverlay::kCmdDeleteSite);

    // Camp Two is marked; deleting Camp One moves it (and its mark) down.
    hover(*o, 4);
    o->click();
    hover(*o, 3);
    o->captureMenuTarget();
    hover(*o, 1);  // the pointer moved on after the menu opened
    editor_.confirm = false;
    EXPECT_EQ(o->siteCommand(GeoOverlay::kSiteDelete, at), 0);
    editor_.confirm = true;
    o->captureMenuTarget();
    EXPECT_EQ(o->siteCommand(GeoOverlay::kSiteDelete, at), 0);  // Strelsau is no site of the user's
    hover(*o, 3);
    o->captureMenuTarget();
    ASSERT_EQ(o->siteCommand(GeoOverlay::kSiteDelete, at), 1);
    ASSERT_EQ(o->cities().count(), 4);
    EXPECT_EQ(o->cities()[3].nameText(), "Camp Two");
    ASSERT_EQ(o->selection().marked().size(), 1u);
    EXPECT_EQ(o->selection().marked()[0].city, 3);
    ASSERT_EQ(o->sites().records().size(), 1u);
    EXPECT_EQ(o->sites().records()[0].cityIndex, 3);

    // Rename a predefined city too, then start again from the files.
    hover(*o, 2);
    o->captureMenuTarget();
    editor_.answer = SiteTexts{"Zenda Castle", "11", "46", "1640.4", "20000"};
    ASSERT_EQ(o->siteCommand(GeoOverlay::kSiteEdit, at), 1);
    o.reset();
    auto again = start();
    ASSERT_EQ(again->cities().count(), 4);
    EXPECT_EQ(again->cities()[2].nameText(), "Zenda Castle");
    EXPECT_EQ(again->cities()[2].kind, 0x101);
    EXPECT_NEAR(again->cities()[2].altitude, 500.0f, 0.1f);
    EXPECT_EQ(again->cities()[3].nameText(), "Camp Two");
    EXPECT_EQ(again->cities()[3].population, 7);
}

TEST_F(SiteOverlayTest, NothingIsWrittenOutsideTheInteractiveViewer) {
    app::processState().saverMode = app::SaverMode::FullScreenSaver;
    auto o = start();
    editor_.answer = SiteTexts{"Camp", "1", "2", "3", "4"};
    ASSERT_EQ(o->siteCommand(GeoOverlay::kSiteAdd, SitePoint{}), 1);
    o.reset();
    EXPECT_FALSE(std::filesystem::exists(home_.file("usersite.bin")));
}

}  // namespace
}  // namespace tnx::geodata
