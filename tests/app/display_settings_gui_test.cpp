// The Display Settings dialog: its controls, and OK versus Cancel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <set>

#include "platform/registry/registry.h"

#include "app/application.h"
#include "app/display_settings_dialog.h"
#include "platform/win/headless_window_system.h"
#include "platform/win/message_queue.h"
#include "support/test_home.h"

using namespace tnx;
using namespace tnx::app;

namespace {

QApplication* qapp() {
    static int argc = 1;
    static char name[] = "display_settings_gui_test";
    static char* argv[] = {name, nullptr};
    static QApplication* a = new QApplication(argc, argv);
    return a;
}

template <typename T>
T* control(QWidget* dialog, int id) {
    return dialog->findChild<T*>(QString::number(id));
}

class DisplaySettings : public ::testing::Test {
protected:
    void SetUp() override {
        qapp();
        win::setWindowSystem(&ws_);
        win::messageQueue().clear();
    }
    void TearDown() override { win::setWindowSystem(nullptr); }
    test::TestHome home_;
    win::HeadlessWindowSystem ws_;
};

TEST_F(DisplaySettings, ShowsAdapterModesAndHardwareChoice) {
    Application app("terranox /c", {});
    ASSERT_EQ(app.create(), 0);
    std::unique_ptr<QWidget> d(DisplaySettingsDialog::build(app, 0));
    EXPECT_EQ(d->objectName(), "200");
    EXPECT_EQ(d->windowTitle(), "Display Settings");
    ASSERT_NE(control<QLabel>(d.get(), 2002), nullptr);
    EXPECT_EQ(control<QLabel>(d.get(), 2003)->text(), "The application can use hardware 3D rendering on this monitor.");
    auto* modes = control<QComboBox>(d.get(), 2011);
    ASSERT_NE(modes, nullptr);
    EXPECT_EQ(modes->itemText(0), "Automatic");
    EXPECT_EQ(modes->currentIndex(), 0);
    // 1280 x 1024 scaled: 640x512, 853x682, 960x768, 1280x1024, each in 32 and 16 bits.
    EXPECT_EQ(modes->count(), 1 + 8);
    EXPECT_EQ(modes->itemText(modes->count() - 2), "1280 by 1024, 32 bit color");
    EXPECT_EQ(modes->itemText(modes->count() - 1), "1280 by 1024, 16 bit color");
    auto* disable = control<QCheckBox>(d.get(), 2005);
    ASSERT_NE(disable, nullptr);
    EXPECT_TRUE(disable->isEnabled());
    disable->setChecked(true);
    EXPECT_TRUE(app.adapters()[0].settings.disableHardware);
    EXPECT_EQ(control<QLabel>(d.get(), 2003)->text(), "The application can use software 3D rendering on this monitor.");
    modes->setCurrentIndex(modes->count() - 2);
    EXPECT_EQ(app.adapters()[0].settings.width, 1280u);
    EXPECT_EQ(app.adapters()[0].settings.format, uint32_t(gfx::Format::X8R8G8B8));
    modes->setCurrentIndex(0);
    EXPECT_EQ(app.adapters()[0].settings.width, 0u);
    for (int id : {1, 2, 2004}) EXPECT_NE(control<QPushButton>(d.get(), id), nullptr) << id;
}

TEST_F(DisplaySettings, CancelRestoresAndOkWritesTheRegistry) {
    Application app("terranox /c", {});
    ASSERT_EQ(app.create(), 0);
    auto answer = [](bool ok) {
        QTimer::singleShot(50, [ok] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->objectName() != "200" || !w->isVisible()) continue;
                control<QCheckBox>(w, 2005)->setChecked(true);
                control<QPushButton>(w, ok ? 1 : 2)->click();
            }
        });
    };
    answer(false);
    EXPECT_FALSE(DisplaySettingsDialog::run(0, app));
    EXPECT_FALSE(app.adapters()[0].settings.disableHardware);
    answer(true);
    EXPECT_TRUE(DisplaySettingsDialog::run(0, app));
    EXPECT_TRUE(readScreenSettings(1, app.adapters()[0].info.identifier).disableHardware);
}

TEST(DisplayHelp, EveryCaseHasItsOwnText) {
    std::set<int> ids;
    for (int hw = 0; hw < 2; ++hw)
        for (int off = 0; off < 2; ++off)
            for (int hwr = 0; hwr < 2; ++hwr)
                for (int swr = 0; swr < 2; ++swr) ids.insert(displayHelpStringId(hw, off, hwr, swr));
    EXPECT_EQ(ids.size(), 10u);
    for (int id = 2200; id <= 2209; ++id) {
        EXPECT_TRUE(ids.count(id));
        EXPECT_FALSE(displayHelpString(id).empty());
    }
    EXPECT_EQ(modeText(800, 600, 16), "800 by 600, 16 bit color");
}

TEST(AppOptionsRecord, WrongSizeOrTypeKeepsTheDefaults) {
    test::TestHome home;
    AppOptions o;
    EXPECT_FALSE(o.fromBytes(std::vector<uint8_t>(19)));
    EXPECT_FALSE(o.fromBytes(std::vector<uint8_t>(21)));
    registry::setDword(registry::kProductKey, "Options", 5);
    o.read();
    EXPECT_EQ(o.dithering, 1);
    EXPECT_FLOAT_EQ(o.reserved0, 60.0f);
    AppOptions w;
    w.backgroundColor = 0x00112233;
    w.dithering = 0;
    ASSERT_TRUE(w.write());
    AppOptions r;
    r.read();
    EXPECT_EQ(r.backgroundColor, 0x00112233u);
    EXPECT_EQ(r.dithering, 0);
    auto bg = r.backgroundFloats();
    EXPECT_FLOAT_EQ(bg[0], 0x33 / 255.0f);  // red from the low byte
    EXPECT_FLOAT_EQ(bg[2], 0x11 / 255.0f);
}

}  // namespace
