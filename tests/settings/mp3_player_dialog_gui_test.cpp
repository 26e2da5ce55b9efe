// The Mp3player dialog as a user drives it: its controls, a folder added
// and chosen, the list buttons on the list being edited, OK reading the
// maximum, the mode and the choices, and a maximum that is no number.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

#include "settings/configuration.h"
#include "settings/mp3_player_dialog.h"
#include "settings/music_list_editor.h"
#include "support/test_home.h"

namespace tnx::settings {
namespace {

using D = Mp3PlayerDialog;

template <typename T>
T* control(QWidget* dialog, int id) {
    T* c = dialog->findChild<T*>(QString::number(id));
    EXPECT_NE(c, nullptr) << id;
    return c;
}

void whenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
        QWidget* w = QApplication::activeModalWidget();
        ASSERT_NE(w, nullptr);
        act(w);
    });
}

class Mp3Dialog : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "mp3_player_dialog_gui_test";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
    }
    test::TestHome home_;
    Configuration config_;
};

TEST_F(Mp3Dialog, AFolderAddedAndChosenIsWhatOkStores) {
    MusicConfiguration& m = config_.music();
    m.fileList = {"/m/one.mp3", "/m/two.mp3", "/m/three.mp3"};
    m.playMode = kPlayModeFileList;
    const std::string folder = (home_.path() / "Musik \xC3\xA4").string();
    std::filesystem::create_directory(folder);

    std::unique_ptr<QWidget> d(D::build(config_));
    EXPECT_EQ(d->objectName(), "153");
    EXPECT_EQ(d->windowTitle(), "Mp3player");
    EXPECT_EQ(control<QCheckBox>(d.get(), D::kEnable)->text(), "Enable Mp3 player");
    EXPECT_EQ(control<QRadioButton>(d.get(), D::kEditFiles)->text(), "EDIT File list");
    for (int id = D::kTop; id <= D::kAddDirectory; ++id) control<QPushButton>(d.get(), id);
    auto* mode = control<QComboBox>(d.get(), D::kPlayMode);
    ASSERT_EQ(mode->count(), kPlayModeCount);
    EXPECT_EQ(mode->itemText(8), "Pick from all files randomly");
    EXPECT_EQ(mode->currentIndex(), kPlayModeFileList);
    auto* files = control<QListWidget>(d.get(), D::kFileList);
    auto* dirs = control<QListWidget>(d.get(), D::kDirectoryList);
    ASSERT_EQ(files->count(), 3);
    EXPECT_EQ(files->item(2)->text(), "  3  /m/three.mp3");

    // The file list: the last entry to the top, renumbered, still selected;
    // the directory list cannot be touched meanwhile.
    control<QRadioButton>(d.get(), D::kEditFiles)->click();
    EXPECT_FALSE(dirs->isEnabled());
    files->item(2)->setSelected(true);
    control<QPushButton>(d.get(), D::kTop)->click();
    EXPECT_EQ(files->item(0)->text(), "  1  /m/three.mp3");
    EXPECT_TRUE(files->item(0)->isSelected());
    EXPECT_EQ(m.fileList[0], "/m/three.mp3");

    // A folder comes in as the directory chooser hands it over.
    control<QRadioButton>(d.get(), D::kEditDirectories)->click();
    EXPECT_TRUE(dirs->isEnabled());
    EXPECT_FALSE(files->isEnabled());
    ASSERT_TRUE(D::editor(d.get()).addDirectory(folder));
    D::refresh(d.get());
    ASSERT_EQ(dirs->count(), 1);
    EXPECT_EQ(dirs->item(0)->text(), QString::fromUtf8("  1  " + folder));
    dirs->item(0)->setSelected(true);

    control<QCheckBox>(d.get(), D::kEnable)->setChecked(true);
    control<QCheckBox>(d.get(), D::kRandomize)->setChecked(false);
    mode->setCurrentIndex(kPlayModeSelectedDirectories);
    auto* max = control<QLineEdit>(d.get(), D::kMaxFiles);
    max->setText("abc");
    whenModal([](QWidget* box) { static_cast<QDialog*>(box)->accept(); });
    d->show();
    control<QPushButton>(d.get(), 1)->click();
    EXPECT_TRUE(d->isVisible());  // refused: no number
    EXPECT_FALSE(m.enabled);
    max->setText("1500");
    control<QPushButton>(d.get(), 1)->click();
    EXPECT_EQ(static_cast<QDialog*>(d.get())->result(), QDialog::Accepted);

    EXPECT_TRUE(m.enabled);
    EXPECT_FALSE(m.randomizeOnStart);
    EXPECT_TRUE(m.spectrumShown);
    EXPECT_EQ(m.maxFiles, 999);
    EXPECT_EQ(max->text(), "999");
    EXPECT_EQ(m.playMode, kPlayModeSelectedDirectories);
    EXPECT_EQ(m.directoryList, std::vector<std::string>{folder});
    EXPECT_EQ(m.selectedDirectories[0], 0);
    EXPECT_EQ(m.selectedDirectories[1], -1);

    // Saved and read back, the player gets the same.
    ASSERT_TRUE(config_.save());
    Configuration again;
    again.load();
    EXPECT_EQ(again.music().directoryList, m.directoryList);
    EXPECT_EQ(again.music().fileList[0], "/m/three.mp3");
    EXPECT_EQ(again.music().maxFiles, 999);
}

TEST_F(Mp3Dialog, CancelKeepsTheListsButNotTheChoices) {
    MusicConfiguration& m = config_.music();
    m.directoryList = {"/a", "/b"};
    m.selectedDirectories[0] = 1;
    std::unique_ptr<QWidget> d(D::build(config_));
    control<QRadioButton>(d.get(), D::kEditDirectories)->click();
    auto* dirs = control<QListWidget>(d.get(), D::kDirectoryList);
    EXPECT_FALSE(dirs->item(0)->isSelected());
    EXPECT_TRUE(dirs->item(1)->isSelected());
    dirs->item(0)->setSelected(true);
    control<QPushButton>(d.get(), D::kBottom)->click();  // "/a" and "/b" keep their order
    dirs->item(0)->setSelected(false);
    control<QPushButton>(d.get(), D::kUp)->click();  // "/b" above "/a"
    dirs->item(1)->setSelected(true);                // "/a", chosen but not taken
    control<QCheckBox>(d.get(), D::kEnable)->setChecked(true);
    control<QPushButton>(d.get(), 2)->click();
    EXPECT_EQ(static_cast<QDialog*>(d.get())->result(), QDialog::Rejected);
    EXPECT_FALSE(m.enabled);
    EXPECT_EQ(m.directoryList, (std::vector<std::string>{"/b", "/a"}));
    EXPECT_EQ(m.selectedDirectories[0], 0);  // still "/b"
    EXPECT_EQ(m.selectedDirectories[1], -1);
}

}  // namespace
}  // namespace tnx::settings
