// How far the columns of each grid row may be thinned out because the
// meridians converge towards the poles: row r may use every 2^shift(r)-th
// column. Built once per grid width W = 2^k + 1; rows run from the south pole
// (row 0) to the north pole (row (W - 1) / 2).
//
// Rows of tiles (and of renderer patches) span many grid rows; everyone who
// cuts, stores, caches or draws such a row uses tileRowShift() so that the
// installer's tiles, the caches and the renderer agree on the spacing.
#pragma once

#include <cstdint>
#include <vector>

namespace tnx::globe {

class RowShiftTable {
public:
    RowShiftTable() = default;
    // W must be 2^k + 1 (k >= 8); anything else leaves an empty table whose
    // every shift is 0.
    explicit RowShiftTable(int gridWidth);

    int gridWidth() const { return width_; }
    int rowCount() const { return int(shifts_.size()); }  // (W - 1) / 2 + 1
    // Largest shift any row gets: k - 7, so one level-0 tile of 128 columns
    // at that spacing never wraps round the globe more than once.
    int maxShift() const { return maxShift_; }

    // The row's shift; rows outside the table are clamped to it.
    int shift(int row) const;

    // The shift of a row of tiles covering grid rows [firstRow, firstRow +
    // rowSpan]: that of its row nearest the equator (so no part of the tile
    // row is thinned more than the table allows). 0 for a span containing
    // the equator.
    int tileRowShift(int firstRow, int rowSpan) const;

    const std::vector<uint8_t>& shifts() const { return shifts_; }

private:
    int width_ = 0;
    int maxShift_ = 0;
    std::vector<uint8_t> shifts_;
};

}  // namespace tnx::globe
