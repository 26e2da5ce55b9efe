// With the built data, the Moon shows its textured surface: a view from just
// beyond the Moon at new moon, so its far side is in sunlight.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <cmath>

#include "app/application.h"
#include "app/globe_view.h"
#include "platform/home/program_home.h"
#include "support/snapshot_run.h"
#include "support/test_home.h"

using namespace tnx;

TEST(MoonViewData, MoonShowsItsSurface) {
    const char* appDir = std::getenv("TERRANOX_APP_DIR");
    ASSERT_NE(appDir, nullptr);
    ASSERT_TRUE(std::filesystem::exists(std::filesystem::path(appDir) / "pack.dat"));
    static int argc = 1;
    static char name[] = "moon_view_data_test";
    static char* argv[] = {name, nullptr};
    QGuiApplication qapp(argc, argv);
    test::TestHome home;
    home::setExecutableDir(appDir);
    app::LaunchOptions launch;
    launch.snapshotPath = (home.path() / "moon.png").string();
    launch.width = 400;
    launch.height = 300;
    launch.time = "2026-04-17T12:00:00Z";  // new moon
    // The run ends with the snapshot, the view being gone then.
    const QImage img = test::runSnapshot(launch, 10, [](app::Application& application) {
        auto* view = dynamic_cast<app::GlobeView*>(application.viewerCore()->scene());
        ASSERT_NE(view, nullptr);
        // The scene's construction has placed the Moon already.
        const auto& a = view->scene().astronomy();
        math::Vec3 m{std::cos(a.moonDeclination) * std::cos(a.moonHourAngle), std::sin(a.moonDeclination),
                     std::cos(a.moonDeclination) * std::sin(a.moonHourAngle)};
        camera::CameraFrame f;
        f.position = m * 3960.0f;
        f.direction = -m;
        f.up = math::normalize(math::cross(f.direction, math::cross(math::Vec3{0, 1, 0}, f.direction)));
        view->scene().camera().setFrame(f);
        view->scene().camera().setTarget(f);
        EXPECT_NE(view->scene().moonTexture(), nullptr);
    });
    ASSERT_FALSE(img.isNull());
    if (const char* keep = std::getenv("TERRANOX_KEEP_SHOTS")) img.save(QString(keep) + "/moon.png");
    // The Moon fills the middle: bright, and textured (not one flat grey).
    double sum = 0, sum2 = 0;
    int n = 0;
    for (int y = 130; y < 170; ++y)
        for (int x = 180; x < 220; ++x) {
            double g = qGray(img.pixel(x, y));
            sum += g;
            sum2 += g * g;
            ++n;
        }
    double mean = sum / n, sd = std::sqrt(sum2 / n - mean * mean);
    EXPECT_GT(mean, 40) << "the Moon is not lit";
    EXPECT_GT(sd, 3) << "the Moon has no surface detail";
}
