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
    int magenta = 0, blue = 0;
    QRect blueBox;  // where the globe's sunlit blue lies
};

Picture look(const QWindow& w) {
    QPoint at = w.mapToGlobal(QPoint(0, 0));
    QImage img = w.screen()->grabWindow(0, at.x(), at.y(), w.width(), w.height()).toImage();
    Picture p;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            QRgb c = img.pixel(x, y);
            int r = qRed(c), g = qGreen(c), b = qBlue(c);
            if (r > 200 && g < 60 && b > 200) ++p.magenta;
            if (b > 60 && b > r + 40) {
                ++p.blue;
                p.blueBox |= QRect(x, y, 1, 1);
            }
        }
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
    QString parentId() const { return "0x" + QString::number(parent_.winId(), 16); }

    bool display_ = app() != nullptr;  // before any window
    test::TestHome home_;
    QString program_;
    ManagerWindow parent_;
    QProcess saver_;
};

TEST_F(SaverWindow, WindowIdShowsTheGlobeInTheWindowAndFollowsItsSize) {
    start({"-window-id", parentId()});
    Picture p = waitFor(parent_, [](const Picture& p) { return p.magenta == 0 && p.blue > 40; });
    EXPECT_EQ(p.magenta, 0) << "the saver fills the window";
    ASSERT_GT(p.blue, 40) << "the globe's oceans are drawn";
    if (const char* keep = std::getenv("TERRANOX_KEEP_SHOTS"))
        parent_.screen()->grabWindow(0).save(QString(keep) + "/saver_window.png");
    double before = double(p.blueBox.width()) / p.blueBox.height();

    // Wider, not taller: the globe must keep its shape, not be stretched.
    parent_.resize(900, 480);
    QTest::qWait(1500);
    p = waitFor(parent_, [](const Picture& p) { return p.magenta == 0 && p.blue > 40; });
    EXPECT_EQ(p.magenta, 0) << "the saver fills the grown window";
    ASSERT_GT(p.blue, 40);
    double after = double(p.blueBox.width()) / p.blueBox.height();
    EXPECT_LT(after / before, 1.2) << "globe " << p.blueBox.width() << "x" << p.blueBox.height()
                                   << " stretched by the wider window";
    EXPECT_GT(p.blueBox.center().x(), 380) << "the globe moved to the centre of the wider window";
    EXPECT_EQ(saver_.state(), QProcess::Running) << "only the manager ends the saver";
    EXPECT_FALSE(std::filesystem::exists(home_.file("pref.ini")));
}

TEST_F(SaverWindow, RootDrawsInTheWindowTheManagerNames) {
    start({"-root"}, parentId());
    Picture p = waitFor(parent_, [](const Picture& p) { return p.magenta == 0 && p.blue > 40; });
    EXPECT_EQ(p.magenta, 0);
    EXPECT_GT(p.blue, 40);
}

TEST_F(SaverWindow, NumberThatIsNoWindowIsRefusedWithAMessage) {
    start({"-window-id", "0x7ffffff0"});
    ASSERT_TRUE(saver_.waitForFinished(20000));
    EXPECT_EQ(saver_.exitCode(), 2);
    QString err = QString::fromUtf8(saver_.readAllStandardError());
    EXPECT_TRUE(err.contains("0x7ffffff0 is not a window")) << err.toStdString();
}

}  // namespace
