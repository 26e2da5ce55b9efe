// Building the playlist from the music configuration: the play modes, the
// maximum, randomising, and the folders searched.
#include <gtest/gtest.h>

#include <fstream>

#include "player/playlist_builder.h"
#include "player/playlist_text.h"
#include "support/test_home.h"

using namespace tnx;
using namespace tnx::player;

namespace {

// Hands out a fixed sequence of numbers, over and over.
class ScriptedRandom : public RandomSource {
public:
    explicit ScriptedRandom(std::vector<int32_t> values) : values_(std::move(values)) {}
    int32_t next() override { return values_[i_++ % values_.size()]; }

private:
    std::vector<int32_t> values_;
    size_t i_ = 0;
};

class PlaylistBuilding : public ::testing::Test {
protected:
    std::string touch(const std::string& rel) {
        auto p = home_.path() / rel;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p) << "x";
        return p.string();
    }
    std::string dir(const std::string& rel) {
        auto p = home_.path() / rel;
        std::filesystem::create_directories(p);
        return p.string();
    }
    MusicConfiguration config(int mode, int max = 999, bool randomize = false) {
        MusicConfiguration c;
        c.playMode = mode;
        c.maxFiles = max;
        c.randomizeOnStart = randomize;
        return c;
    }
    test::TestHome home_;
};

TEST_F(PlaylistBuilding, FoldersAreSearchedDownwardsInNameOrderFilesFirst) {
    std::string a = touch("music/a.mp3"), b = touch("music/B.MP3");
    touch("music/notes.txt");
    touch("music/song.mp3.part");
    std::string deep = touch("music/x/y/deep.mp3"), inX = touch("music/x/z.mp3"), inAlbum = touch("music/album/1.mp3");
    auto c = config(kPlayModeSelectedDirectories);
    c.directoryList = {home_.path() / "music"};
    c.selectedDirectories[0] = 0;
    ScriptedRandom r({0});
    auto files = PlaylistBuilder(r).build(c);
    ASSERT_TRUE(files);
    EXPECT_EQ(*files, (std::vector<std::string>{a, b, inAlbum, inX, deep}));
}

TEST_F(PlaylistBuilding, LinksThatLoopBackAndFoldersListedTwiceAreSearchedOnce) {
    std::string one = touch("m/one.mp3"), two = touch("m/sub/two.mp3");
    std::filesystem::create_directory_symlink(home_.path() / "m", home_.path() / "m/sub/back");
    std::filesystem::create_directory_symlink(home_.path() / "m/sub", home_.path() / "m/sub/self");
    auto c = config(kPlayModeSelectedDirectories);
    c.directoryList = {dir("m"), dir("m/sub"), dir("m")};
    c.selectedDirectories = MusicConfiguration::filledWithNone();
    c.selectedDirectories[0] = 0;
    c.selectedDirectories[1] = 1;
    c.selectedDirectories[2] = 2;
    ScriptedRandom r({0});
    auto files = PlaylistBuilder(r).build(c);
    ASSERT_TRUE(files);
    EXPECT_EQ(*files, (std::vector<std::string>{one, two}));
}

TEST_F(PlaylistBuilding, FiveRandomDirectoriesOfThreeTakeAllThree) {
    std::string a = touch("d1/a.mp3"), b = touch("d2/b.mp3"), c3 = touch("d3/c.mp3");
    auto c = config(7);
    c.directoryList = {dir("d1"), dir("d2"), dir("d3")};
    // floor(3 * 20000 / 32768) = 1, then floor(2 * 0 / 32768) = 0, then the last.
    ScriptedRandom r({20000, 0, 0});
    auto files = PlaylistBuilder(r).build(c);
    ASSERT_TRUE(files);
    EXPECT_EQ(*files, (std::vector<std::string>{b, a, c3}));
    EXPECT_EQ(c.playMode, 7);
}

TEST_F(PlaylistBuilding, OneRandomDirectoryIsDrawnByTheRandomNumber) {
    touch("d1/a.mp3");
    std::string b = touch("d2/b.mp3");
    touch("d3/c.mp3");
    auto c = config(kPlayModeOneRandomDirectory);
    c.directoryList = {dir("d1"), dir("d2"), dir("d3")};
    ScriptedRandom r({32767 * 2 / 3});  // floor(3 * 21844 / 32768) = 1
    EXPECT_EQ(*PlaylistBuilder(r).build(c), std::vector<std::string>{b});
}

TEST_F(PlaylistBuilding, TheMaximumCutsInOrderOrDrawsAtRandom) {
    std::vector<std::string> list = {"/m/1.mp3", "/m/2.mp3", "/m/3.mp3", "/m/4.mp3"};
    ScriptedRandom r({16384});  // always the middle of what is left
    auto c = config(kPlayModeFileList, 0);
    c.fileList = list;
    EXPECT_TRUE(PlaylistBuilder(r).build(c)->empty());
    c.maxFiles = 50;
    EXPECT_EQ(*PlaylistBuilder(r).build(c), list);
    c.maxFiles = 2;
    EXPECT_EQ(*PlaylistBuilder(r).build(c), (std::vector<std::string>{"/m/1.mp3", "/m/2.mp3"}));
    c.randomizeOnStart = true;
    c.maxFiles = 3;
    // floor(4*16384/32768) = 2 -> "3"; of {1,2,4}: 1 -> "2"; of {1,4}: 1 -> "4".
    EXPECT_EQ(*PlaylistBuilder(r).build(c), (std::vector<std::string>{"/m/3.mp3", "/m/2.mp3", "/m/4.mp3"}));
    c.maxFiles = -5;  // out of range reads as none
    EXPECT_TRUE(PlaylistBuilder(r).build(c)->empty());
}

TEST_F(PlaylistBuilding, SelectedDirectoriesStopAtTheFirstGapAndSkipStaleIndices) {
    std::string a = touch("d1/a.mp3"), c3 = touch("d3/c.mp3");
    touch("d2/b.mp3");
    auto c = config(kPlayModeSelectedDirectories);
    c.directoryList = {dir("d1"), dir("d2"), dir("d3")};
    c.selectedDirectories[0] = 0;
    c.selectedDirectories[1] = 2;
    c.selectedDirectories[2] = 7;  // the list was shortened since
    c.selectedDirectories[3] = -1;
    c.selectedDirectories[4] = 1;  // after the end marker
    ScriptedRandom r({0});
    EXPECT_EQ(*PlaylistBuilder(r).build(c), (std::vector<std::string>{a, c3}));
    // None selected and no file list: nothing.
    c.selectedDirectories = MusicConfiguration::filledWithNone();
    EXPECT_TRUE(PlaylistBuilder(r).build(c)->empty());
}

TEST_F(PlaylistBuilding, AllFilesRandomlyTakesEveryDirectoryThenTheFileList) {
    std::string a = touch("d1/a.mp3"), b = touch("d2/b.mp3");
    auto c = config(kPlayModeAllFilesRandomly);
    c.directoryList = {dir("d1"), dir("d2"), home_.file("missing").string()};
    c.fileList = {"/elsewhere/x.mp3"};
    ScriptedRandom r({32767});  // always the last left
    EXPECT_EQ(*PlaylistBuilder(r).build(c), (std::vector<std::string>{b, a, "/elsewhere/x.mp3"}));
}

TEST_F(PlaylistBuilding, ModeZeroDrawsAModeAndKeepsIt) {
    auto c = config(kPlayModeRandom);
    c.fileList = {"/m/1.mp3"};
    ScriptedRandom r({13});  // 1 + (13 & 7) = 6
    ASSERT_TRUE(PlaylistBuilder(r).build(c));
    EXPECT_EQ(c.playMode, 6);
    // Without directories every mode plays the file list.
    ScriptedRandom r2({0});
    EXPECT_EQ(*PlaylistBuilder(r2).build(c), std::vector<std::string>{"/m/1.mp3"});
}

TEST_F(PlaylistBuilding, AModeOutsideTheNineGivesNoPlaylist) {
    ScriptedRandom r({0});
    for (int mode : {-1, 9, 1000}) {
        auto c = config(mode);
        c.fileList = {"/m/1.mp3"};
        EXPECT_FALSE(PlaylistBuilder(r).build(c)) << mode;
        EXPECT_FALSE(PlaylistBuilder(r).buildText(c)) << mode;
    }
    EXPECT_STREQ(playModeText(8), "Pick from all files randomly");
    EXPECT_STREQ(playModeText(9), "");
}

TEST_F(PlaylistBuilding, FiveThousandDirectoriesOrMoreFallBackToTheFileList) {
    touch("d1/a.mp3");
    auto c = config(kPlayModeSelectedDirectories);
    c.directoryList.assign(5000, dir("d1"));
    c.selectedDirectories[0] = 0;
    c.fileList = {"/m/1.mp3"};
    ScriptedRandom r({0});
    EXPECT_EQ(*PlaylistBuilder(r).build(c), std::vector<std::string>{"/m/1.mp3"});
    c.directoryList.resize(4999);
    EXPECT_EQ(PlaylistBuilder(r).build(c)->size(), 1u);
    EXPECT_NE(PlaylistBuilder(r).build(c)->front(), "/m/1.mp3");
}

TEST_F(PlaylistBuilding, TheTextStaysWithinOneMebibyteDroppingWhatDoesNotFit) {
    auto c = config(kPlayModeFileList);
    // 1,099-character paths take 1,100 bytes with their NUL: with the final
    // NUL, 953 of them fit in 1 MiB (1,048,576 bytes).
    for (int i = 0; i < 1000; ++i) {
        std::string p = "/" + std::to_string(i) + "/";
        c.fileList.push_back(p + std::string(1099 - p.size(), 'a'));
    }
    c.fileList.push_back("/short.mp3");  // still fits after the long ones stop
    ScriptedRandom r({0});
    auto kept = PlaylistBuilder(r).build(c);
    ASSERT_TRUE(kept);
    ASSERT_EQ(kept->size(), 954u);
    EXPECT_EQ((*kept)[952], c.fileList[952]);
    EXPECT_EQ(kept->back(), "/short.mp3");
    EXPECT_LE(joinPlaylistText(*kept).size(), PlaylistBuilder::kMaxTextBytes);
}

TEST(PlaylistText, EntriesEndAtTheFirstEmptyOne) {
    EXPECT_EQ(joinPlaylistText({"a", "", "b"}), std::string("a\0b\0\0", 5));
    EXPECT_EQ(splitPlaylistText(std::string("a\0b\0\0c\0", 7)), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(splitPlaylistText(std::string("a\0b", 3)), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(splitPlaylistText(std::string("\0", 1)).empty());
    EXPECT_TRUE(splitPlaylistText("").empty());
}

}  // namespace
