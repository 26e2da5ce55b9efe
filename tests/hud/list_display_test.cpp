// List displays and sliders: the ring of row slots while scrolling (and at
// both ends), fitted cell texts, picking, selection from outside and the
// row a sort keeps, and the slider's value against its display.
#include "hud/list_display.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "hud/browser_table.h"
#include "hud/list_slider.h"
#include "hud/text_lines.h"
#include "hud_fixture.h"

namespace tnx::hud::test {
namespace {

class Display : public HudFixture {
protected:
    void SetUp() override {
        HudFixture::SetUp();
        std::string text;
        for (int i = 0; i < 100; ++i) text += "line " + std::to_string(i) + "\n";
        lines_.append(text, 0, 50);
        const float one = 1.0f;
        d_.init(4.0f, 4.5f, 1, 10, 50, std::span(&one, 1));
        d_.setFont(font_.get());
        d_.setSource(&lines_, 0);
    }
    // Every slot shows the row the ring says it does.
    void expectRing() {
        for (int k = 0; k < d_.visibleRows(); ++k) {
            const int row = d_.firstRow() + (k - d_.firstSlot() + d_.visibleRows()) % d_.visibleRows();
            EXPECT_EQ(d_.slotRow(k), row < lines_.lineCount() ? row : -1) << "slot " << k;
        }
    }
    TextLines lines_;
    ListDisplay d_;
};

TEST_F(Display, ScrollingTurnsTheRingAndStopsAtBothEnds) {
    ASSERT_EQ(d_.lastFirstRow(), 91);
    const float rh = d_.rowHeight();
    uint64_t builds = d_.slotBuilds();
    // One whole row lays out exactly one slot again.
    EXPECT_TRUE(d_.scroll(100, true));
    EXPECT_EQ(d_.firstRow(), 1);
    EXPECT_EQ(d_.slotBuilds() - builds, 1u);
    expectRing();
    // Two and a half rows: two slots, half a row kept.
    builds = d_.slotBuilds();
    d_.scroll(250, true);
    EXPECT_EQ(d_.firstRow(), 3);
    EXPECT_NEAR(d_.remainder(), 0.5f * rh, 1e-4);
    EXPECT_EQ(d_.slotBuilds() - builds, 2u);
    // Back by less than the remainder: nothing moves but the remainder.
    builds = d_.slotBuilds();
    d_.scroll(-30, true);
    EXPECT_EQ(d_.firstRow(), 3);
    EXPECT_EQ(d_.slotBuilds(), builds);
    // Back past it: a row up, the remainder positive again.
    d_.scroll(-50, true);
    EXPECT_EQ(d_.firstRow(), 2);
    EXPECT_NEAR(d_.remainder(), 0.7f * rh, 1e-4);
    expectRing();
    // Far past the end: the last possible first row, no remainder.
    d_.scroll(1e6f, true);
    EXPECT_EQ(d_.firstRow(), 91);
    EXPECT_EQ(d_.remainder(), 0.0f);
    expectRing();
    // Pushing on at the end changes nothing.
    EXPECT_FALSE(d_.scroll(40, true));
    EXPECT_EQ(d_.remainder(), 0.0f);
    // A few rows short of the end, then on: stops at the end exactly.
    d_.scroll(-300, true);
    d_.scroll(450, true);
    EXPECT_EQ(d_.firstRow(), 91);
    EXPECT_EQ(d_.remainder(), 0.0f);
    expectRing();
    // And far past the top.
    d_.scroll(-1e6f, true);
    EXPECT_EQ(d_.firstRow(), 0);
    EXPECT_EQ(d_.remainder(), 0.0f);
    expectRing();
    EXPECT_FALSE(d_.scroll(std::numeric_limits<float>::quiet_NaN(), true));
}

TEST_F(Display, RowsThatAllFitNeverScroll) {
    TextLines few;
    few.append("a\nb\nc\nd\ne", 0, 50);
    d_.setSource(&few, 0);
    d_.scroll(500, true);
    EXPECT_EQ(d_.firstRow(), 0);
    EXPECT_EQ(d_.firstSlot(), 0);
    EXPECT_EQ(d_.remainder(), 0.0f);
    EXPECT_EQ(d_.slotRow(4), 4);
    EXPECT_EQ(d_.slotRow(5), -1);
}

TEST_F(Display, CellTextsAreCompressedOrSetOnTwoLinesWhenTooWide) {
    ListDisplay cells;
    cells.setFont(font_.get());
    const float weights[3] = {1, 1, 1};
    cells.init(3.0f, 0.5f, 3, 1, 200, weights);
    const float ch = cells.cellHeight();
    const float a = font_->textWidth(ch, "A");
    cells.resize(30 * a, 0.5f);  // each column ten "A"s wide
    const float w = cells.columnWidth(0);
    // Texts keep a little room to the next column.
    const float room = w - std::min(0.2f * ch, 0.2f * w);
    cells.setText(std::string(20, 'A') + '\0' + std::string(15, 'A') + '\0' + "\2AB");
    auto g = cells.slotGlyphs(0);
    ASSERT_EQ(g.size(), size_t(4 * (20 + 15 + 2)));
    float top0 = 1e9f, top1 = -1e9f;
    for (int q = 0; q < 20; ++q) {
        const auto* v = &g[size_t(4 * q)];
        EXPECT_NEAR(v[0].y - v[1].y, 0.8f * ch, 1e-4) << q;  // 0.8 of the cell height
        EXPECT_GE(v[0].x, -1e-4f);
        EXPECT_LE(v[2].x, room + 1e-4f);
        top0 = std::min(top0, v[0].y);
        top1 = std::max(top1, v[0].y);
    }
    // Two lines half a cell height apart.
    EXPECT_NEAR(top1 - top0, 0.5f * ch, 1e-4);
    // 1.5 times too wide: compressed into its column at full height.
    float lo = 1e9f, hi = -1e9f;
    for (int q = 20; q < 35; ++q) {
        const auto* v = &g[size_t(4 * q)];
        EXPECT_NEAR(v[0].y - v[1].y, ch, 1e-4);
        lo = std::min(lo, v[0].x);
        hi = std::max(hi, v[2].x);
    }
    EXPECT_NEAR(lo, w, 1e-4);
    EXPECT_NEAR(hi, w + room, 1e-4);
    // A text that fits keeps its marker's alignment: right.
    EXPECT_NEAR(g[size_t(4 * 36 + 2)].x, 2 * w + room, 1e-4);
    EXPECT_EQ(g[0].diffuse, cells.textColour(0));
}

TEST_F(Display, AltitudesShowInMetresOrFeetAndTheRankCountsFromOne) {
    BrowserTable t;
    t.setColumns({{kColumnUnsigned, ""}, {kColumnUnsigned, "Rank"}, {kColumnAltitude, "a"}, {kColumnReal, "r"}});
    t.setReal(t.addRow(), 2, 1000.0f);
    t.setReal(0, 3, 2.0f / 3.0f);
    const float w[3] = {1, 1, 1};
    ListDisplay rows;
    rows.init(3, 3, 3, 4, 50, w);
    rows.setSource(&t, 1, 1);
    t.setMetric(true);
    EXPECT_EQ(rows.cellText(0, 2), "1000");
    t.setMetric(false);
    EXPECT_EQ(rows.cellText(0, 2), "3281");
    EXPECT_EQ(rows.cellText(0, 1), "1");
    EXPECT_EQ(rows.cellText(0, 3), "0.667");
}

TEST_F(Display, ClicksSelectAndDeselectOnlyInDataColumnsAboveTheLastSlot) {
    BrowserTable t;
    t.setColumns({{kColumnUnsigned, ""}, {kColumnUnsigned, "Rank"}, {kColumnText, "n"}, {kColumnUnsigned, "p"}});
    for (int i = 0; i < 40; ++i) t.setInt(t.addRow(), 3, 1000 - i);
    const float w[3] = {1, 1, 1};
    ListDisplay rows;
    rows.init(3, 4.5f, 3, 10, 50, w);
    rows.setSource(&t, 1, 1);
    const float rh = rows.rowHeight();
    // Three and a half rows down: half a row scrolled shows the last slot.
    rows.scroll(350, true);
    ASSERT_EQ(rows.firstRow(), 3);
    auto at = [&](int column, int row, float within = 0.5f) {
        return std::pair(0.5f + float(column), rows.remainder() - (float(row) + within) * rh);
    };
    auto [x, y] = at(1, 2);
    EXPECT_EQ(rows.click(x, y), 5);
    EXPECT_EQ(rows.selectedRow(), 5);
    EXPECT_EQ(rows.click(x, y), 5);  // again: cleared
    EXPECT_EQ(rows.selectedRow(), -1);
    auto [rx, ry] = at(0, 2);
    EXPECT_EQ(rows.click(rx, ry), -1);  // the rank column
    auto [lx, ly] = at(2, 2);
    EXPECT_EQ(rows.click(lx, ly), -1);  // the last column
    auto [bx, by] = at(1, 9, 0.3f);
    EXPECT_EQ(rows.click(bx, by), -1);  // the last, partly shown slot
    EXPECT_EQ(rows.selectedRow(), -1);

    // From outside: the fewest rows that bring it between the second and the
    // third-last visible rows.
    rows.selectRow(30, false);
    EXPECT_EQ(rows.firstRow(), 30 - 7);
    rows.selectRow(24, false);
    EXPECT_EQ(rows.firstRow(), 23);
    rows.selectRow(10, false);
    EXPECT_EQ(rows.firstRow(), 9);
    // Sorting keeps the selected row on its screen row.
    rows.sortBy(3);  // population ascending: row r at position 39 - r
    EXPECT_EQ(t.positionOfRow(10), 29);
    EXPECT_EQ(rows.firstRow(), 28);
    EXPECT_EQ(rows.selectedRow(), 10);
}

TEST_F(Display, ASliderScrollsItsDisplayAndFollowsIt) {
    ListSlider s;
    s.build(0.3f, 4.5f, nullptr);
    s.link(&d_);
    ASSERT_TRUE(s.vertical());
    EXPECT_EQ(s.positions(), 92);
    s.dragBy(0.5f * 4.5f);
    EXPECT_FLOAT_EQ(s.value(), 0.5f);
    EXPECT_EQ(d_.firstRow(), 46);
    s.dragBy(100.0f);
    EXPECT_FLOAT_EQ(s.value(), 1.0f);
    EXPECT_EQ(d_.firstRow(), 91);
    d_.scroll(-9100, true);
    s.syncFromDisplay();
    EXPECT_EQ(s.value(), 0.0f);
    // On the knob, before it, after it.
    const float cy = s.knobY() - s.knobSize() / 2, cx = s.knobX() + s.knobSize() / 2;
    EXPECT_EQ(s.pickKnob(cx, cy), 0);
    EXPECT_EQ(s.pickKnob(cx, cy + 0.3f * s.knobSize()), -1);
    EXPECT_EQ(s.pickKnob(cx, cy - 2.0f), 1);
    // Over rows that all fit there is nothing to move.
    TextLines few;
    few.append("a", 0, 50);
    d_.setSource(&few, 0);
    s.dragBy(3.0f);
    EXPECT_EQ(s.value(), 0.0f);
    EXPECT_EQ(d_.firstRow(), 0);
}

}  // namespace
}  // namespace tnx::hud::test
