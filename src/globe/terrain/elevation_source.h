// What the terrain renderer and the texture cache read elevations from: the
// elevation cache's levels of 129 x 129 samples around the view centre. The
// interface keeps both independent of how the cache fills its tiles, and
// lets tests feed synthetic terrain. ElevationSampler reads single samples
// at any grid point, interpolating where a tile's lattice is coarser than
// the point (decimated columns, data from a coarser level).
#pragma once

#include <array>
#include <cstdint>

namespace tnx::globe {

constexpr int kTileSamples = 129;  // samples per tile side
constexpr int kTileCells = 128;

struct ElevationTile {
    const uint16_t* samples = nullptr;  // 129 rows of 129 samples, row 0 at originY
    int originX = 0;                    // grid column of samples[0]
    int originY = 0;                    // grid row of samples[0]
    int columnShift = 0;              // log2 of the column spacing in grid samples
    int rowShift = 0;                 // log2 of the row spacing
    int dataLevel = 0;                // cache level the samples came from
};

class ElevationSource {
public:
    virtual ~ElevationSource() = default;
    // The renderer grid: W = 2^k + 1 columns (column W - 1 is column 0 again)
    // and (W - 1) / 2 + 1 rows from the south pole.
    virtual int gridWidth() const = 0;
    virtual int gridHeight() const = 0;
    virtual int levelCount() const = 0;
    // Scrolls every level's ring to the view centre (grid column and row).
    virtual void recentre(int column, int row) = 0;
    // The tile of `level` covering grid sample (x, y), read on first use.
    // False when the level's ring does not reach there or its data could
    // not be read.
    virtual bool tileAt(int level, int x, int y, ElevationTile& out) = 0;
};

class ElevationSampler {
public:
    explicit ElevationSampler(ElevationSource& source);

    // Tiles may move when the source recentres: forget the remembered ones.
    void invalidate();

    // The word at grid sample (x, y) of `level` alone.
    bool wordAt(int level, int x, int y, uint32_t& out);
    // The word from the finest level at or above `minLevel` that holds the
    // point; the level used goes to `usedLevel`.
    bool word(int x, int y, int minLevel, uint32_t& out, int* usedLevel = nullptr);
    // Whether `level` holds the point (reads the tile on first use).
    bool holds(int level, int x, int y);

    ElevationSource& source() { return source_; }
    int levelCount() const { return levels_; }

private:
    struct Remembered {
        bool valid = false;
        ElevationTile tile;
    };
    bool tileFor(int level, int x, int y, const ElevationTile*& tile);

    ElevationSource& source_;
    int levels_;
    int columnMask_;
    std::array<Remembered, 16> last_{};
};

}  // namespace tnx::globe
