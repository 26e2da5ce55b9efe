// The sky's clock: a start run at a rate, the keys' halving, doubling and return.
#include "globe/sky/scene_clock.h"

#include <gtest/gtest.h>

namespace tnx::globe {
namespace {

constexpr int64_t kNow = 1796040000000;  // 2026-12-01T12:00:00Z

TEST(SceneClock, RunsFromItsStartAtItsRate) {
    struct Case {
        std::optional<UtcTime> start;
        double rate, seconds;
        bool live;
        int64_t expected;  // unix ms after `seconds`
    };
    const UtcTime start{2019, 3, 14, 9, 30, 0, 0};
    const int64_t startMs = AstroClock::toUnixMilliseconds(start);
    const Case cases[] = {
        {std::nullopt, 1, 10, true, kNow},            // the wall clock (which the test holds still)
        {std::nullopt, 3600, 2, false, kNow + 7200000},
        {start, 1, 2.5, false, startMs + 2500},
        {start, -60, 1, false, startMs - 60000},
        {start, 0, 100, false, startMs},
        {start, 1e12, 1, false, startMs + int64_t(SceneClock::kMaxRate * 1000)},
        {UtcTime{1, 1, 1, 0, 0, 0, 0}, -3600, 5, false, AstroClock::toUnixMilliseconds(UtcTime{1, 1, 1, 0, 0, 0, 0})},
    };
    for (const Case& c : cases) {
        SceneClock clock(c.start, c.rate, [] { return kNow; });
        clock.advance(c.seconds);
        EXPECT_EQ(clock.followsSystemClock(), c.live) << c.rate;
        EXPECT_EQ(clock.unixMilliseconds(), c.expected) << c.rate;
    }
}

TEST(SceneClock, KeysHalveDoubleAndReturnToNow) {
    int64_t wall = kNow;
    SceneClock clock;
    clock.setWallClock([&] { return wall; });
    EXPECT_EQ(clock.rateText(), "");
    clock.doubleRate();  // leaves the wall clock where it stands
    EXPECT_FALSE(clock.followsSystemClock());
    EXPECT_EQ(clock.rateText(), "\xD7" "2");
    clock.advance(1), wall += 60000;
    EXPECT_EQ(clock.unixMilliseconds(), kNow + 2000);
    for (int i = 0; i < 2; ++i) clock.halveRate();
    EXPECT_EQ(clock.rateText(), "\xD7" "0.5");
    for (int i = 0; i < 20; ++i) clock.halveRate();
    EXPECT_EQ(clock.rate(), SceneClock::kMinHalvedRate);  // slow, never stopped
    clock.setRate(-3600), clock.doubleRate();
    EXPECT_EQ(clock.rateText(), "\xD7-7200");
    clock.returnToNow();
    EXPECT_TRUE(clock.followsSystemClock() && clock.unixMilliseconds() == wall && clock.rate() == 1.0);
    clock.setRate(0), clock.halveRate(), clock.doubleRate();
    EXPECT_EQ(clock.rate(), 0.0);  // a stopped sky stays stopped until "\\"
}

}  // namespace
}  // namespace tnx::globe
