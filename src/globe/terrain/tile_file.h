// The tile file: a nine-level pyramid of 129 x 129-sample tiles, grouped in
// blocks of 8 x 8 tiles, with a two-stage index (block index -> block table
// -> tile) and per-tile compression. One container holds both the terrain
// ("globe%dc.tem", 16-bit samples) and the colour ("globetex%dj90.tex", RGB)
// tiles.
//
// Coordinates are grid samples, not tile numbers: a tile of level l whose
// first column is x and first row is y is asked for as (x, y, l); its
// samples are every 2^l-th grid sample from there, 129 per side (the last
// row and column are shared with the neighbours). The coordinate space is
// signed, [-E, E) on both axes; the world grid lives at x, y >= 0. Any
// sample inside a tile's 128 x 128 area finds it; tiles of rows with
// thinned columns (RowShiftTable) cover 128 x 2^d columns but sit in the
// slot of their first 128, so ask for those by their first column.
//
//   TileFile f;
//   if (f.open(tnx::home::dataFile("globe11c.tem"), "rb") == kTileFileKind2) {
//       std::vector<uint8_t> tile(kTerrainTileBytes);
//       if (f.readTile(0, 0, 0, tile.data(), tile.size()) == kTileDelivered) ...
//   }
//
// Damaged files never crash a reader: an index entry, table or size word
// that points outside the file or beyond the scratch buffer makes that one
// tile answer kTileReadError; everything else stays readable.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

namespace tnx::globe {

constexpr int kTileSide = 129;
constexpr int kTileSampleCount = kTileSide * kTileSide;          // 16641
constexpr size_t kTerrainTileBytes = size_t(kTileSampleCount) * 2;  // 33282
constexpr size_t kTextureTileBytes = size_t(kTileSampleCount) * 3;   // 49923
constexpr int kTileLevels = 9;
constexpr int kTilesPerBlockSide = 8;
constexpr int kDefaultBlockCount = 128;  // level-0 blocks per side
constexpr size_t kTileHeaderBytes = 56;
constexpr size_t kBlockTableBytes = 512;
constexpr size_t kTileScratchBytes = 69660;  // largest compressed tile we read

// A terrain sample that is not known yet (while pyramids are built).
constexpr uint16_t kMissingSample = 0xFFFF;

// Format word of new files and of a raw grid.
constexpr uint32_t kTileFormatWord = 0x20100;
constexpr uint32_t kRawGridFormatWord = 0x30100;

// Size word: low 24 bits the stored byte count (0 = stored raw at full
// size), bits 24..27 the codec.
constexpr uint32_t kSizeMask = 0xFFFFFF;
constexpr uint32_t kJpegCodecFlag = 0x2000000;

// open() answers.
constexpr int kTileFileKind1 = 0x10000;
constexpr int kTileFileKind2 = 0x20000;
constexpr int kTileFileRawGrid = 0x30000;
constexpr int kTileFileCannotOpen = 0x80000;
constexpr int kTileFileNotRecognised = 0x90000;

// readTile() answers.
constexpr int kTileDelivered = 1;
constexpr int kTileOutside = 2;      // outside [-E, E): dest zero-filled
constexpr int kTileAbsent = 3;       // no such tile (or no file)
constexpr int kTileBlockEmpty = 0;   // the block has no table
constexpr int kTileReadError = -1;   // read or decode error

// Terrain sample <-> surface class and elevation. Bits 14..15 are the class.
inline int sampleClass(uint16_t s) { return s >> 14; }
inline int classBase(int q) {
    static constexpr int kBase[4] = {4096, 20480, 49152, 65536};
    return kBase[q & 3];
}
inline int sampleElevation(uint16_t s) { return int(s) - classBase(sampleClass(s)); }
// A sample -> elevation word: class q = s / 0x4000, word = q * 0x8000 +
// (elevation + 0x4000). Metres of a word: (word & 0x7FFF) - 16384.
inline uint32_t elevationWord(uint16_t s) {
    const int q = sampleClass(s);
    return uint32_t(q) * 0x8000u + uint32_t(sampleElevation(s) + 0x4000);
}
// Class 0/1: -4096..12287 m; class 2/3: -16384..-1 m. Out-of-range
// elevations are clamped into the class's range.
uint16_t makeSample(int elevationMetres, int surfaceClass);

// The 56-byte header.
struct TileFileHeader {
    int32_t tileWidth = kTileSide;
    int32_t tileHeight = kTileSide;
    uint32_t formatWord = kTileFormatWord;
    int32_t gridWidth = 0;
    int32_t gridHeight = 0;
    int32_t blockColumns = kDefaultBlockCount;
    int32_t blockRows = kDefaultBlockCount;
    int32_t tilesAcross = kTilesPerBlockSide;
    int32_t tilesDown = kTilesPerBlockSide;
    int kind() const { return int((formatWord >> 16) & 0xF); }
};

class TileFile {
public:
    TileFile();
    ~TileFile();
    TileFile(const TileFile&) = delete;
    TileFile& operator=(const TileFile&) = delete;

    // Opens with a stdio mode ("rb", "r+b", "wb", ...). Answers
    // kTileFileKind1/2, kTileFileRawGrid, kTileFileCannotOpen or
    // kTileFileNotRecognised (the file is then closed again). An empty file
    // gets a fresh header (grid 0 x 0, format 0x20100) and an all-zero index;
    // they are written at once when the mode allows writing.
    int open(const std::filesystem::path& path, const char* mode);
    void close();
    bool isOpen() const;
    bool isRawGrid() const;
    bool isWritable() const;

    const TileFileHeader& header() const;
    int gridWidth() const { return header().gridWidth; }
    int gridHeight() const { return header().gridHeight; }
    // The installer sets these before writeHeader().
    void setGrid(int width, int height);
    void setFormatWord(uint32_t formatWord);

    // Half the coordinate range per axis: x, y in [-E, E) (65536 with the
    // default block counts).
    int extentX() const;
    int extentY() const;

    // Reads the tile of `level` whose first sample is (x, y) into dest
    // (byteCount = kTerrainTileBytes or kTextureTileBytes). Answers as above.
    // Without a file every read answers kTileAbsent. A raw grid serves
    // terrain tiles cut from its samples the way the installer stores them:
    // (x + i * 2^(l + d), y + j * 2^l) for i, j in 0..128, d the row shift of
    // the tile row (RowShiftTable::tileRowShift), columns wrapping; tiles
    // starting outside the grid answer kTileAbsent.
    int readTile(int x, int y, int level, uint8_t* dest, size_t byteCount);

    // Stores a tile. With `compress` a colour tile (49923 bytes) is JPEG
    // coded and anything else run-length coded by byte planes; the coded
    // form is kept when smaller than byteCount, otherwise (or without
    // `compress`) the tile is stored raw with size word 0. Rewriting a tile
    // overwrites it in place only when the new data fits its old room, else
    // appends. True when written; false outside the coordinate range, on a
    // read-only or missing file, or on an I/O error.
    bool writeTile(int x, int y, int level, const uint8_t* src, size_t byteCount, bool compress);

    // Rewrites the header and the whole block index at offset 0.
    bool writeHeader();

    // Number of index entries (21846 with the defaults) and the first byte
    // after header and index (87440 with the defaults).
    size_t indexEntryCount() const;
    size_t dataStart() const { return kTileHeaderBytes + indexEntryCount() * 4; }

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Both tile files of the globe, opened from the program's home at start-up.
struct TileFileSet {
    TileFile terrain;
    TileFile texture;
    std::filesystem::path terrainPath, texturePath;  // empty when none opened
    // The terrain grid (class 11's 2049 x 1025 when no usable terrain file),
    // and the texture grid (equal to the terrain's when there is none).
    int terrainWidth = 2049, terrainHeight = 1025;
    int textureWidth = 2049, textureHeight = 1025;
    // Terrain level shift s and texture level offset o: the elevation cache
    // reads terrain level (cache level - s) at (x >> s, y >> s); the texture
    // cache reads texture level (cache level - s - o) at coordinates shifted
    // right by s + o (left when negative).
    int terrainLevelShift = 1;
    int textureLevelOffset = 0;
    // The night lights (a colour tile file like the texture): file
    // coordinates are grid coordinates shifted right by nightFileShift (left
    // when negative).
    TileFile night;
    std::filesystem::path nightPath;  // empty when none opened
    int nightFileShift = 0;
    // The grid the caches and the renderer work in: (terrainWidth - 1) * 2^s + 1.
    int rendererGridWidth() const { return ((terrainWidth - 1) << terrainLevelShift) + 1; }
    int rendererGridHeight() const { return ((terrainHeight - 1) << terrainLevelShift) + 1; }
};

// Tries "globe16c.tem" down to "globe11c.tem", then "globetex16j90.tex",
// 15, 14, 13, 11 (no 12) and "globenight16j90.tex" down to 11 the same way,
// with mode "rb" via tnx::home::dataFile, keeping the
// first of each that opens as a tile file (or raw grid, for terrain) with a
// grid of 2^k + 1 columns and (W - 1) / 2 + 1 rows, and derives the level
// shift and offset. Always succeeds; missing files leave reads answering
// kTileAbsent.
void openTileFiles(TileFileSet& files);

// The level shift/offset rule on its own (terrain width a, texture width b).
void tileLevelRelation(int terrainWidth, int textureWidth, int& levelShift, int& levelOffset);

// k for W = 2^k + 1 with 2 <= k <= 17, else 0.
int gridPowerOf(int width);

}  // namespace tnx::globe
