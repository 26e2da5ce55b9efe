// With the built data, the command line's pictures: a series whose sky moves
// by the rate between pictures, bad input refused before anything is
// written, and the city lights of a winter night over Europe, which noon
// does not show.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QProcess>
#include <filesystem>

#include "support/test_home.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int code = -1;
    std::string err;
};

class PictureSeries : public ::testing::Test {
protected:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "picture_series_data_test";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
        const char* appDir = std::getenv("TERRANOX_APP_DIR");
        ASSERT_NE(appDir, nullptr);
        program_ = fs::path(appDir) / "terranox";
        ASSERT_TRUE(fs::exists(fs::path(appDir) / "globenight11j90.tex")) << "the data is not built";
    }
    Outcome run(QStringList args) {
        QProcess p;
        p.setWorkingDirectory(QString::fromStdString(home_.path().string()));
        p.start(QString::fromStdString(program_.string()), args);
        Outcome r;
        if (!p.waitForFinished(180000)) return r;
        r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.err = p.readAllStandardError().toStdString();
        return r;
    }
    QImage picture(const std::string& name) { return QImage(QString::fromStdString(home_.file(name).string())); }
    // Mean grey over the middle of the picture (the globe).
    static double middleBrightness(const QImage& img) {
        double sum = 0;
        int n = 0;
        for (int y = img.height() / 4; y < 3 * img.height() / 4; ++y)
            for (int x = img.width() / 4; x < 3 * img.width() / 4; ++x, ++n) sum += qGray(img.pixel(x, y));
        return n ? sum / n : 0;
    }
    // Bright, warm pixels: city lights (the night ground is dark blue).
    static int warmLights(const QImage& img) {
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QRgb c = img.pixel(x, y);
                n += qRed(c) > 120 && qRed(c) > qBlue(c) + 40;
            }
        return n;
    }

    tnx::test::TestHome home_;
    fs::path program_;
};

TEST_F(PictureSeries, ThreePicturesSixHoursApart) {
    // Noon over the Gulf of Guinea at the equinox, then 18:00 and midnight.
    const Outcome r = run({"/t", "--snapshot", "sky%d.png", "--frames", "3", "--fps", "1", "--time-rate", "21600",
                           "--time", "2026-03-20T12:00:00Z", "--look-at", "0,0,30000", "--size", "320x240", "--hide",
                           "hud,cities,borders,rivers,atmosphere,stars,lights"});
    ASSERT_EQ(r.code, 0) << r.err;
    const double noon = middleBrightness(picture("sky0.png")), evening = middleBrightness(picture("sky1.png")),
                 midnight = middleBrightness(picture("sky2.png"));
    EXPECT_FALSE(fs::exists(home_.file("sky3.png")));
    EXPECT_LT(evening, 0.8 * noon);     // half the disc in the night
    EXPECT_LT(midnight, 0.8 * evening);  // all of it
    EXPECT_GT(midnight, 0.0);
}

TEST_F(PictureSeries, BadInputIsOneLineAndWritesNothing) {
    for (const QStringList& args : {QStringList{"/t", "--snapshot", "a%d.png", "--frames", "0"},
                                    QStringList{"/t", "--snapshot", "a.png", "--frames", "2"},
                                    QStringList{"/t", "--snapshot", "a%d.png", "--fps", "0", "--frames", "2"},
                                    QStringList{"/t", "--snapshot", "a%d.png", "--time-rate", "x", "--frames", "2"},
                                    QStringList{"/t", "--snapshot", "a.png", "--hide", "clouds"},
                                    QStringList{"/t", "--snapshot", "a.png", "--size", "70000x100"},
                                    QStringList{"/t", "--snapshot", "a.png", "--size", "16385x100"}}) {
        const Outcome r = run(args);
        EXPECT_EQ(r.code, 2) << args.join(' ').toStdString();
        size_t lines = 0;
        for (size_t at = r.err.find("terranox:"); at != std::string::npos; at = r.err.find("terranox:", at + 1)) ++lines;
        EXPECT_EQ(lines, 1u) << r.err;
        EXPECT_TRUE(fs::is_empty(home_.path()) || !fs::exists(home_.file("a.png")));
        EXPECT_FALSE(fs::exists(home_.file("a0.png")));
    }
}

TEST_F(PictureSeries, CityLightsOnAWinterNightNotAtNoon) {
    auto shot = [&](const char* name, const char* time, const char* hide) {
        const Outcome r = run({"/t", "--snapshot", name, "--time", time, "--look-at", "10,50,2500", "--size",
                               "480x320", "--hide", hide});
        EXPECT_EQ(r.code, 0) << r.err;
        return warmLights(picture(name));
    };
    const int night = shot("night.png", "2026-01-15T22:00:00Z", "hud,cities,borders,rivers");
    const int dark = shot("dark.png", "2026-01-15T22:00:00Z", "hud,cities,borders,rivers,lights");
    const int noon = shot("noon.png", "2026-01-15T12:00:00Z", "hud,cities,borders,rivers");
    const int noonUnlit = shot("noon-unlit.png", "2026-01-15T12:00:00Z", "hud,cities,borders,rivers,lights");
    EXPECT_GT(night, 480 * 320 / 50) << "the cities of Europe are lit";
    EXPECT_LT(dark, night / 20);
    EXPECT_EQ(noon, noonUnlit) << "no lights by day";
}

}  // namespace
