// The shell on a real X display: windows, keys and snapshots.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QDialog>
#include <QImage>
#include <QScreen>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <memory>

#include "core/app_clock.h"
#include "app/application.h"
#include "app/floating_status.h"
#include "platform/win/host_window.h"
#include "platform/win/message_queue.h"
#include "platform/win/qt_window_system.h"
#include "settings/options_dialog.h"
#include "support/private_display.h"
#include "support/test_home.h"

using namespace tnx;

namespace {

// The tests' own X server: screen grabs see only these tests' windows.
QApplication* app() {
    static test::PrivateDisplay display("1280x1024x24");
    static int argc = 1;
    static char name[] = "shell_gui_test";
    static char* argv[] = {name, nullptr};
    static QApplication* a = new QApplication(argc, argv);
    return a;
}

// A viewer run in a real window on the test's X display.
class LiveViewer {
public:
    explicit LiveViewer(const app::LaunchOptions& launch = {}) {
        app();
        win::setWindowSystem(&ws_);
        win::messageQueue().clear();
        application_ = std::make_unique<app::Application>("terranox /t", launch);
        created_ = application_->create() == 0;
        app::appClock(app::ClockCommand::Start);
        application_->createEnvironmentForTest();
        window_ = ws_.host(application_->mainWindow());
        exposed_ = window_ && QTest::qWaitForWindowExposed(window_, 5000);
    }
    ~LiveViewer() {
        application_.reset();
        win::setWindowSystem(nullptr);
    }
    bool ready() const { return created_ && exposed_; }
    app::Application& application() { return *application_; }
    win::HostWindow* window() { return window_; }
    void post(uint32_t command) {
        win::messageQueue().post({application_->mainWindow(), win::kWmCommand, command, 0});
    }
    // Runs loop passes, letting Qt deliver its events between them.
    void run(int passes) {
        for (int i = 0; i < passes; ++i) {
            application_->loopOnce();
            QTest::qWait(5);
        }
    }

private:
    test::TestHome home_;
    win::QtWindowSystem ws_;
    std::unique_ptr<app::Application> application_;
    win::HostWindow* window_ = nullptr;
    bool created_ = false, exposed_ = false;
};

TEST(ShellGui, ViewerOpensWindowTitledTerranoxAndEscapeEndsIt) {
    LiveViewer v;
    ASSERT_TRUE(v.ready());
    EXPECT_EQ(v.window()->title(), "Terranox");
    v.run(5);
    QTest::keyClick(v.window(), Qt::Key_Escape);
    int passes = 0;
    while (passes < 500 && v.application().loopOnce()) ++passes;
    EXPECT_LT(passes, 500) << "Escape did not end the viewer";
}

TEST(ShellGui, SnapshotWritesPngOfRequestedSize) {
    test::TestHome home;
    const char* dir = std::getenv("TERRANOX_APP_DIR");
    ASSERT_NE(dir, nullptr);
    std::string out = (home.path() / "snap.png").string();
    std::string cmd = std::string(dir) + "/terranox /t --snapshot " + out + " --size 320x200";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    QImage img(QString::fromStdString(out));
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.width(), 320);
    EXPECT_EQ(img.height(), 200);
    // A snapshot run leaves no settings files behind.
    EXPECT_FALSE(std::filesystem::exists(home.file("pref.ini")));
    EXPECT_FALSE(std::filesystem::exists(home.file("3dvis.ini")));
}

TEST(ShellGui, BadOptionsAreRefusedWithAMessage) {
    const char* dir = std::getenv("TERRANOX_APP_DIR");
    ASSERT_NE(dir, nullptr);
    std::string cmd = std::string(dir) + "/terranox /t --size 0x0 2>/dev/null";
    int rc = std::system(cmd.c_str());
    EXPECT_NE(rc, 0);
}

}  // namespace

namespace {

TEST(ShellGui, ErrorBoxIsDrawnFramedOnBlack) {
    app();
    win::Rect box{170, 165, 470, 315};
    QImage shot = win::QtWindowSystem::errorBoxImage(640, 480, box, "Could not create the Direct3D device.");
    if (const char* keep = std::getenv("TERRANOX_KEEP_SHOTS")) shot.save(QString(keep) + "/error_box.png");
    EXPECT_EQ(shot.pixelColor(20, 20), QColor(Qt::black));
    QColor inside = shot.pixelColor(box.left + 10, box.top + 10);
    EXPECT_GT(inside.lightness(), 150) << "the box has the window colour";
    EXPECT_EQ(shot.pixelColor(box.left, box.top + 50), QColor(Qt::black)) << "black frame";
    // Some text is drawn in the middle rows of the box.
    int dark = 0;
    for (int x = box.left + 10; x < box.right - 10; ++x)
        for (int y = box.top + 60; y < box.top + 90; ++y)
            if (shot.pixelColor(x, y).lightness() < 100) ++dark;
    EXPECT_GT(dark, 20);
    // Painted into a shown window, the picture appears the right way up: a
    // box near the top, black around it.
    win::QtWindowSystem ws;
    win::WindowRequest request;
    request.title = "error box";
    request.rect = {0, 0, 640, 480};
    request.style = win::kWsPopup;
    win::WindowId id = ws.createWindow(request);
    win::HostWindow* w = ws.host(id);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w, 5000));
    ws.paintErrorBox(id, {20, 30, 320, 180}, "Could not create the Direct3D device.");
    auto grab = [w] { return w->screen()->grabWindow(0, 0, 0, 640, 480).toImage(); };
    QImage seen = grab();
    for (int i = 0; i < 50 && seen.pixelColor(30, 40).lightness() < 150; ++i) {
        QTest::qWait(20);
        seen = grab();
    }
    EXPECT_GT(seen.pixelColor(30, 40).lightness(), 150) << "the box";
    EXPECT_EQ(seen.pixelColor(20, 100), QColor(Qt::black)) << "its frame";
    EXPECT_EQ(seen.pixelColor(30, 400), QColor(Qt::black)) << "below it";
    EXPECT_EQ(seen.pixelColor(500, 40), QColor(Qt::black)) << "beside it";
    ws.destroyWindow(id);
}

}  // namespace

namespace {

TEST(ShellGui, WindowedCommandResizesTheWindowAndItsDevice) {
    LiveViewer v;
    ASSERT_TRUE(v.ready());
    app::Application& a = v.application();
    EXPECT_EQ(a.renderUnits()[0].params.backBufferWidth, 1280u);
    v.post(app::kCmdWindowed);
    v.run(40);
    EXPECT_EQ(app::windowOptions()->mode(), app::kWindowed);
    EXPECT_EQ(v.window()->width(), 800);
    EXPECT_EQ(v.window()->height(), 600);
    EXPECT_EQ(a.renderUnits()[0].params.backBufferWidth, uint32_t(v.window()->width()));
    EXPECT_EQ(a.renderUnits()[0].device->viewport().height, uint32_t(v.window()->height()));
    EXPECT_FALSE(a.inErrorState());
}

}  // namespace

namespace {

TEST(ShellGui, TransparentModeShapesTheWindowToTheGlobe) {
    app::LaunchOptions launch;
    launch.lookAt = app::LookAt{0, 0, 20000};
    LiveViewer v(launch);
    ASSERT_TRUE(v.ready());
    win::HostWindow* w = v.window();
    EXPECT_TRUE(w->mask().isEmpty());
    v.post(app::kCmdTransparent);
    v.run(60);
    EXPECT_EQ(app::windowOptions()->mode(), app::kTransparent);
    QRect shape = w->mask().boundingRect();
    ASSERT_FALSE(shape.isEmpty()) << "no window shape";
    // A disc around the window's centre, narrower than the window.
    EXPECT_NEAR(shape.width(), shape.height(), 4);
    EXPECT_LT(shape.width(), w->width());
    EXPECT_NEAR(shape.center().x(), w->width() / 2, 4);
    EXPECT_NEAR(shape.center().y(), w->height() / 2, 4);
    EXPECT_TRUE(w->mask().contains(QPoint(w->width() / 2, w->height() / 2)));
    EXPECT_FALSE(w->mask().contains(QPoint(2, 2)));
}

}  // namespace

namespace {

// The floating status shows over the globe only: not with the pointer
// outside the window, nor while a dialog of ours is open. Options, as the
// menu opens it, reaches its switch and its colours.
TEST(ShellGui, TheFloatingStatusKeepsToTheGlobeAndOptionsReachesIt) {
    LiveViewer v;
    ASSERT_TRUE(v.ready());
    v.post(app::kCmdWindowed);
    v.run(40);
    win::HostWindow* w = v.window();
    auto statusAt = [&](QPoint client) {
        QCursor::setPos(w->mapToGlobal(client));
        v.run(15);
        return app::floatingStatus()->shown();
    };
    const QPoint centre(w->width() / 2, w->height() / 2);
    ASSERT_TRUE(statusAt(centre)) << "no status over the globe";
    EXPECT_FALSE(statusAt(QPoint(w->width() + 40, centre.y())));
    ASSERT_TRUE(statusAt(centre + QPoint(3, 3)));
    v.post(40024);
    v.run(5);
    QWidget* d = settings::OptionsDialog::current();
    ASSERT_NE(d, nullptr);
    EXPECT_FALSE(statusAt(centre + QPoint(6, 6)));
    auto* status = d->findChild<QCheckBox*>(QString::number(settings::OptionsDialog::kFloatingStatus));
    auto* colours = d->findChild<QPushButton*>(QString::number(settings::OptionsDialog::kStatusColours));
    ASSERT_TRUE(status && colours && colours->isEnabled() && status->isEnabled() && status->isChecked());
    QString opened;
    QTimer::singleShot(0, [&opened] {
        if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            opened = modal->objectName();
            modal->accept();
        }
    });
    colours->click();
    EXPECT_EQ(opened, "158");
    status->setChecked(false);
    v.run(3);
    EXPECT_FALSE(app::floatingStatus()->enabled());
    status->setChecked(true);
    settings::OptionsDialog::close();
    EXPECT_TRUE(statusAt(centre + QPoint(9, 9)));
}

}  // namespace
