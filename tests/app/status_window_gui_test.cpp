// The floating status window and its colour dialog on a real display, and
// the program's icon.
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
#include "app/status_window.h"
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

TEST(StatusWindow, PaintsEachTextOnItsBackgroundWhereAskedWithoutTakingTheFocus) {
    qapp();
    auto surface = StatusWindow::create();
    ASSERT_NE(surface, nullptr);
    QWidget* w = StatusWindow::widget(surface.get());
    ASSERT_NE(w, nullptr);
    int cw = 0, ch = 0;
    surface->measure("Z\xFCrich", cw, ch);  // Windows-1252: u umlaut
    EXPECT_GT(cw, 30);
    EXPECT_GE(ch, 14);
    int bw = 0, bh = 0;
    surface->measure("Bern", bw, bh);
    std::vector<PlacedText> texts = {{"Z\xFCrich ", 0, cw, 0x00000000, 0x00FFFF80},
                                     {"Bern", cw, bw, 0x00800000, 0x0080FFC0}};
    surface->present(texts, 120, 140, cw + bw, ch);
    settle();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->geometry(), QRect(120, 140, cw + bw, ch));
    EXPECT_TRUE(w->windowFlags() & Qt::WindowDoesNotAcceptFocus);
    EXPECT_TRUE(w->windowFlags() & Qt::WindowTransparentForInput);
    EXPECT_NE(QApplication::activeWindow(), w);
    const QImage img = w->grab().toImage();
    EXPECT_EQ(img.pixelColor(1, 1).rgb(), fromColorRef(0x00FFFF80).rgb());
    EXPECT_EQ(img.pixelColor(cw + bw - 2, 1).rgb(), fromColorRef(0x0080FFC0).rgb());
    surface->hide();
    settle();
    EXPECT_FALSE(w->isVisible());
}

TEST(StatusColourDialog, EachButtonChoosesItsColourAtOnceAndCancelKeepsIt) {
    qapp();
    FloatingStatus status;
    std::unique_ptr<QDialog> d(StatusColourDialog::build(status));
    EXPECT_EQ(d->objectName(), "158");
    const char* labels[] = {"Coordinates Text Color", "Coordinates Background Color", "City Text Color",
                            "City Background Color",  "Country Text Color",           "Country Background Color"};
    for (int i = 0; i < 6; ++i) {
        auto* b = d->findChild<QPushButton*>(QString::number(1096 + i));
        ASSERT_NE(b, nullptr) << 1096 + i;
        EXPECT_EQ(b->text(), labels[i]);
    }
    auto* cityBackground = d->findChild<QPushButton*>("1099");
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
    // A chooser closed without a choice changes nothing.
    QTimer::singleShot(200, [] {
        if (auto* chooser = qobject_cast<QColorDialog*>(QApplication::activeModalWidget())) chooser->reject();
    });
    d->findChild<QPushButton*>("1100")->click();
    EXPECT_EQ(status.textColour(2), 0u);
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
