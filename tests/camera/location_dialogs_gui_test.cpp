// The Save Location and Delete Location dialogs, driven through their controls.
#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>

#include "camera/delete_location_dialog.h"
#include "camera/save_location_dialog.h"
#include "camera/saved_locations.h"

namespace tnx::camera {
namespace {

class LocationDialogsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "location_dialogs_gui_test";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) app_ = new QApplication(argc, argv);
    }
    static inline QApplication* app_ = nullptr;
};

// The dialog being run (its own event loop is spinning when timers fire).
QDialog* runningDialog() {
    if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) return d;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible()) return d;
    return nullptr;
}

SavedLocations threeEntries() {
    SavedLocations list;
    for (const char* n : {"Alps", "Nile", "Andes"}) list.saveAs(n, 0, {100, 0, 0}, {-1, 0, 0}, {0, 1, 0});
    return list;
}

TEST_F(LocationDialogsTest, SaveLocationReturnsTheEnteredName) {
    SaveLocationDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "Save Location");
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
    auto* edit = dialog.findChild<QLineEdit*>("1082");
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->text().isEmpty());
    ASSERT_NE(dialog.findChild<QPushButton*>("1"), nullptr);
    ASSERT_NE(dialog.findChild<QPushButton*>("2"), nullptr);
    edit->setText(QString(70, QLatin1Char('x')));  // longer than an entry holds
    EXPECT_EQ(dialog.name(), std::string(55, 'x'));
}

TEST_F(LocationDialogsTest, RunGivesOkAndCancel) {
    std::string name;
    QTimer::singleShot(0, [] {
        QDialog* d = runningDialog();
        ASSERT_NE(d, nullptr);
        d->findChild<QLineEdit*>("1082")->setText("Everest");
        d->findChild<QPushButton*>("1")->click();
    });
    EXPECT_TRUE(SaveLocationDialog::run(nullptr, name));
    EXPECT_EQ(name, "Everest");

    std::string other = "kept";
    QTimer::singleShot(0, [] {
        QDialog* d = runningDialog();
        ASSERT_NE(d, nullptr);
        d->findChild<QLineEdit*>("1082")->setText("ignored");
        d->findChild<QPushButton*>("2")->click();
    });
    EXPECT_FALSE(SaveLocationDialog::run(nullptr, other));
    EXPECT_EQ(other, "kept");
}

TEST_F(LocationDialogsTest, DeleteLocationListsAndDeletesTheSelection) {
    SavedLocations list = threeEntries();
    DeleteLocationDialog dialog(list);
    EXPECT_EQ(dialog.windowTitle(), "Delete Location");
    auto* box = dialog.findChild<QListWidget*>("1085");
    auto* remove = dialog.findChild<QPushButton*>("1086");
    ASSERT_NE(box, nullptr);
    ASSERT_NE(remove, nullptr);
    ASSERT_NE(dialog.findChild<QPushButton*>("2"), nullptr);
    ASSERT_EQ(box->count(), 3);
    EXPECT_EQ(box->item(0)->text(), "  1  Alps");
    EXPECT_EQ(box->item(2)->text(), "  3  Andes");

    // Without a selection nothing happens.
    box->clearSelection();
    remove->click();
    EXPECT_EQ(list.count(), 3u);

    box->setCurrentRow(1);
    remove->click();
    ASSERT_EQ(list.count(), 2u);
    EXPECT_EQ(list.at(1).name, "Andes");
    ASSERT_EQ(box->count(), 2);
    EXPECT_EQ(box->item(1)->text(), "  2  Andes");

    box->setCurrentRow(0);
    remove->click();
    box->setCurrentRow(0);
    remove->click();
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(box->count(), 0);
    remove->click();  // nothing left to delete
    EXPECT_TRUE(list.empty());
}

TEST_F(LocationDialogsTest, DeleteRunEndsOnClose) {
    SavedLocations list = threeEntries();
    QTimer::singleShot(0, [] {
        QDialog* d = runningDialog();
        ASSERT_NE(d, nullptr);
        d->findChild<QListWidget*>("1085")->setCurrentRow(0);
        d->findChild<QPushButton*>("1086")->click();
        d->findChild<QPushButton*>("2")->click();
    });
    DeleteLocationDialog::run(nullptr, list);
    ASSERT_EQ(list.count(), 2u);
    EXPECT_EQ(list.at(0).name, "Nile");
}

}  // namespace
}  // namespace tnx::camera
