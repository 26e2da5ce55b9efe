#include "globe/terrain/row_decimation.h"

#include <algorithm>

namespace tnx::globe {

RowDecimation::RowDecimation(const RowShiftTable& table, int coarsestLevel)
    : coarsest_(std::max(coarsestLevel, 1)), gridRows_(std::max(table.gridWidth() - 1, 2) / 2) {
    const int equator = gridRows_ / 2;
    // The smallest shift inside the patch row: its edge nearest the equator.
    auto nearest = [&](int level, int row) { return table.tileRowShift(row << level, 1 << level); };
    shifts_.assign(size_t(coarsest_) + 1, {});
    shifts_[size_t(coarsest_)].resize(size_t(rows(coarsest_)));
    for (int r = 0; r < rows(coarsest_); ++r)
        shifts_[size_t(coarsest_)][size_t(r)] = uint8_t(std::min(nearest(coarsest_, r), 4));
    for (int level = coarsest_ - 1; level >= 1; --level) {
        auto& mine = shifts_[size_t(level)];
        const auto& parent = shifts_[size_t(level + 1)];
        mine.resize(size_t(rows(level)));
        for (int p = 0; p < rows(level + 1); ++p) {
            const int base = parent[size_t(p)];
            const int south = std::clamp(nearest(level, 2 * p), base, base + 1);
            int north = std::clamp(nearest(level, 2 * p + 1), base, base + 1);
            int southOut = south;
            if (south > base && north > base) {
                // One half must keep the parent's spacing: the one nearer the equator.
                if ((2 * p + 1) << level <= equator) north = base;
                else southOut = base;
            }
            mine[size_t(2 * p)] = uint8_t(southOut);
            mine[size_t(2 * p + 1)] = uint8_t(north);
        }
    }
}

int RowDecimation::rows(int level) const { return std::max(gridRows_ >> level, 1); }

int RowDecimation::kind(int level, int patchRow) const {
    if (level <= 1 || level > coarsest_) return kHalvesAlike;
    const int mine = shift(level, patchRow);
    if (shift(level - 1, 2 * patchRow + 1) > mine) return kUpperCoarser;
    if (shift(level - 1, 2 * patchRow) > mine) return kLowerCoarser;
    return kHalvesAlike;
}

}  // namespace tnx::globe
