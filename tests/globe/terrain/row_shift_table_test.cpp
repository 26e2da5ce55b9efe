#include "globe/terrain/row_shift_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace tnx::globe {
namespace {

TEST(RowShiftTable, SymmetricAboutTheEquatorAndGrowingTowardsThePoles) {
    for (int width : {1025, 2049, 8193, 65537}) {
        RowShiftTable t(width);
        const int rows = (width - 1) / 2 + 1;
        ASSERT_EQ(t.rowCount(), rows);
        const int equator = (width - 1) / 4;
        EXPECT_EQ(t.shift(equator), 0);
        for (int r = 0; r < rows; ++r) ASSERT_EQ(t.shift(r), t.shift(rows - 1 - r)) << width << " row " << r;
        for (int r = 1; r <= equator; ++r) ASSERT_GE(t.shift(r - 1), t.shift(r)) << width << " row " << r;
        EXPECT_EQ(t.shift(0), t.maxShift());
    }
}

TEST(RowShiftTable, ThresholdsHalveFromOneHalf) {
    RowShiftTable t(2049);
    const double cells = 2048;
    for (int r = 1; r <= 512; ++r) {
        double s = std::sin(2 * std::numbers::pi * r / cells);
        int expected = 0;
        for (double threshold = 0.5; s < threshold && expected < t.maxShift(); threshold /= 2) ++expected;
        ASSERT_EQ(t.shift(r), expected) << r;
    }
    // 60 degrees south (row 170.7): sin of the row angle is 0.5 there.
    EXPECT_EQ(t.shift(171), 0);
    EXPECT_EQ(t.shift(170), 1);
    EXPECT_EQ(t.shift(2048 / 2 - 170), 1);
    EXPECT_EQ(t.maxShift(), 4);
}

TEST(RowShiftTable, TileRowsTakeTheRowNearestTheEquator) {
    RowShiftTable t(2049);
    EXPECT_EQ(t.tileRowShift(0, 128), t.shift(128));
    EXPECT_EQ(t.tileRowShift(0, 128), 1);
    EXPECT_EQ(t.tileRowShift(896, 128), t.shift(896));
    EXPECT_EQ(t.tileRowShift(384, 256), 0);  // holds the equator
    // Rows of a hemisphere split in two differ by at most one step.
    for (int span = 128; span <= 512; span *= 2)
        for (int y = 0; y + 2 * span <= 1024; y += 2 * span) {
            int parent = t.tileRowShift(y, 2 * span);
            int lower = t.tileRowShift(y, span), upper = t.tileRowShift(y + span, span);
            EXPECT_EQ(std::min(lower, upper), parent);
            EXPECT_LE(std::max(lower, upper), parent + 1);
        }
}

TEST(RowShiftTable, UnusableWidthGivesNoDecimation) {
    RowShiftTable t(3000);
    EXPECT_EQ(t.rowCount(), 0);
    EXPECT_EQ(t.shift(0), 0);
    EXPECT_EQ(t.tileRowShift(0, 128), 0);
}

}  // namespace
}  // namespace tnx::globe
