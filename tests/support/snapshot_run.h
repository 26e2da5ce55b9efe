// A --snapshot run of `terranox /t` in this process, off-screen: the
// picture it writes. Header-only, as only the tests that link the program
// use it.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <functional>

#include "app/application.h"
#include "core/app_clock.h"
#include "platform/win/message_queue.h"
#include "platform/win/qt_window_system.h"

namespace tnx::test {

// `launch.snapshotPath` says where; `prepare` runs once the view exists,
// before the first frame; at most `maxFrames` frames until it is written.
inline QImage runSnapshot(const app::LaunchOptions& launch, int maxFrames,
                          const std::function<void(app::Application&)>& prepare = {}) {
    win::QtWindowSystem ws;
    ws.setOffscreen(true);
    win::setWindowSystem(&ws);
    win::messageQueue().clear();
    QImage img;
    {
        app::Application application("terranox /t", launch);
        EXPECT_EQ(application.create(), 0);
        app::appClock(app::ClockCommand::Start);
        application.createEnvironmentForTest();
        if (prepare) prepare(application);
        for (int i = 0; i < maxFrames && !application.wroteSnapshot(); ++i) application.runFramesForTest(1);
        EXPECT_TRUE(application.wroteSnapshot());
        if (launch.snapshotPath) img.load(QString::fromStdString(*launch.snapshotPath));
    }
    win::setWindowSystem(nullptr);
    return img;
}

}  // namespace tnx::test
