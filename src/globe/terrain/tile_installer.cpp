#include "globe/terrain/tile_installer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "globe/image/jpeg_strip_reader.h"
#include "globe/terrain/row_shift_table.h"
#include "globe/terrain/tile_file.h"
#include "platform/home/program_home.h"
#include "platform/io/byte_io.h"
#include "platform/io/file_io.h"

namespace tnx::globe {

namespace {

constexpr int kStripRows = 128;
constexpr int kTextureTopLevel = 6;
constexpr int kTerrainTopLevel = 4;
constexpr int kMinImageWidth = 513;
constexpr int kMaxImageWidth = 131072;

std::string extensionOf(std::string_view name) {
    // Only the file's own name counts, not dots in its folder.
    size_t slash = name.find_last_of("/\\");
    if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
    size_t dot = name.find('.');
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot + 1));
}

// One row of colour tiles of one level, kept in memory until the row beside
// it arrives and their parent row can be built.
struct ColourTileRow {
    int tileRow = -1;  // -1: none
    int shift = 0;     // column decimation of the row
    std::vector<std::vector<uint8_t>> tiles;  // by tile column; empty = missing
};

class TexturePyramid {
public:
    TexturePyramid(TileFile& file, int width, int height)
        : file_(file), width_(width), height_(height), shifts_(width), pending_(kTextureTopLevel + 1) {}

    bool failed() const { return failed_; }
    const RowShiftTable& shifts() const { return shifts_; }

    // A tile buffer of 49923 bytes with unspecified contents: the buffers of
    // rows already passed on come back here, so a whole installation
    // allocates only as many as are alive at once.
    std::vector<uint8_t> takeBuffer() {
        if (spare_.empty()) return std::vector<uint8_t>(kTextureTileBytes);
        std::vector<uint8_t> b = std::move(spare_.back());
        spare_.pop_back();
        return b;
    }

    int rowShift(int level, int tileRow) const {
        int span = 128 << level;
        int shift = shifts_.tileRowShift(tileRow * span, span);
        while (shift > 0 && (int64_t(span) << shift) > width_ - 1) --shift;
        return shift;
    }
    int tileColumns(int level, int shift) const {
        int64_t rowSpan = int64_t(128) << (level + shift);
        return int((int64_t(width_ - 1) + rowSpan - 1) / rowSpan);
    }
    int tileRows(int level) const {
        int span = 128 << level;
        return std::max(1, (height_ - 1 + span - 1) / span);
    }

    // Takes a finished row of `level`, stores its tiles and, once its pair
    // is complete, builds the parent row. Rows arrive from the last down.
    void add(int level, ColourTileRow row) {
        for (size_t c = 0; c < row.tiles.size(); ++c) {
            if (row.tiles[c].empty()) continue;
            int64_t x = int64_t(c) << (7 + level + row.shift);
            int64_t y = int64_t(row.tileRow) << (7 + level);
            // Beyond the file's coordinate range (images over 65536 wide): not stored.
            if (x < file_.extentX() && y < file_.extentY() &&
                !file_.writeTile(int(x), int(y), level, row.tiles[c].data(), kTextureTileBytes, true))
                failed_ = true;
        }
        if (level >= kTextureTopLevel) {
            recycle(row);
            return;
        }
        ColourTileRow& waiting = pending_[size_t(level)];
        if (row.tileRow % 2 == 1) {
            // The upper child of its parent: wait for the lower one.
            recycle(waiting);
            waiting = std::move(row);
            return;
        }
        ColourTileRow upper;
        if (waiting.tileRow == row.tileRow + 1) upper = std::move(waiting);
        recycle(waiting);
        waiting = ColourTileRow{};
        ColourTileRow parent = buildParent(level + 1, row.tileRow / 2, row, upper);
        recycle(row);
        recycle(upper);
        add(level + 1, std::move(parent));
    }

    // A parent row left without its lower child never happens (rows end at
    // row 0, which is even); an upper child left waiting means its parent's
    // lower child is missing too, so nothing remains to build.

private:
    void recycle(ColourTileRow& row) {
        for (std::vector<uint8_t>& t : row.tiles)
            if (t.size() == kTextureTileBytes) spare_.push_back(std::move(t));
        row.tiles.clear();
    }

    ColourTileRow buildParent(int level, int tileRow, const ColourTileRow& lower, const ColourTileRow& upper) {
        ColourTileRow parent;
        parent.tileRow = tileRow;
        parent.shift = rowShift(level, tileRow);
        int columns = tileColumns(level, parent.shift);
        parent.tiles.resize(size_t(columns));
        for (int c = 0; c < columns; ++c) {
            std::vector<uint8_t> out = takeBuffer();
            const bool fromLower = fillHalf(level, c, parent.shift, lower, 0, out);
            const bool fromUpper = fillHalf(level, c, parent.shift, upper, 64, out);
            if (fromLower || fromUpper) parent.tiles[size_t(c)] = std::move(out);
            else spare_.push_back(std::move(out));
        }
        return parent;
    }

    // Fills parent rows j0..j0 + 64 (the last half includes the shared row
    // 128) of parent tile column c from one child row: every texel the mean
    // of the 2 x 2 child texels it covers (one column where the child row
    // has the parent's own column spacing, one row at the shared last row).
    // Where the child row has no tile the texels are black. False when it
    // has none at all there.
    bool fillHalf(int level, int c, int parentShift, const ColourTileRow& child, int j0, std::vector<uint8_t>& out) {
        const int jEnd = j0 == 64 ? 128 : 63;
        uint8_t* rows = out.data() + size_t(j0) * kTileSide * 3;
        const size_t rowsBytes = size_t(jEnd - j0 + 1) * kTileSide * 3;
        if (child.tileRow < 0) {
            std::memset(rows, 0, rowsBytes);
            return false;
        }
        const int childLevel = level - 1;
        const int64_t parentStep = int64_t(1) << (level + parentShift);
        const int64_t childStep = int64_t(1) << (childLevel + child.shift);
        const int64_t childSpan = childStep * 128;
        const int64_t x0 = int64_t(c) * parentStep * 128;
        const int64_t lastTile = (x0 + parentStep * 128 - 1) / childSpan;
        // Child columns per parent column: 2 (averaged in pairs), 1, or 0
        // when the child row is the coarser (nearest child column to the left).
        const int64_t ratio = parentStep >= childStep ? parentStep / childStep : 0;
        const bool pairAcross = ratio == 2;
        constexpr size_t kRow = size_t(kTileSide) * 3;
        bool any = false;
        int i = 0;
        while (i < kTileSide) {
            // The run of parent columns that falls in one child tile.
            const int64_t t = std::min((x0 + i * parentStep) / childSpan, lastTile);
            int iEnd = kTileSide;
            if (t < lastTile) iEnd = int(std::min<int64_t>(((t + 1) * childSpan - x0 + parentStep - 1) / parentStep, kTileSide));
            const std::vector<uint8_t>* tile =
                t < int64_t(child.tiles.size()) && !child.tiles[size_t(t)].empty() ? &child.tiles[size_t(t)] : nullptr;
            const int64_t base = x0 - t * childSpan;  // child sample offset of parent column 0
            for (int j = j0; j <= jEnd; ++j) {
                uint8_t* dst = out.data() + size_t(j) * kRow;
                if (!tile) {
                    std::memset(dst + size_t(i) * 3, 0, size_t(iEnd - i) * 3);
                    continue;
                }
                // Child rows 2(j - j0) and the one above, except the shared last row.
                const int cj = 2 * (j - j0);
                const uint8_t* a = tile->data() + size_t(cj) * kRow;
                const uint8_t* b = cj < 128 ? a + kRow : nullptr;
                for (int k = i; k < iEnd; ++k) {
                    const int ci = ratio > 0 ? int(std::min<int64_t>(base / childStep + k * ratio, 128))
                                             : int(std::min<int64_t>((base + k * parentStep) / childStep, 128));
                    const uint8_t* p = a + size_t(ci) * 3;
                    uint8_t* d = dst + size_t(k) * 3;
                    if (pairAcross && ci < 128) {
                        if (b) {
                            const uint8_t* q = b + size_t(ci) * 3;
                            for (int ch = 0; ch < 3; ++ch) d[ch] = uint8_t((p[ch] + p[ch + 3] + q[ch] + q[ch + 3] + 2) >> 2);
                        } else {
                            for (int ch = 0; ch < 3; ++ch) d[ch] = uint8_t((p[ch] + p[ch + 3] + 1) >> 1);
                        }
                    } else if (b) {
                        const uint8_t* q = b + size_t(ci) * 3;
                        for (int ch = 0; ch < 3; ++ch) d[ch] = uint8_t((p[ch] + q[ch] + 1) >> 1);
                    } else {
                        d[0] = p[0], d[1] = p[1], d[2] = p[2];
                    }
                }
            }
            any |= tile != nullptr;
            i = iEnd;
        }
        return any;
    }

    TileFile& file_;
    int width_, height_;
    RowShiftTable shifts_;
    std::vector<ColourTileRow> pending_;
    std::vector<std::vector<uint8_t>> spare_;
    bool failed_ = false;
};

}  // namespace

InstallKind installKindFor(std::string_view fileName) {
    std::string ext = extensionOf(fileName);
    if (ext == "tex") return InstallKind::Texture;
    if (ext == "tem") return InstallKind::Terrain;
    return InstallKind::None;
}

std::string installTitle(InstallKind kind) {
    switch (kind) {
        case InstallKind::Texture: return "Install Globe Texture";
        case InstallKind::Terrain: return "Install Globe Topography";
        case InstallKind::None: break;
    }
    return {};
}

std::filesystem::path textureImagePath(const std::filesystem::path& tileFile) {
    std::string name = tileFile.filename().string();
    size_t dot = name.find('.');
    return tileFile.parent_path() / (name.substr(0, dot) + ".jpg");
}

InstallOutcome installTexture(const std::filesystem::path& tileFile) {
    {
        TileFile probe;
        int answer = probe.open(tileFile, "rb");
        if (answer == kTileFileCannotOpen) return InstallOutcome::NotApplicable;
        if (answer != kTileFileNotRecognised) return InstallOutcome::AlreadyInstalled;
    }
    const std::filesystem::path image = textureImagePath(tileFile);
    std::error_code ec;
    std::filesystem::rename(tileFile, image, ec);
    if (ec) return InstallOutcome::NotApplicable;

    // A fresh, empty tile file first: whatever happens next, the file is a
    // valid tile file and a second run leaves it alone.
    if (std::FILE* f = std::fopen(tileFile.c_str(), "wb")) std::fclose(f);
    TileFile file;
    if (file.open(tileFile, "r+b") != kTileFileKind2) return InstallOutcome::Failed;

    std::optional<std::vector<uint8_t>> jpeg = io::readWholeFile(image);
    JpegStripReader reader;
    if (!jpeg || !reader.open(*jpeg)) return InstallOutcome::BadImage;
    const int width = reader.width(), height = reader.height();
    if (width < kMinImageWidth || width > kMaxImageWidth || height != width / 2) return InstallOutcome::BadImage;

    const int gridWidth = width + 1;
    const int gridHeight = (width + 1) / 2 + 1;
    file.setFormatWord(kTileFormatWord);
    file.setGrid(gridWidth, gridHeight);
    TexturePyramid pyramid(file, gridWidth, gridHeight);

    // 129 rows: row 0 the previous strip's last row, rows 1..128 this strip.
    const size_t stride = size_t(width) * 3;
    std::vector<uint8_t> strip(stride * (kStripRows + 1));
    const int strips = (height + kStripRows - 1) / kStripRows;
    bool decodeError = false;
    for (int s = 0; s < strips; ++s) {
        int got = reader.readRows(kStripRows, strip.data() + stride);
        if (got <= 0) {
            decodeError = true;
            break;
        }
        // A short last strip repeats its last row.
        for (int r = got + 1; r <= kStripRows; ++r)
            std::memcpy(strip.data() + stride * size_t(r), strip.data() + stride * size_t(got), stride);
        if (s == 0) std::memcpy(strip.data(), strip.data() + stride, stride);

        // Tile row t of the grid runs from south to north: its row j is
        // strip row 128 - j, and column W - 1 repeats column 0.
        ColourTileRow row;
        row.tileRow = strips - 1 - s;
        row.shift = pyramid.rowShift(0, row.tileRow);
        const int64_t step = int64_t(1) << row.shift;
        row.tiles.resize(size_t(pyramid.tileColumns(0, row.shift)));
        for (size_t c = 0; c < row.tiles.size(); ++c) {
            std::vector<uint8_t>& tile = row.tiles[c];
            tile = pyramid.takeBuffer();
            const int64_t x0 = int64_t(c) * 128 * step;
            // Columns before the image's right edge; the rest wrap to its left.
            const int inside = int(std::clamp<int64_t>((width - x0 + step - 1) / step, 0, kTileSide));
            for (int j = 0; j < kTileSide; ++j) {
                const uint8_t* src = strip.data() + stride * size_t(kStripRows - j);
                uint8_t* dst = tile.data() + size_t(j) * kTileSide * 3;
                if (step == 1) {
                    std::memcpy(dst, src + size_t(x0) * 3, size_t(inside) * 3);
                } else {
                    const uint8_t* p = src + size_t(x0) * 3;
                    for (int i = 0; i < inside; ++i, p += step * 3) {
                        dst[i * 3] = p[0];
                        dst[i * 3 + 1] = p[1];
                        dst[i * 3 + 2] = p[2];
                    }
                }
                for (int i = inside; i < kTileSide; ++i) {
                    const uint8_t* p = src + size_t((x0 + i * step) % width) * 3;
                    dst[i * 3] = p[0];
                    dst[i * 3 + 1] = p[1];
                    dst[i * 3 + 2] = p[2];
                }
            }
        }
        pyramid.add(0, std::move(row));
        // The next strip's row 0.
        std::memcpy(strip.data(), strip.data() + stride * kStripRows, stride);
    }
    reader.close();
    bool headerOk = file.writeHeader();
    file.close();
    if (decodeError || pyramid.failed() || !headerOk) return InstallOutcome::Failed;
    std::filesystem::remove(image, ec);
    return InstallOutcome::Installed;
}

InstallOutcome installTerrain(const std::filesystem::path& tileFile) {
    TileFile file;
    if (file.open(tileFile, "r+b") != kTileFileKind2) return InstallOutcome::NotApplicable;
    const int width = file.gridWidth(), height = file.gridHeight();
    if (width < 2 || height < 2) {
        file.writeHeader();
        return InstallOutcome::Installed;
    }
    const RowShiftTable shifts(width);
    auto rowShift = [&](int level, int tileRow) {
        int span = 128 << level;
        int shift = shifts.tileRowShift(tileRow * span, span);
        while (shift > 0 && (int64_t(span) << shift) > width - 1) --shift;
        return shift;
    };
    std::vector<uint16_t> parent(static_cast<size_t>(kTileSampleCount));
    std::vector<uint8_t> bytes(kTerrainTileBytes);
    std::vector<uint16_t> child(static_cast<size_t>(kTileSampleCount));
    bool ok = true;
    auto readChild = [&](int x, int y, int level) {
        if (x < file.extentX() && y < file.extentY() &&
            file.readTile(x, y, level, bytes.data(), bytes.size()) == kTileDelivered) {
            for (int i = 0; i < kTileSampleCount; ++i) child[size_t(i)] = io::loadU16(bytes.data() + size_t(i) * 2);
        } else {
            std::fill(child.begin(), child.end(), kMissingSample);
        }
    };
    for (int level = 1; level <= kTerrainTopLevel; ++level) {
        const int span = 128 << level;
        for (int tileRow = 0; int64_t(tileRow) * span < height - 1; ++tileRow) {
            const int y = tileRow * span;
            if (y >= file.extentY()) break;
            const int shift = rowShift(level, tileRow);
            const int64_t rowSpan = int64_t(span) << shift;
            for (int64_t x = 0; x < width - 1 && x < file.extentX(); x += rowSpan) {
                // Start from what the file holds for the parent, if anything.
                if (file.readTile(int(x), y, level, bytes.data(), bytes.size()) == kTileDelivered) {
                    for (int i = 0; i < kTileSampleCount; ++i) parent[size_t(i)] = io::loadU16(bytes.data() + size_t(i) * 2);
                } else {
                    std::fill(parent.begin(), parent.end(), kMissingSample);
                }
                for (int half = 0; half < 2; ++half) {
                    const int childRow = 2 * tileRow + half;
                    const int cy = childRow * (span / 2);
                    const int childShift = rowShift(level - 1, childRow);
                    const int64_t childStep = int64_t(1) << (level - 1 + childShift);
                    const int64_t childSpan = childStep * 128;
                    const int64_t parentStep = int64_t(1) << (level + shift);
                    // Same spacing as the parent: two children across, every
                    // second sample; coarser: one child, every sample.
                    for (int64_t cx = x; cx < x + rowSpan; cx += childSpan) {
                        if (cy >= height - 1) std::fill(child.begin(), child.end(), kMissingSample);
                        else readChild(int(cx), cy, level - 1);
                        for (int j = 0; j <= 64; ++j) {
                            const int pj = half * 64 + j;
                            const uint16_t* src = child.data() + size_t(2 * j) * kTileSide;
                            uint16_t* dst = parent.data() + size_t(pj) * kTileSide;
                            for (int ci = 0; ci < kTileSide; ++ci) {
                                int64_t px = cx + ci * childStep;
                                int64_t offset = px - x;
                                if (offset % parentStep != 0) continue;
                                int64_t pi = offset / parentStep;
                                if (pi > 128) break;
                                uint16_t s = src[ci];
                                if (s != kMissingSample) dst[pi] = s;
                            }
                        }
                    }
                }
                for (int i = 0; i < kTileSampleCount; ++i) io::storeU16(bytes.data() + size_t(i) * 2, parent[size_t(i)]);
                if (!file.writeTile(int(x), y, level, bytes.data(), bytes.size(), true)) ok = false;
            }
        }
    }
    if (!file.writeHeader()) ok = false;
    file.close();
    return ok ? InstallOutcome::Installed : InstallOutcome::Failed;
}

InstallOutcome installFile(const std::filesystem::path& tileFile) {
    switch (installKindFor(tileFile.filename().string())) {
        case InstallKind::Texture: return installTexture(tileFile);
        case InstallKind::Terrain: return installTerrain(tileFile);
        case InstallKind::None: break;
    }
    return InstallOutcome::NotApplicable;
}

void initTemAndTexture(const std::filesystem::path& folder) {
    installTexture(folder / "globetex11j90.tex");
    installTerrain(folder / "globe11c.tem");
}

std::filesystem::path installerFile(const std::string& name) {
    std::filesystem::path p(name);
    if (p.is_absolute()) return p;
    return home::dataFile(name);
}

std::string installerArgumentFile(const std::string& argumentText) {
    size_t blank = argumentText.find(' ');
    return blank == std::string::npos ? std::string() : argumentText.substr(blank + 1);
}

TileInstaller::TileInstaller(std::filesystem::path file)
    : file_(std::move(file)), kind_(installKindFor(file_.filename().string())) {}

TileInstaller::~TileInstaller() { wait(); }

void TileInstaller::start() {
    if (worker_.joinable() || finished()) return;
    worker_ = std::thread([this] {
        outcome_ = kind_ == InstallKind::None ? InstallOutcome::NotApplicable : installFile(file_);
        finished_.store(true, std::memory_order_release);
    });
}

void TileInstaller::wait() {
    if (worker_.joinable()) worker_.join();
}

}  // namespace tnx::globe
