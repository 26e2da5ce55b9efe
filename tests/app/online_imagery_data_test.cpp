// The online imagery end to end, against a server of our own on this
// machine: a snapshot with --online shows the served tiles where the
// built-in image is a blur, shows them again from the cache once the
// server is gone, and without --online the built-in image as before.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <algorithm>

#include "globe/image/test_jpeg.h"
#include "platform/home/program_home.h"
#include "support/snapshot_run.h"
#include "support/test_home.h"
#include "support/tile_server.h"

using namespace tnx;

namespace {

// `terranox /t --snapshot --look-at 2.35,48.85,60 --time (noon) --hide hud,cities,borders,rivers
// [--online] --imagery URL`: the colour of the picture's middle.
QColor snapshot(const test::TestHome& home, bool online, const std::string& url) {
    app::LaunchOptions launch;
    launch.snapshotPath = (home.path() / "paris.png").string();
    launch.width = 320;
    launch.height = 240;
    launch.lookAt = app::LookAt{2.35, 48.85, 60};
    launch.time = "2026-06-21T12:00:00Z";
    launch.online = online;
    launch.imagery = url;
    launch.onlineWaitSeconds = 60;
    for (app::Layer hidden : {app::Layer::Hud, app::Layer::Cities, app::Layer::Borders, app::Layer::Rivers})
        launch.layers.shown[size_t(hidden)] = false;
    const QImage img = test::runSnapshot(launch, 20000);
    return img.isNull() ? QColor() : QColor(img.pixel(160, 120));
}

bool magenta(const QColor& c) { return c.red() > c.green() + 60 && c.blue() > c.green() + 60; }

TEST(OnlineImagery, ASnapshotShowsTheServedTilesAgainFromTheCacheAndNoneOffline) {
    static int argc = 1;
    static char name[] = "online_imagery_data_test";
    static char* argv[] = {name, nullptr};
    if (!QGuiApplication::instance()) new QGuiApplication(argc, argv);
    const char* dir = std::getenv("TERRANOX_APP_DIR");
    ASSERT_TRUE(dir && std::filesystem::exists(std::filesystem::path(dir) / "pack.dat")) << "the data is not built";
    home::setExecutableDir(dir);
    test::TestHome home;

    std::vector<uint8_t> px(512 * 512 * 3);
    for (size_t i = 0; i < px.size(); ++i) px[i] = i % 3 == 1 ? 40 : 220;
    const std::vector<uint8_t> tile = test::makeJpeg(px, 512, 512, 3);
    auto server = std::make_unique<test::TileServer>([&](const std::string&) { return test::ServerReply{.body = tile}; });
    const std::string url = server->url("wmts/{TileMatrix}/{TileRow}/{TileCol}.jpg");
    const QColor served = snapshot(home, true, url);
    EXPECT_TRUE(magenta(served)) << served.name().toStdString();
    const std::vector<std::string> asked = server->requests();
    // The finest level where the view is nearest.
    EXPECT_TRUE(std::any_of(asked.begin(), asked.end(), [](const std::string& p) { return p.rfind("/wmts/8/", 0) == 0; }));

    server->stop();
    const QColor cached = snapshot(home, true, url);
    EXPECT_TRUE(magenta(cached)) << cached.name().toStdString();
    EXPECT_EQ(server->requests().size(), asked.size());

    const QColor builtIn = snapshot(home, false, url);
    EXPECT_FALSE(magenta(builtIn)) << builtIn.name().toStdString();
}

}  // namespace
