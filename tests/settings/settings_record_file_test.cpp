#include "settings/settings_record_file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/io/byte_io.h"
#include "platform/io/file_io.h"
#include "platform/resources/resource_lookup.h"
#include "settings/configuration_file.h"
#include "settings/view_core_record.h"
#include "support/test_home.h"
#include "support/record_bytes.h"

namespace tnx::settings {
namespace {

using test::Bytes;
using test::concat;
using test::makeRecord;

// "3dvis.ini" around a root record: word 0, total length, root.
Bytes fileImage(const Bytes& root, int totalAdjust = 0) {
    Bytes out(8, 0);
    io::storeU32(out.data() + 4, uint32_t(root.size() + 8 + totalAdjust));
    out.insert(out.end(), root.begin(), root.end());
    return out;
}

// A record owner with a stamped fixed part carrying its payload.
class FakeOwner : public RecordOwner {
public:
    FakeOwner(std::string name, uint32_t stamp) : name_(std::move(name)), stamp_(stamp) {}
    size_t writeRecord(std::vector<uint8_t>& out) override {
        RecordWriter w(out, name_);
        w.stampHead(stamp_);
        w.data().bytes(payload.data(), payload.size());
        return w.finish();
    }
    int readRecord(std::span<const uint8_t> record) override {
        ++calls;
        RecordView view;
        int r = openRecord(record, name_, view);
        if (r != kRecordApplied) return r;
        if (recordStamp(view) != stamp_) return kRecordNotMine;
        payload.assign(view.body.begin() + 8, view.body.end());
        return kRecordApplied;
    }
    Bytes payload;
    int calls = 0;

private:
    std::string name_;
    uint32_t stamp_;
};

struct Owners {
    FakeOwner globe{"savecglobe", 11};
    FakeOwner buttons{"savecbuttons", 160};
    FakeOwner sound{"savesoundvisual", 736};
    ViewCoreRecord root;
    Owners() { root.setChildren(&globe, &buttons, &sound); }
    void fill(uint8_t seed) {
        globe.payload = Bytes(12, seed);
        buttons.payload = Bytes(160, uint8_t(seed + 1));
        sound.payload = Bytes(736, uint8_t(seed + 2));
    }
};

class SettingsRecordFileTest : public ::testing::Test {
protected:
    void TearDown() override { res::setDefaultResourceHook(nullptr); }
    test::TestHome home;
};

TEST_F(SettingsRecordFileTest, MissingFileFallsBackToTheShippedDefault) {
    Owners shipped;
    shipped.fill(40);
    Bytes defaultImage = *SettingsRecordFile::assemble(shipped.root);
    std::string asked;
    res::ScopedDefaultResourceHook hook([&](const std::string& name) -> std::optional<Bytes> {
        asked = name;
        return defaultImage;
    });

    Owners owners;
    EXPECT_EQ(SettingsRecordFile::load("3dvis.ini", owners.root), int(defaultImage.size()));
    EXPECT_EQ(asked, "3dvis.ini");
    EXPECT_EQ(owners.globe.payload, Bytes(12, 40));
    EXPECT_EQ(owners.buttons.payload, Bytes(160, 41));
    EXPECT_EQ(owners.sound.payload, Bytes(736, 42));

    // Neither file nor default: everything keeps its defaults.
    res::setDefaultResourceHook([](const std::string&) { return std::optional<Bytes>(); });
    Owners untouched;
    EXPECT_EQ(SettingsRecordFile::load("3dvis.ini", untouched.root), -1);
    EXPECT_EQ(untouched.globe.calls + untouched.buttons.calls + untouched.sound.calls, 0);
}

TEST_F(SettingsRecordFileTest, SavedFileHoldsRootSizePlusEightAndIsPreferredOverTheDefault) {
    Owners owners;
    owners.fill(7);
    int written = SettingsRecordFile::save("3dvis.ini", owners.root);
    auto image = io::readWholeFile(home.file("3dvis.ini"));
    ASSERT_TRUE(image);
    ASSERT_EQ(written, int(image->size()));
    const uint32_t rootSize = io::loadU32(image->data() + 8);
    EXPECT_EQ(io::loadU32(image->data()), 0u);
    EXPECT_EQ(io::loadU32(image->data() + 4), rootSize + 8);
    EXPECT_EQ(image->size(), rootSize + 8);
    EXPECT_EQ(rootSize, 4u + 14 + (4 + 11 + 8 + 12) + (4 + 13 + 8 + 160) + (4 + 16 + 8 + 736));

    res::ScopedDefaultResourceHook hook([](const std::string&) -> std::optional<Bytes> {
        ADD_FAILURE() << "the default must not be read while the file exists";
        return std::nullopt;
    });
    Owners reloaded;
    EXPECT_EQ(SettingsRecordFile::load("3dvis.ini", reloaded.root), int(rootSize + 8));
    EXPECT_EQ(reloaded.globe.payload, owners.globe.payload);
    EXPECT_EQ(reloaded.buttons.payload, owners.buttons.payload);
    EXPECT_EQ(reloaded.sound.payload, owners.sound.payload);
}

TEST_F(SettingsRecordFileTest, RootNameRules) {
    Owners source;
    source.fill(1);
    Bytes children;
    source.globe.writeRecord(children);
    source.buttons.writeRecord(children);
    source.sound.writeRecord(children);

    // Another first record changes nothing.
    Owners other;
    EXPECT_EQ(SettingsRecordFile::loadImage(fileImage(makeRecord("savecglobe", children)), other.root), -1);
    EXPECT_EQ(other.globe.calls + other.buttons.calls + other.sound.calls, 0);

    // Capitals and a longer name pass the name test.
    for (const char* name : {"SAVECVIEWCORE", "SavecViewCoreX"}) {
        Owners owners;
        Bytes root = makeRecord(name, children);
        EXPECT_EQ(SettingsRecordFile::loadImage(fileImage(root), owners.root), int(root.size() + 8)) << name;
        EXPECT_EQ(owners.sound.payload, source.sound.payload) << name;
    }

    // Too short to hold a root at all.
    Owners none;
    EXPECT_EQ(SettingsRecordFile::loadImage(Bytes(10, 0), none.root), -1);
}

TEST_F(SettingsRecordFileTest, ChildPastItsParentStopsReadingButKeepsWhatWasApplied) {
    Owners source;
    source.fill(3);
    Bytes globe, buttons, sound;
    source.globe.writeRecord(globe);
    source.buttons.writeRecord(buttons);
    source.sound.writeRecord(sound);
    io::storeU32(buttons.data(), uint32_t(buttons.size() + sound.size() + 1));
    Bytes root = makeRecord("savecviewcore", concat({globe, buttons, sound}));

    Owners owners;
    EXPECT_EQ(SettingsRecordFile::loadImage(fileImage(root), owners.root), kRecordOverrun);
    EXPECT_EQ(owners.globe.payload, source.globe.payload);
    EXPECT_EQ(owners.buttons.calls, 0);
    EXPECT_EQ(owners.sound.calls, 0);

    // A child with a stamp of another layout is refused but the next one is
    // still found by the stored size.
    Bytes oldButtons = makeRecord("savecbuttons", Bytes{0, 0, 0, 0, 99, 0, 0, 0, 1, 2, 3});
    Bytes mixed = makeRecord("savecviewcore", concat({globe, oldButtons, sound}));
    Owners mixedOwners;
    EXPECT_EQ(SettingsRecordFile::loadImage(fileImage(mixed), mixedOwners.root), int(mixed.size() + 8));
    EXPECT_TRUE(mixedOwners.buttons.payload.empty());
    EXPECT_EQ(mixedOwners.sound.payload, source.sound.payload);
}

TEST_F(SettingsRecordFileTest, HeadLengthMismatchIsReportedAfterApplying) {
    Owners source;
    source.fill(5);
    Bytes image = *SettingsRecordFile::assemble(source.root);
    io::storeU32(image.data() + 4, uint32_t(image.size() + 1));
    Owners owners;
    EXPECT_EQ(SettingsRecordFile::loadImage(image, owners.root), kRecordOverrun);
    EXPECT_EQ(owners.sound.payload, source.sound.payload);

    // The root's stored size is too small for its children.
    Bytes shrunk = *SettingsRecordFile::assemble(source.root);
    io::storeU32(shrunk.data() + 8, uint32_t(shrunk.size() - 8 - 1));
    io::storeU32(shrunk.data() + 4, uint32_t(shrunk.size() - 1));
    Owners partly;
    EXPECT_EQ(SettingsRecordFile::loadImage(shrunk, partly.root), kRecordOverrun);
    EXPECT_EQ(partly.buttons.payload, source.buttons.payload);
    EXPECT_EQ(partly.sound.calls, 0);
}

TEST_F(SettingsRecordFileTest, EveryTruncationIsReadWithinBounds) {
    Owners source;
    source.fill(9);
    Bytes image = *SettingsRecordFile::assemble(source.root);
    for (size_t n = 0; n < image.size(); ++n) {
        Owners owners;
        int r = SettingsRecordFile::loadImage(std::span(image).first(n), owners.root);
        ASSERT_LT(r, 0) << n;
    }
}

TEST_F(SettingsRecordFileTest, AbsentOwnersKeepTheirRecordsInPlace) {
    Owners source;
    source.fill(2);
    Bytes original = *SettingsRecordFile::assemble(source.root);

    ViewCoreRecord bare;  // no owners yet
    EXPECT_EQ(SettingsRecordFile::loadImage(original, bare), int(original.size()));
    EXPECT_EQ(*SettingsRecordFile::assemble(bare), original);

    // Only the HUD present: it writes its new state between the kept records.
    FakeOwner buttons("savecbuttons", 160);
    ViewCoreRecord partial;
    partial.setChildren(nullptr, &buttons, nullptr);
    SettingsRecordFile::loadImage(original, partial);
    buttons.payload = Bytes(160, 0x55);
    Owners reread;
    EXPECT_GT(SettingsRecordFile::loadImage(*SettingsRecordFile::assemble(partial), reread.root), 0);
    EXPECT_EQ(reread.globe.payload, source.globe.payload);
    EXPECT_EQ(reread.buttons.payload, Bytes(160, 0x55));
    EXPECT_EQ(reread.sound.payload, source.sound.payload);

    // Nothing ever read: three empty records hold the places.
    ViewCoreRecord empty;
    Bytes emptyImage = *SettingsRecordFile::assemble(empty);
    EXPECT_EQ(emptyImage.size(), 8u + 18 + 15 + 17 + 20);
    Owners fromEmpty;
    EXPECT_EQ(SettingsRecordFile::loadImage(emptyImage, fromEmpty.root), int(emptyImage.size()));
    EXPECT_EQ(fromEmpty.buttons.calls, 1);
    EXPECT_TRUE(fromEmpty.buttons.payload.empty());
}

TEST_F(SettingsRecordFileTest, OversizedFileIsRefusedAndTheOldOneKept) {
    Owners owners;
    owners.fill(1);
    ASSERT_GT(SettingsRecordFile::save("3dvis.ini", owners.root), 0);
    auto before = io::readWholeFile(home.file("3dvis.ini"));

    owners.sound.payload = Bytes(SettingsRecordFile::kMaxFileLength, 1);
    EXPECT_FALSE(SettingsRecordFile::assemble(owners.root));
    EXPECT_EQ(SettingsRecordFile::save("3dvis.ini", owners.root), -1);
    EXPECT_EQ(io::readWholeFile(home.file("3dvis.ini")), before);

    // Exactly at the limit is still written.
    owners.sound.payload.clear();
    size_t base = SettingsRecordFile::assemble(owners.root)->size();
    owners.sound.payload = Bytes(SettingsRecordFile::kMaxFileLength - base, 2);
    EXPECT_EQ(SettingsRecordFile::save("3dvis.ini", owners.root), int(SettingsRecordFile::kMaxFileLength));
}

// Makes a folder unwritable even for root (immutable attribute) and undoes it.
class ImmutableFolder {
public:
    explicit ImmutableFolder(const std::filesystem::path& dir) : dir_(dir) {
        int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd < 0) return;
        int flags = 0;
        if (ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            int set = flags | FS_IMMUTABLE_FL;
            applied_ = ioctl(fd, FS_IOC_SETFLAGS, &set) == 0;
        }
        ::close(fd);
    }
    ~ImmutableFolder() {
        if (!applied_) return;
        int fd = ::open(dir_.c_str(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        if (fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags &= ~FS_IMMUTABLE_FL;
            ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        if (fd >= 0) ::close(fd);
    }
    bool applied() const { return applied_; }

private:
    std::filesystem::path dir_;
    bool applied_ = false;
};

TEST_F(SettingsRecordFileTest, UnwritableHomeKeepsTheOldFileAndReportsFailure) {
    Owners owners;
    owners.fill(1);
    ASSERT_GT(SettingsRecordFile::save("3dvis.ini", owners.root), 0);
    auto before = io::readWholeFile(home.file("3dvis.ini"));
    owners.fill(2);

    std::filesystem::permissions(home.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    std::optional<ImmutableFolder> immutable;
    if (::access(home.path().c_str(), W_OK) == 0) immutable.emplace(home.path());  // root ignores modes
    if (::access(home.path().c_str(), W_OK) == 0 && !(immutable && immutable->applied())) {
        std::filesystem::permissions(home.path(), std::filesystem::perms::owner_all);
        GTEST_SKIP() << "cannot make a folder unwritable here";
    }
    EXPECT_EQ(SettingsRecordFile::save("3dvis.ini", owners.root), -1);
    immutable.reset();
    std::filesystem::permissions(home.path(), std::filesystem::perms::owner_all);
    EXPECT_EQ(io::readWholeFile(home.file("3dvis.ini")), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home.path()), {}), 2);  // 3dvis.ini, config
}

// ---- "Terranox.ini" ----

class ConfigurationFileTest : public SettingsRecordFileTest {};

TEST_F(ConfigurationFileTest, WritesTheHeadAndBothRecordsAndReadsThemByPosition) {
    EXPECT_EQ(ConfigurationFile::fileName(), "Terranox.ini");
    FakeOwner globe("saveconfigglobe", 208), music("saveconfigmp3", 1064);
    globe.payload = Bytes(200, 1);
    music.payload = Bytes(1056, 2);
    ConfigurationFile file;
    file.setOwners(&globe, &music);
    ASSERT_TRUE(file.save());

    auto image = io::readWholeFile(home.file("Terranox.ini"));
    ASSERT_TRUE(image);
    ASSERT_EQ(image->size(), 20u + (4 + 16 + 208) + (4 + 14 + 1064));
    EXPECT_EQ(io::loadU32(image->data() + 0), 0u);
    EXPECT_EQ(io::loadU32(image->data() + 4), 20u);
    for (size_t at : {8u, 12u, 16u}) EXPECT_EQ(io::loadU32(image->data() + at), 0u);
    EXPECT_TRUE(recordNameMatches(std::span(*image).subspan(20), "saveconfigglobe"));

    FakeOwner globe2("saveconfigglobe", 208), music2("saveconfigmp3", 1064);
    ConfigurationFile reader;
    reader.setOwners(&globe2, &music2);
    EXPECT_EQ(reader.load(), 0);
    EXPECT_EQ(globe2.payload, globe.payload);
    EXPECT_EQ(music2.payload, music.payload);
}

TEST_F(ConfigurationFileTest, DefaultWithAnOldGlobeLayoutStillAppliesTheMusicRecord) {
    Bytes oldGlobe = makeRecord("saveconfigglobe", concat({Bytes{0, 0, 0, 0, 156, 0, 0, 0}, Bytes(148, 3)}));
    FakeOwner musicSource("saveconfigmp3", 1064);
    musicSource.payload = Bytes(1056, 4);
    Bytes music;
    musicSource.writeRecord(music);
    Bytes image = concat({Bytes{0, 0, 0, 0, 20, 0, 0, 0}, Bytes(12, 0), oldGlobe, music});
    res::ScopedDefaultResourceHook hook([&](const std::string& name) -> std::optional<Bytes> {
        if (name != "Terranox.ini") return std::nullopt;
        return image;
    });

    FakeOwner globeOwner("saveconfigglobe", 208), musicOwner("saveconfigmp3", 1064);
    ConfigurationFile file;
    file.setOwners(&globeOwner, &musicOwner);
    EXPECT_EQ(file.load(), 0);
    EXPECT_EQ(globeOwner.calls, 1);
    EXPECT_TRUE(globeOwner.payload.empty());
    EXPECT_EQ(musicOwner.payload, Bytes(1056, 4));

    res::setDefaultResourceHook([](const std::string&) { return std::optional<Bytes>(); });
    ConfigurationFile nothing;
    EXPECT_EQ(nothing.load(), -1);
}

TEST_F(ConfigurationFileTest, AbsentOwnersKeepRecordsAndOverrunsStopReading) {
    FakeOwner globe("saveconfigglobe", 208), music("saveconfigmp3", 1064);
    globe.payload = Bytes(200, 1);
    music.payload = Bytes(1056, 2);
    ConfigurationFile writer;
    writer.setOwners(&globe, &music);
    Bytes original = *writer.assemble();

    ConfigurationFile keeper;  // no owners: the records survive a save
    EXPECT_EQ(keeper.loadImage(original), 0);
    EXPECT_EQ(*keeper.assemble(), original);

    Bytes overrun = original;
    io::storeU32(overrun.data() + 20 + 228, uint32_t(original.size()));  // music record runs past the end
    FakeOwner g("saveconfigglobe", 208), m("saveconfigmp3", 1064);
    ConfigurationFile reader;
    reader.setOwners(&g, &m);
    EXPECT_EQ(reader.loadImage(overrun), kRecordOverrun);
    EXPECT_EQ(g.payload, globe.payload);
    EXPECT_EQ(m.calls, 0);

    for (size_t n = 0; n < original.size(); ++n) {
        FakeOwner a("saveconfigglobe", 208), b("saveconfigmp3", 1064);
        ConfigurationFile cut;
        cut.setOwners(&a, &b);
        // Cut between records: what is there is read, the rest keeps defaults.
        const bool between = n == 20 || n == 20 + 228;
        EXPECT_EQ(cut.loadImage(std::span(original).first(n)), between ? 0 : kRecordOverrun) << n;
        EXPECT_EQ(a.payload.empty(), n < 20 + 228) << n;
        EXPECT_EQ(b.calls, 0);
    }

    music.payload = Bytes(ConfigurationFile::kMaxFileLength, 0);
    EXPECT_FALSE(writer.assemble());
    EXPECT_FALSE(writer.save());
    EXPECT_FALSE(std::filesystem::exists(home.file("Terranox.ini")));
}

// ---- shipped defaults ----

TEST(DefaultResourceLookup, MatchesNamesIgnoringCase) {
    test::TestHome home;
    ASSERT_TRUE(io::writeFileAtomically(home.file("3DVIS.INI"), Bytes{1, 2, 3}));
    ASSERT_TRUE(io::writeFileAtomically(home.file("Terranox.ini"), Bytes{4}));
    ASSERT_TRUE(io::writeFileAtomically(home.file("terranox.ini"), Bytes{5}));
    const std::string dir = home.path().string();
    EXPECT_EQ(res::findResourceIn(dir, "3dvis.ini"), (Bytes{1, 2, 3}));
    EXPECT_EQ(res::findResourceIn(dir, "Terranox.ini"), Bytes{4});  // exact spelling first
    EXPECT_EQ(res::findResourceIn(dir, "terranox.ini"), Bytes{5});
    EXPECT_FALSE(res::findResourceIn(dir, "pref.ini"));
    EXPECT_FALSE(res::findResourceIn(dir, ""));
    EXPECT_FALSE(res::findResourceIn((home.path() / "nowhere").string(), "3dvis.ini"));

    {
        res::ScopedDefaultResourceHook hook([](const std::string& name) -> std::optional<Bytes> {
            return Bytes(name.begin(), name.end());
        });
        EXPECT_EQ(res::findDefaultResource("x.ini"), (Bytes{'x', '.', 'i', 'n', 'i'}));
    }
    // Without the hook the lookup goes to the program's resources again; this
    // test executable carries none.
    EXPECT_FALSE(res::findDefaultResource("x.ini"));
}

}  // namespace
}  // namespace tnx::settings
