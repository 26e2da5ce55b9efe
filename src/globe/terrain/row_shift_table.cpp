#include "globe/terrain/row_shift_table.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "globe/terrain/tile_file.h"

namespace tnx::globe {

RowShiftTable::RowShiftTable(int gridWidth) {
    int k = gridPowerOf(gridWidth);
    if (k < 8) return;
    width_ = gridWidth;
    maxShift_ = k - 7;
    const int cells = gridWidth - 1;
    const int rows = cells / 2 + 1;
    const int equator = cells / 4;
    shifts_.assign(size_t(rows), 0);
    // Walk from the equator to the south pole; the northern half mirrors it
    // exactly. The pole row itself (sin 0) would halve forever: the cap stops it.
    double threshold = 0.5;
    int count = 0;
    for (int row = equator; row >= 0; --row) {
        double s = std::sin(2.0 * std::numbers::pi * (double(row) / double(cells)));
        while (s < threshold && count < maxShift_) {
            ++count;
            threshold *= 0.5;
        }
        shifts_[size_t(row)] = uint8_t(count);
        shifts_[size_t(rows - 1 - row)] = uint8_t(count);
    }
}

int RowShiftTable::shift(int row) const {
    if (shifts_.empty()) return 0;
    row = std::clamp(row, 0, int(shifts_.size()) - 1);
    return shifts_[size_t(row)];
}

int RowShiftTable::tileRowShift(int firstRow, int rowSpan) const {
    if (shifts_.empty()) return 0;
    const int equator = (width_ - 1) / 4;
    int last = firstRow + std::max(rowSpan, 0);
    if (last < equator) return shift(last);
    if (firstRow > equator) return shift(firstRow);
    return shift(equator);
}

}  // namespace tnx::globe
