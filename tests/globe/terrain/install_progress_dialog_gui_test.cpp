// The installer's progress dialog: texts, the hidden OK button, closing
// itself about five seconds after the job ends.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "globe/terrain/install_progress_dialog.h"
#include "globe/terrain/tile_file.h"
#include "support/test_home.h"

namespace tnx::globe {
namespace {

class InstallProgressDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "install_progress_dialog_gui_test";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
    }
    test::TestHome home;
};

void waitFinished(const TileInstaller& job) {
    for (int i = 0; i < 2000 && !job.finished(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

TEST_F(InstallProgressDialogTest, ShowsSuccessThenClosesAfterFiveSeconds) {
    InstallProgressDialog dialog(home.file("globe11c.tem"));  // missing: the job ends at once
    EXPECT_EQ(dialog.objectName(), "161");
    EXPECT_EQ(dialog.windowTitle(), "Install Globe Topography");
    auto* text = dialog.findChild<QLabel*>("1102");
    auto* ok = dialog.findChild<QPushButton*>("1");
    ASSERT_NE(text, nullptr);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(text->text(), "This may take a few minutes, please wait");
    EXPECT_TRUE(ok->isHidden());
    waitFinished(dialog.installer());
    dialog.show();
    dialog.tick();
    EXPECT_EQ(text->text(), "Installed successfully");
    EXPECT_FALSE(ok->isHidden());
    // 20 ms per tick: still open at 5000 ms counted, closed once past 4999.
    for (int i = 1; i < 249; ++i) dialog.tick();
    EXPECT_EQ(dialog.elapsedMs(), 4980);
    EXPECT_TRUE(dialog.isVisible());
    dialog.tick();
    EXPECT_EQ(dialog.elapsedMs(), 5000);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(InstallProgressDialogTest, UnknownExtensionHasNoTitleAndStillSucceeds) {
    InstallProgressDialog dialog(home.file("notes.txt"));
    EXPECT_EQ(dialog.windowTitle(), "");
    waitFinished(dialog.installer());
    dialog.tick();
    EXPECT_EQ(dialog.findChild<QLabel*>("1102")->text(), "Installed successfully");
}

TEST_F(InstallProgressDialogTest, RealTimerClosesTheModalDialog) {
    // The whole flow through exec(): the 20 ms timer drives it to the end.
    InstallProgressDialog dialog(home.file("globetex11j90.tex"));
    EXPECT_EQ(dialog.windowTitle(), "Install Globe Texture");
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_GT(dialog.elapsedMs(), 4999);
}

}  // namespace
}  // namespace tnx::globe
