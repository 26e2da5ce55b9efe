// The program installed into a fresh prefix with `cmake --install`: every
// file the desktop looks for is in place, the installed program finds its
// data from any folder and keeps its state out of the prefix, and an
// installation without data says where it looked.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QProcess>
#include <fstream>
#include <set>

#include "support/test_home.h"

using namespace tnx;
namespace fs = std::filesystem;

namespace {

struct Outcome {
    int code = -1;
    std::string out, err;
};

class Installation : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "installation_data_test";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
        const char* cmake = std::getenv("TERRANOX_CMAKE");
        const char* build = std::getenv("TERRANOX_BINARY_DIR");
        ASSERT_TRUE(cmake && build);
        ASSERT_TRUE(fs::exists(fs::path(build) / "app" / "pack.dat")) << "the data is not built";
        root_ = new test::TestHome;
        prefix_ = root_->path() / "prefix";
        std::string cmd = std::string(cmake) + " --install " + build + " --prefix " + prefix_.string() + " >/dev/null";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    }
    static void TearDownTestSuite() {
        delete root_;
        root_ = nullptr;
    }

    // Runs an installed program in `folder` as a user would: no TERRANOX_HOME,
    // the user's data folder under the test's own folder.
    static Outcome run(const fs::path& program, const QStringList& args, const fs::path& folder) {
        fs::create_directories(folder);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("TERRANOX_HOME");
        env.insert("HOME", QString::fromStdString((root_->path() / "user").string()));
        env.insert("XDG_DATA_HOME", QString::fromStdString((root_->path() / "user/data").string()));
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(QString::fromStdString(folder.string()));
        p.start(QString::fromStdString(program.string()), args);
        Outcome r;
        if (!p.waitForFinished(120000)) return r;
        r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = p.readAllStandardOutput().toStdString();
        r.err = p.readAllStandardError().toStdString();
        return r;
    }
    static std::set<std::string> filesUnder(const fs::path& dir) {
        std::set<std::string> out;
        for (const auto& e : fs::recursive_directory_iterator(dir)) out.insert(fs::relative(e.path(), dir).string());
        return out;
    }

    static inline test::TestHome* root_ = nullptr;
    static inline fs::path prefix_;
};

TEST_F(Installation, EveryFileIsWhereTheDesktopLooks) {
    EXPECT_NE(fs::status(prefix_ / "bin/terranox").permissions() & fs::perms::owner_exec, fs::perms::none);
    for (const char* data : {"pack.dat", "globe11c.tem", "globetex11j90.tex", "zoom.cur", "distance.cur"})
        EXPECT_TRUE(fs::is_regular_file(prefix_ / "share/terranox" / data)) << data;
    // Only data: no program, no builder state, no settings a portable run wrote.
    for (const std::string& f : filesUnder(prefix_ / "share/terranox"))
        EXPECT_TRUE(f == "pack.dat" || f.ends_with(".tem") || f.ends_with(".tex") || f.ends_with(".cur")) << f;
    EXPECT_TRUE(fs::is_regular_file(prefix_ / "share/metainfo/com.tarnwick.Terranox.metainfo.xml"));
    EXPECT_TRUE(fs::is_regular_file(prefix_ / "share/man/man1/terranox.1.gz"));
    EXPECT_TRUE(fs::is_regular_file(prefix_ / "share/xscreensaver/config/terranox.xml"));
    // The menu entry's icon name is the icons' file name, at every size.
    std::ifstream entry(prefix_ / "share/applications/com.tarnwick.Terranox.desktop");
    std::string line, icon;
    while (std::getline(entry, line))
        if (line.rfind("Icon=", 0) == 0) icon = line.substr(5);
    ASSERT_EQ(icon, "terranox");
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
        std::string dir = std::to_string(size) + "x" + std::to_string(size);
        QImage img(QString::fromStdString((prefix_ / "share/icons/hicolor" / dir / "apps" / (icon + ".png")).string()));
        ASSERT_FALSE(img.isNull()) << dir;
        EXPECT_EQ(img.size(), QSize(size, size));
        EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0) << "transparent corners";
        QRgb centre = img.pixel(size / 2, size / 2);
        EXPECT_EQ(qAlpha(centre), 255);
    }
}

TEST_F(Installation, InstalledProgramRunsFromAnyFolderAndKeepsStateOutOfThePrefix) {
    std::set<std::string> before = filesUnder(prefix_);
    fs::path elsewhere = root_->path() / "elsewhere";
    Outcome help = run(prefix_ / "bin/terranox", {"--help"}, elsewhere);
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("data      " + (prefix_ / "share/terranox").string() + " (installed)"), std::string::npos)
        << help.out;
    EXPECT_NE(help.out.find("settings  " + (root_->path() / "user/data/Terranox").string()), std::string::npos)
        << help.out;
    Outcome version = run(prefix_ / "bin/terranox", {"--version"}, elsewhere);
    EXPECT_EQ(version.out.rfind("terranox ", 0), 0u) << version.out;

    Outcome snap = run(prefix_ / "bin/terranox",
                       {"/t", "--snapshot", "globe.png", "--size", "320x240", "--look-at", "-30,0,12000", "--time",
                        "2024-03-20T12:00:00Z"},
                       elsewhere);
    ASSERT_EQ(snap.code, 0) << snap.err;
    QImage img(QString::fromStdString((elsewhere / "globe.png").string()));
    ASSERT_EQ(img.size(), QSize(320, 240));
    int blue = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            QRgb c = img.pixel(x, y);
            if (qBlue(c) > 60 && qBlue(c) > qRed(c) + 40) ++blue;
        }
    // The sunlit Atlantic fills much of the picture.
    EXPECT_GT(blue, 320 * 240 / 10) << "the oceans of the installed world image";
    EXPECT_EQ(filesUnder(prefix_), before) << "nothing written into the installation";
    EXPECT_TRUE(fs::is_directory(root_->path() / "user/data/Terranox"));
}

TEST_F(Installation, InstallationWithoutDataSaysWhereItLookedAndHowToBuildIt) {
    fs::path bare = root_->path() / "bare";
    fs::create_directories(bare / "bin");
    fs::create_directories(bare / "share/terranox");
    fs::copy_file(prefix_ / "bin/terranox", bare / "bin/terranox");
    Outcome r = run(bare / "bin/terranox", {"/t", "--snapshot", "none.png"}, root_->path() / "elsewhere");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find(("  " + (bare / "share/terranox").string() + "\n")), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(("  " + (root_->path() / "user/data/Terranox").string() + "\n")), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("scripts/build-data.sh"), std::string::npos);
    EXPECT_FALSE(fs::exists(root_->path() / "elsewhere/none.png"));
}

}  // namespace
