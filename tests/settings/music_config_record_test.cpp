// "saveconfigmp3": the fixed part and both lists through a write and a
// read, records of another layout, records cut short, and stored values
// outside what the player can use.
#include "settings/music_config_record.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/io/byte_io.h"
#include "settings/configuration.h"
#include "support/record_bytes.h"
#include "support/test_home.h"

namespace tnx::settings {
namespace {

using test::Bytes;

// Record offsets: size, "saveconfigmp3" and its NUL, then the fixed part.
constexpr size_t kFixedAt = 4 + 14;
constexpr size_t kListsAt = kFixedAt + 1064;

MusicConfiguration sample() {
    MusicConfiguration m;
    m.reserved = -77;
    m.enabled = true;
    m.maxFiles = 0;
    m.spectrumShown = false;
    m.randomizeOnStart = false;
    m.playMode = kPlayModeSelectedDirectories;
    // Windows-1252 names stay the bytes they are.
    m.fileList = {"/music/Caf\xE9 del Mar.mp3", "/music/a.mp3"};
    m.directoryList = {"/music/\xC0 la carte", "/b", "/c"};
    m.selectedDirectories[0] = 0;
    m.selectedDirectories[1] = 2;
    return m;
}

Bytes written(MusicConfiguration m) {
    Bytes out;
    MusicConfigRecord(m).writeRecord(out);
    return out;
}

void expectSame(const MusicConfiguration& a, const MusicConfiguration& b) {
    EXPECT_EQ(a.reserved, b.reserved);
    EXPECT_EQ(a.enabled, b.enabled);
    EXPECT_EQ(a.maxFiles, b.maxFiles);
    EXPECT_EQ(a.spectrumShown, b.spectrumShown);
    EXPECT_EQ(a.randomizeOnStart, b.randomizeOnStart);
    EXPECT_EQ(a.playMode, b.playMode);
    EXPECT_EQ(a.selectedDirectories, b.selectedDirectories);
    EXPECT_EQ(a.fileList, b.fileList);
    EXPECT_EQ(a.directoryList, b.directoryList);
}

TEST(MusicConfigRecord, RoundTripWithBothListsAndWithEmptyLists) {
    const MusicConfiguration m = sample();
    const Bytes bytes = written(m);
    const size_t files = 56 + m.fileList[0].size() + 1 + m.fileList[1].size() + 1 + 1;
    ASSERT_EQ(bytes.size(), kListsAt + files + 56 + 18 + 3 + 3 + 1);
    EXPECT_EQ(io::loadU32(bytes.data()), bytes.size());
    EXPECT_EQ(io::loadU32(bytes.data() + kFixedAt + 4), 1064u);
    EXPECT_EQ(io::loadI32(bytes.data() + kFixedAt + 40), -1);  // the selection's end
    MusicConfiguration read;
    MusicConfigRecord record(read);
    EXPECT_EQ(record.readRecord(bytes), kRecordApplied);
    EXPECT_EQ(record.repairs(), 0);
    expectSame(read, m);

    // Lists emptied: each is its 56-byte head, and reading empties them.
    MusicConfiguration empty;
    const Bytes bare = written(empty);
    ASSERT_EQ(bare.size(), kListsAt + 56 + 56);
    EXPECT_EQ(record.readRecord(bare), kRecordApplied);
    expectSame(read, empty);
}

TEST(MusicConfigRecord, AnotherLayoutOrNameLeavesEverything) {
    const MusicConfiguration before = sample();
    for (auto damage : {+[](Bytes& b) { io::storeU32(b.data() + kFixedAt + 4, 1060); },
                        +[](Bytes& b) { b[6] = 'X'; }}) {
        Bytes bytes = written(MusicConfiguration{});
        damage(bytes);
        MusicConfiguration m = before;
        EXPECT_NE(MusicConfigRecord(m).readRecord(bytes), kRecordApplied);
        expectSame(m, before);
    }
    // A fixed part cut short is another layout too.
    Bytes shortFixed = test::makeRecord("saveconfigmp3", Bytes(1063, 0));
    io::storeU32(shortFixed.data() + kFixedAt + 4, 1064);
    MusicConfiguration m = before;
    EXPECT_EQ(MusicConfigRecord(m).readRecord(shortFixed), kRecordNotMine);
    expectSame(m, before);
}

TEST(MusicConfigRecord, ListsThatDoNotFitKeepWhatWasHeld) {
    const Bytes full = written(sample());
    const uint32_t fileListSize = io::loadU32(full.data() + kListsAt);
    const MusicConfiguration before = [] {
        MusicConfiguration b;
        b.fileList = {"old file"};
        b.directoryList = {"old dir"};
        return b;
    }();
    struct Case {
        const char* what;
        size_t keep;  // bytes of the record kept, its size field patched to match
        bool filesRead, dirsRead;
    };
    const Case cases[] = {
        {"fixed part only", kListsAt, false, false},
        {"file list head cut", kListsAt + 30, false, false},
        {"file list strings cut", kListsAt + fileListSize - 1, false, false},
        {"directory list missing", kListsAt + fileListSize, true, false},
        {"directory list cut", full.size() - 1, true, false},
    };
    for (const Case& k : cases) {
        Bytes bytes(full.begin(), full.begin() + long(k.keep));
        io::storeU32(bytes.data(), uint32_t(bytes.size()));
        MusicConfiguration m = before;
        MusicConfigRecord record(m);
        EXPECT_EQ(record.readRecord(bytes), kRecordApplied) << k.what;
        EXPECT_GT(record.repairs(), 0) << k.what;
        EXPECT_EQ(m.playMode, kPlayModeSelectedDirectories) << k.what;  // the fixed part applies
        EXPECT_EQ(m.fileList, k.filesRead ? sample().fileList : before.fileList) << k.what;
        EXPECT_EQ(m.directoryList, k.dirsRead ? sample().directoryList : before.directoryList) << k.what;
    }
    // A record whose size runs past what there is is not read at all.
    Bytes cut(full.begin(), full.end() - 1);
    MusicConfiguration m = before;
    EXPECT_EQ(MusicConfigRecord(m).readRecord(cut), kRecordOverrun);
    expectSame(m, before);
}

TEST(MusicConfigRecord, StoredValuesAreHeldToWhatThePlayerUses) {
    struct Case {
        int32_t maxFiles, mode;
        std::vector<int32_t> selection;
        int32_t wantMax, wantMode;
        std::vector<int32_t> wantSelection;
        int repairs;
    };
    const Case cases[] = {
        {1500, 9, {3, 1, 5, -1, 7}, 999, kPlayModeAllFilesRandomly, {3, 5}, 3},
        {-3, -1, {0, 0, 4}, 0, kPlayModeAllFilesRandomly, {0, 4}, 3},
        {999, 0, {2}, 999, kPlayModeRandom, {2}, 0},
        {0, 8, {-5, 1}, 0, kPlayModeAllFilesRandomly, {}, 0},
    };
    for (const Case& k : cases) {
        Bytes bytes = written(MusicConfiguration{});
        io::storeI32(bytes.data() + kFixedAt + 16, k.maxFiles);
        io::storeI32(bytes.data() + kFixedAt + 28, k.mode);
        for (size_t i = 0; i < k.selection.size(); ++i) io::storeI32(bytes.data() + kFixedAt + 32 + 4 * i, k.selection[i]);
        MusicConfiguration m;
        MusicConfigRecord record(m);
        ASSERT_EQ(record.readRecord(bytes), kRecordApplied);
        EXPECT_EQ(m.maxFiles, k.wantMax);
        EXPECT_EQ(m.playMode, k.wantMode);
        auto want = MusicConfiguration::filledWithNone();
        std::copy(k.wantSelection.begin(), k.wantSelection.end(), want.begin());
        EXPECT_EQ(m.selectedDirectories, want) << k.maxFiles;
        EXPECT_EQ(record.repairs(), k.repairs) << k.maxFiles;
    }
    // All 256 slots in use: nothing runs past the fixed part.
    Bytes bytes = written(MusicConfiguration{});
    for (int i = 0; i < 256; ++i) io::storeI32(bytes.data() + kFixedAt + 32 + 4 * size_t(i), i);
    MusicConfiguration m;
    ASSERT_EQ(MusicConfigRecord(m).readRecord(bytes), kRecordApplied);
    EXPECT_EQ(m.selectedDirectories[255], 255);
    EXPECT_TRUE(m.directoryList.empty());
}

TEST(MusicConfigRecord, EmptyEntriesAreLeftOutAndTheSelectionFollows) {
    MusicConfiguration m;
    m.fileList = {"", "/x.mp3"};
    m.directoryList = {"/a", "", "/c", "/d"};
    const int32_t selected[] = {0, 1, 2, 9};
    std::copy(std::begin(selected), std::end(selected), m.selectedDirectories.begin());
    MusicConfiguration read;
    ASSERT_EQ(MusicConfigRecord(read).readRecord(written(m)), kRecordApplied);
    EXPECT_EQ(read.fileList, std::vector<std::string>{"/x.mp3"});
    EXPECT_EQ(read.directoryList, (std::vector<std::string>{"/a", "/c", "/d"}));
    // "/c" moved to 1; 9 named nothing before and names nothing now.
    EXPECT_EQ(read.selectedDirectories[0], 0);
    EXPECT_EQ(read.selectedDirectories[1], 1);
    EXPECT_EQ(read.selectedDirectories[2], 9);
    EXPECT_EQ(read.selectedDirectories[3], -1);
}

TEST(MusicConfigRecord, TheConfigurationFileCarriesIt) {
    test::TestHome home;
    const MusicConfiguration m = sample();
    {
        Configuration c;
        c.load();
        c.music() = m;
        ASSERT_TRUE(c.save());
    }
    Configuration c;
    c.load();
    EXPECT_FALSE(c.damaged());
    expectSame(c.music(), m);
}

}  // namespace
}  // namespace tnx::settings
