// Column decimation of the patch rows: near the poles the meridians
// converge, so a row of patches may use every 2nd, 4th, ... column. Each
// patch row of level V (spanning 2^V grid rows) has a shift r (its patches
// span 2^(V + r) columns) and a kind telling how its two half rows differ:
// 1 the upper (north) half uses twice the spacing, 2 both halves alike, 3 the
// lower (south) half uses twice the spacing. The shifts follow the row-shift
// table, limited so that a half row is never more than one step coarser than
// its parent row and one half always matches it; the texture cache uses the
// same shifts for its tile rows, so a patch always fits one texture tile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "globe/terrain/row_shift_table.h"

namespace tnx::globe {

enum DecimationKind : int { kUpperCoarser = 1, kHalvesAlike = 2, kLowerCoarser = 3 };

class RowDecimation {
public:
    // gridWidth = 2^k + 1; levels 1..coarsestLevel (the coarsest has 16
    // patches across, so its shift is at most 4).
    RowDecimation(const RowShiftTable& table, int coarsestLevel);

    int coarsestLevel() const { return coarsest_; }
    // Patch rows of level V.
    int rows(int level) const;
    int shift(int level, int patchRow) const {
        if (level < 1 || level > coarsest_) return 0;
        const auto& s = shifts_[size_t(level)];
        return s[size_t(patchRow < 0 ? 0 : patchRow >= int(s.size()) ? int(s.size()) - 1 : patchRow)];
    }
    int kind(int level, int patchRow) const;

private:
    int coarsest_;
    int gridRows_;  // H - 1 cells
    std::vector<std::vector<uint8_t>> shifts_;  // [level][patch row]
};

}  // namespace tnx::globe
