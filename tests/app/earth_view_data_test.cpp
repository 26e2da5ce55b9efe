// Snapshots of the real Earth with the built data: continents where they
// belong at several heights, and day and night where the Sun puts them.
#include <gtest/gtest.h>

#include <algorithm>

#include <QGuiApplication>
#include <QImage>
#include <cmath>

#include "platform/home/program_home.h"
#include "support/snapshot_run.h"
#include "support/test_home.h"

using namespace tnx;

namespace {

class EarthView : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "earth_view_data_test";
        static char* argv[] = {name, nullptr};
        if (!QGuiApplication::instance()) new QGuiApplication(argc, argv);
    }
    void SetUp() override {
        const char* dir = std::getenv("TERRANOX_APP_DIR");
        ASSERT_NE(dir, nullptr);
        appDir_ = dir;
        for (const char* f : {"pack.dat", "globe11c.tem", "globetex11j90.tex"})
            ASSERT_TRUE(std::filesystem::exists(appDir_ / f)) << f << " is not built";
        home::setExecutableDir(appDir_);
    }
    // Renders like `terranox /t --snapshot --look-at lon,lat,km --time t`.
    QImage render(double lon, double lat, double km, const char* time, const char* keepAs) {
        app::LaunchOptions launch;
        launch.snapshotPath = (home_.path() / (std::string(keepAs) + ".png")).string();
        launch.width = 480;
        launch.height = 360;
        launch.lookAt = app::LookAt{lon, lat, km};
        launch.time = time;
        // The snapshot is written, and the run ends, once the tiles are in.
        QImage img = test::runSnapshot(launch, 400);
        if (const char* keep = std::getenv("TERRANOX_KEEP_SHOTS")) img.save(QString(keep) + "/" + keepAs + ".png");
        return img;
    }
    // Mean colour of a small square.
    static QColor mean(const QImage& img, int cx, int cy, int half = 6) {
        long r = 0, g = 0, b = 0, n = 0;
        for (int y = cy - half; y <= cy + half; ++y)
            for (int x = cx - half; x <= cx + half; ++x) {
                QRgb p = img.pixel(x, y);
                r += qRed(p);
                g += qGreen(p);
                b += qBlue(p);
                ++n;
            }
        return QColor(int(r / n), int(g / n), int(b / n));
    }
    static int lightness(const QColor& c) { return (c.red() + c.green() + c.blue()) / 3; }

    test::TestHome home_;
    std::filesystem::path appDir_;
};

TEST_F(EarthView, LandAndSeaWhereTheyBelongAtThreeHeights) {
    for (double km : {20000.0, 2000.0, 200.0}) {
        // The Sahara at noon UTC: sand, brighter in red than in blue.
        QImage sahara = render(12, 24, km, "2026-03-20T12:00:00Z", "sahara");
        ASSERT_FALSE(sahara.isNull());
        QColor s = mean(sahara, 240, 180);
        EXPECT_GT(s.red(), s.blue() + 20) << km << " km over the Sahara: " << s.name().toStdString();
        EXPECT_GT(lightness(s), 80) << km << " km";
        // The middle of the Pacific when the Sun stands over it: blue water.
        QImage pacific = render(-150, 0, km, "2026-03-20T22:00:00Z", "pacific");
        QColor p = mean(pacific, 240, 180);
        EXPECT_GT(p.blue(), p.red() + 20) << km << " km over the Pacific: " << p.name().toStdString();
    }
}

TEST_F(EarthView, SolsticesLightTheSummerPole) {
    // From above the equator at longitude 0 at noon UTC, 40,000 km out.
    // The globe's disc is about 60 pixels in radius here. The same places
    // are compared in June and December, so only the light differs.
    const int cx = 240, cy = 180, r = 60;
    QImage june = render(0, 0, 40000, "2026-06-21T12:00:00Z", "june");
    QImage december = render(0, 0, 40000, "2026-12-21T12:00:00Z", "december");
    ASSERT_FALSE(june.isNull());
    ASSERT_FALSE(december.isNull());
    // Near the poles, where the difference between the seasons is largest
    // (the light saturates over most of the day side): the brightest spot of
    // a band from 0.85 to 0.98 of the radius, so that polar ice is in it
    // wherever the resolution of the data draws the coast.
    auto band = [&](const QImage& i, int sign) {
        int brightest = 0;
        for (int d = int(0.85 * r); d <= int(0.98 * r); ++d)
            brightest = std::max(brightest, lightness(mean(i, cx, cy + sign * d, 1)));
        return brightest;
    };
    auto north = [&](const QImage& i) { return band(i, -1); };
    auto south = [&](const QImage& i) { return band(i, 1); };
    EXPECT_GT(north(june), north(december) + 10) << "the north is lit in June";
    EXPECT_GT(south(december), south(june) + 20) << "the south is lit in December";
    // The day side is centred near longitude 0: the centre is lit, and the
    // east and west limbs alike.
    EXPECT_GT(lightness(mean(june, cx, cy)), 40);
    int west = lightness(mean(june, cx - int(0.8 * r), cy, 3));
    int east = lightness(mean(june, cx + int(0.8 * r), cy, 3));
    EXPECT_GT(west, 15);
    EXPECT_GT(east, 15);
    // Midnight UTC: longitude 0 is on the night side.
    QImage night = render(0, 0, 40000, "2026-06-21T00:00:00Z", "midnight");
    EXPECT_LT(lightness(mean(night, cx, cy)), lightness(mean(june, cx, cy)) / 2);
}

}  // namespace
