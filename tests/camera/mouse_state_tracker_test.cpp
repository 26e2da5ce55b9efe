#include "camera/mouse_state_tracker.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tnx::camera {
namespace {

win::Message msg(uint32_t id, int x = 0, int y = 0) { return {0, id, 0, win::makeLParam(x, y)}; }

TEST(MouseStateTrackerTest, MovesGiveDeltasVelocityAndNewInput) {
    MouseStateTracker t;
    t.record(msg(win::kWmMouseMove, 100, 50), 1000);
    t.clearNewInput();
    t.record(msg(win::kWmMouseMove, 130, 10), 1100);
    EXPECT_EQ(t.x(), 130);
    EXPECT_EQ(t.y(), 10);
    EXPECT_EQ(t.dx(), 30);
    EXPECT_EQ(t.dy(), -40);
    EXPECT_FLOAT_EQ(t.velocityX(), 300);
    EXPECT_FLOAT_EQ(t.velocityY(), -400);
    EXPECT_FLOAT_EQ(t.speed(), 500);
    EXPECT_TRUE(t.newInput());

    // A move to the same place is no input.
    t.clearNewInput();
    t.record(msg(win::kWmMouseMove, 130, 10), 1200);
    EXPECT_FALSE(t.newInput());
    EXPECT_EQ(t.dx(), 0);
}

TEST(MouseStateTrackerTest, VeryQuickMovesCountAtLeastTwentyMilliseconds) {
    MouseStateTracker t;
    t.record(msg(win::kWmMouseMove, 0, 0), 5000);
    t.record(msg(win::kWmMouseMove, 10, 0), 5001);
    EXPECT_FLOAT_EQ(t.velocityX(), 500);  // 10 px / 0.02 s
    // Negative clock steps (wrap-around) do not give negative time.
    t.record(msg(win::kWmMouseMove, 20, 0), 4000);
    EXPECT_GT(t.velocityX(), 0);
}

TEST(MouseStateTrackerTest, ButtonFlagsTellDragsFromClicks) {
    MouseStateTracker t;
    t.record(msg(win::kWmMouseMove, 5, 5), 0);
    t.clearNewInput();
    t.record(msg(win::kWmLButtonDown, 5, 5), 0);
    EXPECT_TRUE(t.newInput());
    EXPECT_EQ(t.buttons(), MouseStateTracker::kLeftDown);
    t.record(msg(win::kWmMouseMove, 5, 5), 10);  // no movement
    EXPECT_EQ(t.buttons(), MouseStateTracker::kLeftDown);
    t.record(msg(win::kWmMouseMove, 6, 5), 20);
    EXPECT_EQ(t.buttons(), MouseStateTracker::kLeftDown | MouseStateTracker::kLeftMoved);
    t.record(msg(win::kWmRButtonDown, 6, 5), 30);
    t.record(msg(win::kWmMouseMove, 6, 7), 40);
    EXPECT_EQ(t.buttons(), MouseStateTracker::kLeftDown | MouseStateTracker::kLeftMoved |
                               MouseStateTracker::kRightDown | MouseStateTracker::kRightMoved);
    t.record(msg(win::kWmLButtonUp, 6, 7), 50);
    EXPECT_EQ(t.buttons(), MouseStateTracker::kRightDown | MouseStateTracker::kRightMoved);
    t.clearNewInput();
    t.record(msg(win::kWmRButtonUp, 6, 7), 60);
    EXPECT_EQ(t.buttons(), 0);
    EXPECT_TRUE(t.newInput());
    // Other messages change nothing.
    t.clearNewInput();
    t.record(msg(win::kWmKeyUp), 70);
    t.record(msg(win::kWmMouseWheel), 70);
    EXPECT_FALSE(t.newInput());
}

}  // namespace
}  // namespace tnx::camera
