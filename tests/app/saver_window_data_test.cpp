// The saver drawn into another program's X window, as screen-saver managers
// run it: the globe appears in the window, follows its size, and a number
// that is no window is refused. Runs the built program on a private X server
// against a window of this test's own.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QRasterWindow>
#include <QScreen>
#include <QTest>
#include <vector>

#include "support/private_display.h"
#include "support/test_home.h"

using namespace tnx;

namespace {

QGuiApplication* app() {
    static test::PrivateDisplay display("1280x1024x24");
    static int argc = 1;
    static char name[] = "saver_window_data_test";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* a = new QGuiApplication(argc, argv);
    return a;
}

// The manager's window: magenta wherever the saver does not draw.
class ManagerWindow : public QRasterWindow {
protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(QRect(QPoint(), size()), Qt::magenta); }
};

struct Picture {
    int magenta = 0;
    int blue = 0;  // the sunlit oceans
    // The globe's disc, day and night side: its oceans are blue even at
    // night, unlike the grey sky. Rows and columns with a few such pixels
    // only, so a lone bluish star does not count.
    QRect disc;
    double aspect() const { return double(disc.width()) / std::max(1, disc.height()); }
};

Picture look(const QWindow& w) {
    QPoint at = w.mapToGlobal(QPoint(0, 0));
    QImage img = w.screen()->grabWindow(0, at.x(), at.y(), w.width(), w.height()).toImage();
    Picture p;
    std::vector<int> columns(size_t(img.width())), rows(size_t(img.height()));
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            QRgb c = img.pixel(x, y);
            int r = qRed(c), g = qGreen(c), b = qBlue(c);
            if (r > 200 && g < 60 && b > 200) ++p.magenta;
            if (b > 60 && b > r + 40) ++p.blue;
            if (b > 25 && b > r + 12) {
                ++columns[size_t(x)];
                ++rows[size_t(y)];
            }
        }
    auto span = [](const std::vector<int>& counts) {
        int first = -1, last = -1;
        for (int i = 0; i < int(counts.size()); ++i)
            if (counts[size_t(i)] >= 3) {
                if (first < 0) first = i;
                last = i;
            }
        return std::make_pair(first, last);
    };
    auto [left, right] = span(columns);
    auto [top, bottom] = span(rows);
    if (left >= 0 && top >= 0) p.disc = QRect(QPoint(left, top), QPoint(right, bottom));
    return p;
}

// Waits until the picture in the window passes the check.
Picture waitFor(const QWindow& w, const std::function<bool(const Picture&)>& done, int seconds = 40) {
    Picture p;
    for (int i = 0; i < seconds * 5; ++i) {
        QTest::qWait(200);
        p = look(w);
        if (done(p)) break;
    }
    return p;
}

class SaverWindow : public ::testing::Test {
protected:
    void SetUp() override {
        const char* dir = std::getenv("TERRANOX_APP_DIR");
        ASSERT_NE(dir, nullptr);
        program_ = QString(dir) + "/terranox";
        ASSERT_TRUE(std::filesystem::exists(std::filesystem::path(dir) / "pack.dat")) << "the data is not built";
        parent_.setGeometry(40, 40, 640, 480);
        parent_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent_, 5000));
    }
    void TearDown() override {
        if (saver_.state() != QProcess::NotRunning) {
            saver_.terminate();  // as a manager ends its saver
            saver_.waitForFinished(10000);
        }
    }
    void start(const QStringList& args, const QString& managerWindow = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        if (!managerWindow.isEmpty()) env.insert("XSCREENSAVER_WINDOW", managerWindow);
        saver_.setProcessEnvironment(env);
        saver_.start(program_, args);
        ASSERT_TRUE(saver_.waitForStarted(10000));
    }
    // Whether the saver has ended within the time (waitForFinished alone
    // answers false for a process that ended already).
    bool ended(int ms) { return saver_.state() == QProcess::NotRunning || saver_.waitForFinished(ms); }
    QString parentId() const { return "0x" + QString::number(parent_.winId(), 16); }

    bool display_ = app() != nullptr;  // before any window
    test::TestHome home_;
    QString program_;
    ManagerWindow parent_;
    QProcess saver_;
};

TEST_F(SaverWindow, WindowIdShowsTheGlobeInTheWindowAndFollowsItsSize) {
    start({"-window-id", parentId()});
    auto round = [](const Picture& p) { return p.disc.height() > 20 && p.aspect() > 0.85 && p.aspect() < 1.18; };
    Picture p = waitFor(parent_, [&](const Picture& p) { return p.magenta == 0 && p.blue > 40 && round(p); });
    EXPECT_EQ(p.magenta, 0) << "the saver fills the window";
    ASSERT_GT(p.blue, 40) << "the globe's oceans are drawn";
    EXPECT_TRUE(round(p)) << "globe " << p.disc.width() << "x" << p.disc.height();
    if (const char* keep = std::getenv("TERRANOX_KEEP_SHOTS"))
        parent_.screen()->grabWindow(0).save(QString(keep) + "/saver_window.png");

    // Wider, not taller: stretched at first, the globe must come back round
    // once the saver's picture has the window's new size.
    parent_.resize(900, 480);
    p = waitFor(parent_, [&](const Picture& p) { return p.magenta == 0 && round(p) && p.disc.center().x() > 380; });
    EXPECT_EQ(p.magenta, 0) << "the saver fills the grown window";
    EXPECT_TRUE(round(p)) << "globe " << p.disc.width() << "x" << p.disc.height() << " stretched by the wider window";
    EXPECT_GT(p.disc.center().x(), 380) << "the globe is in the middle of the wider window";
    EXPECT_EQ(saver_.state(), QProcess::Running) << "only the manager ends the saver";
    EXPECT_FALSE(std::filesystem::exists(home_.file("pref.ini")));
}

TEST_F(SaverWindow, RootDrawsInTheWindowTheManagerNamesUntilThatWindowIsGone) {
    start({"-root"}, parentId());
    Picture p = waitFor(parent_, [](const Picture& p) { return p.magenta == 0 && p.blue > 40; });
    EXPECT_EQ(p.magenta, 0);
    EXPECT_GT(p.blue, 40);
    parent_.destroy();
    QTest::qWait(100);  // the destruction reaches the server
    EXPECT_TRUE(ended(20000)) << "nothing left to draw in; the saver said: " << saver_.readAllStandardError().toStdString();
    EXPECT_EQ(saver_.exitStatus(), QProcess::NormalExit);
}

TEST_F(SaverWindow, NumberThatIsNoWindowIsRefusedWithAMessage) {
    start({"-window-id", "0x7ffffff0"});
    ASSERT_TRUE(ended(20000));
    EXPECT_EQ(saver_.exitCode(), 2);
    QString err = QString::fromUtf8(saver_.readAllStandardError());
    EXPECT_TRUE(err.contains("0x7ffffff0 is not a window")) << err.toStdString();
}

}  // namespace
