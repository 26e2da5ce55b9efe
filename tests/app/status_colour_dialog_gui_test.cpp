// The floating status window's colour dialog on a real display, and the
// program's icon.
#include <gtest/gtest.h>

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>

#include "app/floating_status.h"
#include "app/status_colour_dialog.h"
#include "platform/win/qt_window_system.h"

// Outside every namespace, where the resource initialiser is declared.
static void initResources() { Q_INIT_RESOURCE(resources); }

namespace tnx::app {
namespace {

QApplication* qapp() {
    static int argc = 1;
    static char name[] = "status_window_gui_test";
    static char* argv[] = {name, nullptr};
    static QApplication* a = new QApplication(argc, argv);
    return a;
}

void settle() {
    for (int i = 0; i < 10; ++i) QApplication::processEvents();
}

QColor fromColorRef(uint32_t c) { return QColor(int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF)); }

TEST(StatusColourDialog, AButtonChoosesItsColourAtOnceAndCancelKeepsIt) {
    qapp();
    FloatingStatus status;
    std::unique_ptr<QDialog> d(StatusColourDialog::build(status));
    EXPECT_EQ(d->objectName(), "158");
    for (int id = 1096; id <= 1101; ++id) EXPECT_NE(d->findChild<QPushButton*>(QString::number(id)), nullptr) << id;
    auto* cityBackground = d->findChild<QPushButton*>("1099");
    EXPECT_EQ(cityBackground->text(), "City Background Color");
    EXPECT_TRUE(cityBackground->styleSheet().contains(fromColorRef(0x0080FFFF).name()));
    d->show();
    settle();
    // The standard chooser opens with the current colour; pick another.
    bool sawCurrent = false;
    QTimer::singleShot(200, [&] {
        auto* chooser = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        if (!chooser) return;
        sawCurrent = chooser->currentColor() == fromColorRef(0x0080FFFF);
        chooser->setCurrentColor(QColor(10, 20, 30));
        chooser->accept();
    });
    cityBackground->click();
    EXPECT_TRUE(sawCurrent);
    EXPECT_EQ(status.backgroundColour(1), 0x001E140Au);  // 0x00BBGGRR
    EXPECT_EQ(status.textColour(1), 0x00800000u);
    EXPECT_TRUE(cityBackground->styleSheet().contains(QColor(10, 20, 30).name()));
    d->findChild<QPushButton*>("2")->click();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(status.backgroundColour(1), 0x001E140Au);
}

TEST(ProgramIcon, EveryWindowCarriesTheGlobeFromTheResources) {
    qapp();
    initResources();
    win::QtWindowSystem ws;
    const QIcon icon = QGuiApplication::windowIcon();
    ASSERT_FALSE(icon.isNull());
    const QImage img = icon.pixmap(64, 64).toImage();
    ASSERT_EQ(img.width(), 64);
    // Open sea up to the right of the middle, blue and opaque; the corners
    // are cut round.
    const QColor middle = img.pixelColor(50, 20);
    EXPECT_EQ(middle.alpha(), 255);
    EXPECT_GT(middle.blue(), middle.red());
    EXPECT_LT(img.pixelColor(0, 0).alpha(), 128);
}

}  // namespace
}  // namespace tnx::app
