// One level of the terrain quadtree: a ring of square patches of 2^V grid
// rows (2^(V + r) columns in a row decimated by r) centred under the camera.
// The coarsest level holds the whole globe as 16 x 8 patches; every finer one
// doubles both sides up to 128 x 64. Patch records keep their errors across
// frames; their refinement flags belong to the frame stamped in them.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "globe/terrain/row_decimation.h"

namespace tnx::globe {

// Refinement flag bits.
constexpr uint16_t kSplitSW = 0x1, kSplitSE = 0x2, kSplitNW = 0x4, kSplitNE = 0x8;
constexpr uint16_t kQuadrantFlags = 0xF;
constexpr uint16_t kEdgeSouth = 0x10, kEdgeWest = 0x20, kEdgeNorth = 0x40, kEdgeEast = 0x80;
constexpr uint16_t kEdgeFlags = 0xF0;
constexpr uint16_t kVisited = 0x100;
constexpr uint16_t kHidden = 0x200;
constexpr uint16_t kThroughChildren = 0x400;  // flagged quadrants are drawn as patches of their own
constexpr uint16_t kKeptFlags = 0xF000;

// Patch record fields.
enum PatchField : int {
    kErrSW = 0, kErrSE = 1, kErrNW = 2, kErrNE = 3,  // largest errors of the quadrants
    kErrSouthMid = 4, kErrEastMid = 5,               // edge-midpoint errors
    kErrPatch = 6,                                   // the patch's largest error
    kCentreHeight = 7,                               // tenths of a scene unit (signed)
    kBoundRadius = 8,                                // scene units
    kFlags = 9,
};

struct Patch {
    uint16_t field[10] = {};
    uint16_t frame = 0;     // the frame field[kFlags] belongs to
    uint8_t minChildLevel = 1;  // children finer than this are not drawn this frame
    int32_t row = -1, column = -1;

    uint16_t flags(uint16_t currentFrame) const {
        return frame == currentFrame ? field[kFlags] : uint16_t(field[kFlags] & kKeptFlags);
    }
    void touch(uint16_t currentFrame) {
        if (frame != currentFrame) {
            field[kFlags] &= kKeptFlags;
            frame = currentFrame;
        }
    }
    int16_t centreHeight() const { return int16_t(field[kCentreHeight]); }
};

class PatchLevel {
public:
    static constexpr int kMaxRingCols = 128;
    static constexpr int kMaxRingRows = 64;

    // level = V (1 finest); gridCells = W - 1.
    PatchLevel(int level, const RowDecimation& decimation, int gridCells);

    int level() const { return level_; }
    int shift(int row) const { return decimation_.shift(level_, row); }
    int kind(int row) const { return decimation_.kind(level_, row); }
    int rowCount() const { return totalRows_; }
    // Patches around the globe in a patch row.
    int columnCount(int row) const;
    int ringRows() const { return ringRows_; }
    int ringCols() const { return ringCols_; }

    // Scrolls the ring to the view centre (grid column and row); every patch
    // that enters is reset and handed to `entered`.
    void recentre(int column, int row, const std::function<void(Patch&)>& entered);
    // Everything re-enters at the next recentre (errors depend on settings).
    void invalidate();

    // The patch record, or null when the ring does not hold it. Columns wrap.
    // Ring sizes and row lengths are powers of two, so masks do the wrapping.
    Patch* find(int row, int column) {
        if (row < rowOrigin_ || row >= rowOrigin_ + ringRows_) return nullptr;
        const RingRow& rr = rows_[size_t(row & (ringRows_ - 1))];
        if (rr.row != row) return nullptr;
        const int totalMask = (gridCells_ >> (level_ + rr.shift)) - 1;
        column &= totalMask;
        if (((column - rr.first) & totalMask) >= rr.count) return nullptr;
        Patch& p = patches_[size_t(row & (ringRows_ - 1)) * size_t(ringCols_) + size_t(column & (rr.count - 1))];
        return (p.row == row && p.column == column) ? &p : nullptr;
    }

    PatchLevel* parent = nullptr;  // coarser
    PatchLevel* child = nullptr;   // finer

private:
    struct RingRow {
        int row = -1;
        int first = 0;   // first patch column
        int count = 0;   // patches held
        int shift = 0;
    };

    int level_;
    const RowDecimation& decimation_;
    int gridCells_;
    int totalRows_;
    int ringRows_, ringCols_;
    int rowOrigin_ = 0;
    bool valid_ = false;
    int lastColumn_ = 0, lastRow_ = 0;
    std::vector<RingRow> rows_;
    std::vector<Patch> patches_;
};

}  // namespace tnx::globe
