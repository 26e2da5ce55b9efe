// Stop, pause, play, next and previous, and how the repeat modes walk the
// playlist, against a sink the test holds: while it takes nothing the
// current item stays current, so every step is decided by the events alone.
#include <gtest/gtest.h>

#include <thread>

#include "player/player_facade.h"
#include "player/playlist_text.h"
#include "player_test_support.h"
#include "support/test_home.h"
#include "support/required_tool.h"

using namespace tnx;
using namespace tnx::player;

namespace {

class PlayerControls : public ::testing::Test {
protected:
    void SetUp() override {
        lame_ = test::findTool("lame");
        TNX_NEED_TOOL(!lame_.empty(), "lame");
        // Three short songs, told apart by their rate.
        const int rates[] = {44100, 32000, 48000};
        for (int i = 0; i < 3; ++i) {
            auto f = home_.file("song" + std::to_string(i + 1) + ".mp3");
            ASSERT_TRUE(test::encodeTone(lame_, f, rates[i], 1, 0.3, {500.0 * (i + 1)}, "-m m"));
            songs_.push_back(f.string());
        }
    }

    std::unique_ptr<PlayerFacade> start(int repeat, bool shuffle = false, std::vector<std::string> list = {}) {
        if (list.empty()) list = songs_;
        return std::make_unique<PlayerFacade>(
            joinPlaylistText(list), test::contextWithSink(&sink_, home_.file("tarnmp3.log"), repeat, shuffle), &ui_);
    }
    // Waits until the n-th decoded item has been announced; its number.
    int nthItem(size_t n) {
        EXPECT_TRUE(ui_.waitFor([&](const auto&) { return ui_.itemsPlayed().size() >= n; }));
        auto items = ui_.itemsPlayed();
        return items.size() >= n ? items[n - 1] : -1;
    }
    bool waitForState(PlayerState s, int times = 1) {
        return ui_.waitFor([&](const auto&) { return ui_.stateChangesTo(s) >= times; });
    }

    test::TestHome home_;
    std::string lame_;
    std::vector<std::string> songs_;
    test::HeldSink sink_;
    test::RecordingUi ui_;
};

TEST_F(PlayerControls, NextAndPreviousMoveThroughTheListAndWrapWithRepeatAll) {
    auto facade = start(2);
    EXPECT_EQ(nthItem(1), 1);
    facade->next();
    EXPECT_EQ(nthItem(2), 2);
    facade->next();
    EXPECT_EQ(nthItem(3), 3);
    facade->next();  // past the end: back to the first
    EXPECT_EQ(nthItem(4), 1);
    facade->previous();  // before the first: the last
    EXPECT_EQ(nthItem(5), 3);
    // Each move dropped what the held sink had not played.
    EXPECT_GE(sink_.flushes(), 4);
    auto s = facade->status();
    EXPECT_EQ(s.fileNumber, 3);
    EXPECT_EQ(s.fileCount, 3);
    EXPECT_EQ(s.title, "song3");
    EXPECT_EQ(s.state, PlayerState::Playing);
}

TEST_F(PlayerControls, WithoutRepeatNextStaysOnTheLastItemAndPreviousReplaysTheFirst) {
    auto facade = start(0);
    EXPECT_EQ(nthItem(1), 1);
    facade->previous();  // the first again
    EXPECT_EQ(nthItem(2), 1);
    facade->next();
    EXPECT_EQ(nthItem(3), 2);
    facade->next();
    EXPECT_EQ(nthItem(4), 3);
    facade->next();  // nowhere to go: nothing happens
    facade->previous();
    EXPECT_EQ(nthItem(5), 2);
    EXPECT_EQ(ui_.itemsPlayed(), (std::vector<int>{1, 1, 2, 3, 2}));
}

TEST_F(PlayerControls, ManyQuickMovesLandOnTheRightItem) {
    auto facade = start(2);
    EXPECT_EQ(nthItem(1), 1);
    // Seven moves forward and two back, faster than the stages start:
    // whatever the abandoned runs still report must not move the list.
    for (int i = 0; i < 7; ++i) facade->next();
    facade->previous();
    facade->previous();
    facade->pause();  // serviced after every move
    ASSERT_TRUE(waitForState(PlayerState::Paused));
    // 1 + 7 - 2 = the 6th place of a 3-item ring: item 3.
    ASSERT_TRUE(ui_.waitFor([&](const auto&) { return !ui_.itemsPlayed().empty() && ui_.itemsPlayed().back() == 3; }));
    size_t before = ui_.itemsPlayed().size();
    sink_.give(1'000'000'000);
    facade->play();
    ASSERT_TRUE(ui_.waitFor([&](const auto&) { return ui_.itemsPlayed().size() >= before + 3; }));
    auto items = ui_.itemsPlayed();
    EXPECT_EQ(std::vector<int>(items.begin() + std::ptrdiff_t(before) - 1, items.begin() + std::ptrdiff_t(before) + 3),
              (std::vector<int>{3, 1, 2, 3}));
    facade->stop();
}

TEST_F(PlayerControls, ItemsEndingPlayTheListOnceWithoutRepeat) {
    sink_.give(1'000'000'000);
    auto facade = start(0);
    ASSERT_TRUE(waitForState(PlayerState::Stopped));
    EXPECT_EQ(ui_.itemsPlayed(), (std::vector<int>{1, 2, 3}));
    // Back at the start, stopped.
    auto s = facade->status();
    EXPECT_EQ(s.state, PlayerState::Stopped);
    EXPECT_EQ(s.fileNumber, 1);
    // Play starts over from there.
    facade->play();
    EXPECT_EQ(nthItem(4), 1);
}

TEST_F(PlayerControls, RepeatAllGoesRoundAndRepeatTrackStaysOnTheItem) {
    sink_.give(1'000'000'000);
    {
        auto facade = start(2);
        ASSERT_TRUE(ui_.waitFor([&](const auto&) { return ui_.itemsPlayed().size() >= 7; }));
        facade->stop();
    }
    auto all = ui_.itemsPlayed();
    EXPECT_EQ(std::vector<int>(all.begin(), all.begin() + 7), (std::vector<int>{1, 2, 3, 1, 2, 3, 1}));

    test::RecordingUi trackUi;
    {
        PlayerFacade facade(joinPlaylistText(songs_), test::contextWithSink(&sink_, home_.file("t.log"), 1), &trackUi);
        ASSERT_TRUE(trackUi.waitFor([&](const auto&) { return trackUi.itemsPlayed().size() >= 3; }));
        facade.next();  // the user still moves on
        ASSERT_TRUE(trackUi.waitFor([&](const auto&) {
            auto items = trackUi.itemsPlayed();
            return std::count(items.begin(), items.end(), 2) >= 2;
        }));
    }
    auto track = trackUi.itemsPlayed();
    auto firstTwo = std::find(track.begin(), track.end(), 2);
    ASSERT_NE(firstTwo, track.end());
    EXPECT_TRUE(std::all_of(track.begin(), firstTwo, [](int i) { return i == 1; }));
    EXPECT_GE(firstTwo - track.begin(), 3);
}

TEST_F(PlayerControls, ShufflePlaysEveryItemOnceARound) {
    // Ten items so an unshuffled order is unlikely to come out by chance.
    std::vector<std::string> list;
    for (int i = 0; i < 10; ++i) list.push_back(songs_[size_t(i % 3)]);
    sink_.give(1'000'000'000);
    auto facade = start(0, true, list);
    ASSERT_TRUE(waitForState(PlayerState::Stopped));
    // Numbers are places in play order, so they still count 1 … 10; the
    // files behind them are a permutation of the list.
    EXPECT_EQ(ui_.itemsPlayed(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    std::vector<std::string> paths;
    for (const auto& e : ui_.events())
        if (auto* m = std::get_if<MediaInfo>(&e.data); m && m->sampleRate > 0) paths.push_back(m->path);
    auto a = paths, b = list;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    EXPECT_EQ(a, b);
}

TEST_F(PlayerControls, PauseHoldsTheOutputAndPlayOrPauseResumes) {
    auto facade = start(0);
    EXPECT_EQ(nthItem(1), 1);
    sink_.give(4410);
    ASSERT_TRUE(sink_.waitForTotal(4410));
    facade->pause();
    ASSERT_TRUE(waitForState(PlayerState::Paused));
    sink_.give(1'000'000'000);
    // Nothing is taken while paused.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    int64_t held = sink_.totalWritten();
    EXPECT_LT(held, 44100 * 3 / 10);
    EXPECT_EQ(facade->status().state, PlayerState::Paused);
    facade->pause();  // pause again resumes
    ASSERT_TRUE(ui_.waitFor([&](const auto&) { return ui_.itemsPlayed().size() >= 2; }));
    EXPECT_GT(sink_.totalWritten(), held);
    EXPECT_EQ(ui_.stateChangesTo(PlayerState::Playing), 2);
}

TEST_F(PlayerControls, StopResetsThePlayTimeAndNextWhileStoppedOnlySelects) {
    auto facade = start(2);
    EXPECT_EQ(nthItem(1), 1);
    sink_.give(4410);
    ASSERT_TRUE(sink_.waitForTotal(4410));
    facade->stop();
    ASSERT_TRUE(waitForState(PlayerState::Stopped));
    facade->next();
    ASSERT_TRUE(ui_.waitFor([&](const auto& ev) {
        // The selection is announced without a stream behind it.
        return std::any_of(ev.begin(), ev.end(), [](const Event& e) {
            auto* m = std::get_if<MediaInfo>(&e.data);
            return m && m->sampleRate == 0 && m->itemNumber == 2;
        });
    }));
    auto s = facade->status();
    EXPECT_EQ(s.elapsedSeconds, 0);
    EXPECT_EQ(s.position, 0);
    EXPECT_EQ(s.fileNumber, 2);
    EXPECT_EQ(s.title, "song2");
    EXPECT_EQ(ui_.itemsPlayed().size(), 1u);  // nothing started
    facade->play();
    EXPECT_EQ(nthItem(2), 2);
}

TEST_F(PlayerControls, OpenFilesAddsToThePlaylistAndPlaysTheFirstAdded) {
    auto facade = start(2, false, {songs_[0]});
    EXPECT_EQ(nthItem(1), 1);
    facade->openFiles({songs_[2], songs_[1]});
    EXPECT_EQ(nthItem(2), 2);
    auto s = facade->status();
    EXPECT_EQ(s.fileCount, 3);
    EXPECT_EQ(s.title, "song3");
}

TEST_F(PlayerControls, PlayTimeAndProgressFollowWhatWasHeard) {
    auto longer = home_.file("long.mp3");
    ASSERT_TRUE(test::encodeTone(lame_, longer, 32000, 1, 2.5, {700}, "-m m"));
    auto facade = start(0, false, {longer.string()});
    EXPECT_EQ(nthItem(1), 1);
    // Two seconds and a bit heard: the play time says 0:0:2.
    sink_.give(2 * 32000 + 100);
    ASSERT_TRUE(sink_.waitForTotal(2 * 32000 + 100));
    ASSERT_TRUE(ui_.waitFor([&](const auto& ev) {
        return std::any_of(ev.begin(), ev.end(), [](const Event& e) {
            auto* p = std::get_if<Progress>(&e.data);
            return p && p->position >= 2000;
        });
    }));
    auto s = facade->status();
    EXPECT_EQ(s.elapsedHours, 0);
    EXPECT_EQ(s.elapsedMinutes, 0);
    EXPECT_EQ(s.elapsedSeconds, 2);
    EXPECT_EQ(s.totalSeconds, 3);  // 2.5 s and the encoder's padding, rounded
    EXPECT_GE(s.position, 2000);
    EXPECT_LE(s.position, 2004);
    EXPECT_NEAR(double(s.length), 2500.0, 60.0);
    // No report claims more than was heard.
    for (const auto& e : ui_.events()) {
        if (auto* t = std::get_if<PlayTime>(&e.data)) {
            EXPECT_LE(t->positionFrames, 2 * 32000 + 100);
        }
    }
}

TEST_F(PlayerControls, AnEmptyPlaylistPlaysNothingAndSaysSo) {
    auto facade = std::make_unique<PlayerFacade>(
        joinPlaylistText({}), test::contextWithSink(&sink_, home_.file("tarnmp3.log"), 2), &ui_);
    facade->play();
    facade->next();
    facade.reset();
    EXPECT_EQ(ui_.stateChangesTo(PlayerState::Playing), 0);
    EXPECT_NE(test::readText(home_.file("tarnmp3.log")).find("error 5 (No files were found)"), std::string::npos);
}

TEST_F(PlayerControls, QuitTellsTheUserInterfacesToLetGo) {
    auto facade = start(2);
    EXPECT_EQ(nthItem(1), 1);
    facade.reset();  // returns only after the engine has stopped
    auto ev = ui_.events();
    ASSERT_FALSE(ev.empty());
    EXPECT_TRUE(std::any_of(ev.begin(), ev.end(), [](const Event& e) { return e.number == kEventCleanup; }));
    EXPECT_EQ(ev.back().number, kEventCleanup);
}

}  // namespace
