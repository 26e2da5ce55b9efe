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
    // The exit status (-1: it did not end) and what it wrote on stderr.
    std::pair<int, std::string> run(QStringList args) {
        QProcess p;
        p.setWorkingDirectory(QString::fromStdString(home_.path().string()));
        p.start(QString::fromStdString(program_.string()), args);
        const bool ended = p.waitForFinished(180000) && p.exitStatus() == QProcess::NormalExit;
        return {ended ? p.exitCode() : -1, p.readAllStandardError().toStdString()};
    }
    QImage picture(const std::string& name) { return QImage(QString::fromStdString(home_.file(name).string())); }
    // Grey summed over the middle of the picture (the globe).
    static double middleBrightness(const QImage& img) {
        double sum = 0;
        for (int y = img.height() / 4; y < 3 * img.height() / 4; ++y)
            for (int x = img.width() / 4; x < 3 * img.width() / 4; ++x) sum += qGray(img.pixel(x, y));
        return sum;
    }
    // Bright, warm pixels: city lights (the night ground is dark blue).
    static int warmLights(const QImage& img) {
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) n += qRed(img.pixel(x, y)) > 120 && qRed(img.pixel(x, y)) > qBlue(img.pixel(x, y)) + 40;
        return n;
    }

    tnx::test::TestHome home_;
    fs::path program_;
};

TEST_F(PictureSeries, ThreePicturesSixHoursApart) {
    // Noon over the Gulf of Guinea at the equinox, then 18:00 and midnight.
    const auto [code, err] = run({"/t", "--snapshot", "sky%d.png", "--frames", "3", "--fps", "1", "--time-rate", "21600",
                           "--time", "2026-03-20T12:00:00Z", "--look-at", "0,0,30000", "--size", "320x240", "--hide",
                           "hud,cities,borders,rivers,atmosphere,stars,lights"});
    ASSERT_EQ(code, 0) << err;
    const double noon = middleBrightness(picture("sky0.png")), evening = middleBrightness(picture("sky1.png")),
                 midnight = middleBrightness(picture("sky2.png"));
    EXPECT_FALSE(fs::exists(home_.file("sky3.png")));
    // Half the disc in the night, then all of it.
    EXPECT_TRUE(evening < 0.8 * noon && midnight < 0.8 * evening && midnight > 0) << noon << ' ' << evening;
}

TEST_F(PictureSeries, BadInputIsOneLineAndWritesNothing) {
    // (Every option's bad values are the command line test's; these end the
    // program itself, the size only once a device is asked.)
    for (const QStringList& args : {QStringList{"/t", "--snapshot", "a%d.png", "--frames", "0"},
                                    QStringList{"/t", "--snapshot", "a.png", "--frames", "2"},
                                    QStringList{"/t", "--snapshot", "a.png", "--size", "16385x100"}}) {
        const auto [code, err] = run(args);
        EXPECT_EQ(code, 2) << args.join(' ').toStdString();
        size_t lines = 0;
        for (size_t at = err.find("terranox:"); at != std::string::npos; at = err.find("terranox:", at + 1)) ++lines;
        EXPECT_EQ(lines, 1u) << err;
        EXPECT_FALSE(fs::exists(home_.file("a.png")) || fs::exists(home_.file("a0.png")));
    }
}

TEST_F(PictureSeries, CityLightsOnAWinterNightNotAtNoon) {
    auto shot = [&](const char* name, const char* time, const char* hide) {
        const auto [code, err] = run({"/t", "--snapshot", name, "--time", time, "--look-at", "10,50,2500", "--size",
                               "480x320", "--hide", hide});
        EXPECT_EQ(code, 0) << err;
        return warmLights(picture(name));
    };
    const int night = shot("night.png", "2026-01-15T22:00:00Z", "hud,cities,borders,rivers");
    const int dark = shot("dark.png", "2026-01-15T22:00:00Z", "hud,cities,borders,rivers,lights");
    const int noon = shot("noon.png", "2026-01-15T12:00:00Z", "hud,cities,borders,rivers");
    const int noonUnlit = shot("noon-unlit.png", "2026-01-15T12:00:00Z", "hud,cities,borders,rivers,lights");
    EXPECT_TRUE(night > 480 * 320 / 50 && dark < night / 20) << night << ' ' << dark;  // Europe's cities lit
    EXPECT_EQ(noon, noonUnlit) << "no lights by day";
}

}  // namespace
