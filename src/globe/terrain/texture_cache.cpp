#include "globe/terrain/texture_cache.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/process_state.h"
#include "globe/terrain/elevation_cache.h"
#include "globe/image/image_texture.h"
#include "platform/io/byte_io.h"

namespace tnx::globe {

namespace {

// Tiles built per frame beyond the last level's; the rest come in later
// frames (the cache asks for a redraw), the coarser texture showing meanwhile.
// A snapshot waits for nobody: its first frame builds every tile it shows.
constexpr int kBuildsPerFrame = 12;
constexpr int kLastLevelCols = 16;
constexpr int kLastLevelRows = 8;
constexpr int kMaxFileLevel = 8;

int floorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
int wrapMod(int a, int n) { return n > 0 ? ((a % n) + n) % n : 0; }

}  // namespace

gfx::Format TextureCache::chooseFormat(uint32_t availableMemory, int ringSide, int levels, bool restoring) {
    const uint64_t tiles = uint64_t(ringSide) * uint64_t(ringSide) * uint64_t(std::max(levels - 1, 0)) + 128;
    const uint64_t threshold = restoring ? tiles * 917504 / 10 : tiles * 81920;
    return uint64_t(availableMemory) < threshold ? gfx::Format::A4R4G4B4 : gfx::Format::A8R8G8B8;
}

TextureCache::TextureCache(ElevationSource& elevation, ColourTileSource* colour, const RowDecimation& decimation,
                           const TextureCacheLayout& layout, uint32_t availableTextureMemory)
    : sampler_(elevation),
      colour_(colour),
      decimation_(decimation),
      ringSide_(std::max(layout.ringSide, 1)),
      fileShift_(layout.fileShift),
      gridCells_(std::max(elevation.gridWidth() - 1, 2)),
      fileRows_(layout.fileShift >= 0 ? (gridCells_ >> layout.fileShift) + 1 : (gridCells_ << -layout.fileShift) + 1),
      format_(chooseFormat(availableTextureMemory, ringSide_, std::max(layout.levels, 1), false)) {
    const int count = std::clamp(layout.levels, 1, 16);
    levels_.resize(size_t(count));
    for (int l = 0; l < count; ++l) {
        Level& lv = levels_[size_t(l)];
        lv.level = l;
        const bool last = l == count - 1;
        lv.totalRows = std::max((gridCells_ / 2) >> (l + 7), 1);
        lv.ringRows = std::min(last ? kLastLevelRows : ringSide_, lv.totalRows);
        lv.ringCols = std::min(last ? kLastLevelCols : ringSide_, std::max(gridCells_ >> (l + 7), 1));
        lv.slots.resize(size_t(lv.ringRows) * size_t(lv.ringCols));
        lv.rows.resize(size_t(lv.ringRows));
    }
    words_.resize(size_t(kTileSamples + 1) * (kTileSamples + 1));
    lit_.resize(size_t(kTileSamples) * kTileSamples * 4);
    photo_.resize(kColourTileBytes);
    photoValid_.resize(size_t(kTileSamples) * kTileSamples);
    fileTile_.resize(kColourTileBytes);
    texels_.resize(size_t(kTexels) * kTexels);
    recentre(layout.centreColumn, layout.centreRow);
}

TextureCache::~TextureCache() = default;

void TextureCache::setColours(const std::array<uint32_t, 18>& bandColours, int landOpacity, int oceanOpacity,
                              uint32_t options) {
    palette_.build(bandColours, landOpacity, oceanOpacity);
    landOpacity_ = std::clamp(landOpacity, 0, 255);
    options_ = options;
    refresh();
}

void TextureCache::setBase(uint8_t red, uint8_t green, uint8_t blue) {
    base_[0] = red;
    base_[1] = green;
    base_[2] = blue;
}

void TextureCache::refresh() {
    for (Level& l : levels_)
        for (Slot& s : l.slots)
            if (s.flags & kReady) s.flags |= kStale;
            else s.flags &= ~kNoData;
}

void TextureCache::recentre(int column, int row, int firstLevel) {
    column = wrapMod(column, gridCells_);
    row = std::clamp(row, 0, gridCells_ / 2);
    for (Level& l : levels_)
        if (l.level >= firstLevel) place(l, column, row);
    // The elevation cache has scrolled too: tiles the sampler remembers may
    // hold other places now.
    sampler_.invalidate();
}

void TextureCache::place(Level& l, int column, int row) {
    l.firstRow = ElevationCache::ringFirstRow(row, kTexels << l.level, l.ringRows, l.totalRows);
    for (int tileRow = l.firstRow; tileRow < l.firstRow + l.ringRows; ++tileRow) {
        RingRow& rr = l.rows[size_t(tileRow % l.ringRows)];
        const int across = tilesAcross(l.level, tileRow);
        const int count = std::min(l.ringCols, across);
        const int wanted =
            count == across ? 0 : floorDiv(column, kTexels << columnShiftOf(l.level, tileRow)) - count / 2;
        if (rr.tileRow != tileRow) {
            rr = {tileRow, wanted, count, across};
            continue;
        }
        if (count == across) continue;  // the whole circle
        // The shorter way round, so that crossing the date line is one step.
        int move = wrapMod(wanted - rr.first, across);
        if (move >= across - across / 2) move -= across;
        // Whole turns of both the globe and the ring change no tile and no slot.
        rr.first = wrapMod(rr.first + move, across * count);
    }
}

void TextureCache::beginFrame() {
    budget_ = app::processState().snapshotRun ? std::numeric_limits<int>::max() : kBuildsPerFrame;
    deferred_ = 0;
}

int TextureCache::columnShiftOf(int level, int tileRow) const {
    const int patchLevel = level + 7;
    const int r = patchLevel <= decimation_.coarsestLevel() ? decimation_.shift(patchLevel, tileRow) : 0;
    return level + r;
}

int TextureCache::tilesAcross(int level, int tileRow) const {
    return std::max(gridCells_ >> (7 + columnShiftOf(level, tileRow)), 1);
}

int TextureCache::slotIndex(const Level& l, int tileColumn, int tileRow) const {
    if (tileRow < l.firstRow || tileRow >= l.firstRow + l.ringRows) return -1;
    const RingRow& rr = l.rows[size_t(tileRow % l.ringRows)];
    if (rr.tileRow != tileRow) return -1;
    const int offset = wrapMod(tileColumn - rr.first, rr.across);
    if (offset >= rr.count) return -1;
    return (tileRow % l.ringRows) * l.ringCols + wrapMod(rr.first + offset, rr.count);
}

TextureCache::Slot* TextureCache::slotFor(Level& l, int tileColumn, int tileRow) {
    const int index = slotIndex(l, tileColumn, tileRow);
    if (index < 0) return nullptr;
    Slot& slot = l.slots[size_t(index)];
    if (slot.tileColumn != tileColumn || slot.tileRow != tileRow) {
        slot.tileColumn = tileColumn;
        slot.tileRow = tileRow;
        slot.flags = 0;
    }
    return &slot;
}

bool TextureCache::covers(int level, int x, int y) const {
    if (level < 0 || level >= int(levels_.size())) return false;
    const Level& l = levels_[size_t(level)];
    x = wrapMod(x, gridCells_);
    y = std::clamp(y, 0, gridCells_ / 2);
    const int tileRow = std::min(y >> (level + 7), l.totalRows - 1);
    return slotIndex(l, x >> (7 + columnShiftOf(level, tileRow)), tileRow) >= 0;
}

BoundTexture TextureCache::textureFor(int level, int x, int y) {
    const int count = int(levels_.size());
    const int gridRows = gridCells_ / 2;
    x = wrapMod(x, gridCells_);
    y = std::clamp(y, 0, gridRows);
    BoundTexture answer;
    for (int li = std::clamp(level, 0, count - 1); li < count; ++li) {
        Level& l = levels_[size_t(li)];
        const bool last = li == count - 1;
        const int tileRow = std::min(y >> (li + 7), l.totalRows - 1);
        const int colShift = columnShiftOf(li, tileRow);
        const int tileColumn = x >> (7 + colShift);
        Slot* slot = slotFor(l, tileColumn, tileRow);
        if (!slot) continue;
        const bool ready = slot->flags & kReady;
        const bool stale = slot->flags & kStale;
        if (!ready || stale) {
            if (budget_ > 0 || (last && !ready)) {
                if (build(l, *slot)) --budget_;
            } else {
                // More to build next frame.
                ++deferred_;
                app::processState().forceRedraw = true;
            }
        }
        if ((slot->flags & kReady) || last) {
            answer.texture = (slot->flags & kReady) ? slot->texture.get() : nullptr;
            answer.dark = (slot->flags & (kReady | kDark)) == (kReady | kDark);
            answer.level = li;
            answer.originX = tileColumn << (7 + colShift);
            answer.originY = tileRow << (7 + li);
            answer.columnShift = colShift;
            answer.rowShift = li;
            return answer;
        }
    }
    return answer;
}

bool TextureCache::usesPalette(int surfaceClass) const {
    const bool wide = format_ == gfx::Format::A8R8G8B8;
    const bool sea = wide ? surfaceClass >= 2 : surfaceClass == 3;
    return (options_ & (sea ? kOptionColourOcean : kOptionColourLand)) != 0;
}

void TextureCache::readPhoto(int level, int originX, int originY, int columnShift) {
    std::fill(photoValid_.begin(), photoValid_.end(), uint8_t(0));
    if (!colour_) return;
    // File coordinates are grid coordinates scaled by 2^-fileShift.
    const double scale = std::ldexp(1.0, -fileShift_);
    const int fileLevel = std::clamp(level - fileShift_, 0, kMaxFileLevel);
    const int rowSpan = kTexels << fileLevel;
    const double fy0 = double(originY) * scale;
    const int tileY = (int(std::floor(fy0)) / rowSpan) * rowSpan;
    // File tiles thin their columns like every other tile row.
    const int fileColumnShift = fileLevel + fileRows_.tileRowShift(tileY, rowSpan);
    const int colSpan = kTexels << fileColumnShift;
    const double step = double(1 << fileColumnShift);
    const double rowStep = double(1 << fileLevel);
    // Where each row falls in the file tile: the same in every column.
    std::array<int, kTileSamples> y0s{}, y1s{};
    std::array<float, kTileSamples> tys{};
    for (int i = 0; i < kTileSamples; ++i) {
        const double fy = double(originY + (i << level)) * scale;
        const double ly = std::clamp((fy - tileY) / rowStep, 0.0, double(kTileCells));
        y0s[size_t(i)] = int(ly);
        y1s[size_t(i)] = std::min(y0s[size_t(i)] + 1, kTileCells);
        tys[size_t(i)] = float(ly - y0s[size_t(i)]);
    }
    if (!(adjustTable_.builtFor() == adjustments_) || adjustTable_.empty()) adjustTable_.build(adjustments_);
    int loadedX = -1;
    bool loadedOk = false;
    for (int j = 0; j < kTileSamples; ++j) {
        // The last column is the next tile's first: read it from the file
        // tile holding the column before it, whose last sample it is.
        const int inside = std::min(j, kTileCells - 1);
        const int gx = wrapMod(originX + (inside << columnShift), gridCells_);
        const double fxInside = double(gx) * scale;
        const int tileX = (int(std::floor(fxInside)) / colSpan) * colSpan;
        const double fx = fxInside + double((j - inside) << columnShift) * scale;
        if (tileX != loadedX) {
            loadedX = tileX;
            ++colourReads_;
            loadedOk = colour_->readTile(tileX, tileY, fileLevel, fileTile_.data()) == 1;
        }
        if (!loadedOk) continue;
        const double lx = std::clamp((fx - tileX) / step, 0.0, double(kTileCells));
        const int x0 = int(lx), x1 = std::min(x0 + 1, kTileCells);
        const float tx = float(lx - x0);
        for (int i = 0; i < kTileSamples; ++i) {
            const int y0 = y0s[size_t(i)], y1 = y1s[size_t(i)];
            const float ty = tys[size_t(i)];
            uint8_t* out = &photo_[(size_t(i) * kTileSamples + size_t(j)) * 3];
            for (int c = 0; c < 3; ++c) {
                auto at = [&](int yy, int xx) {
                    return float(fileTile_[(size_t(yy) * kTileSamples + size_t(xx)) * 3 + size_t(c)]);
                };
                const float top = at(y0, x0) + (at(y0, x1) - at(y0, x0)) * tx;
                const float bottom = at(y1, x0) + (at(y1, x1) - at(y1, x0)) * tx;
                out[c] = uint8_t(std::clamp(int(top + (bottom - top) * ty + 0.5f), 0, 255));
            }
            Rgb8 adjusted = adjustTable_.apply({out[0], out[1], out[2]});
            out[0] = adjusted.r;
            out[1] = adjusted.g;
            out[2] = adjusted.b;
            photoValid_[size_t(i) * kTileSamples + size_t(j)] = 1;
        }
    }
}

bool TextureCache::buildTexels(int level, int tileColumn, int tileRow, std::vector<uint32_t>& out) {
    const int count = int(levels_.size());
    if (level < 0 || level >= count) return false;
    const int colShift = columnShiftOf(level, tileRow);
    const int originX = tileColumn << (7 + colShift);
    const int originY = tileRow << (7 + level);
    const int mask = gridCells_ - 1;
    const int centreX = (originX + (64 << colShift)) & mask;
    const int centreY = originY + (64 << level);
    // Without the elevation cache's tile of this level the texture waits (a
    // tile derived from coarser data is fine: the sampler spreads it).
    if (!sampler_.holds(level, centreX, centreY)) return false;

    // One row and column beyond the tile give the last samples their shade.
    constexpr int kWordsSide = kTileSamples + 1;
    for (int i = 0; i < kWordsSide; ++i) {
        const int gy = std::min(originY + (i << level), gridCells_ / 2);
        for (int j = 0; j < kWordsSide; ++j) {
            uint32_t w = makeWord(0, 0);
            // Beyond the tile, where no level holds data, the edge continues flat.
            if (i == kTileSamples) w = words_[size_t(i - 1) * kWordsSide + size_t(j)];
            else if (j == kTileSamples) w = words_[size_t(i) * kWordsSide + size_t(j - 1)];
            sampler_.word((originX + (j << colShift)) & mask, gy, level, w);
            words_[size_t(i) * kWordsSide + size_t(j)] = w;
        }
    }

    const bool needPhoto = !usesPalette(0) || !usesPalette(1) || !usesPalette(2) || !usesPalette(3);
    if (needPhoto) readPhoto(level, originX, originY, colShift);

    const float spacing = texels::shadeSpacing(shadingScale_, exaggeration_, level);
    const bool shadeLand = options_ & kOptionShadeLand, shadeSea = options_ & kOptionShadeOcean;
    const auto landAlpha = uint8_t(landOpacity_);
    for (int i = 0; i < kTileSamples; ++i) {
        const uint32_t* row = &words_[size_t(i) * kWordsSide];
        const uint32_t* below = row + kWordsSide;
        for (int j = 0; j < kTileSamples; ++j) {
            const uint32_t w = row[j];
            const int q = wordClass(w);
            const bool shaded = q == 0 ? shadeLand : shadeSea;
            const uint8_t shade =
                shaded ? texels::hillShade(float(wordElevation(w)), float(wordElevation(row[j + 1])),
                                           float(wordElevation(below[j])), spacing)
                       : uint8_t(255);
            uint8_t a, r, g, b;
            const size_t sample = size_t(i) * kTileSamples + size_t(j);
            if (usesPalette(q)) {
                const PaletteColour c = palette_.entry(w);
                a = c.a, r = c.r, g = c.g, b = c.b;
            } else if (photoValid_[sample]) {
                const uint8_t* p = &photo_[sample * 3];
                a = landAlpha, r = p[0], g = p[1], b = p[2];
            } else {
                a = 0, r = 0, g = 0, b = 0;
            }
            uint8_t* out = &lit_[sample * 4];
            out[0] = a;
            out[1] = texels::light(base_[0], shade, r);
            out[2] = texels::light(base_[1], shade, g);
            out[3] = texels::light(base_[2], shade, b);
        }
    }

    resampleLit(out);
    return true;
}

void TextureCache::resampleLit(std::vector<uint32_t>& out) const {
    // Resample the 129 samples of each direction onto the 128 texels:
    // texel t shows the point t * 128 / 127 samples from the tile's origin
    // (weights in 1/256).
    std::array<int, kTexels> at{};
    std::array<uint32_t, kTexels> weight{};
    for (int t = 0; t < kTexels; ++t) {
        const int fixed = (t * kTileCells * 256 + (kTexels - 1) / 2) / (kTexels - 1);
        at[size_t(t)] = std::min(fixed >> 8, kTileCells - 1);
        weight[size_t(t)] = uint32_t(fixed - (at[size_t(t)] << 8));
    }
    out.resize(size_t(kTexels) * kTexels);
    for (int ti = 0; ti < kTexels; ++ti) {
        const size_t i0 = size_t(at[size_t(ti)]);
        const uint32_t wy = weight[size_t(ti)];
        const uint8_t* lower = &lit_[i0 * kTileSamples * 4];
        const uint8_t* upper = lower + size_t(kTileSamples) * 4;
        for (int tj = 0; tj < kTexels; ++tj) {
            const size_t j = size_t(at[size_t(tj)]) * 4;
            const uint32_t wx = weight[size_t(tj)];
            uint8_t c[4];
            for (size_t k = 0; k < 4; ++k) {
                const uint32_t bottom = uint32_t(lower[j + k]) * (256 - wx) + uint32_t(lower[j + 4 + k]) * wx;
                const uint32_t top = uint32_t(upper[j + k]) * (256 - wx) + uint32_t(upper[j + 4 + k]) * wx;
                c[k] = uint8_t((bottom * (256 - wy) + top * wy + 32768) >> 16);
            }
            out[size_t(ti) * kTexels + size_t(tj)] = texels::pack(format_, c[0], c[1], c[2], c[3]);
        }
    }
}

bool TextureCache::build(Level& l, Slot& slot) {
    if (!device_) return false;
    if (!buildTexels(l.level, slot.tileColumn, slot.tileRow, texels_)) {
        slot.flags |= kNoData;
        return false;
    }
    if (!staging_ || staging_->format() != format_) {
        staging_ = device_->createTexture(kTexels, kTexels, 0, format_, gfx::Pool::SystemMem);
        if (!staging_) return false;
    }
    if (!slot.texture || slot.texture->format() != format_) {
        slot.texture = device_->createTexture(kTexels, kTexels, 0, format_, gfx::Pool::Default);
        if (!slot.texture) {
            slot.flags &= ~(kReady | kStale);
            return false;
        }
    }
    gfx::LockedRect rect;
    if (gfx::failed(staging_->lock(0, rect))) return false;
    const bool wide = gfx::bytesPerPixel(format_) == 4;
    for (int i = 0; i < kTexels; ++i) {
        uint8_t* row = rect.bits + size_t(i) * size_t(rect.pitch);
        const uint32_t* src = &texels_[size_t(i) * kTexels];
        if (wide)
            for (int j = 0; j < kTexels; ++j) io::storeU32(row + 4 * j, src[j]);
        else
            for (int j = 0; j < kTexels; ++j) io::storeU16(row + 2 * j, uint16_t(src[j]));
    }
    staging_->unlock(0);
    ImageTexture::buildMipLevels(*staging_);
    if (gfx::failed(device_->updateTexture(*staging_, *slot.texture))) {
        slot.flags &= ~(kReady | kStale);
        return false;
    }
    slot.flags = (slot.flags & ~(kStale | kNoData | kDark)) | kReady | (lastTileDark_ ? kDark : 0);
    ++tilesBuilt_;
    app::processState().forceRedraw = true;
    return true;
}

void TextureCache::restore(gfx::Device& device) {
    device_ = &device;
    const gfx::Format wanted = chooseFormat(device.availableTextureMemory(), ringSide_, levels(), true);
    if (wanted != format_) {
        format_ = wanted;
        staging_.reset();
    }
    for (Level& l : levels_)
        for (Slot& s : l.slots)
            if (!s.texture || s.texture->format() != format_) {
                s.texture.reset();
                s.flags &= ~(kReady | kStale);
            }
}

void TextureCache::release() {
    for (Level& l : levels_)
        for (Slot& s : l.slots) {
            s.texture.reset();
            s.flags &= ~(kReady | kStale);
        }
    staging_.reset();
    device_ = nullptr;
}

}  // namespace tnx::globe
