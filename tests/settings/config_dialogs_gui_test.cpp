// The configuration dialogs as a user drives them: Config Globe with its
// live preview, themes and colour chooser; Config Name; the screen saver's
// settings; Options.
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "platform/io/file_io.h"
#include "platform/win/colour_button.h"
#include "platform/win/message_queue.h"
#include "settings/config_globe_dialog.h"
#include "settings/option_block.h"
#include "settings/imagery_options_dialog.h"
#include "settings/options_dialog.h"
#include "settings/screen_saver_settings_dialog.h"
#include "support/test_home.h"

namespace tnx::settings {
namespace {

class ConfigDialogs : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "config_dialogs_gui_test";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
    }
    void SetUp() override {
        GlobeConfiguration natural;
        natural.bandColors.fill(0x204060);
        config_.globe() = GlobeConfigRecord(natural);
        config_.globe().saveThemeAs("Natural");
        config_.globe().live().options = GlobeConfiguration::kShadeLand | GlobeConfiguration::kColorLand |
                                         GlobeConfiguration::kColorOcean;
        config_.globe().live().graticuleOpacity = 70;
        config_.globe().saveThemeAs("Relief Atlas");
        config_.globe().switchTheme(1);
    }
    void TearDown() override { OptionsDialog::close(); }

    ConfigGlobeDialog::Preview recorder() {
        return [this](const GlobeConfiguration& c) {
            shown_ = c;
            ++previews_;
        };
    }

    test::TestHome home_;
    Configuration config_;
    GlobeConfiguration shown_;
    int previews_ = 0;
};

template <typename T>
T* control(QWidget* dialog, int id) {
    T* c = dialog->findChild<T*>(QString::number(id));
    EXPECT_NE(c, nullptr) << id;
    return c;
}

// Runs `act` on the modal widget that opens next (its own loop spins then).
void whenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
        QWidget* w = QApplication::activeModalWidget();
        ASSERT_NE(w, nullptr);
        act(w);
    });
}

TEST_F(ConfigDialogs, ConfigGlobeShowsChangesAtOnceOkKeepsThemCancelRestores) {
    const GlobeConfiguration before = config_.globe().live();
    {
        ConfigGlobeDialog d(config_, recorder());
        EXPECT_EQ(d.objectName(), "143");
        EXPECT_EQ(d.windowTitle(), "Config Globe");
        for (int id = 1014; id <= 1033; ++id) EXPECT_NE(d.findChild<QWidget*>(QString::number(id)), nullptr) << id;
        auto* land = control<QSlider>(&d, 1052);
        EXPECT_EQ(previews_, 0);
        land->setValue(100);
        EXPECT_EQ(shown_.landOpacity, 100);  // on the globe while the dialog is open
        control<QCheckBox>(&d, 1033)->setChecked(true);
        EXPECT_TRUE(shown_.options & GlobeConfiguration::kShadeOcean);
        control<QPushButton>(&d, 1)->click();
        EXPECT_EQ(d.result(), QDialog::Accepted);
    }
    EXPECT_TRUE(config_.changed());
    EXPECT_EQ(config_.globe().live().landOpacity, 100);
    EXPECT_EQ(config_.globe().live().reservedOption, 0);

    ConfigGlobeDialog again(config_, recorder());
    EXPECT_EQ(control<QSlider>(&again, 1052)->value(), 100);
    EXPECT_TRUE(control<QCheckBox>(&again, 1033)->isChecked());
    control<QSlider>(&again, 1053)->setValue(7);
    // A band colour from the standard chooser.
    whenModal([](QWidget* w) {
        auto* chooser = qobject_cast<QColorDialog*>(w);
        ASSERT_NE(chooser, nullptr);
        EXPECT_EQ(chooser->currentColor(), QColor(0x60, 0x40, 0x20));
        chooser->setCurrentColor(QColor(1, 2, 3));
        chooser->accept();
    });
    control<QPushButton>(&again, 1015)->click();
    EXPECT_EQ(static_cast<platform::ColourButton*>(control<QPushButton>(&again, 1015))->colour(), 0x030201u);
    EXPECT_EQ(shown_.bandColors[0], 0x030201u);
    EXPECT_EQ(shown_.oceanOpacity, 7);
    control<QPushButton>(&again, 2)->click();
    EXPECT_EQ(config_.globe().live().oceanOpacity, before.oceanOpacity);
    EXPECT_EQ(config_.globe().live().bandColors[0], 0x204060u);
    EXPECT_EQ(shown_, config_.globe().live());  // the globe shows what was there
}

TEST_F(ConfigDialogs, ThemesSavedOrDeletedStayAndReachTheFileCancelGivesBackOnlyTheLook) {
    config_.globe().live().landOpacity = 99;  // a look of its own, live when the dialog opens
    const GlobeConfiguration opened = config_.globe().live();
    auto namesOnDisk = [] {
        Configuration disk;
        disk.load();
        std::string names;
        for (int i = 1; i < disk.globe().themeCount(); ++i) names += disk.globe().theme(i).name + ";";
        return names;
    };
    ConfigGlobeDialog d(config_, recorder());
    auto* themes = control<QComboBox>(&d, 1049);
    ASSERT_EQ(themes->count(), 3);
    EXPECT_EQ(themes->itemText(0), "random");
    EXPECT_EQ(themes->currentText(), "Natural");
    themes->setCurrentIndex(2);
    EXPECT_TRUE(shown_.options & GlobeConfiguration::kColorLand);
    EXPECT_TRUE(control<QCheckBox>(&d, 1066)->isChecked());
    EXPECT_EQ(control<QSlider>(&d, 1055)->value(), 70);

    // "Save as" offers "Config3"; an empty name is refused with a message.
    whenModal([](QWidget* name) {
        EXPECT_EQ(name->objectName(), "146");
        auto* edit = control<QLineEdit>(name, 1058);
        EXPECT_EQ(edit->text(), "Config3");
        edit->setText("  ");
        whenModal([](QWidget* box) {
            EXPECT_NE(qobject_cast<QMessageBox*>(box), nullptr);
            static_cast<QDialog*>(box)->accept();
        });
        control<QPushButton>(name, 1)->click();
        EXPECT_TRUE(name->isVisible());
        edit->setText("Mine");
        control<QPushButton>(name, 1)->click();
    });
    control<QPushButton>(&d, 1050)->click();
    ASSERT_EQ(themes->count(), 4);
    EXPECT_EQ(themes->currentText(), "Mine");
    EXPECT_EQ(config_.globe().theme(3).look.graticuleOpacity, 70);
    EXPECT_EQ(namesOnDisk(), "Natural;Relief Atlas;Mine;");

    control<QPushButton>(&d, 1051)->click();  // the last goes: the new last is current
    EXPECT_EQ(themes->currentText(), "Relief Atlas");
    control<QPushButton>(&d, 1051)->click();
    EXPECT_EQ(themes->count(), 2);
    EXPECT_EQ(namesOnDisk(), "Natural;");
    whenModal([](QWidget* name) { control<QPushButton>(name, 1)->click(); });
    control<QPushButton>(&d, 1050)->click();  // "Config2"
    config_.globe().setRandomSource([] { return 0; });
    themes->setCurrentIndex(0);  // "random": the draw 0 gives the first saved theme
    EXPECT_FALSE(control<QPushButton>(&d, 1051)->isEnabled());
    EXPECT_EQ(shown_.options, GlobeConfiguration::kShadeLand);
    EXPECT_FALSE(control<QCheckBox>(&d, 1066)->isChecked());

    control<QPushButton>(&d, 2)->click();
    EXPECT_EQ(config_.globe().live(), opened);
    EXPECT_EQ(shown_, opened);
    EXPECT_EQ(config_.globe().themeCount(), 3);
    EXPECT_EQ(config_.globe().theme(2).name, "Config2");
    EXPECT_EQ(namesOnDisk(), "Natural;Config2;");
    EXPECT_FALSE(config_.changed());
}

TEST_F(ConfigDialogs, SaverSettingsClampPointsRefuseNonNumbersAndOkWritesTheFile) {
    using S = ScreenSaverSettingsDialog;
    EXPECT_EQ(S::parsePoint(""), 1);
    EXPECT_EQ(S::parsePoint(" 42 "), 42);
    EXPECT_EQ(S::parsePoint("+7"), 7);
    EXPECT_EQ(S::parsePoint("0"), 1);
    EXPECT_EQ(S::parsePoint("-5"), 1);
    EXPECT_EQ(S::parsePoint("100000"), 99999);
    EXPECT_EQ(S::parsePoint("99999999999999999999999"), 99999);
    EXPECT_EQ(S::parsePoint("-99999999999999999999999"), 1);
    for (const char* bad : {"abc", "1e3", "12km", "+-3", "-"}) EXPECT_FALSE(S::parsePoint(bad)) << bad;

    int displayOpened = 0;
    S::Entries entries;
    entries.displaySettings = [&](QWidget*) { ++displayOpened; };
    whenModal([](QWidget* d) {
        EXPECT_EQ(d->objectName(), "152");
        EXPECT_EQ(d->windowTitle(), "Terranox 2.1");
        EXPECT_FALSE(control<QPushButton>(d, S::kMp3Settings)->isEnabled());
        control<QPushButton>(d, S::kDisplaySettings)->click();
        control<QSlider>(d, S::kSpeed)->setValue(55);
        control<QRadioButton>(d, S::kCam3)->setChecked(true);
        control<QLineEdit>(d, S::kNearPoint)->setText("-3");
        control<QLineEdit>(d, S::kFarPoint)->setText("far");
        whenModal([](QWidget* box) { static_cast<QDialog*>(box)->accept(); });
        control<QPushButton>(d, 1)->click();
        EXPECT_TRUE(d->isVisible());  // refused: the far point is no number
        control<QLineEdit>(d, S::kFarPoint)->setText("");
        control<QPushButton>(d, 1)->click();
    });
    ASSERT_TRUE(S::run(config_, entries));
    EXPECT_EQ(displayOpened, 1);
    const GlobeConfiguration& c = config_.globe().live();
    EXPECT_EQ(c.cameraSpeed, 55);
    EXPECT_EQ(c.cameraProgram, 3);
    EXPECT_EQ(c.cameraNearKm, 1);
    EXPECT_EQ(c.cameraFarKm, 1);
    Configuration read;
    read.load();
    EXPECT_EQ(read.globe().live().cameraSpeed, 55);
    EXPECT_EQ(read.globe().themeCount(), 3);

    whenModal([](QWidget* d) {
        control<QSlider>(d, S::kSpeed)->setValue(5);
        control<QPushButton>(d, 2)->click();
    });
    EXPECT_FALSE(S::run(config_, entries));
    EXPECT_EQ(config_.globe().live().cameraSpeed, 55);
}

TEST_F(ConfigDialogs, OptionsStoreAtOnceAskTheWindowToRedrawAndRememberTheirPlace) {
    std::vector<uint32_t> sent;
    win::messageQueue().clear();
    win::messageQueue().setProcedure(7, [&](const win::Message& m) -> win::LParam {
        sent.push_back(uint32_t(m.wParam));
        return 0;
    });
    OptionBlock& o = optionBlock();
    o.set(OptionBlock::kRivers, 1);
    o.set(OptionBlock::kMetricUnits, 1);
    o.set(OptionBlock::kOptionsLeft, 5000);
    o.set(OptionBlock::kOptionsTop, 40);
    OptionsDialog::Hooks hooks;
    hooks.mainWindow = 7;
    hooks.preview = recorder();
    OptionsDialog::open(config_, hooks);
    QWidget* d = OptionsDialog::current();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->objectName(), "151");
    EXPECT_FALSE(d->isModal());
    // Kept on the screen: at most its width less 70.
    EXPECT_LE(d->frameGeometry().left(), d->screen()->geometry().width() - 70);
    EXPECT_FALSE(control<QCheckBox>(d, OptionsDialog::kFloatingStatus)->isEnabled());
    EXPECT_FALSE(control<QPushButton>(d, OptionsDialog::kStatusColours)->isEnabled());

    auto* rivers = control<QCheckBox>(d, OptionsDialog::kRivers);
    EXPECT_TRUE(rivers->isChecked());
    rivers->setChecked(false);
    EXPECT_EQ(o.get(OptionBlock::kRivers), 0);
    EXPECT_TRUE(sent.empty());  // posted
    EXPECT_EQ(win::messageQueue().size(), 1u);
    control<QCheckBox>(d, OptionsDialog::kDrawBoundary)->toggle();
    EXPECT_EQ(sent, std::vector<uint32_t>{40051});  // sent at once
    // Metric units go through the bar's command, which flips the unit.
    control<QCheckBox>(d, OptionsDialog::kMetricUnits)->setChecked(false);
    EXPECT_EQ(sent.back(), 1092u);
    control<QCheckBox>(d, OptionsDialog::kIdleInactive)->setChecked(true);
    EXPECT_EQ(o.get(OptionBlock::kIdleInactive), 1);

    control<QPushButton>(d, OptionsDialog::kConfigGlobe)->click();
    auto* globe = dynamic_cast<ConfigGlobeDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(globe, nullptr);
    control<QSlider>(globe, 1052)->setValue(33);
    EXPECT_EQ(shown_.landOpacity, 33);
    control<QPushButton>(globe, 1)->click();
    EXPECT_EQ(sent.back(), 40031u);  // Reset Globe: the scene takes the configuration

    d->move(120, 90);
    QApplication::processEvents();
    EXPECT_EQ(o.get(OptionBlock::kOptionsLeft), d->frameGeometry().left());
    EXPECT_EQ(o.get(OptionBlock::kOptionsTop), d->frameGeometry().top());
    control<QPushButton>(d, 1)->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(OptionsDialog::current(), nullptr);
    win::messageQueue().removeProcedure(7);
    win::messageQueue().clear();
}

TEST_F(ConfigDialogs, OptionsKeepTheImageryChoiceAndRefuseASourceThatCannotWork) {
    win::messageQueue().clear();
    OptionsDialog::Hooks hooks;
    hooks.mainWindow = 7;
    hooks.checkImagerySource = [](const std::string& t) {
        return t.find("{z}") == std::string::npos ? std::string("no tile numbers") : std::string();
    };
    OptionsDialog::open(config_, hooks);
    QWidget* d = OptionsDialog::current();
    using G = ImageryOptionsGroup;
    auto* layer = control<QComboBox>(d, G::kLayer);
    EXPECT_EQ(std::pair(layer->count(), layer->currentText()), std::pair(3, QString("Daily (yesterday's clouds)")));
    layer->setCurrentIndex(2);
    EXPECT_TRUE(config_.imagery().layer == ImageryLayer::Off && config_.changed());
    win::Message m;
    ASSERT_TRUE(win::messageQueue().take(m));
    EXPECT_EQ(m.wParam, 40095u);  // applied by the viewer, kept at its end

    auto* source = control<QLineEdit>(d, G::kSource);
    source->setText("http://h/a.jpg");
    Q_EMIT source->editingFinished();
    auto* error = control<QLabel>(d, G::kSourceError);
    EXPECT_TRUE(error->isVisibleTo(d) && error->text() == "no tile numbers" && config_.imagery().urlTemplate.empty());
    source->setText(" http://h/{z}/{x}/{y}.jpg ");
    Q_EMIT source->editingFinished();
    EXPECT_TRUE(!error->isVisibleTo(d) && config_.imagery().urlTemplate == "http://h/{z}/{x}/{y}.jpg");
    control<QSpinBox>(d, G::kCacheSize)->setValue(200);
    Q_EMIT control<QSpinBox>(d, G::kCacheSize)->editingFinished();
    EXPECT_EQ(config_.imagery().cacheMegabytes, 200);
    control<QCheckBox>(d, G::kSaverOnline)->setChecked(true);
    EXPECT_TRUE(config_.imagery().saverOnline && win::messageQueue().size() == 3u);
    win::messageQueue().clear();
}

}  // namespace
}  // namespace tnx::settings
