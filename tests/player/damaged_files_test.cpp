// Files that cannot be played, or only in part: each is logged with its
// error code, the user interface hears of it, and the player goes on with
// the next item. A playlist of nothing but such files ends stopped after
// one round instead of spinning.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <random>

#include "player/error_code.h"
#include "player/player_facade.h"
#include "player/playlist_text.h"
#include "player_test_support.h"
#include "support/test_home.h"
#include "support/required_tool.h"

using namespace tnx;
using namespace tnx::player;

namespace {

class DamagedFiles : public ::testing::Test {
protected:
    void SetUp() override {
        lame_ = test::findTool("lame");
        TNX_NEED_TOOL(!lame_.empty(), "lame");
        good_ = home_.file("good.mp3");
        ASSERT_TRUE(test::encodeTone(lame_, good_, 44100, 2, 1.0, {1000}));
        sink_.give(1'000'000'000);
    }

    // Plays [bad, good] without repeat and returns once the player stopped.
    void playBadThenGood(const std::string& bad) {
        PlayerFacade facade(joinPlaylistText({bad, good_.string()}),
                            test::contextWithSink(&sink_, home_.file("tarnmp3.log"), 0), &ui_);
        ASSERT_TRUE(ui_.waitFor([&](const auto&) { return ui_.stateChangesTo(PlayerState::Stopped) >= 1; }));
    }
    void expectSkippedWith(int32_t code) {
        EXPECT_EQ(ui_.errorCodes(), std::vector<int>{code});
        // The good file after it played to its end.
        auto items = ui_.itemsPlayed();
        EXPECT_FALSE(items.empty());
        EXPECT_EQ(items.empty() ? 0 : items.back(), 2);
        std::string log = test::readText(home_.file("tarnmp3.log"));
        std::string want = "error " + std::to_string(code) + " (" + errorText(code) + ")";
        EXPECT_NE(log.find(want), std::string::npos) << "log lacks \"" << want << "\":\n" << log;
    }
    std::vector<uint8_t> goodBytes() { return *io::readWholeFile(good_); }
    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) {
        auto p = home_.file(name);
        std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return p.string();
    }

    test::TestHome home_;
    std::string lame_;
    std::filesystem::path good_;
    test::HeldSink sink_;
    test::RecordingUi ui_;
};

TEST_F(DamagedFiles, AMissingFileIsSkipped) {
    playBadThenGood(home_.file("gone.mp3").string());
    expectSkippedWith(kErrorFileNotFound);
    EXPECT_NE(test::readText(home_.file("tarnmp3.log")).find("Cannot open file"), std::string::npos);
}

TEST_F(DamagedFiles, AZeroLengthFileIsSkipped) {
    playBadThenGood(write("empty.mp3", {}));
    expectSkippedWith(kErrorNoDataAvail);
}

TEST_F(DamagedFiles, ATextFileNamedMp3IsSkipped) {
    std::string text;
    while (text.size() < 30000) text += "This is a text file, not a song. ";
    playBadThenGood(write("text.mp3", std::vector<uint8_t>(text.begin(), text.end())));
    expectSkippedWith(kErrorFormatNotSupported);
    auto s = ui_.events();
    EXPECT_TRUE(std::any_of(s.begin(), s.end(), [](const Event& e) {
        auto* t = std::get_if<std::string>(&e.data);
        return t && *t == "Tarnwick cannot play this file/stream. This file/stream may be corrupted.";
    }));
}

TEST_F(DamagedFiles, ATruncatedFilePlaysWhatItHasThenTheNextItem) {
    auto bytes = goodBytes();
    bytes.resize(bytes.size() / 2 + 77);  // inside a frame
    playBadThenGood(write("cut.mp3", bytes));
    expectSkippedWith(kErrorEndOfStream);
    // Both items were heard: about half of the first and all of the second.
    EXPECT_GT(sink_.totalWritten(), 44100 + 44100 / 3);
    EXPECT_EQ(ui_.itemsPlayed(), (std::vector<int>{1, 2}));
}

TEST_F(DamagedFiles, AFileThatTurnsToNoiseIsLeftWhereTheNoiseBegins) {
    auto bytes = goodBytes();
    std::mt19937 rng(7);
    for (size_t i = bytes.size() / 3; i < bytes.size(); ++i) bytes[i] = uint8_t(rng());
    playBadThenGood(write("noise.mp3", bytes));
    expectSkippedWith(kErrorParseError);
}

TEST_F(DamagedFiles, AFileThatChangesWhilePlayingIsLeft) {
    // Small buffers so the file is still being read when it changes.
    test::HeldSink held;
    auto ctx = test::contextWithSink(&held, home_.file("tarnmp3.log"), 0);
    ctx->settings.inputBufferKiB = 1;
    ctx->settings.outputBufferKiB = 16;
    auto song = home_.file("changing.mp3");
    ASSERT_TRUE(test::encodeTone(lame_, song, 44100, 2, 4.0, {800}));
    PlayerFacade facade(joinPlaylistText({song.string(), good_.string()}), std::move(ctx), &ui_);
    ASSERT_TRUE(ui_.waitFor([&](const auto&) { return ui_.itemsPlayed().size() >= 1; }));
    held.give(4410);
    ASSERT_TRUE(held.waitForTotal(4410));
    {
        std::ofstream(song, std::ios::binary | std::ios::app) << "appended by a tag editor";
    }
    held.give(1'000'000'000);
    ASSERT_TRUE(ui_.waitFor([&](const auto&) { return ui_.stateChangesTo(PlayerState::Stopped) >= 1; }));
    expectSkippedWith(kErrorInputUnsuccessful);
    // Far less than the whole 4 s was played of it.
    EXPECT_LT(held.totalWritten(), 44100 * 4);
}

TEST_F(DamagedFiles, APipeOrAFolderNamedMp3IsNotOpened) {
    auto fifo = home_.file("pipe.mp3");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    playBadThenGood(fifo.string());  // would block for good if opened
    expectSkippedWith(kErrorFileInvalidArg);
}

TEST_F(DamagedFiles, ANetworkStreamIsRefusedAndAFileUrlPlays) {
    PlayerFacade facade(joinPlaylistText({"http://example.invalid/stream.mp3", "file://" + good_.string()}),
                        test::contextWithSink(&sink_, home_.file("tarnmp3.log"), 0), &ui_);
    ASSERT_TRUE(ui_.waitFor([&](const auto&) { return ui_.stateChangesTo(PlayerState::Stopped) >= 1; }));
    expectSkippedWith(kErrorProtocolNotSupported);
}

TEST_F(DamagedFiles, APlaylistOfNothingPlayableStopsAfterOneRound) {
    std::string text(3000, 'x');
    std::vector<std::string> bad = {home_.file("gone.mp3").string(), write("empty.mp3", {}),
                                    write("text.mp3", std::vector<uint8_t>(text.begin(), text.end()))};
    {
        // Repeat all: without the guard this would go round for ever.
        PlayerFacade facade(joinPlaylistText(bad), test::contextWithSink(&sink_, home_.file("tarnmp3.log"), 2), &ui_);
        ASSERT_TRUE(ui_.waitFor([&](const auto&) { return ui_.stateChangesTo(PlayerState::Stopped) >= 1; }));
        // Another command later finds it still stopped and starting over once.
        EXPECT_EQ(facade.status().state, PlayerState::Stopped);
        EXPECT_EQ(facade.status().lastError, kErrorFormatNotSupported);
    }
    EXPECT_EQ(ui_.errorCodes(), (std::vector<int>{kErrorFileNotFound, kErrorNoDataAvail, kErrorFormatNotSupported}));
    EXPECT_NE(test::readText(home_.file("tarnmp3.log")).find("no item of the playlist can be played"), std::string::npos);
    EXPECT_EQ(sink_.totalWritten(), 0);
}

}  // namespace
