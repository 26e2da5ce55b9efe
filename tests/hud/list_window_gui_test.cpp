// The browsers' windows on a display: the list window's model against the
// browser table, sorting by a header click, selection reported through the
// dispatcher, "Find" as the user types, placement and column widths from
// the preferences store (also from another screen), shortened texts, and the
// text window.
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "hud/find_dialog.h"
#include "hud/list_window.h"
#include "hud/text_window.h"
#include "hud/window_geometry.h"
#include "platform/io/byte_io.h"
#include "settings/preferences_store.h"
#include "support/test_home.h"

namespace tnx::hud {
namespace {

struct Call {
    int op, kind;
    intptr_t value;
    bool operator==(const Call&) const = default;
};

class Windows : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "list_window_gui_test";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
    }
    void SetUp() override {
        prefs_.open(home_.file("pref.ini"));
        settings::setPreferences(&prefs_);
        table_.setColumns({{kColumnUnsigned, ""}, {kColumnUnsigned, "Rank"}, {kColumnText, "City"},
                           {kColumnText, "Country"}, {kColumnReal, "Longitude"}, {kColumnReal, "Latitude"},
                           {kColumnAltitude, "Altitude m"}, {kColumnUnsigned, "Population"}});
        const struct {
            const char* name;
            int population;
        } cities[] = {{"Paris", 2100000}, {"lyon", 500000},  {"Parma", 190000},
                      {"Paraburdoo", 1800}, {"Bern", 500000}, {"Z\xfcrich", 400000}};
        for (const auto& c : cities) {
            const int row = table_.addRow();
            table_.setText(row, 2, c.name);
            table_.setText(row, 3, "Somewhere with a long name");
            table_.setReal(row, 6, 100.0f);
            table_.setInt(row, 7, c.population);
        }
        table_.sort(2, kSortAscending);
    }
    void TearDown() override { settings::setPreferences(nullptr); }

    BrowserWindowSetup setup(BrowserKind kind = BrowserKind::City) {
        BrowserWindowSetup s;
        s.kind = kind;
        s.title = browserTitle(kind);
        s.table = &table_;
        s.dispatch = [this](int op, int kind, intptr_t value) { calls_.push_back({op, kind, value}); };
        return s;
    }
    static QString text(const ListWindow& w, int row, int column) {
        return w.model()->index(row, column).data().toString();
    }
    static void clickRow(ListWindow& w, int row, Qt::KeyboardModifiers mods = {}) {
        const QRect r = w.view()->visualRect(w.model()->index(row, 1));
        QTest::mouseClick(w.view()->viewport(), Qt::LeftButton, mods, r.center());
    }
    static void clickHeader(ListWindow& w, int column) {
        QHeaderView* h = w.view()->horizontalHeader();
        const QPoint p(h->sectionViewportPosition(column) + h->sectionSize(column) / 2, h->height() / 2);
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, p);
    }
    static QLineEdit* findEdit() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* e = w->findChild<QLineEdit*>("1058"); e && w->isVisible()) return e;
        return nullptr;
    }

    tnx::test::TestHome home_;
    settings::PreferencesStore prefs_;
    BrowserTable table_;
    std::vector<Call> calls_;
};

TEST_F(Windows, TheModelAsksTheTableAndAHeaderClickSortsIt) {
    ListWindow w(setup());
    w.show(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_EQ(w.model()->rowCount(), 6);
    EXPECT_EQ(w.model()->columnCount(), 7);
    EXPECT_EQ(w.model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "Rank");
    EXPECT_EQ(w.model()->headerData(6, Qt::Horizontal, Qt::DisplayRole).toString(), "Population");
    EXPECT_EQ(text(w, 0, 1), "Bern");
    EXPECT_EQ(text(w, 5, 1), QString::fromUtf8("Z\xc3\xbcrich"));  // decoded from Windows-1252
    EXPECT_EQ(text(w, 0, 5), "100");
    EXPECT_EQ(w.model()->index(0, 6).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight, int(Qt::AlignRight));
    EXPECT_EQ(w.model()->index(0, 1).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight, 0);

    clickHeader(w, 6);  // descending: the names were ascending
    EXPECT_EQ(text(w, 0, 1), "Paris");
    EXPECT_EQ(text(w, 1, 1), "Bern");  // equal populations keep the name order
    EXPECT_EQ(text(w, 2, 1), "lyon");
    EXPECT_EQ(text(w, 0, 0), "1");
    clickHeader(w, 6);
    EXPECT_EQ(text(w, 0, 1), "Paraburdoo");
    // Sorted from the panel's side: the window follows.
    table_.sort(2, kSortDescending);
    EXPECT_EQ(text(w, 0, 1), QString::fromUtf8("Z\xc3\xbcrich"));
    EXPECT_TRUE(calls_.empty());
}

TEST_F(Windows, PicksReachTheDispatcherOnceAndSortingKeepsTheSelection) {
    ListWindow w(setup());
    w.show(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    clickRow(w, 3);  // Paris (data row 0)
    ASSERT_EQ(calls_, (std::vector<Call>{{kDispatchPick, 1, 1}}));
    clickHeader(w, 6);
    EXPECT_EQ(text(w, 0, 1), "Paris");
    EXPECT_TRUE(w.view()->selectionModel()->isRowSelected(0, {}));
    EXPECT_EQ(calls_.size(), 1u);
    // Taking the selection away is not a pick.
    clickRow(w, 0, Qt::ControlModifier);
    EXPECT_FALSE(w.view()->selectionModel()->isRowSelected(0, {}));
    EXPECT_EQ(calls_.size(), 1u);
    // A row selected from outside (a click on the globe) reports nothing,
    // but a click on it then picks it.
    w.select(5, 0);  // Bern, city 5
    const int bern = table_.positionOfRow(4);
    EXPECT_TRUE(w.view()->selectionModel()->isRowSelected(bern, {}));
    EXPECT_EQ(calls_.size(), 1u);
    clickRow(w, bern);
    EXPECT_EQ(calls_.back(), (Call{kDispatchPick, 1, 5}));
    // The close box hides the browser through the dispatcher.
    w.close();
    EXPECT_EQ(calls_.back(), (Call{kDispatchClosed, 1, 0}));
    EXPECT_TRUE(w.isVisible());
}

TEST_F(Windows, FindJumpsAsEachLetterIsTypedAndPastEveryNameSelectsNothing) {
    ListWindow w(setup());
    table_.sort(7, kSortAscending);
    w.show(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.findChild<QAction*>("2301")->trigger();
    QLineEdit* edit = findEdit();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->window()->windowTitle(), "Find City");
    auto selectedName = [&] {
        const auto rows = w.view()->selectionModel()->selectedRows();
        return rows.size() == 1 ? text(w, rows[0].row(), 1) : QString();
    };
    QTest::keyClicks(edit, "Par");
    EXPECT_EQ(selectedName(), "Paraburdoo");
    QTest::keyClick(edit, Qt::Key_I);
    EXPECT_EQ(selectedName(), "Paris");
    EXPECT_EQ(table_.sortColumn(), 2);
    edit->setText(QString::fromUtf8("\xc3\xbf\xc3\xbf"));  // after every name, even "Z\xfcrich"
    EXPECT_EQ(selectedName(), "");
    edit->setText(QString::fromUtf8("\xe6\x9d\xb1\xe4\xba\xac"));  // arrives as "??": before every letter
    EXPECT_EQ(selectedName(), "Bern");
    edit->setText("    ");
    EXPECT_EQ(selectedName(), "Bern");
    edit->setText(QString(400, 'p'));
    EXPECT_EQ(edit->text().size(), FindDialog::kMaxText);
    EXPECT_EQ(selectedName(), QString::fromUtf8("Z\xc3\xbcrich"));
    EXPECT_TRUE(calls_.empty());  // finding is not picking
    w.show(false);
    QApplication::processEvents();
    EXPECT_EQ(findEdit(), nullptr);
}

TEST_F(Windows, APlacementFromAnotherScreenOpensWhollyOnThisOneWithSensibleColumns) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    WindowGeometry saved;
    saved.frame = {screen.right() + 2000, screen.bottom() + 900, screen.right() + 2000 + 900, screen.bottom() + 1500};
    saved.widths = {0, -5, 50000, 120, 80};
    saved.save(browserTitle(BrowserKind::City));
    {
        ListWindow w(setup());
        const QRect r = w.wantedFrame();
        EXPECT_TRUE(screen.contains(r)) << r.x() << "," << r.y();
        EXPECT_EQ(r.size(), QSize(900, 600));
        EXPECT_EQ(w.view()->columnWidth(0), 100);
        EXPECT_EQ(w.view()->columnWidth(1), 100);
        EXPECT_EQ(w.view()->columnWidth(2), 100);
        EXPECT_EQ(w.view()->columnWidth(3), 120);
        EXPECT_EQ(w.view()->columnWidth(4), 80);
        EXPECT_EQ(w.view()->columnWidth(6), 300);
        w.view()->setColumnWidth(2, 222);
        w.storeGeometry();
    }
    auto back = WindowGeometry::load(browserTitle(BrowserKind::City));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->widths[2], 222);
    EXPECT_EQ(back->widths[7], 0);
    ListWindow again(setup());
    EXPECT_EQ(again.view()->columnWidth(2), 222);
    EXPECT_TRUE(screen.contains(again.wantedFrame()));

    // A rectangle larger than the screen is cut to it; one with no area opens
    // at the default size in the middle.
    saved.frame = {-5000, -5000, 20000, 20000};
    EXPECT_EQ(PlacedWindow::placement(saved, QSize(700, 400)), screen);
    saved.frame = {10, 10, 10, 500};
    const QRect middle = PlacedWindow::placement(saved, QSize(700, 400));
    EXPECT_EQ(middle.size(), QSize(700, 400));
    EXPECT_EQ(middle.center(), screen.center());
}

TEST(WindowGeometryBytes, TheFrameThenFiftyColumnWidthsEachInItsPlace) {
    std::vector<uint8_t> bytes(216);
    // Left, top, right, bottom, then the widths.
    for (size_t i = 0; i < 54; ++i) io::storeI32(&bytes[4 * i], int32_t(i) * 3 - 7);
    auto g = WindowGeometry::fromBytes(bytes);
    ASSERT_TRUE(g);
    EXPECT_EQ(std::tuple(g->frame.left, g->frame.top, g->frame.right, g->frame.bottom), std::tuple(-7, -4, -1, 2));
    EXPECT_EQ(std::pair(g->widths[0], g->widths[49]), std::pair(5, 3 * 53 - 7));
    EXPECT_EQ(g->toBytes(), bytes);
    EXPECT_FALSE(WindowGeometry::fromBytes(std::span(bytes).first(215)));
}

TEST_F(Windows, TextsTooWideForTheirColumnAreShortenedWithDots) {
    const QFontMetrics m(QApplication::font());
    bool shortened = true;
    EXPECT_EQ(FittedRowDelegate::fit(m, "Bern", 200, 12, &shortened), "Bern");
    EXPECT_FALSE(shortened);
    const QString name = "Somewhere with a long name";
    const int available = m.horizontalAdvance(name) / 2;
    const QString cut = FittedRowDelegate::fit(m, name, available, 12, &shortened);
    EXPECT_TRUE(shortened);
    EXPECT_TRUE(cut.endsWith("..."));
    EXPECT_LE(m.horizontalAdvance(cut) + 12, available);
    EXPECT_GT(m.horizontalAdvance(cut.chopped(3) + name[cut.size() - 3]) + m.horizontalAdvance("...") + 12,
              available);
    // However narrow, one character stays.
    EXPECT_EQ(FittedRowDelegate::fit(m, name, 3, 12, &shortened), "S...");
    EXPECT_EQ(FittedRowDelegate::fit(m, "", 0, 12, &shortened), "");
}

TEST_F(Windows, TheTextWindowShowsItsTitleAndBodyAndSwitchesBack) {
    TextWindow w(setup(BrowserKind::Overview));
    w.setText(1, "Fran\xe7" "ais");
    EXPECT_EQ(w.windowTitle(), QString::fromUtf8("Overview-Fran\xc3\xa7" "ais"));
    w.setText(2, "Background\r\n\r\nOne\rTwo");
    EXPECT_EQ(w.edit()->toPlainText(), "Background\n\nOne\nTwo");
    EXPECT_TRUE(w.edit()->isReadOnly());
    w.findChild<QAction*>("2302")->trigger();
    EXPECT_EQ(calls_.back(), (Call{kDispatchSwitchForm, 3, 0}));
}

}  // namespace
}  // namespace tnx::hud
