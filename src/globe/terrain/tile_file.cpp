#include "globe/terrain/tile_file.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <cstring>

#include "globe/terrain/row_shift_table.h"
#include "globe/terrain/tile_codec.h"
#include "globe/image/tile_jpeg.h"
#include "platform/home/program_home.h"
#include "platform/io/byte_io.h"

namespace tnx::globe {

namespace {

enum SlotState : uint8_t { kSlotEmpty = 0, kSlotLoaded = 1, kSlotStale = 2 };

constexpr int kRingSides[kTileLevels] = {8, 4, 2, 2, 2, 2, 2, 2, 2};
// Block counts beyond this are taken for damage (the index alone would be huge).
constexpr int kMaxBlockCount = 1024;
constexpr int kMaxFileOffset = INT32_MAX;

int floorMod(int a, int m) {
    int r = a % m;
    return r < 0 ? r + m : r;
}

}  // namespace

uint16_t makeSample(int elevation, int q) {
    q &= 3;
    int lo = q < 2 ? -4096 : -16384;
    int hi = q < 2 ? 12287 : -1;
    return uint16_t(std::clamp(elevation, lo, hi) + classBase(q));
}

int gridPowerOf(int width) {
    if (width < 5) return 0;
    unsigned cells = unsigned(width - 1);
    if ((cells & (cells - 1)) != 0) return 0;
    int k = 0;
    while ((1u << k) < cells) ++k;
    return k <= 17 ? k : 0;
}

struct TileEntry {
    int32_t offset = 0;
    uint32_t size = 0;
};

struct TileFile::Impl {
    struct Slot {
        uint8_t state = kSlotStale;
        std::array<TileEntry, 64> entries{};
    };
    // One level's block index and its ring of resident block tables.
    struct Level {
        int blockColumns = 1, blockRows = 1;
        size_t indexStart = 0;
        int side = 2;
        int originColumn = 0, originRow = 0;
        int wrapColumn = 0, wrapRow = 0;
        std::vector<Slot> slots;
    };
    struct RawGrid {
        int width = 0, height = 0;
        std::vector<uint16_t> samples;  // row 0 = the grid's row 0
        RowShiftTable shifts;
    };

    std::FILE* file = nullptr;
    bool writable = false;
    uint64_t fileSize = 0;
    TileFileHeader header;
    int extentX = 0, extentY = 0;
    std::vector<int32_t> index;
    std::array<Level, kTileLevels> levels;
    std::vector<uint8_t> scratch = std::vector<uint8_t>(kTileScratchBytes);
    std::vector<uint8_t> coded;
    std::unique_ptr<RawGrid> raw;

    ~Impl() { closeFile(); }

    void closeFile() {
        if (file) std::fclose(file);
        file = nullptr;
        writable = false;
        fileSize = 0;
        raw.reset();
    }

    bool readAt(uint64_t offset, void* dest, size_t n) {
        if (!file || offset > fileSize || n > fileSize - offset) return false;
        if (fseeko(file, off_t(offset), SEEK_SET) != 0) return false;
        return std::fread(dest, 1, n, file) == n;
    }

    bool writeAt(uint64_t offset, const void* src, size_t n) {
        if (!file || !writable) return false;
        if (fseeko(file, off_t(offset), SEEK_SET) != 0) return false;
        if (std::fwrite(src, 1, n, file) != n) return false;
        fileSize = std::max(fileSize, offset + n);
        return true;
    }

    void buildLevels() {
        size_t start = 0;
        for (int l = 0; l < kTileLevels; ++l) {
            Level& lv = levels[size_t(l)];
            lv = Level{};
            lv.blockColumns = std::max(1, header.blockColumns >> l);
            lv.blockRows = std::max(1, header.blockRows >> l);
            lv.indexStart = start;
            lv.side = kRingSides[l];
            lv.slots.assign(size_t(lv.side) * size_t(lv.side), Slot{});
            start += size_t(lv.blockColumns) * size_t(lv.blockRows);
        }
        index.assign(start, 0);
        extentX = header.tilesAcross * header.blockColumns * 128 / 2;
        extentY = header.tilesDown * header.blockRows * 128 / 2;
    }

    // Moves one axis of a ring so that `want` lies inside it; `stale(i)`
    // marks the slots of ring line i.
    template <typename MarkLine>
    static void scrollAxis(int want, int& origin, int& wrap, int side, MarkLine stale) {
        if (want >= origin + side) {
            int newOrigin = want - side + 1;
            int move = newOrigin - origin;
            if (move >= side) {
                wrap = 0;
                for (int i = 0; i < side; ++i) stale(i);
            } else {
                wrap = floorMod(wrap + move, side);
                for (int b = origin + side; b < newOrigin + side; ++b) stale(floorMod(b - newOrigin + wrap, side));
            }
            origin = newOrigin;
        } else if (want < origin) {
            int move = origin - want;
            if (move >= side) {
                wrap = 0;
                for (int i = 0; i < side; ++i) stale(i);
            } else {
                wrap = floorMod(wrap - move, side);
                for (int b = want; b < origin; ++b) stale(floorMod(b - want + wrap, side));
            }
            origin = want;
        }
    }

    Slot& slotFor(Level& lv, int bc, int br) {
        int side = lv.side;
        scrollAxis(bc, lv.originColumn, lv.wrapColumn, side, [&](int c) {
            for (int r = 0; r < side; ++r) lv.slots[size_t(r * side + c)].state = kSlotStale;
        });
        scrollAxis(br, lv.originRow, lv.wrapRow, side, [&](int r) {
            for (int c = 0; c < side; ++c) lv.slots[size_t(r * side + c)].state = kSlotStale;
        });
        int c = floorMod(bc - lv.originColumn + lv.wrapColumn, side);
        int r = floorMod(br - lv.originRow + lv.wrapRow, side);
        return lv.slots[size_t(r * side + c)];
    }

    // Loads a stale slot's table. Answers 1 loaded, 0 no table (slot now
    // empty), -1 unreadable (slot stays stale).
    int loadTable(Slot& slot, int32_t entry) {
        if (entry == 0) {
            slot.state = kSlotEmpty;
            slot.entries.fill(TileEntry{});
            return 0;
        }
        uint8_t raw[kBlockTableBytes];
        if (entry < 0 || !readAt(uint64_t(entry), raw, sizeof raw)) return -1;
        for (int i = 0; i < 64; ++i) {
            slot.entries[size_t(i)].offset = io::loadI32(raw + i * 8);
            slot.entries[size_t(i)].size = io::loadU32(raw + i * 8 + 4);
        }
        slot.state = kSlotLoaded;
        return 1;
    }

    bool writeTable(const Slot& slot, uint64_t offset) {
        uint8_t raw[kBlockTableBytes];
        for (int i = 0; i < 64; ++i) {
            io::storeI32(raw + i * 8, slot.entries[size_t(i)].offset);
            io::storeU32(raw + i * 8 + 4, slot.entries[size_t(i)].size);
        }
        return writeAt(offset, raw, sizeof raw);
    }

    // Where (x, y, level) lives: its level, block index entry and tile number.
    bool locate(int x, int y, int level, Level*& lv, size_t& entry, int& tile) {
        if (level < 0 || level >= kTileLevels) return false;
        lv = &levels[size_t(level)];
        int bc = (x + extentX) >> (level + 10);
        int br = (y + extentY) >> (level + 10);
        if (bc >= lv->blockColumns || br >= lv->blockRows) return false;
        entry = lv->indexStart + size_t(br) * size_t(lv->blockColumns) + size_t(bc);
        int tc = ((x + extentX) >> (level + 7)) & 7;
        int tr = ((y + extentY) >> (level + 7)) & 7;
        tile = tc + 8 * tr;
        // Remember the block position for the ring.
        blockColumn = bc;
        blockRow = br;
        return true;
    }
    int blockColumn = 0, blockRow = 0;

    std::vector<uint8_t> headerBytes() const {
        std::vector<uint8_t> out;
        out.reserve(kTileHeaderBytes + index.size() * 4);
        io::ByteWriter w(out);
        w.i32(0); w.i32(0); w.i32(0);
        w.i32(header.tileWidth);
        w.i32(header.tileHeight);
        w.i32(0); w.i32(0);
        w.u32(header.formatWord);
        w.i32(header.gridWidth);
        w.i32(header.gridHeight);
        w.i32(header.blockColumns);
        w.i32(header.blockRows);
        w.i32(header.tilesAcross);
        w.i32(header.tilesDown);
        for (int32_t e : index) w.i32(e);
        return out;
    }

    int openRawGrid(uint64_t size) {
        uint8_t head[8];
        if (size < 8 || !readAt(0, head, 8)) return kTileFileNotRecognised;
        int w = io::loadI32(head), h = io::loadI32(head + 4);
        bool wOk = w == 513 || w == 1025 || w == 2049 || w == 4097;
        bool hOk = h == 257 || h == 513 || h == 1025 || h == 2049;
        if (!wOk || !hOk) return kTileFileNotRecognised;
        const size_t n = size_t(w) * size_t(h);
        if (size - 8 < n * 2) return kTileFileNotRecognised;
        std::vector<uint8_t> data(n * 2);
        if (!readAt(8, data.data(), data.size())) return kTileFileNotRecognised;
        auto grid = std::make_unique<RawGrid>();
        grid->width = w;
        grid->height = h;
        grid->samples.resize(n);
        // Stored from the last grid row to the first.
        for (int row = 0; row < h; ++row) {
            size_t src = size_t(h - 1 - row) * size_t(w);
            size_t dst = size_t(row) * size_t(w);
            for (int col = 0; col < w; ++col)
                grid->samples[dst + size_t(col)] = uint16_t((data[src + size_t(col)] << 8) | data[n + src + size_t(col)]);
        }
        grid->shifts = RowShiftTable(w);
        raw = std::move(grid);
        header = TileFileHeader{};
        header.formatWord = kRawGridFormatWord;
        header.gridWidth = w;
        header.gridHeight = h;
        buildLevels();
        return kTileFileRawGrid;
    }

    int readRawTile(int x, int y, int level, uint8_t* dest, size_t byteCount) {
        const RawGrid& g = *raw;
        if (byteCount != kTerrainTileBytes || level < 0 || level >= kTileLevels) return kTileReadError;
        if (x < 0 || y < 0 || x >= g.width - 1 || y >= g.height - 1) return kTileAbsent;
        int d = g.shifts.tileRowShift(y, 128 << level);
        int colStep = 1 << std::min(level + d, 24);
        int rowStep = 1 << level;
        const int cells = g.width - 1;
        for (int j = 0; j < kTileSide; ++j) {
            int64_t row = std::min<int64_t>(int64_t(y) + int64_t(j) * rowStep, g.height - 1);
            const uint16_t* src = g.samples.data() + size_t(row) * size_t(g.width);
            for (int i = 0; i < kTileSide; ++i) {
                int col = int((int64_t(x) + int64_t(i) * colStep) % cells);
                io::storeU16(dest + (size_t(j) * kTileSide + size_t(i)) * 2, src[col]);
            }
        }
        return kTileDelivered;
    }
};

TileFile::TileFile() : impl_(std::make_unique<Impl>()) { impl_->buildLevels(); }
TileFile::~TileFile() = default;

bool TileFile::isOpen() const { return impl_->file != nullptr || impl_->raw != nullptr; }
bool TileFile::isRawGrid() const { return impl_->raw != nullptr; }
bool TileFile::isWritable() const { return impl_->file != nullptr && impl_->writable; }
const TileFileHeader& TileFile::header() const { return impl_->header; }
int TileFile::extentX() const { return impl_->extentX; }
int TileFile::extentY() const { return impl_->extentY; }
size_t TileFile::indexEntryCount() const { return impl_->index.size(); }
void TileFile::setFormatWord(uint32_t formatWord) { impl_->header.formatWord = formatWord; }
void TileFile::setGrid(int width, int height) {
    impl_->header.gridWidth = width;
    impl_->header.gridHeight = height;
}

void TileFile::close() {
    impl_->closeFile();
    impl_->header = TileFileHeader{};
    impl_->buildLevels();
}

int TileFile::open(const std::filesystem::path& path, const char* mode) {
    close();
    Impl& m = *impl_;
    std::FILE* f = std::fopen(path.c_str(), mode);
    if (!f) return kTileFileCannotOpen;
    m.file = f;
    m.writable = std::strpbrk(mode, "wa+") != nullptr;
    uint64_t size = 0;
    if (fseeko(f, 0, SEEK_END) == 0) {
        off_t end = ftello(f);
        size = end > 0 ? uint64_t(end) : 0;
    }
    m.fileSize = size;

    if (size == 0) {
        // A fresh, empty tile file.
        m.header = TileFileHeader{};
        m.buildLevels();
        if (m.writable) {
            std::vector<uint8_t> bytes = m.headerBytes();
            if (!m.writeAt(0, bytes.data(), bytes.size())) {
                close();
                return kTileFileCannotOpen;
            }
            std::fflush(f);
        }
        return kTileFileKind2;
    }

    uint8_t raw[kTileHeaderBytes];
    bool haveHeader = m.readAt(0, raw, sizeof raw);
    TileFileHeader h;
    if (haveHeader) {
        io::ByteReader r(raw, sizeof raw);
        r.skip(12);
        h.tileWidth = r.i32();
        h.tileHeight = r.i32();
        r.skip(8);
        h.formatWord = r.u32();
        h.gridWidth = r.i32();
        h.gridHeight = r.i32();
        h.blockColumns = r.i32();
        h.blockRows = r.i32();
        h.tilesAcross = r.i32();
        h.tilesDown = r.i32();
    }
    bool tileFile = haveHeader && h.tileWidth == kTileSide && h.tileHeight == kTileSide &&
                    (h.kind() == 1 || h.kind() == 2);
    if (!tileFile) {
        int answer = m.openRawGrid(size);
        if (answer != kTileFileRawGrid) {
            close();
            return kTileFileNotRecognised;
        }
        // The grid is held in memory; the stream is not needed any more.
        std::fclose(m.file);
        m.file = nullptr;
        m.writable = false;
        return answer;
    }
    // Our block tables hold 8 x 8 tiles; other layouts cannot be addressed.
    if (h.tilesAcross != kTilesPerBlockSide || h.tilesDown != kTilesPerBlockSide || h.blockColumns < 1 ||
        h.blockRows < 1 || h.blockColumns > kMaxBlockCount || h.blockRows > kMaxBlockCount) {
        close();
        return kTileFileNotRecognised;
    }
    m.header = h;
    m.buildLevels();
    // A short index leaves the missing entries 0: those blocks read as empty.
    size_t available = size > kTileHeaderBytes ? size_t(std::min<uint64_t>(size - kTileHeaderBytes, m.index.size() * 4)) : 0;
    std::vector<uint8_t> bytes(available);
    if (available && m.readAt(kTileHeaderBytes, bytes.data(), available)) {
        for (size_t i = 0; i < available / 4; ++i) m.index[i] = io::loadI32(bytes.data() + i * 4);
    }
    return h.kind() << 16;
}

int TileFile::readTile(int x, int y, int level, uint8_t* dest, size_t byteCount) {
    Impl& m = *impl_;
    if (!dest || byteCount == 0) return kTileReadError;
    if (m.raw) {
        if (x < -m.extentX || x >= m.extentX || y < -m.extentY || y >= m.extentY) {
            std::memset(dest, 0, byteCount);
            return kTileOutside;
        }
        return m.readRawTile(x, y, level, dest, byteCount);
    }
    if (!m.file) return kTileAbsent;
    if (x < -m.extentX || x >= m.extentX || y < -m.extentY || y >= m.extentY) {
        std::memset(dest, 0, byteCount);
        return kTileOutside;
    }
    Impl::Level* lv;
    size_t entry;
    int tile;
    if (!m.locate(x, y, level, lv, entry, tile)) return kTileAbsent;
    Impl::Slot& slot = m.slotFor(*lv, m.blockColumn, m.blockRow);
    if (slot.state == kSlotStale) {
        int loaded = m.loadTable(slot, m.index[entry]);
        if (loaded <= 0) return loaded == 0 ? kTileBlockEmpty : kTileReadError;
    }
    const TileEntry& e = slot.entries[size_t(tile)];
    if (e.offset == 0) return kTileAbsent;
    if (e.offset < 0) return kTileReadError;
    if (e.size == 0) return m.readAt(uint64_t(e.offset), dest, byteCount) ? kTileDelivered : kTileReadError;
    size_t stored = e.size & kSizeMask;
    if (stored > m.scratch.size() || !m.readAt(uint64_t(e.offset), m.scratch.data(), stored)) return kTileReadError;
    std::span<const uint8_t> coded(m.scratch.data(), stored);
    if (((e.size >> 24) & 0xF) == 2) {
        if (byteCount != kTextureTileBytes) return kTileReadError;
        return decodeTileJpeg(coded, std::span<uint8_t>(dest, byteCount)) ? kTileDelivered : kTileReadError;
    }
    return decodeRunLengthPlanes(coded, std::span<uint8_t>(dest, byteCount)) ? kTileDelivered : kTileReadError;
}

bool TileFile::writeTile(int x, int y, int level, const uint8_t* src, size_t byteCount, bool compress) {
    Impl& m = *impl_;
    if (!m.file || !m.writable || !src || byteCount == 0 || byteCount > kSizeMask) return false;
    if (x < -m.extentX || x >= m.extentX || y < -m.extentY || y >= m.extentY) return false;
    Impl::Level* lv;
    size_t entry;
    int tile;
    if (!m.locate(x, y, level, lv, entry, tile)) return false;

    // The stored form: coded when that is smaller (and fits a reader's
    // scratch buffer), else raw.
    const uint8_t* data = src;
    size_t length = byteCount;
    uint32_t sizeWord = 0;
    if (compress) {
        std::span<const uint8_t> in(src, byteCount);
        uint32_t codec = 0;
        if (byteCount == kTextureTileBytes) {
            if (encodeTileJpeg(in, m.coded) == 0) m.coded.clear();
            codec = kJpegCodecFlag;
        } else {
            encodeRunLengthPlanes(in, m.coded);
        }
        if (!m.coded.empty() && m.coded.size() < byteCount && m.coded.size() <= m.scratch.size()) {
            data = m.coded.data();
            length = m.coded.size();
            sizeWord = uint32_t(length) | codec;
        }
    }

    Impl::Slot& slot = m.slotFor(*lv, m.blockColumn, m.blockRow);
    int32_t tableOffset = m.index[entry];
    if (slot.state == kSlotStale && m.loadTable(slot, tableOffset) < 0) return false;
    if (tableOffset == 0) {
        // A new block: its table goes at the end, the tile right after it.
        if (m.fileSize + kBlockTableBytes + length > uint64_t(kMaxFileOffset)) return false;
        uint64_t at = std::max<uint64_t>(m.fileSize, m.index.size() * 4 + kTileHeaderBytes);
        slot.entries.fill(TileEntry{});
        slot.entries[size_t(tile)] = TileEntry{int32_t(at + kBlockTableBytes), sizeWord};
        if (!m.writeTable(slot, at) || !m.writeAt(at + kBlockTableBytes, data, length)) {
            slot.state = kSlotStale;
            return false;
        }
        slot.state = kSlotLoaded;
        m.index[entry] = int32_t(at);
        return true;
    }
    TileEntry& e = slot.entries[size_t(tile)];
    size_t room = e.offset > 0 ? (e.size == 0 ? byteCount : size_t(e.size & kSizeMask)) : 0;
    uint64_t at;
    if (e.offset > 0 && length <= room) {
        at = uint64_t(e.offset);
    } else {
        at = m.fileSize;
        if (at + length > uint64_t(kMaxFileOffset)) return false;
    }
    if (!m.writeAt(at, data, length)) return false;
    e.offset = int32_t(at);
    e.size = sizeWord;
    return m.writeTable(slot, uint64_t(tableOffset));
}

bool TileFile::writeHeader() {
    Impl& m = *impl_;
    if (!m.file || !m.writable) return false;
    std::vector<uint8_t> bytes = m.headerBytes();
    if (!m.writeAt(0, bytes.data(), bytes.size())) return false;
    return std::fflush(m.file) == 0;
}

void tileLevelRelation(int a, int b, int& levelShift, int& levelOffset) {
    auto log2Floor = [](int v) {
        int n = 0;
        while (v > 1) {
            v >>= 1;
            ++n;
        }
        return n;
    };
    if (a < 2 || b < 2 || a == b) {
        levelShift = 1;
        levelOffset = 0;
    } else if (b < a) {
        levelShift = 1;
        levelOffset = log2Floor((a - 1) / (b - 1));
    } else {
        levelShift = log2Floor((b - 1) / (a - 1));
        levelOffset = -levelShift;
    }
}

namespace {
bool usableGrid(const TileFile& f) {
    int k = gridPowerOf(f.gridWidth());
    return k >= 10 && k <= 16 && f.gridHeight() == (f.gridWidth() - 1) / 2 + 1;
}

bool openFirst(TileFile& file, std::initializer_list<const char*> names, bool rawGridAllowed,
               std::filesystem::path& opened) {
    for (const char* name : names) {
        std::filesystem::path p = home::dataFile(name);
        int answer = file.open(p, "rb");
        bool accepted = answer == kTileFileKind1 || answer == kTileFileKind2 || (rawGridAllowed && answer == kTileFileRawGrid);
        if (accepted && usableGrid(file)) {
            opened = p;
            return true;
        }
        file.close();
    }
    opened.clear();
    return false;
}
}  // namespace

void openTileFiles(TileFileSet& files) {
    if (openFirst(files.terrain, {"globe16c.tem", "globe15c.tem", "globe14c.tem", "globe13c.tem", "globe12c.tem", "globe11c.tem"},
                  true, files.terrainPath)) {
        files.terrainWidth = files.terrain.gridWidth();
        files.terrainHeight = files.terrain.gridHeight();
    } else {
        files.terrainWidth = 2049;
        files.terrainHeight = 1025;
    }
    // A raw grid holds terrain only.
    if (openFirst(files.texture, {"globetex16j90.tex", "globetex15j90.tex", "globetex14j90.tex", "globetex13j90.tex",
                                  "globetex11j90.tex"},
                  false, files.texturePath)) {
        files.textureWidth = files.texture.gridWidth();
        files.textureHeight = files.texture.gridHeight();
    } else {
        files.texture.close();
        files.texturePath.clear();
        files.textureWidth = files.terrainWidth;
        files.textureHeight = files.terrainHeight;
    }
    tileLevelRelation(files.terrainWidth, files.textureWidth, files.terrainLevelShift, files.textureLevelOffset);
    if (openFirst(files.night, {"globenight16j90.tex", "globenight15j90.tex", "globenight14j90.tex",
                                "globenight13j90.tex", "globenight12j90.tex", "globenight11j90.tex"},
                  false, files.nightPath)) {
        files.nightFileShift = gridPowerOf(files.rendererGridWidth()) - gridPowerOf(files.night.gridWidth());
    } else {
        files.night.close();
        files.nightPath.clear();
    }
}

}  // namespace tnx::globe
