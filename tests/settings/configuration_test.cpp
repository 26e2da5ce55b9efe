// "saveconfigglobe" with its themes, the random theme at start, and
// "Terranox.ini" files that are damaged in every way a reader can meet.
#include "settings/configuration.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <set>

#include "platform/io/byte_io.h"
#include "platform/io/file_io.h"
#include "platform/resources/resource_lookup.h"
#include "support/record_bytes.h"
#include "support/test_home.h"

namespace tnx::settings {
namespace {

using test::Bytes;

GlobeConfiguration look(uint32_t band0, int32_t options, int32_t exaggeration) {
    GlobeConfiguration c;
    c.bandColors.fill(0x102030);
    c.bandColors[0] = band0;
    c.options = options;
    c.exaggeration = exaggeration;
    return c;
}

// Live look A, saved themes "one" (B) and "two" (C), "two" current.
GlobeConfigRecord threeLooks() {
    GlobeConfigRecord g(look(0xA, 0x01, 1));
    g.live() = look(0xB, 0x03, 10);
    g.saveThemeAs("one");
    g.live() = look(0xC, 0x1B, 20);
    g.saveThemeAs("two");
    return g;
}

// Offsets of a written "saveconfigglobe" inside "Terranox.ini".
constexpr size_t kGlobeAt = 20;
constexpr size_t kFixedAt = kGlobeAt + 4 + 16;  // after size and name

// Head, the globe record, then a music record with that maximum of files.
Bytes configurationImage(GlobeConfigRecord globe, int32_t maxFiles = 7) {
    Bytes out{0, 0, 0, 0, 20, 0, 0, 0};
    out.resize(20, 0);
    globe.writeRecord(out);
    MusicConfiguration music;
    music.maxFiles = maxFiles;
    MusicConfigRecord(music).writeRecord(out);
    return out;
}

TEST(GlobeConfigRecord, RoundTripKeepsLiveThemesNamesAndCurrent) {
    GlobeConfigRecord written = threeLooks();
    written.live().cameraNearKm = 777;
    std::vector<uint8_t> bytes;
    const size_t size = written.writeRecord(bytes);
    // Fixed part and three theme blocks, then the names "one" and "two".
    EXPECT_EQ(size, 4 + 16 + 208 * 4 + (56 + 4 + 4 + 1));
    EXPECT_EQ(io::loadU32(bytes.data() + 20 + 4), 208u);
    EXPECT_EQ(io::loadI32(bytes.data() + 20 + 192), 3);
    EXPECT_EQ(io::loadI32(bytes.data() + 20 + 196), 2);

    GlobeConfigRecord read(look(0xF, 0, 50));
    ASSERT_EQ(read.readRecord(bytes), kRecordApplied);
    EXPECT_EQ(read.repairs(), 0);
    EXPECT_EQ(read.live(), written.live());
    ASSERT_EQ(read.themeCount(), 3);
    EXPECT_EQ(read.currentTheme(), 2);
    EXPECT_EQ(read.theme(1).name, "one");
    EXPECT_EQ(read.theme(2).name, "two");
    EXPECT_EQ(read.theme(1).look.bandColors[0], 0xBu);
    EXPECT_EQ(read.theme(2).look.options, 0x1B);
    std::vector<uint8_t> again;
    read.writeRecord(again);
    EXPECT_EQ(again, bytes);
}

TEST(GlobeConfigRecord, EachFieldIsReadFromAndWrittenToItsOwnOffset) {
    // Offsets 12 .. 188 each hold offset / 4 (the camera program 2): apart
    // from one another and inside every range.
    Bytes block(208, 0);
    io::storeU32(&block[4], 208);
    for (int32_t at = 12; at < 192; at += 4) io::storeI32(&block[size_t(at)], at == 132 ? 2 : at / 4);
    io::storeI32(&block[192], 1);  // one theme, "random", current
    const Bytes bytes = test::makeRecord("saveconfigglobe", test::concat({block, block, test::stringListRecord({})}));
    GlobeConfigRecord g(look(0xF, 0, 50));
    ASSERT_EQ(g.readRecord(bytes), kRecordApplied);
    EXPECT_EQ(g.repairs(), 0);
    const GlobeConfiguration& c = g.live();
    EXPECT_EQ(std::tuple(c.reservedOption, c.options, c.bandColors[0], c.bandColors[17], c.landOpacity, c.oceanOpacity,
                         c.reserved100, c.graticuleColor, c.graticuleOpacity, c.exaggeration, c.atmosphereColor),
              std::tuple(3, 4, 5u, 22u, 23, 24, 25, 26u, 27, 28, 29u));
    EXPECT_EQ(std::tuple(c.atmosphereOpacity, c.cameraNearKm, c.cameraFarKm, c.cameraProgram, c.cameraSpeed,
                         c.saturation, c.brightness, c.red, c.green, c.blue, c.cityLights, c.reserved[0],
                         c.reserved[6]),
              std::tuple(30, 31, 32, 2, 34, 35, 36, 37, 38, 39, 40, 41, 47));
    std::vector<uint8_t> again;
    g.writeRecord(again);
    EXPECT_EQ(again, bytes);
}

TEST(GlobeConfigRecord, RandomThemeIsDrawnOverTheSavedOnesOnly) {
    GlobeConfigRecord g = threeLooks();
    g.live().cameraSpeed = 42;  // "two" flies the saver's camera its own way
    std::deque<int> draws;
    g.setRandomSource([&] {
        const int r = draws.front();
        draws.pop_front();
        return r;
    });
    EXPECT_EQ(g.pickRandomTheme(), 0);  // "two" is current, not "random"
    g.switchTheme(1);
    EXPECT_EQ(g.live().bandColors[0], 0xBu);
    // floor(r * 2 / 32768) + 1: 16383 still draws theme 1, 16384 theme 2;
    // out-of-range draws are held to 0 .. 32767.
    const std::pair<int, int> drawn[] = {{0, 1}, {16383, 1}, {16384, 2}, {32767, 2}, {-5, 1}, {1 << 30, 2}};
    for (auto [r, theme] : drawn) {
        draws = {r};
        g.switchTheme(0);
        EXPECT_EQ(g.currentTheme(), 0);
        EXPECT_EQ(g.live().bandColors[0], theme == 1 ? 0xBu : 0xCu) << r;
        // The whole theme comes, the saver's camera with it.
        EXPECT_EQ(g.live().cameraSpeed, theme == 1 ? 10 : 42) << r;
    }
    GlobeConfigRecord alone(look(0xA, 1, 1));
    EXPECT_EQ(alone.pickRandomTheme(), 0);
    EXPECT_EQ(alone.live().bandColors[0], 0xAu);
}

TEST(GlobeConfigRecord, SwitchingStoresTheLookLeftAndAHundredThemesAreTheMost) {
    GlobeConfigRecord g = threeLooks();
    g.switchTheme(1);
    g.live().landOpacity = 99;  // an edit made while "one" is current
    g.switchTheme(2);
    EXPECT_EQ(g.theme(1).look.landOpacity, 99);
    EXPECT_EQ(g.live().landOpacity, 255);
    g.switchTheme(7);  // not in the list
    EXPECT_EQ(g.currentTheme(), 2);

    ASSERT_TRUE(g.deleteCurrentTheme());
    ASSERT_TRUE(g.deleteCurrentTheme());
    EXPECT_EQ(g.currentTheme(), 0);
    EXPECT_FALSE(g.deleteCurrentTheme());  // "random" stays

    for (int i = 1; i < GlobeConfigRecord::kMaxThemes; ++i) ASSERT_TRUE(g.saveThemeAs("t" + std::to_string(i)));
    EXPECT_FALSE(g.saveThemeAs("one too many"));
    EXPECT_EQ(g.themeCount(), 100);
}

class ConfigurationLoad : public ::testing::Test {
protected:
    void SetUp() override {
        GlobeConfigRecord shippedGlobe(look(0x5, 0x03, 5));
        shippedGlobe.live().landOpacity = 200;
        shippedGlobe.saveThemeAs("shipped");
        shipped_ = configurationImage(shippedGlobe, 1);
        good_ = configurationImage(threeLooks());
    }
    // Writes the file, loads it with the shipped default behind it.
    Configuration& load(const Bytes& file) {
        io::writeFileAtomically(home_.file("Terranox.ini"), file);
        config_ = std::make_unique<Configuration>();
        config_->load();
        return *config_;
    }

    test::TestHome home_;
    Bytes shipped_, good_;
    res::ScopedDefaultResourceHook hook_{[this](const std::string& name) -> std::optional<Bytes> {
        if (name == "Terranox.ini") return shipped_;
        return std::nullopt;
    }};
    std::unique_ptr<Configuration> config_;
};

TEST_F(ConfigurationLoad, NoFileStartsFromTheShippedDefaultAGoodFileIsTakenWhole) {
    Configuration c;
    EXPECT_EQ(c.load(), 0);
    EXPECT_FALSE(c.damaged());
    EXPECT_EQ(c.globe().live().bandColors[0], 0x5u);
    EXPECT_EQ(c.globe().theme(1).name, "shipped");
    EXPECT_EQ(c.music().maxFiles, 1);
    EXPECT_FALSE(std::filesystem::exists(home_.file("Terranox.ini")));

    Configuration& good = load(good_);
    EXPECT_FALSE(good.damaged());
    EXPECT_EQ(good.globe().themeCount(), 3);
    EXPECT_EQ(good.globe().live().bandColors[0], 0xCu);
    EXPECT_EQ(good.music().maxFiles, 7);
}

TEST_F(ConfigurationLoad, WithRandomCurrentAStartTakesASavedTheme) {
    GlobeConfigRecord g = threeLooks();
    g.switchTheme(0);
    g.live() = look(0xD, 0x01, 3);  // the look last shown is not a saved one
    std::set<uint32_t> started;
    for (int run = 0; run < 8; ++run) {
        std::srand(unsigned(run));
        Configuration& c = load(configurationImage(g));
        EXPECT_EQ(c.globe().currentTheme(), 0);
        started.insert(c.globe().live().bandColors[0]);
    }
    EXPECT_EQ(started, (std::set<uint32_t>{0xB, 0xC}));
}

TEST_F(ConfigurationLoad, DamagedPartsComeFromTheShippedDefaultTheRestIsKept) {
    const Bytes original = good_;
    struct Case {
        const char* what;
        std::function<void(Bytes&)> damage;
        bool globeFromFile, themesFromFile, musicFromFile;
    };
    const uint32_t globeSize = io::loadU32(original.data() + kGlobeAt);
    const Case cases[] = {
        {"another head length", [](Bytes& b) { io::storeU32(b.data() + 4, 24); }, true, true, true},
        {"shorter than the head", [](Bytes& b) { b.resize(12); }, false, false, false},
        {"old globe layout", [](Bytes& b) { io::storeU32(b.data() + kFixedAt + 4, 156); }, false, false, true},
        {"globe size past the end",
         [](Bytes& b) { io::storeU32(b.data() + kGlobeAt, uint32_t(b.size())); }, false, false, false},
        {"music cut off", [&](Bytes& b) { b.resize(kGlobeAt + globeSize + 10); }, true, true, false},
        {"101 themes", [](Bytes& b) { io::storeI32(b.data() + kFixedAt + 192, 101); }, true, false, true},
        {"no theme", [](Bytes& b) { io::storeI32(b.data() + kFixedAt + 192, 0); }, true, false, true},
        {"theme table past the record",
         [](Bytes& b) { io::storeI32(b.data() + kFixedAt + 192, 9); }, true, false, true},
    };
    for (const Case& k : cases) {
        Bytes file = original;
        k.damage(file);
        Configuration& c = load(file);
        EXPECT_TRUE(c.damaged()) << k.what;
        EXPECT_EQ(c.globe().live().bandColors[0], k.globeFromFile ? 0xCu : 0x5u) << k.what;
        EXPECT_EQ(c.globe().themeCount(), k.themesFromFile ? 3 : 2) << k.what;
        EXPECT_EQ(c.globe().theme(1).name, k.themesFromFile ? "one" : "shipped") << k.what;
        EXPECT_LT(c.globe().currentTheme(), c.globe().themeCount()) << k.what;
        EXPECT_EQ(c.music().maxFiles, k.musicFromFile ? 7 : 1) << k.what;
        // Loading never rewrites what it could not read.
        EXPECT_EQ(*io::readWholeFile(home_.file("Terranox.ini")), file) << k.what;
    }
}

TEST_F(ConfigurationLoad, ValuesOutOfRangeKeepTheShippedValueFieldByField) {
    Bytes file = good_;
    io::storeU32(file.data() + kFixedAt + 20, 0x01000000);  // band 0 beyond 24 bits
    io::storeI32(file.data() + kFixedAt + 112, 101);        // exaggeration 1..100
    io::storeI32(file.data() + kFixedAt + 92, -1);          // land opacity 0..255
    io::storeI32(file.data() + kFixedAt + 196, 3);          // current theme past the table: the shipped one
    const size_t theme1 = kFixedAt + 208 * 2;
    io::storeI32(file.data() + theme1 + 140, 201);          // a theme's saturation 0..200
    Configuration& c = load(file);
    EXPECT_TRUE(c.damaged());
    const GlobeConfiguration live = c.globe().live();
    EXPECT_EQ(live.bandColors[0], 0x5u);
    EXPECT_EQ(live.bandColors[1], 0x102030u);
    EXPECT_EQ(live.exaggeration, 5);
    EXPECT_EQ(live.landOpacity, 200);
    EXPECT_EQ(live.options, 0x1B);
    EXPECT_EQ(c.globe().themeCount(), 3);
    EXPECT_EQ(c.globe().currentTheme(), 1);
    EXPECT_EQ(c.globe().theme(1).look.saturation, live.saturation);
    EXPECT_EQ(c.globe().theme(1).look.bandColors[0], 0xBu);

    // What the user saves is whole again.
    ASSERT_TRUE(c.save());
    Configuration& again = load(*io::readWholeFile(home_.file("Terranox.ini")));
    EXPECT_FALSE(again.damaged());
    EXPECT_EQ(again.globe().live(), live);
}

// Our additions: the city lights' brightness at offset 160 of the globe
// block, the saver's time-lapse in a record after the music's. Files
// without them load unchanged; readers that know only two records pass over it.
TEST_F(ConfigurationLoad, TimeLapseAndCityLightsKeepOlderFilesWhole) {
    Configuration& old = load(good_);
    EXPECT_TRUE(!old.damaged() && old.timeLapse() == 0.0f && old.globe().live().cityLightsFactor() == 1.0f);

    old.setTimeLapse(3600.0f);
    old.globe().live().cityLights = -40;
    const Bytes file = *old.file().assemble();
    EXPECT_EQ(io::loadI32(file.data() + kFixedAt + 160), -40);
    const Bytes record = {31, 0, 0, 0, 's', 'a', 'v', 'e', 'c', 'o', 'n', 'f', 'i', 'g', 't', 'i', 'm', 'e', 0,
                          0,  0, 0, 0, 12,  0,   0,   0,   0,   0,    0x61, 0x45};  // 3600.0f
    ASSERT_GT(file.size(), record.size());
    EXPECT_EQ(Bytes(file.end() - long(record.size()), file.end()), record);

    Configuration& again = load(file);
    EXPECT_TRUE(!again.damaged() && again.timeLapse() == 3600.0f && again.globe().live().cityLights == -40);
    // A reader of two records sees a whole file.
    GlobeConfigRecord globe;
    MusicConfiguration music;
    MusicConfigRecord musicRecord(music);
    ConfigurationFile twoRecords;
    twoRecords.setOwners(&globe, &musicRecord);
    twoRecords.loadImage(file);
    EXPECT_TRUE(!twoRecords.damaged() && music.maxFiles == 7);
    // Another stamp, infinity, 1.7e7 beyond the limit.
    for (auto [at, value] : {std::pair{size_t(23), uint32_t(13)}, {size_t(27), 0x7F800000u}, {size_t(27), 0x4B800000u}}) {
        Bytes bad = file;
        io::storeU32(bad.data() + bad.size() - record.size() + at, value);
        EXPECT_TRUE(load(bad).damaged() && config_->timeLapse() == 0.0f) << at << ' ' << value;
    }
    Bytes outOfRange = file;
    io::storeI32(outOfRange.data() + kFixedAt + 160, 101);
    EXPECT_EQ(load(outOfRange).globe().live().cityLights, 0);
}

}  // namespace
}  // namespace tnx::settings
