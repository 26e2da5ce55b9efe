#include <gtest/gtest.h>

#include "core/app_clock.h"
#include "app/frame_pacer.h"
#include "core/frame_timer.h"
#include "platform/clock/clock_source.h"

using namespace tnx;
using namespace tnx::app;

namespace {
struct ClockGuard {
    explicit ClockGuard(clock::FakeClock& c) { clock::setClockSource(&c); resetAppClockForTest(); }
    ~ClockGuard() { clock::setClockSource(nullptr); resetAppClockForTest(); }
};
}  // namespace

TEST(FrameTimer, FirstTickReportsTimeSinceStartAndRateAfterOneSecond) {
    clock::FakeClock c;
    ClockGuard g(c);
    FrameTimer t;
    EXPECT_DOUBLE_EQ(t.frameSeconds(), 0.1);
    t.start();
    EXPECT_TRUE(t.hasHighResolutionCounter());
    c.advanceMillis(40);
    EXPECT_NEAR(t.tick(), 0.040, 1e-9);
    EXPECT_EQ(t.framesPerSecond(), 0);
    for (int i = 0; i < 23; ++i) {
        c.advanceMillis(40);
        t.tick();
    }
    EXPECT_EQ(t.framesPerSecond(), 0);  // 0.96 s so far
    c.advanceMillis(40);
    t.tick();  // 25 frames in exactly one second
    EXPECT_NEAR(t.framesPerSecond(), 25.0, 1e-9);
    EXPECT_NEAR(t.totalSeconds(), 1.0, 1e-9);
    EXPECT_EQ(t.millisecondClock(), int32_t(c.nowMicros() / 1000));
}

TEST(FrameTimer, ClocksStayRightAfterMonthsOfUptime) {
    // A nanosecond counter 200 days after boot: counter x 1000 passes 2^63.
    clock::FakeClock c(true, 1'000'000'000);
    ClockGuard g(c);
    c.advanceMicros(200LL * 86'400 * 1'000'000 + 123'456);
    FrameTimer t;
    t.start();
    c.advanceMicros(40'001);
    EXPECT_NEAR(t.tick(), 0.040001, 1e-9);
    EXPECT_EQ(t.millisecondClock(), int32_t(c.nowMicros() / 1000));
    EXPECT_EQ(t.microseconds(), uint32_t(c.nowMicros()));
}

TEST(FrameTimer, WithoutCounterEverythingHasMillisecondResolution) {
    clock::FakeClock c(false);
    ClockGuard g(c);
    FrameTimer t;
    t.start();
    EXPECT_FALSE(t.hasHighResolutionCounter());
    c.advanceMicros(16'700);
    EXPECT_NEAR(t.tick(), 0.016, 1e-12);
    EXPECT_EQ(t.microseconds(), c.milliseconds() * 1000u);
}

TEST(AppClock, CommandsFollowTheStopwatchRules) {
    clock::FakeClock c;
    ClockGuard g(c);
    EXPECT_EQ(appClock(7), -1.0);
    EXPECT_EQ(appClock(-1), -1.0);
    appClock(ClockCommand::Start);  // first start sets the base to now
    c.advanceMillis(1500);
    EXPECT_NEAR(appClock(ClockCommand::GetAppTime), 1.5, 1e-9);
    EXPECT_NEAR(appClock(ClockCommand::GetElapsedTime), 1.5, 1e-9);
    c.advanceMillis(250);
    EXPECT_NEAR(appClock(ClockCommand::GetElapsedTime), 0.25, 1e-9);
    appClock(ClockCommand::Stop);
    c.advanceMillis(1000);
    EXPECT_NEAR(appClock(ClockCommand::GetAppTime), 1.75, 1e-9);  // frozen while stopped
    appClock(ClockCommand::Advance);
    EXPECT_NEAR(appClock(ClockCommand::GetAppTime), 1.85, 1e-9);
    EXPECT_NEAR(appClock(ClockCommand::GetAbsoluteTime), double(c.nowMicros()) / 1e6, 1e-9);
    appClock(ClockCommand::Start);
    // The stopped second does not count; the advanced tenth does.
    EXPECT_NEAR(appClock(ClockCommand::GetAppTime), 1.85, 1e-6);
}

TEST(AppClock, MillisecondPathWithoutCounter) {
    clock::FakeClock c(false);
    ClockGuard g(c);
    appClock(ClockCommand::Reset);
    c.advanceMillis(20);
    EXPECT_NEAR(appClock(ClockCommand::GetAppTime), 0.020, 1e-9);
    EXPECT_EQ(appClock(99), -1.0);
}

TEST(FramePacer, PauseKeepsTheGapAboutFiveAboveItWithinTenToTwentyFive) {
    FramePacer p;
    uint32_t now = 1'000'000;
    p.beginDraw(now);
    uint32_t pause = p.endDraw(now);
    EXPECT_EQ(pause, 10u);  // clamped up from the initial 0
    // The gap between draws is the pause plus the rest of the loop's work.
    auto run = [&](uint32_t workMs, int frames) {
        for (int i = 0; i < frames; ++i) {
            now += (pause + workMs) * 1000;
            p.beginDraw(now);
            pause = p.endDraw(now);
        }
    };
    run(8, 40);  // more than 5 ms of other work: the pause grows to its ceiling
    EXPECT_EQ(pause, 25u);
    run(2, 40);  // little other work: the pause shrinks to its floor
    EXPECT_EQ(pause, 10u);
    run(5, 3);  // exactly 5 ms: unchanged
    EXPECT_EQ(pause, 10u);
    // The microsecond clock wraps in 32 bits without upsetting the gap.
    now = 0xFFFFFFFFu - 2000;
    p.beginDraw(now);
    p.endDraw(now);
    now += 15'000;
    EXPECT_EQ(p.beginDraw(now), 15u);
}
