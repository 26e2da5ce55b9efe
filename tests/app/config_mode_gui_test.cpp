// "/c": the screen saver's settings, with the way to the display settings,
// the player's settings and Config Globe; OK writes "Terranox.ini", Cancel
// writes nothing and gives back what the dialogs behind it changed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
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
            // Display Settings, the player's settings and Config Globe open
            // over it.
            whenModal([&](QWidget* player) {
                seen.push_back(player->objectName());
                player->findChild<QCheckBox*>("1100")->setChecked(true);
                button(player, 1)->click();
            });
            button(saver, 1046)->click();
            EXPECT_TRUE(settings::configuration().music().enabled);
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
        EXPECT_EQ(seen, (std::vector<QString>{"152", "153", "200", "143"}));
        EXPECT_FALSE(std::filesystem::exists(home.file("Terranox.ini")));
        EXPECT_FALSE(settings::configuration().music().enabled);

        whenModal([](QWidget* saver) {
            saver->findChild<QSlider*>("1040")->setValue(64);
            whenModal([](QWidget* player) {
                player->findChild<QLineEdit*>("1103")->setText("5");
                button(player, 1)->click();
            });
            button(saver, 1046)->click();
            button(saver, 1)->click();
        });
        EXPECT_EQ(app.run(), 0);
    }
    settings::Configuration written;
    written.load();
    EXPECT_FALSE(written.damaged());
    EXPECT_EQ(written.globe().live().cameraSpeed, 64);
    EXPECT_EQ(written.music().maxFiles, 5);
    // The shipped themes went along.
    EXPECT_GE(written.globe().themeCount(), 4);
    win::setWindowSystem(nullptr);
}

}  // namespace
