// "/c": the screen saver's settings, with the way to the display settings
// and Config Globe; OK writes "Terranox.ini", Cancel writes nothing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "app/application.h"
#include "platform/io/file_io.h"
#include "platform/win/headless_window_system.h"
#include "platform/win/message_queue.h"
#include "settings/configuration.h"
#include "support/test_home.h"

using namespace tnx;

// The shipped defaults live in the program's resources (outside any
// namespace, as the resource initialiser must be named).
static void initResources() { Q_INIT_RESOURCE(resources); }

namespace {

QApplication* qapp() {
    static int argc = 1;
    static char name[] = "config_mode_gui_test";
    static char* argv[] = {name, nullptr};
    static QApplication* a = new QApplication(argc, argv);
    return a;
}

void whenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
        QWidget* w = QApplication::activeModalWidget();
        ASSERT_NE(w, nullptr);
        act(w);
    });
}

QPushButton* button(QWidget* w, int id) { return w->findChild<QPushButton*>(QString::number(id)); }

TEST(ConfigMode, SlashCShowsTheSaverSettingsAndOnlyOkWritesTheConfiguration) {
    qapp();
    test::TestHome home;
    win::HeadlessWindowSystem ws;
    win::setWindowSystem(&ws);
    win::messageQueue().clear();
    initResources();
    {
        app::Application app("terranox /c", {});
        ASSERT_EQ(app.create(), 0);
        std::vector<QString> seen;
        whenModal([&](QWidget* saver) {
            seen.push_back(saver->objectName());
            // Display Settings and Config Globe open over it; the player's
            // settings are not there yet.
            EXPECT_FALSE(button(saver, 1046)->isEnabled());
            whenModal([&](QWidget* display) {
                seen.push_back(display->objectName());
                button(display, 2)->click();
            });
            button(saver, 1045)->click();
            whenModal([&](QWidget* globe) {
                seen.push_back(globe->objectName());
                globe->findChild<QSlider*>("1052")->setValue(12);
                button(globe, 1)->click();
            });
            button(saver, 1047)->click();
            button(saver, 2)->click();
        });
        EXPECT_EQ(app.run(), 0);
        EXPECT_EQ(seen, (std::vector<QString>{"152", "200", "143"}));
        EXPECT_FALSE(std::filesystem::exists(home.file("Terranox.ini")));

        whenModal([](QWidget* saver) {
            saver->findChild<QSlider*>("1040")->setValue(64);
            button(saver, 1)->click();
        });
        EXPECT_EQ(app.run(), 0);
    }
    settings::Configuration written;
    written.load();
    EXPECT_FALSE(written.damaged());
    EXPECT_EQ(written.globe().live().cameraSpeed, 64);
    // The shipped themes went along.
    EXPECT_GE(written.globe().themeCount(), 4);
    win::setWindowSystem(nullptr);
}

}  // namespace
