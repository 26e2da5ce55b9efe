// The browser table: the stable sort and its direction rules, every column
// type's order and text, the rank after a sort, and find on sorted and
// unsorted tables, as the city and country panels fill it.
#include "hud/browser_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "browser_places.h"
#include "hud/browser_panel.h"
#include "platform/text/text_encoding.h"

namespace tnx::hud::test {
namespace {

geodata::GeoOverlay& overlay() {
    static std::unique_ptr<geodata::GeoOverlay> o = makePlaces();
    return *o;
}

std::vector<std::string> column(const BrowserTable& t, int c) {
    std::vector<std::string> out;
    for (int p = 0; p < t.rowCount(); ++p) out.push_back(t.cellText(p, c));
    return out;
}

class Table : public ::testing::Test {
protected:
    void SetUp() override {
        panel_.build();
        panel_.fillCities(overlay().cities(), overlay().countries(), false);
    }
    BrowserPanel panel_{BrowserKind::City};
    BrowserTable& t_ = panel_.table();
};

using Names = std::vector<std::string>;

TEST_F(Table, StartsByNameAscendingAndTheDirectionTogglesWhateverColumnWasSortedLast) {
    EXPECT_EQ(column(t_, 2), (Names{"Bern", "lyon", "Paraburdoo", "Paris", "Parma", "Zurich"}));
    t_.sort(2, kSortToggle);
    EXPECT_EQ(column(t_, 2), (Names{"Zurich", "Parma", "Paris", "Paraburdoo", "lyon", "Bern"}));
    t_.sort(2, kSortToggle);
    EXPECT_EQ(t_.sortDirection(), kSortAscending);
    // A first click on another column goes on from the last direction.
    t_.sort(3, kSortToggle);
    EXPECT_EQ(t_.sortDirection(), kSortDescending);
    // Switzerland first; each country's cities keep the name order they had.
    EXPECT_EQ(column(t_, 2), (Names{"Bern", "Zurich", "lyon", "Paraburdoo", "Paris", "Parma"}));
    // Refilling sorts by name ascending again, whatever the user chose.
    panel_.fillCities(overlay().cities(), overlay().countries(), false);
    EXPECT_EQ(t_.sortColumn(), 2);
    EXPECT_EQ(t_.sortDirection(), kSortAscending);
}

TEST_F(Table, ThePopulationOrderKeepsEqualPopulationsInTheirOrderAndRanksFollow) {
    t_.sort(7, kSortDescending);
    // Bern and lyon (both 500000) stay in their name order.
    EXPECT_EQ(column(t_, 2), (Names{"Paris", "Bern", "lyon", "Zurich", "Parma", "Paraburdoo"}));
    for (int p = 0; p < t_.rowCount(); ++p) {
        EXPECT_EQ(t_.intAt(p, BrowserTable::kRankColumn), p);
        EXPECT_EQ(t_.positionOfRow(t_.rowOfPosition(p)), p);
    }
    // The data number is the city index - 1, whatever the order.
    EXPECT_EQ(overlay().cities()[t_.rowOfPosition(0) + 1].nameText(), "Paris");
    EXPECT_EQ(t_.rowOfPosition(-1), -1);
    EXPECT_EQ(t_.rowOfPosition(t_.rowCount()), -1);
    EXPECT_EQ(t_.positionOfRow(99), -1);
}

TEST_F(Table, EachColumnTypeHasItsOwnOrderAndText) {
    BrowserTable t;
    t.setColumns({{kColumnUnsigned, ""}, {kColumnUnsigned, "Rank"}, {kColumnUnsigned, "u"}, {kColumnSigned, "s"},
                  {kColumnReal, "r"}, {kColumnText, "t"}, {kColumnWhole, "w"}, {kColumnAltitude, "a"}});
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        int32_t value;
        float real;
        const char* text;
    } rows[] = {{5, 2.5f, "abcdefghiz"}, {-1, nan, "ABCDEFGHIJ"}, {0, -7.25f, "abcdefghij"}, {7, 100.0f, ""}};
    for (const auto& r : rows) {
        const int row = t.addRow();
        t.setInt(row, 2, r.value);
        t.setInt(row, 3, r.value);
        t.setReal(row, 4, r.real);
        t.setText(row, 5, r.text);
        t.setReal(row, 6, r.real);
        t.setReal(row, 7, r.real);
    }
    auto order = [&](int c, int direction) {
        t.sort(c, direction);
        std::vector<int> rowsInOrder;
        for (int p = 0; p < t.rowCount(); ++p) rowsInOrder.push_back(t.rowOfPosition(p));
        return rowsInOrder;
    };
    // Unsigned: -1 is the largest; signed: the smallest.
    EXPECT_EQ(order(2, kSortAscending), (std::vector<int>{2, 0, 3, 1}));
    EXPECT_EQ(order(3, kSortAscending), (std::vector<int>{1, 2, 0, 3}));
    // A NaN real comes first ascending and last descending; the others by value.
    EXPECT_EQ(order(4, kSortAscending), (std::vector<int>{1, 2, 0, 3}));
    EXPECT_EQ(order(7, kSortDescending), (std::vector<int>{3, 0, 2, 1}));
    // Texts ignore case: rows 1 and 2 are equal and keep their order.
    order(2, kSortDescending);  // rows 1, 3, 0, 2
    EXPECT_EQ(order(5, kSortAscending), (std::vector<int>{3, 1, 2, 0}));
    EXPECT_EQ(order(5, kSortDescending), (std::vector<int>{0, 1, 2, 3}));

    t.sort(0, kSortAscending);
    EXPECT_EQ(t.cellText(2, 4), "-7.25");
    EXPECT_EQ(t.cellText(0, 6), "2");  // 2.5 without decimals, rounded half to even
    EXPECT_EQ(t.cellText(3, 4), "100.00");
    EXPECT_EQ(t.cellText(1, 3), "-1");
    EXPECT_EQ(t.cellText(4, 2), "");
    EXPECT_EQ(t.cellText(0, 8), "");
    // Altitudes: metres, or feet without the metric option.
    t.setMetric(true);
    EXPECT_EQ(t.cellText(3, 7), "100");
    t.setMetric(false);
    EXPECT_EQ(t.cellText(3, 7), "328");
}

TEST_F(Table, TheAltitudeHeaderAndUnitFollowTheMetricOption) {
    const int bern = t_.positionOfRow(4);
    EXPECT_EQ(t_.columnName(6), "Altitude ft");
    EXPECT_EQ(t_.cellText(bern, 6), "3281");
    panel_.setHeaders(true);
    EXPECT_EQ(t_.columnName(6), "Altitude m");
    EXPECT_EQ(t_.cellText(bern, 6), "1000");
    EXPECT_EQ(t_.cellText(bern, 4), "7.45");
    EXPECT_EQ(t_.cellText(bern, 3), "Switzerland");
}

TEST_F(Table, FindSortsByNameFirstAndJumpsToTheFirstNameAtOrAfterTheText) {
    t_.sort(7, kSortDescending);
    auto nameAt = [&](int p) { return std::string(t_.textAt(p, 2)); };
    EXPECT_EQ(nameAt(t_.find(2, "P")), "Paraburdoo");
    EXPECT_EQ(t_.sortColumn(), 2);
    EXPECT_EQ(t_.sortDirection(), kSortAscending);
    // The whole text typed so far narrows the jump.
    EXPECT_EQ(nameAt(t_.find(2, "Par")), "Paraburdoo");
    EXPECT_EQ(nameAt(t_.find(2, "pari")), "Paris");
    EXPECT_EQ(nameAt(t_.find(2, "PARM")), "Parma");
    EXPECT_EQ(nameAt(t_.find(2, "LYON")), "lyon");
    // Past every name: the row count, no row.
    EXPECT_EQ(t_.find(2, "Zz"), t_.rowCount());
    EXPECT_EQ(t_.rowOfPosition(t_.find(2, "\xff")), -1);
    // Nothing or only spaces: the top. Characters outside Windows-1252
    // arrive as '?' and land before the letters.
    EXPECT_EQ(t_.find(2, ""), 0);
    EXPECT_EQ(t_.find(2, "     "), 0);
    EXPECT_EQ(t_.find(2, text::utf8ToWindows1252("\xe6\x9d\xb1\xe4\xba\xac")), 0);
    EXPECT_EQ(nameAt(t_.find(2, std::string(300, 'p'))), "Zurich");
    // Only text columns can be searched.
    EXPECT_EQ(t_.find(7, "5"), 0);
    EXPECT_EQ(t_.sortColumn(), 2);
}

TEST(EmptyTable, ShowsTotalZeroFindsPositionZeroAndPicksNothing) {
    geodata::GeoOverlay empty(0.00001f, false);
    BrowserPanel panel(BrowserKind::City);
    panel.build();
    panel.fillCities(empty.cities(), empty.countries(), true);
    EXPECT_EQ(panel.table().rowCount(), 0);
    EXPECT_EQ(panel.footer().text(), "Total 0");
    EXPECT_EQ(panel.find("Paris"), 0);
    EXPECT_EQ(panel.rows().selectedRow(), -1);
    panel.selectIndex(1);
    EXPECT_EQ(panel.rows().selectedRow(), -1);
    EXPECT_EQ(panel.rows().click(panel.rows().offsetX() + 3, panel.rows().offsetY() - 0.1f), -1);
    EXPECT_EQ(panel.table().cellText(0, 2), "");
}

}  // namespace
}  // namespace tnx::hud::test
