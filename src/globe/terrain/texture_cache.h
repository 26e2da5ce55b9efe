// The terrain's colour textures: for every cache level a ring of 128 x 128
// textures (full mip chain) around the view centre, each built from the
// elevation words of its area (palette colours and hill shade), the
// photographic tile of the texture tile file and the colour settings, and
// uploaded through one system-memory staging texture. The last level covers
// the whole globe with 16 x 8 tiles. Tiles are built when first asked for;
// the renderer binds the finest ready one of each patch.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "globe/terrain/elevation_source.h"
#include "globe/terrain/row_decimation.h"
#include "globe/terrain/terrain_palette.h"
#include "globe/terrain/terrain_settings.h"
#include "globe/terrain/texture_texels.h"
#include "platform/gfx/device.h"

namespace tnx::globe {

constexpr size_t kColourTileBytes = size_t(kTileSamples) * kTileSamples * 3;  // 49923

// The photographic tiles (the texture tile file).
class ColourTileSource {
public:
    virtual ~ColourTileSource() = default;
    // The 129 x 129 RGB tile of file `level` whose area holds file sample
    // (x, y); rows from the tile's first (southern) row. Answers the tile
    // file's read result: 1 when a tile was delivered.
    virtual int readTile(int x, int y, int level, uint8_t* rgb) = 0;
};

// A texture as bound for a patch, with the area it covers.
struct BoundTexture {
    gfx::Texture* texture = nullptr;
    bool dark = false;             // every texel black: nothing to add
    int level = 0;
    int originX = 0, originY = 0;  // grid sample of texel (0, 0)
    int columnShift = 0;           // log2 of grid columns per texel
    int rowShift = 0;              // log2 of grid rows per texel
};

struct TextureCacheLayout {
    int levels = 1;         // cache level count (same as the elevation cache)
    int ringSide = 5;       // a: tiles per side of every ring but the last
    int fileShift = 1;      // texture file level = cache level - fileShift
    int centreColumn = 0;   // initial view centre (grid)
    int centreRow = 0;
};

class TextureCache {
public:
    static constexpr int kTexels = 128;
    // A tile's 129 x 129 samples are resampled onto its 128 x 128 texels so
    // that both edge samples sit on texel centres: neighbouring tiles then
    // show the same colour along their shared edge and the texture blends
    // smoothly across it. Maps a position inside the tile (0 at the first
    // sample, 1 at the last) to the texture coordinate of that point.
    static constexpr float texelCoordinate(float fractionOfTile) {
        return fractionOfTile * (float(kTexels - 1) / float(kTexels)) + 0.5f / float(kTexels);
    }
    // Tile flags.
    static constexpr uint32_t kReady = 0x400;
    static constexpr uint32_t kStale = 0x800;     // ready, but settings changed
    static constexpr uint32_t kNoData = 0x1000;   // the elevation cache had nothing there
    static constexpr uint32_t kDark = 0x2000;     // every texel black

    TextureCache(ElevationSource& elevation, ColourTileSource* colour, const RowDecimation& decimation,
                 const TextureCacheLayout& layout, uint32_t availableTextureMemory);
    virtual ~TextureCache();

    void setColours(const std::array<uint32_t, 18>& bandColours, int landOpacity, int oceanOpacity,
                    uint32_t options);
    void setBase(uint8_t red, uint8_t green, uint8_t blue);
    void setShadingScale(float scale) { shadingScale_ = scale; }
    void setExaggeration(float exaggeration) { exaggeration_ = exaggeration; }
    void setAdjustments(const TextureAdjustments& adjustments) { adjustments_ = adjustments; }
    // Every texture is rebuilt on demand; the old ones show until then.
    void refresh();

    // Scrolls the rings of the levels from `firstLevel` up.
    void recentre(int column, int row, int firstLevel = 0);
    // Once per frame: resets the number of tiles that may be built.
    void beginFrame();

    // The finest ready texture at or above `level` covering grid sample
    // (x, y), building it if needed; the last level always answers (its
    // texture may be null when no device is there).
    BoundTexture textureFor(int level, int x, int y);

    // Whether the ring of `level` (or, for the last level, the globe)
    // reaches grid sample (x, y), without building anything.
    bool covers(int level, int x, int y) const;

    void restore(gfx::Device& device);
    void release();

    gfx::Format format() const { return format_; }
    int levels() const { return int(levels_.size()); }
    int ringSide() const { return ringSide_; }
    const TerrainPalette& palette() const { return palette_; }
    // Counters for tests and diagnostics.
    int tilesBuilt() const { return tilesBuilt_; }
    int colourTileReads() const { return colourReads_; }
    // Tiles asked for since beginFrame that had to wait for a later frame.
    int deferred() const { return deferred_; }

    // Selects the texture format for the given memory: A4R4G4B4 below the
    // threshold, else A8R8G8B8 (restoring uses the larger threshold).
    static gfx::Format chooseFormat(uint32_t availableMemory, int ringSide, int levels, bool restoring);

    // Builds the texels of one tile (level, tile column, tile row) into
    // `out` as packed texels, 128 rows of 128, without touching a device.
    // False when the elevation cache holds nothing there.
    virtual bool buildTexels(int level, int tileColumn, int tileRow, std::vector<uint32_t>& out);

protected:
    int columnShiftOf(int level, int tileRow) const;
    // The photographic samples of a tile into photo_ (photoValid_ marks
    // those read).
    void readPhoto(int level, int originX, int originY, int columnShift);
    // lit_ (129 x 129 ARGB samples) resampled onto the 128 x 128 texels.
    void resampleLit(std::vector<uint32_t>& out) const;

    std::vector<uint8_t> photo_;        // 129 x 129 RGB
    std::vector<uint8_t> photoValid_;   // per sample: 1 when read
    std::vector<uint8_t> lit_;          // 129 x 129 ARGB: the lit colour of every sample
    bool lastTileDark_ = false;         // the last buildTexels made only black texels

private:
    struct Slot {
        int tileColumn = -1, tileRow = -1;
        uint32_t flags = 0;
        std::unique_ptr<gfx::Texture> texture;
    };
    // One row of a ring: the tile row it holds and its run of tiles. `first`
    // is not wrapped: it only ever moves by the tiles the ring scrolled, so
    // a tile keeps its slot (first + offset, modulo count) while it stays in
    // the ring, the date line included.
    struct RingRow {
        int tileRow = -1;
        int first = 0;
        int count = 0;   // tiles kept
        int across = 1;  // tiles round the globe
    };
    struct Level {
        int level = 0;
        int ringCols = 0, ringRows = 0;   // slots per side
        int totalRows = 0;                // tile rows over the globe
        int firstRow = 0;                 // first tile row of the ring
        std::vector<RingRow> rows;        // by tile row modulo ringRows
        std::vector<Slot> slots;
    };

    int tilesAcross(int level, int tileRow) const;
    void place(Level& l, int column, int row);
    // Index of the slot holding a tile when the ring reaches it, else -1.
    int slotIndex(const Level& l, int tileColumn, int tileRow) const;
    Slot* slotFor(Level& l, int tileColumn, int tileRow);
    bool build(Level& l, Slot& slot);
    bool usesPalette(int surfaceClass) const;

    ElevationSampler sampler_;
    ColourTileSource* colour_;
    const RowDecimation& decimation_;
    int ringSide_;
    int fileShift_;
    int gridCells_;  // W - 1
    RowShiftTable fileRows_;  // of the texture file's grid
    std::vector<Level> levels_;

    TerrainPalette palette_;
    uint32_t options_ = 0;
    int landOpacity_ = 255;
    uint8_t base_[3] = {0, 0, 0};
    float shadingScale_ = 400.0f;
    float exaggeration_ = 0.00001f;
    TextureAdjustments adjustments_;
    texels::AdjustTable adjustTable_;
    gfx::Format format_;

    gfx::Device* device_ = nullptr;
    std::unique_ptr<gfx::Texture> staging_;
    int budget_ = 0;
    int tilesBuilt_ = 0;
    int colourReads_ = 0;
    int deferred_ = 0;

    // Scratch: words of the tile, the photographic texels and their alpha.
    std::vector<uint32_t> words_;       // 130 x 130: the samples and one more row and column for the shade
    std::vector<uint8_t> fileTile_;
    std::vector<uint32_t> texels_;
};

}  // namespace tnx::globe
