// "saveconfigmp3": both lists through a write and a read, another layout,
// records and lists cut short, stored values outside what the player uses.
#include "settings/music_config_record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "platform/io/byte_io.h"
#include "support/record_bytes.h"

namespace tnx::settings {
namespace {

using test::Bytes;
using test::makeRecord;
using Lines = std::vector<std::string>;

// Record offsets: size, "saveconfigmp3" and its NUL, then the fixed part.
constexpr size_t kFixedAt = 4 + 14;
constexpr size_t kListsAt = kFixedAt + 1064;

MusicConfiguration sample() {
    MusicConfiguration m;
    m.reserved = -77;
    m.enabled = true;
    m.maxFiles = 0;
    m.spectrumShown = m.randomizeOnStart = false;
    m.playMode = kPlayModeSelectedDirectories;
    // Windows-1252 names stay the bytes they are.
    m.fileList = {"/m/Caf\xE9.mp3", "/m/a.mp3"};
    m.directoryList = {"/m/\xC0 la carte", "/b", "/c"};
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
    EXPECT_EQ(std::tie(a.reserved, a.enabled, a.maxFiles, a.spectrumShown, a.randomizeOnStart, a.playMode),
              std::tie(b.reserved, b.enabled, b.maxFiles, b.spectrumShown, b.randomizeOnStart, b.playMode));
    EXPECT_EQ(a.selectedDirectories, b.selectedDirectories);
    EXPECT_EQ(a.fileList, b.fileList);
    EXPECT_EQ(a.directoryList, b.directoryList);
}

TEST(MusicConfigRecord, RoundTripWithBothListsAndWithEmptyLists) {
    const Bytes bytes = written(sample());
    // Files: 56 + 12 + 9 + 1; directories: 56 + 14 + 3 + 3 + 1.
    ASSERT_EQ(bytes.size(), kListsAt + 77 + 78);
    EXPECT_EQ(io::loadU32(bytes.data() + kFixedAt + 4), 1064u);
    EXPECT_EQ(io::loadI32(bytes.data() + kFixedAt + 40), -1);  // the selection's end
    MusicConfiguration read;
    MusicConfigRecord record(read);
    EXPECT_EQ(record.readRecord(bytes), kRecordApplied);
    EXPECT_EQ(record.repairs(), 0);
    expectSame(read, sample());

    const Bytes bare = written(MusicConfiguration{});
    ASSERT_EQ(bare.size(), kListsAt + 56 + 56);
    EXPECT_EQ(record.readRecord(bare), kRecordApplied);
    expectSame(read, MusicConfiguration{});
}

TEST(MusicConfigRecord, EachFieldIsReadFromAndWrittenToItsOwnOffset) {
    // One switch on at a time, so that two switches exchanged show.
    for (size_t on : {12u, 20u, 24u}) {
        Bytes fixed(1064, 0);
        for (size_t at = 32; at < 1056; at += 4) io::storeI32(&fixed[at], -1);
        for (auto [at, v] : {std::pair<size_t, int32_t>{4, 1064}, {8, -77}, {on, 1}, {16, 5}, {28, 3}, {32, 1}, {36, 4}})
            io::storeI32(&fixed[at], v);
        const Bytes bytes = makeRecord(MusicConfigRecord::kRecordName,
                                       test::concat({fixed, test::stringListRecord({"f.mp3"}),
                                                     test::stringListRecord({"/a", "/b", "/c", "/d", "/e"})}));
        MusicConfiguration m;
        MusicConfigRecord record(m);
        ASSERT_EQ(record.readRecord(bytes), kRecordApplied);
        EXPECT_EQ(std::tuple(m.reserved, m.enabled, m.maxFiles, m.spectrumShown, m.randomizeOnStart, m.playMode),
                  std::tuple(-77, on == 12, 5, on == 20, on == 24, 3));
        EXPECT_EQ(std::vector<int32_t>(m.selectedDirectories.begin(), m.selectedDirectories.begin() + 3),
                  (std::vector<int32_t>{1, 4, -1}));
        EXPECT_EQ(m.fileList, Lines{"f.mp3"});
        EXPECT_EQ(m.directoryList, (Lines{"/a", "/b", "/c", "/d", "/e"}));
        EXPECT_EQ(written(m), bytes) << on;
    }
}

TEST(MusicConfigRecord, AnotherStampNameOrShortFixedPartLeavesEverything) {
    Bytes stamp = written(MusicConfiguration{}), name = stamp;
    io::storeU32(stamp.data() + kFixedAt + 4, 1060);
    name[6] = 'X';
    Bytes shortFixed = test::makeRecord("saveconfigmp3", Bytes(1063, 0));
    io::storeU32(shortFixed.data() + kFixedAt + 4, 1064);
    Bytes pastEnd = written(MusicConfiguration{});
    pastEnd.pop_back();
    for (const Bytes& b : {stamp, name, shortFixed, pastEnd}) {
        MusicConfiguration m = sample();
        EXPECT_NE(MusicConfigRecord(m).readRecord(b), kRecordApplied);
        expectSame(m, sample());
    }
}

TEST(MusicConfigRecord, ListsThatDoNotFitKeepWhatWasHeld) {
    const Bytes full = written(sample());
    const uint32_t fileListSize = io::loadU32(full.data() + kListsAt);
    const struct {
        size_t keep;  // bytes of the record kept, its size patched to match
        bool filesRead;
    } cases[] = {{kListsAt, false}, {kListsAt + 30, false}, {kListsAt + fileListSize - 1, false},
                 {kListsAt + fileListSize, true}, {full.size() - 1, true}};
    for (const auto& k : cases) {
        Bytes bytes(full.begin(), full.begin() + long(k.keep));
        io::storeU32(bytes.data(), uint32_t(bytes.size()));
        MusicConfiguration m;
        m.fileList = {"old"};
        m.directoryList = {"old dir"};
        MusicConfigRecord record(m);
        EXPECT_EQ(record.readRecord(bytes), kRecordApplied) << k.keep;
        EXPECT_GT(record.repairs(), 0);
        EXPECT_EQ(m.playMode, kPlayModeSelectedDirectories);  // the fixed part applies
        EXPECT_EQ(m.fileList, k.filesRead ? sample().fileList : Lines{"old"}) << k.keep;
        EXPECT_EQ(m.directoryList, Lines{"old dir"}) << k.keep;
    }
}

TEST(MusicConfigRecord, StoredValuesAreHeldToWhatThePlayerUses) {
    const struct {
        int32_t maxFiles, mode;
        std::vector<int32_t> selection;
        int32_t wantMax, wantMode;
        std::vector<int32_t> wantSelection;
        int repairs;
    } cases[] = {
        {1500, 9, {3, 1, 5, -1, 7}, 999, kPlayModeAllFilesRandomly, {3, 5}, 3},
        {-3, -1, {0, 0, 4}, 0, kPlayModeAllFilesRandomly, {0, 4}, 3},
        {999, 0, {2}, 999, kPlayModeRandom, {2}, 0},
        {0, 8, {-5, 1}, 0, kPlayModeAllFilesRandomly, {}, 0},
    };
    for (const auto& k : cases) {
        Bytes bytes = written(MusicConfiguration{});
        io::storeI32(bytes.data() + kFixedAt + 16, k.maxFiles);
        io::storeI32(bytes.data() + kFixedAt + 28, k.mode);
        for (size_t i = 0; i < k.selection.size(); ++i) io::storeI32(bytes.data() + kFixedAt + 32 + 4 * i, k.selection[i]);
        MusicConfiguration m;
        MusicConfigRecord record(m);
        ASSERT_EQ(record.readRecord(bytes), kRecordApplied);
        auto want = MusicConfiguration::filledWithNone();
        std::copy(k.wantSelection.begin(), k.wantSelection.end(), want.begin());
        EXPECT_EQ(std::tie(m.maxFiles, m.playMode, m.selectedDirectories), std::tie(k.wantMax, k.wantMode, want));
        EXPECT_EQ(record.repairs(), k.repairs) << k.maxFiles;
    }
}

}  // namespace
}  // namespace tnx::settings
