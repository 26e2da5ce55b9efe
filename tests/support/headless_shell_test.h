// A fixture for driving the application without a display: headless
// windows, recording devices, a hand-driven clock, a fresh option block with
// no idling (a frame drawn every pass) and a private home.
#pragma once

#include <gtest/gtest.h>

#include "app/application.h"
#include "core/app_clock.h"
#include "core/frame_timer.h"
#include "core/process_state.h"
#include "platform/clock/clock_source.h"
#include "platform/win/headless_window_system.h"
#include "platform/win/message_queue.h"
#include "settings/option_block.h"
#include "support/test_home.h"

namespace tnx::test {

class HeadlessShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock::setClockSource(&clock_);
        app::resetAppClockForTest();
        app::frameTimer().start();
        win::setWindowSystem(&ws_);
        win::messageQueue().clear();
        app::processState() = app::ProcessState{};
        settings::optionBlock() = settings::OptionBlock{};
        settings::optionBlock().set(settings::OptionBlock::kIdleNoChanging, 0);
    }
    void TearDown() override {
        win::setWindowSystem(nullptr);
        clock::setClockSource(nullptr);
        app::resetAppClockForTest();
        win::messageQueue().clear();
        settings::optionBlock() = settings::OptionBlock{};
    }

    // Two monitors side by side, 1024×768 each, the left one primary.
    void twoMonitors() {
        win::MonitorInfo a, b;
        a.deviceName = "LEFT";
        a.rect = {0, 0, 1024, 768};
        a.primary = true;
        a.handle = 1;
        b.deviceName = "RIGHT";
        b.rect = {1024, 0, 2048, 768};
        b.handle = 2;
        ws_.setMonitors({a, b});
    }
    void post(win::WindowId w, uint32_t id, win::WParam wp = 0, win::LParam lp = 0) {
        win::messageQueue().post({w, id, wp, lp});
    }
    // Runs loop passes until the quit message or the limit; the passes run.
    int runLoop(app::Application& app, int limit) {
        int n = 0;
        while (n < limit && app.loopOnce()) ++n;
        return n;
    }

    TestHome home_;
    clock::FakeClock clock_;
    win::HeadlessWindowSystem ws_;
};

}  // namespace tnx::test
