#include "globe/terrain/patch_level.h"

#include <algorithm>

namespace tnx::globe {

namespace {
int floorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
int wrapMod(int a, int n) { return n > 0 ? ((a % n) + n) % n : 0; }
}  // namespace

PatchLevel::PatchLevel(int level, const RowDecimation& decimation, int gridCells)
    : level_(level), decimation_(decimation), gridCells_(gridCells) {
    totalRows_ = std::max((gridCells / 2) >> level, 1);
    ringRows_ = std::min(kMaxRingRows, totalRows_);
    ringCols_ = std::min(kMaxRingCols, std::max(gridCells >> level, 1));
    rows_.resize(size_t(ringRows_));
    patches_.resize(size_t(ringRows_) * size_t(ringCols_));
}

int PatchLevel::columnCount(int row) const { return std::max(gridCells_ >> (level_ + shift(row)), 1); }

void PatchLevel::invalidate() {
    valid_ = false;
    rowOrigin_ = 0;
    for (RingRow& r : rows_) r.row = -1;
    for (Patch& p : patches_) p.row = p.column = -1;
}

void PatchLevel::recentre(int column, int row, const std::function<void(Patch&)>& entered) {
    const int cellRow = row >> level_, cellCol = column >> level_;
    // Nothing can change unless the centre moved by a whole patch.
    if (valid_ && cellRow == lastRow_ && cellCol == lastColumn_) return;
    valid_ = true;
    lastRow_ = cellRow;
    lastColumn_ = cellCol;
    rowOrigin_ = std::clamp(floorDiv(row, 1 << level_) - ringRows_ / 2, 0, totalRows_ - ringRows_);
    for (int pr = rowOrigin_; pr < rowOrigin_ + ringRows_; ++pr) {
        RingRow& rr = rows_[size_t(pr % ringRows_)];
        const int s = shift(pr);
        const int total = columnCount(pr);
        // Decimated rows keep as many patches as the others, so the ring
        // reaches as far on the ground where the meridians converge.
        const int count = std::min(ringCols_, total);
        const int first = wrapMod(floorDiv(column, 1 << (level_ + s)) - count / 2, total);
        if (rr.row == pr && rr.first == first && rr.count == count) continue;
        rr.row = pr;
        rr.first = first;
        rr.count = count;
        rr.shift = s;
        Patch* base = &patches_[size_t(pr % ringRows_) * size_t(ringCols_)];
        for (int i = 0; i < count; ++i) {
            const int pc = (first + i) % total;
            Patch& p = base[pc % count];
            if (p.row == pr && p.column == pc) continue;
            p = Patch{};
            p.row = pr;
            p.column = pc;
            entered(p);
        }
    }
}

}  // namespace tnx::globe
