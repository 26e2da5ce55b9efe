#include "globe/terrain/elevation_cache.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/process_state.h"
#include "globe/terrain/tile_file.h"
#include "platform/io/byte_io.h"

namespace tnx::globe {

namespace {

constexpr int kWholeColumns = 16;
// A tile we could not read stands for flat land at sea level.
constexpr uint16_t kFlatSample = 4096;
constexpr int kTileWords = kTileSide * kTileSide;

int floorMod(int a, int m) {
    int r = a % m;
    return r < 0 ? r + m : r;
}

int floorDiv(int a, int b) {
    int q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Elevation with the class base removed, offset so that class 0's range
// -4096..12287 m is 0..16383.
int levelValue(uint16_t s) { return sampleElevation(s) + 4096; }

}  // namespace

struct ElevationCache::Impl {
    struct RingRow {
        int tileRow = -1;        // grid tile row it holds, -1 none
        int shift = 0;
        uint32_t transition = 0;
        int first = 0;           // first tile column, unwrapped
        int tiles = 0;           // tiles this row keeps
        int around = 1;          // tiles round the globe in this row
    };
    struct Level {
        int level = 0;
        int span = 128;
        bool whole = false;
        int ringWidth = 0, ringHeight = 0;
        int tileRows = 0;        // tile rows of the grid
        int originTileRow = 0;
        int centreTile = -1;     // wanted origin column / span at the last recentre
        bool placed = false;
        std::vector<RingRow> rows;
        std::vector<CacheTile> tiles;
    };

    TileFile* terrain = nullptr;
    int fileShift = 1;
    int width = 0, height = 0;
    int ringSide = 5;
    float exaggeration = 0.00001f;
    RowShiftTable shifts;
    std::vector<Level> levels;
    std::vector<CacheTile*> pending;
    size_t pendingSeen = 0;
    size_t ringTileCount = 0;
    uint64_t filled = 0;
    std::vector<uint8_t> fileTile = std::vector<uint8_t>(kTerrainTileBytes);

    int mask() const { return width - 2; }

    void markNotLoaded(CacheTile& t) {
        t.flags &= ~(kCacheTileLoaded | kCacheWordsReady | kCacheDataLevelMask | (0xFFFu << kCacheDataShiftBit));
        pending.push_back(&t);
        if (++pendingSeen >= 2 * std::max<size_t>(ringTileCount, 1)) {
            std::vector<CacheTile*> still;
            for (CacheTile* p : pending)
                if (!(p->flags & kCacheTileLoaded) && std::find(still.begin(), still.end(), p) == still.end())
                    still.push_back(p);
            pending.swap(still);
            pendingSeen = pending.size();
        }
    }

    void assignTile(Level& lv, int ringRow, const RingRow& rr, int unwrapped) {
        CacheTile& t = lv.tiles[size_t(ringRow) * size_t(lv.ringWidth) + size_t(floorMod(unwrapped, rr.tiles))];
        t.level = lv.level;
        t.rowShift = rr.shift;
        t.originX = floorMod(unwrapped, rr.around) * (lv.span << rr.shift);
        t.originY = rr.tileRow * lv.span;
        t.flags = rr.transition;
        markNotLoaded(t);
    }

    int firstTileFor(const Level& lv, const RingRow& rr, int centreColumn) const {
        int rowSpan = lv.span << rr.shift;
        int half = std::min(lv.ringWidth / 2, rr.around / 2);
        return floorDiv(centreColumn, rowSpan) - half;
    }

    void setupRow(Level& lv, int ringRow, int tileRow, int centreColumn) {
        RingRow& rr = lv.rows[size_t(ringRow)];
        rr.tileRow = tileRow;
        int shift = shifts.tileRowShift(tileRow * lv.span, lv.span);
        // Never so coarse that a tile would span more than the globe.
        while (shift > 0 && (lv.span << shift) > width - 1) --shift;
        rr.shift = shift;
        auto shiftOf = [&](int r) { return shifts.tileRowShift(r * lv.span, lv.span); };
        rr.transition = 0;
        if (tileRow + 1 < lv.tileRows && shiftOf(tileRow + 1) > shift) rr.transition |= kRowAboveCoarser;
        if (tileRow > 0 && shiftOf(tileRow - 1) > shift) rr.transition |= kRowBelowCoarser;
        rr.around = std::max(1, (width - 1) / (lv.span << shift));
        rr.tiles = std::min(lv.ringWidth, rr.around);
        rr.first = rr.tiles == rr.around ? 0 : firstTileFor(lv, rr, centreColumn);
        for (int u = rr.first; u < rr.first + rr.tiles; ++u) assignTile(lv, ringRow, rr, u);
    }

    void scrollRow(Level& lv, int ringRow, int centreColumn) {
        RingRow& rr = lv.rows[size_t(ringRow)];
        if (rr.tiles == rr.around) return;  // covers the whole circle
        int wanted = firstTileFor(lv, rr, centreColumn);
        int move = floorMod(wanted - rr.first, rr.around);
        if (move >= rr.around - rr.around / 2) move -= rr.around;  // fold into half the globe
        if (move == 0) return;
        int oldFirst = rr.first;
        rr.first += move;
        for (int u = rr.first; u < rr.first + rr.tiles; ++u)
            if (u < oldFirst || u >= oldFirst + rr.tiles) assignTile(lv, ringRow, rr, u);
    }

    void recentreLevel(Level& lv, int column, int row) {
        if (lv.whole && lv.placed) return;
        int wantedTile = column / lv.span;
        const int originTileRow = ringFirstRow(row, lv.span, lv.ringHeight, lv.tileRows);
        if (lv.placed && wantedTile == lv.centreTile && originTileRow == lv.originTileRow) return;
        lv.centreTile = wantedTile;
        lv.originTileRow = originTileRow;
        lv.placed = true;
        for (int r = originTileRow; r < originTileRow + lv.ringHeight; ++r) {
            int ringRow = floorMod(r, lv.ringHeight);
            if (lv.rows[size_t(ringRow)].tileRow != r) setupRow(lv, ringRow, r, column);
            else scrollRow(lv, ringRow, column);
        }
    }

    // The slot covering (x, y) or null.
    CacheTile* find(int levelIndex, int x, int y) {
        if (levelIndex < 0 || levelIndex >= int(levels.size())) return nullptr;
        Level& lv = levels[size_t(levelIndex)];
        if (!lv.placed || y < 0 || y > height - 1) return nullptr;
        int tileRow = std::min(y / lv.span, lv.tileRows - 1);
        if (tileRow < lv.originTileRow || tileRow >= lv.originTileRow + lv.ringHeight) return nullptr;
        int ringRow = floorMod(tileRow, lv.ringHeight);
        const RingRow& rr = lv.rows[size_t(ringRow)];
        if (rr.tileRow != tileRow) return nullptr;
        int column = (x & mask()) / (lv.span << rr.shift);
        int d = floorMod(column - rr.first, rr.around);
        if (d >= rr.tiles) return nullptr;
        return &lv.tiles[size_t(ringRow) * size_t(lv.ringWidth) + size_t(floorMod(rr.first + d, rr.tiles))];
    }

    bool fill(CacheTile& t) {
        const int l = t.level;
        const int fileLevel = l - fileShift;
        int dataLevel = l, dataShift = t.rowShift;
        // Own buffer: deriving may fill coarser tiles on the way.
        std::vector<uint16_t> samples(static_cast<size_t>(kTileWords));
        if (fileLevel >= 0) {
            bool ok = terrain && terrain->isOpen() && fileLevel < kTileLevels &&
                      terrain->readTile(t.originX >> fileShift, t.originY >> fileShift, fileLevel, fileTile.data(),
                                        fileTile.size()) == kTileDelivered;
            if (ok) {
                for (int i = 0; i < kTileWords; ++i) samples[size_t(i)] = io::loadU16(fileTile.data() + size_t(i) * 2);
            } else if (const CacheTile* coarse = l + 1 < int(levels.size()) ? derive(t, samples) : nullptr) {
                // A missing or damaged tile shows the coarser level's relief.
                dataLevel = l + 1;
                dataShift = coarse->rowShift;
            } else {
                std::fill(samples.begin(), samples.end(), kFlatSample);
            }
        } else if (l + 1 < int(levels.size())) {
            const CacheTile* coarse = derive(t, samples);
            if (!coarse) return false;
            dataLevel = l + 1;
            dataShift = coarse->rowShift;
        } else {
            std::fill(samples.begin(), samples.end(), kFlatSample);
        }
        t.samples = std::move(samples);
        t.flags = (t.flags & ~(kCacheDataLevelMask | (0xFFFu << kCacheDataShiftBit))) | uint32_t(dataLevel) |
                  (uint32_t(dataShift) << kCacheDataShiftBit) | kCacheTileLoaded | kCacheWordsReady;
        ++filled;
        return true;
    }

    // Interpolates tile t from the next coarser level into `samples`;
    // answers the coarser tile t's origin lies in, or null when some
    // coarser tile it needs is not resident.
    const CacheTile* derive(const CacheTile& t, std::vector<uint16_t>& samples) {
        const int coarseLevel = t.level + 1;
        const int colStep = 1 << (t.level + t.rowShift);
        const int rowStep = 1 << t.level;
        const CacheTile* first = nullptr;
        const CacheTile* c = nullptr;
        int cs = 1, rs = 1;
        for (int j = 0; j < kTileSide; ++j) {
            const int gy = t.originY + j * rowStep;
            for (int i = 0; i < kTileSide; ++i) {
                const int gx = (t.originX + i * colStep) & mask();
                int u = c ? gx - c->originX : -1;
                int v = c ? gy - c->originY : -1;
                if (!c || u < 0 || u > 128 * cs || v < 0 || v > 128 * rs) {
                    c = tileFor(coarseLevel, gx, gy);
                    if (!c) return nullptr;
                    if (!first) first = c;
                    cs = c->columnStep();
                    rs = c->rowStep();
                    u = floorMod(gx - c->originX, width - 1);
                    v = gy - c->originY;
                }
                samples[size_t(j) * kTileSide + size_t(i)] = interpolate(*c, u, v, cs, rs);
            }
        }
        smoothEdges(t, samples);
        return first;
    }

    const CacheTile* tileFor(int level, int x, int y) {
        CacheTile* c = find(level, x, y);
        if (!c) return nullptr;
        if (!(c->flags & kCacheWordsReady) && !fill(*c)) return nullptr;
        return c;
    }

    // Bilinear in integers over the coarse cell holding (u, v), then the
    // surface class from the cell's corners.
    static uint16_t interpolate(const CacheTile& c, int u, int v, int cs, int rs) {
        int ci = std::min(u / cs, 127), cj = std::min(v / rs, 127);
        int64_t fu = u - ci * cs, fv = v - cj * rs;
        uint16_t corner[4] = {c.sample(ci, cj), c.sample(ci + 1, cj), c.sample(ci, cj + 1), c.sample(ci + 1, cj + 1)};
        int64_t weight[4] = {(cs - fu) * (rs - fv), fu * (rs - fv), (cs - fu) * fv, fu * fv};
        int64_t sum = 0;
        int class1 = 0, class3 = 0, class1Sum = 0;
        for (int k = 0; k < 4; ++k) {
            sum += weight[k] * levelValue(corner[k]);
            int q = sampleClass(corner[k]);
            if (q == 3) ++class3;
            if (q == 1) {
                ++class1;
                class1Sum += corner[k];
            }
        }
        const int64_t total = int64_t(cs) * rs;
        int value = int((sum + (sum >= 0 ? total / 2 : -total / 2)) / total);
        if (class3 > 0 && value < 4096) return uint16_t(std::max(value, -12288) - 4096 + 65536);
        value = std::clamp(value, 0, 16383);
        if (class1 > 0 && (class1 == 4 || value < class1Sum / class1 - 16415)) return uint16_t(value + 0x4000);
        return uint16_t(value);
    }

    // Where a neighbouring tile row uses twice the column spacing, its edge
    // has only our even samples: put the odd ones on the line between them.
    static void smoothEdges(const CacheTile& t, std::vector<uint16_t>& samples) {
        auto smoothRow = [&](int j) {
            uint16_t* row = samples.data() + size_t(j) * kTileSide;
            for (int i = 1; i < kTileSide; i += 2) {
                uint16_t a = row[i - 1], b = row[i + 1];
                int mean = (sampleElevation(a) + sampleElevation(b)) / 2;
                int qa = sampleClass(a), qb = sampleClass(b);
                if (qa == 3 || qb == 3) row[i] = mean < 0 ? makeSample(mean, 3) : 0xFFFF;
                else row[i] = makeSample(mean, qa == qb ? qa : std::min(qa, qb));
            }
        };
        if (t.flags & kRowBelowCoarser) smoothRow(0);
        if (t.flags & kRowAboveCoarser) smoothRow(kTileSide - 1);
    }

    // The elevation at a grid point from one tile, on the triangle of its
    // cell that holds the point.
    float elevationIn(const CacheTile& t, double gx, double gy) const {
        const double cs = t.columnStep(), rs = t.rowStep();
        double dx = gx - t.originX;
        if (dx < 0) dx += width - 1;
        double fx = dx / cs, fy = (gy - t.originY) / rs;
        int i = std::clamp(int(std::floor(fx)), 0, 127);
        int j = std::clamp(int(std::floor(fy)), 0, 127);
        double u = std::clamp(fx - i, 0.0, 1.0), v = std::clamp(fy - j, 0.0, 1.0);
        auto metres = [&](int a, int b) { return double(int(t.word(a, b) & 0x7FFF) - 16384); };
        double z00 = metres(i, j), z10 = metres(i + 1, j), z01 = metres(i, j + 1), z11 = metres(i + 1, j + 1);
        int cellColumn = t.originX / t.columnStep() + i, cellRow = t.originY / t.rowStep() + j;
        double z;
        if (((cellColumn ^ cellRow) & 1) == 0) {
            // Diagonal from (0,0) to (1,1).
            z = u >= v ? z00 + u * (z10 - z00) + v * (z11 - z10) : z00 + v * (z01 - z00) + u * (z11 - z01);
        } else {
            // Diagonal from (1,0) to (0,1).
            z = u + v <= 1.0 ? z00 + u * (z10 - z00) + v * (z01 - z00)
                             : z11 + (1.0 - u) * (z01 - z11) + (1.0 - v) * (z10 - z11);
        }
        return float(z);
    }
};

int ElevationCache::levelCountFor(int gridWidth) {
    int k = gridPowerOf(gridWidth);
    return k >= 11 ? k - 10 : 0;
}

int ElevationCache::ringFirstRow(int centreRow, int span, int ringRows, int tileRows) {
    if (ringRows >= tileRows) return 0;
    return std::clamp(floorDiv(centreRow - ringRows * span / 2, span), 0, tileRows - ringRows);
}

int ElevationCache::ringSideForMemory(uint64_t bytes) {
    if (bytes >= 152000001) return 13;
    if (bytes >= 64000001) return 9;
    if (bytes >= 32000001) return 7;
    return 5;
}

ElevationCache::ElevationCache(TileFile* terrain, int levelShift, int gridWidth, int gridHeight, int centreColumn,
                               int centreRow, int ringSide)
    : impl_(std::make_unique<Impl>()) {
    Impl& m = *impl_;
    m.terrain = terrain;
    m.fileShift = std::max(levelShift, 0);
    m.ringSide = ringSide > 0 ? ringSide : ringSideForMemory(app::processState().availableTextureMemory);
    int count = levelCountFor(gridWidth);
    if (count == 0 || gridHeight != (gridWidth - 1) / 2 + 1) return;
    m.width = gridWidth;
    m.height = gridHeight;
    m.shifts = RowShiftTable(gridWidth);
    m.levels.resize(size_t(count));
    for (int l = 0; l < count; ++l) {
        Impl::Level& lv = m.levels[size_t(l)];
        lv.level = l;
        lv.span = tileSpan(l);
        lv.whole = l == count - 1;
        lv.tileRows = (gridHeight - 1) / lv.span;
        lv.ringWidth = lv.whole ? kWholeColumns : m.ringSide;
        lv.ringHeight = lv.whole ? lv.tileRows : std::min(m.ringSide, lv.tileRows);
        lv.rows.assign(size_t(lv.ringHeight), Impl::RingRow{});
        lv.tiles.assign(size_t(lv.ringWidth) * size_t(lv.ringHeight), CacheTile{});
        if (!lv.whole) m.ringTileCount += lv.tiles.size();
    }
    recentre(centreColumn, centreRow);
}

ElevationCache::~ElevationCache() = default;

int ElevationCache::levelCount() const { return int(impl_->levels.size()); }
int ElevationCache::ringSide() const { return impl_->ringSide; }
int ElevationCache::gridWidth() const { return impl_->width; }
int ElevationCache::gridHeight() const { return impl_->height; }
const RowShiftTable& ElevationCache::rowShifts() const { return impl_->shifts; }
void ElevationCache::setExaggeration(float unitsPerMetre) { impl_->exaggeration = unitsPerMetre; }
float ElevationCache::exaggeration() const { return impl_->exaggeration; }
uint64_t ElevationCache::tilesFilled() const { return impl_->filled; }

size_t ElevationCache::pendingCount() const {
    size_t n = 0;
    for (const CacheTile* t : impl_->pending)
        if (!(t->flags & kCacheTileLoaded)) ++n;
    return n;
}

void ElevationCache::recentre(int column, int row) {
    Impl& m = *impl_;
    if (m.levels.empty()) return;
    column &= m.mask();
    row = std::clamp(row, 0, m.height - 1);
    for (int l = int(m.levels.size()) - 1; l >= 0; --l) m.recentreLevel(m.levels[size_t(l)], column, row);
}

bool ElevationCache::holds(int level, int x, int y) const { return impl_->find(level, x, y) != nullptr; }

const CacheTile* ElevationCache::tileAt(int level, int x, int y) { return impl_->tileFor(level, x, y); }

float ElevationCache::elevationAt(float longitude, float latitude) {
    Impl& m = *impl_;
    if (m.levels.empty()) return 0.0f;
    const double perRadian = double(m.width - 1) / (2.0 * std::numbers::pi);
    double gx = perRadian * (double(longitude) + std::numbers::pi);
    double gy = std::clamp(perRadian * (double(latitude) + std::numbers::pi / 2), 0.0, double(m.height - 1));
    gx = std::fmod(gx, double(m.width - 1));
    if (gx < 0) gx += m.width - 1;
    int x = int(gx), y = int(gy);
    const int last = int(m.levels.size()) - 1;
    for (int l = 0; l <= last; ++l) {
        const CacheTile* t = l == last ? m.tileFor(l, x, y) : m.find(l, x, y);
        if (t && t->ready()) return m.elevationIn(*t, gx, gy);
    }
    return 0.0f;
}

float ElevationCache::scaledElevationAt(float longitude, float latitude) {
    return elevationAt(longitude, latitude) * impl_->exaggeration;
}

}  // namespace tnx::globe
