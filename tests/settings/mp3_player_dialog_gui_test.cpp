// The Mp3player dialog as a user drives it: a folder added and chosen, a
// list button on the list being edited, a maximum that is no number, then
// OK reading the maximum, the mode and the check boxes.
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

TEST(Mp3PlayerDialog, AFolderAddedAndChosenIsWhatOkStores) {
    if (!std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int argc = 1;
    char name[] = "mp3_player_dialog_gui_test";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    test::TestHome home;
    Configuration config;
    MusicConfiguration& m = config.music();
    m.fileList = {"/m/one.mp3", "/m/two.mp3", "/m/three.mp3"};
    m.playMode = kPlayModeFileList;
    const std::string folder = (home.path() / "Musik \xC3\xA4").string();

    std::unique_ptr<QWidget> d(D::build(config));
    EXPECT_EQ(d->windowTitle(), "Mp3player");
    auto* mode = control<QComboBox>(d.get(), D::kPlayMode);
    ASSERT_EQ(mode->count(), kPlayModeCount);
    EXPECT_EQ(mode->currentIndex(), kPlayModeFileList);
    auto* files = control<QListWidget>(d.get(), D::kFileList);
    auto* dirs = control<QListWidget>(d.get(), D::kDirectoryList);

    // The last file to the top, renumbered and still selected, while the
    // directory list cannot be touched.
    control<QRadioButton>(d.get(), D::kEditFiles)->click();
    EXPECT_FALSE(dirs->isEnabled());
    files->item(2)->setSelected(true);
    control<QPushButton>(d.get(), D::kTop)->click();
    EXPECT_EQ(files->item(0)->text(), "  1  /m/three.mp3");
    EXPECT_TRUE(files->item(0)->isSelected());

    // A folder comes in as the folder chooser hands it over, and is chosen.
    control<QRadioButton>(d.get(), D::kEditDirectories)->click();
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
    QTimer::singleShot(0, [] {
        if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) box->accept();
    });
    d->show();
    control<QPushButton>(d.get(), 1)->click();
    EXPECT_TRUE(d->isVisible());  // refused: no number
    EXPECT_FALSE(m.enabled);
    max->setText("1500");
    control<QPushButton>(d.get(), 1)->click();
    EXPECT_EQ(static_cast<QDialog*>(d.get())->result(), QDialog::Accepted);

    EXPECT_TRUE(m.enabled && m.spectrumShown && !m.randomizeOnStart);
    EXPECT_EQ(m.maxFiles, 999);
    EXPECT_EQ(m.playMode, kPlayModeSelectedDirectories);
    EXPECT_EQ(m.fileList[0], "/m/three.mp3");
    EXPECT_EQ(m.directoryList, std::vector<std::string>{folder});
    EXPECT_EQ(m.selectedDirectories[0], 0);
    EXPECT_EQ(m.selectedDirectories[1], -1);
}

}  // namespace
}  // namespace tnx::settings
