// The decoded elevations around the view centre, in cache levels (level 0
// the finest). Every level but the last keeps a ring of a x a cache tiles
// centred on the view; the last holds the whole globe as 16 x 8 tiles. A
// tile of level l spans 2^(l + 7) grid rows and 2^(l + 7 + d) grid columns,
// d being its tile row's decimation shift, as 129 x 129 elevation words
// (kept as the 16-bit samples they are made from, at half the memory).
//
// The cache works in the renderer's grid (TileFileSet::rendererGridWidth):
// level l reads terrain file level l - s at (x >> s, y >> s), s the terrain
// level shift; levels finer than the file are interpolated from the next
// coarser cache level. Tiles are read synchronously the first time they are
// asked for (tileAt); recentre() only moves the rings.
//
// Per frame, from the renderer:
//   cache.recentre(centreColumn, centreRow);
//   if (cache.holds(level, x, y))
//       if (const CacheTile* t = cache.tileAt(level, x, y)) ... t->word(i, j) ...
//
// Elevation word (32 bits): bits 0..14 elevation + 16384 (metres), bits
// 15..16 the surface class; the low 17 bits index the colour palette.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "globe/terrain/row_shift_table.h"
#include "globe/terrain/tile_file.h"

namespace tnx::globe {

// Cache tile flags.
constexpr uint32_t kCacheDataLevelMask = 0xF;         // the level whose data it holds
constexpr int kCacheDataShiftBit = 12;                // bits 12..23: that data's row shift
constexpr uint32_t kCacheTileLoaded = 0x10;
constexpr uint32_t kCacheWordsReady = 0x400;
constexpr uint32_t kRowAboveCoarser = 0x2000000;      // tile row r + 1 has a larger shift
constexpr uint32_t kRowBelowCoarser = 0x1000000;      // tile row r - 1 has a larger shift

struct CacheTile {
    int level = 0;      // the cache level of its slot
    int rowShift = 0;   // decimation shift of its tile row
    uint32_t flags = 0;
    int originX = -1;   // first grid column and row; -1 while unassigned
    int originY = -1;
    std::vector<uint16_t> samples;  // 129 x 129, row j then column i, once ready

    bool ready() const { return (flags & kCacheWordsReady) != 0; }
    // The level whose samples it holds: its own level when read from the
    // file, level + 1 when interpolated from the next coarser level.
    int dataLevel() const { return int(flags & kCacheDataLevelMask); }
    int dataRowShift() const { return int((flags >> kCacheDataShiftBit) & 0xFFF); }
    // Grid distance between neighbouring words across and down.
    int columnStep() const { return 1 << (level + rowShift); }
    int rowStep() const { return 1 << level; }
    // Word i (column) of row j, 0 <= i, j <= 128; grid column originX + i *
    // columnStep() (wrapping at the date line), row originY + j * rowStep().
    uint16_t sample(int i, int j) const { return samples[size_t(j) * 129 + size_t(i)]; }
    uint32_t word(int i, int j) const { return elevationWord(sample(i, j)); }
};

class ElevationCache {
public:
    // `terrain` may be null or closed (flat globe, every elevation 0); it
    // must outlive the cache. gridWidth must be 2^k + 1 with k >= 11 and
    // gridHeight (gridWidth - 1) / 2 + 1; other sizes give a cache with no
    // levels whose every answer is empty or 0. ringSide 0 picks it from
    // tnx::app::processState().availableTextureMemory.
    ElevationCache(TileFile* terrain, int levelShift, int gridWidth, int gridHeight, int centreColumn,
                   int centreRow, int ringSide = 0);
    ~ElevationCache();
    ElevationCache(const ElevationCache&) = delete;
    ElevationCache& operator=(const ElevationCache&) = delete;

    // k - 10 for W - 1 = 2^k (0 when W is not usable).
    static int levelCountFor(int gridWidth);
    // 13, 9, 7 or 5 by available texture memory in bytes.
    static int ringSideForMemory(uint64_t bytes);

    int levelCount() const;
    int ringSide() const;
    int gridWidth() const;
    int gridHeight() const;
    const RowShiftTable& rowShifts() const;
    // Grid samples spanned by one tile row of `level`: 2^(level + 7).
    static int tileSpan(int level) { return 128 << level; }
    // The first tile row of a ring of `ringRows` rows of `span` grid rows
    // centred on grid row `centreRow`, kept inside the grid's `tileRows`.
    // The texture cache's rings follow the same rule, so that every texture
    // finds its elevations.
    static int ringFirstRow(int centreRow, int span, int ringRows, int tileRows);

    // Moves every level's ring (coarsest first) to the view centre in grid
    // coordinates; columns wrap, rows are clamped. Cheap when nothing moved
    // by a whole tile.
    void recentre(int column, int row);

    // Whether the level's ring (or, for the last level, the globe) covers
    // grid sample (x, y), without reading anything.
    bool holds(int level, int x, int y) const;
    // The tile of `level` covering grid sample (x, y), read or derived now if
    // it is not yet; null when the ring does not cover it or its data cannot
    // be made (a finer level whose coarser tile is not resident). A tile
    // whose file read fails is returned with zero elevations.
    const CacheTile* tileAt(int level, int x, int y);

    // Metres at a point (radians, east and north positive), from the finest
    // level that holds it with data ready (the whole-globe level is read on
    // demand); 0 with no levels.
    float elevationAt(float longitude, float latitude);
    // Metres times the vertical exaggeration: scene units.
    float scaledElevationAt(float longitude, float latitude);
    void setExaggeration(float unitsPerMetre);
    float exaggeration() const;

    // Tiles waiting to be read, and tiles read (or derived) so far.
    size_t pendingCount() const;
    uint64_t tilesFilled() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tnx::globe
