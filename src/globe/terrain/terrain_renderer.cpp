#include "globe/terrain/terrain_renderer.h"

#include <algorithm>
#include <cmath>

#include "globe/terrain/elevation_cache.h"
#include "globe/terrain/terrain_palette.h"
#include "globe/terrain/terrain_sources.h"
#include "globe/terrain/tile_file.h"

namespace tnx::globe {

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr int kTableSide = kTileSamples;  // vertex table: 129 x 129 positions

int wrapMod(int a, int n) { return n > 0 ? ((a % n) + n) % n : 0; }

int bitLength(uint64_t v) {
    int n = 0;
    while (v) {
        ++n;
        v >>= 1;
    }
    return n;
}

uint16_t clamp16(float v) { return uint16_t(std::clamp(v, 0.0f, 65535.0f)); }

}  // namespace

int TerrainRenderer::ringSideForMemory(uint64_t bytes) { return ElevationCache::ringSideForMemory(bytes); }

int TerrainRenderer::detailStartLevel(int patchLevelCount, float cameraDistance, float radius) {
    const double q = std::trunc(64.0 * (double(cameraDistance) - radius) / radius);
    return patchLevelCount - 13 + bitLength(uint64_t(std::fabs(q)));
}

TerrainRenderer::TerrainRenderer(TileFileSet& files, uint32_t availableTextureMemory) {
    const int ringSide = ringSideForMemory(availableTextureMemory);
    const int width = files.rendererGridWidth(), height = files.rendererGridHeight();
    ownedCache_ = std::make_unique<ElevationCache>(&files.terrain, files.terrainLevelShift, width, height,
                                                   (width - 1) / 2, (height - 1) / 2, ringSide);
    ownedSource_ = std::make_unique<CacheElevationSource>(*ownedCache_);
    if (files.texture.isOpen()) ownedColour_ = std::make_unique<TileFileColourSource>(files.texture);
    init(*ownedSource_, ownedColour_.get(), files.terrainLevelShift,
         files.terrainLevelShift + files.textureLevelOffset, availableTextureMemory, ringSide);
    if (files.night.isOpen()) {
        ownedNight_ = std::make_unique<TileFileColourSource>(files.night);
        setNightLights(ownedNight_.get(), files.nightFileShift);
    }
}

TerrainRenderer::TerrainRenderer(ElevationSource& elevation, ColourTileSource* colour, int terrainLevelShift,
                                 int fileShift, uint32_t availableTextureMemory, int ringSide) {
    init(elevation, colour, terrainLevelShift, fileShift, availableTextureMemory, ringSide);
}

TerrainRenderer::~TerrainRenderer() {
    // Patch levels first, then the caches.
    levels_.clear();
    lights_.reset();
    textures_.reset();
    sampler_.reset();
}

void TerrainRenderer::init(ElevationSource& elevation, ColourTileSource* colour, int terrainLevelShift,
                           int fileShift, uint32_t availableTextureMemory, int ringSide) {
    elevation_ = &elevation;
    sampler_ = std::make_unique<ElevationSampler>(elevation);
    gridWidth_ = elevation.gridWidth();
    gridHeight_ = elevation.gridHeight();
    gridCells_ = std::max(gridWidth_ - 1, 16);
    const int k = bitLength(uint64_t(gridCells_)) - 1;
    patchLevels_ = std::max(k - 4, 1);
    cacheLevels_ = elevation.levelCount();
    if (ringSide <= 0) ringSide = ringSideForMemory(availableTextureMemory);
    ringSide_ = ringSide;
    availableTextureMemory_ = availableTextureMemory;

    sin_.resize(size_t(gridCells_) + 1);
    cos_.resize(size_t(gridCells_) + 1);
    for (int i = 0; i <= gridCells_; ++i) {
        const double a = kTwoPi * double(i % gridCells_) / double(gridCells_);
        sin_[size_t(i)] = float(std::sin(a));
        cos_[size_t(i)] = float(std::cos(a));
    }

    cellSize_ = kCircumference / float(gridCells_);

    rowShifts_ = std::make_unique<RowShiftTable>(gridCells_ + 1);
    decimation_ = std::make_unique<RowDecimation>(*rowShifts_, patchLevels_);

    TextureCacheLayout layout;
    layout.levels = std::max(cacheLevels_, 1);
    layout.ringSide = ringSide;
    layout.fileShift = fileShift;
    layout.centreColumn = gridCells_ / 2;
    layout.centreRow = gridCells_ / 4;
    textures_ = std::make_unique<TextureCache>(elevation, colour, *decimation_, layout, availableTextureMemory);
    textures_->setShadingScale(10000.0f / std::sqrt(std::ldexp(1.0f, patchLevels_ - terrainLevelShift)));

    levels_.resize(size_t(patchLevels_) + 1);
    for (int v = 1; v <= patchLevels_; ++v)
        levels_[size_t(v)] = std::make_unique<PatchLevel>(v, *decimation_, gridCells_);
    for (int v = 1; v <= patchLevels_; ++v) {
        if (v < patchLevels_) levels_[size_t(v)]->parent = levels_[size_t(v + 1)].get();
        if (v > 1) levels_[size_t(v)]->child = levels_[size_t(v - 1)].get();
    }

    vertexTable_.assign(size_t(kTableSide) * kTableSide, -1);
    vertices_.reserve(size_t(kTableSide) * kTableSide);
    indices_.reserve(size_t(3) * 8 * 64 * 64);

    TerrainSettings defaults;
    applySettings(defaults, kApplyColours);
}

PatchLevel* TerrainRenderer::patchLevel(int level) {
    return level >= 1 && level <= patchLevels_ ? levels_[size_t(level)].get() : nullptr;
}

void TerrainRenderer::buildMinErrorTable() {
    for (int i = 0; i < 32; ++i) {
        const double a = std::min(1.5, (kTwoPi / gridCells_) * std::ldexp(1.0, i) / 2.0);
        double e = std::trunc((1.0 - std::cos(a)) * 12760000.0);
        if (e < 2000) e += std::trunc(std::sqrt(std::ldexp(1.0, i)) + 0.01) * 100.0 - 90.0;
        minError_[size_t(i)] = e >= 65536.0 ? uint16_t(0xFFFF) : uint16_t(std::max(e, 0.0));
    }
}

void TerrainRenderer::applySettings(const TerrainSettings& settings, uint32_t flags) {
    exaggeration_ = float(std::clamp(settings.altitudeExaggeration, 1, 100)) * 0.00001f;
    if (ownedCache_) ownedCache_->setExaggeration(exaggeration_);
    buildMinErrorTable();
    // Errors, centre heights and bounds depend on the exaggeration.
    for (int v = 1; v <= patchLevels_; ++v) levels_[size_t(v)]->invalidate();
    if (flags & kApplyColours)
        textures_->setColours(settings.bandColours, settings.landOpacity, settings.oceanOpacity, settings.options);
    textures_->setBase(settings.baseRed, settings.baseGreen, settings.baseBlue);
    textures_->setExaggeration(exaggeration_);
    TextureAdjustments adj;
    adj.saturation = float(settings.saturation) * 0.01f;
    adj.brightness = float(settings.brightness) * 0.01f;
    adj.red = float(settings.red) * 0.01f;
    adj.green = float(settings.green) * 0.01f;
    adj.blue = float(settings.blue) * 0.01f;
    textures_->setAdjustments(adj);
    textures_->refresh();
}

void TerrainRenderer::setNightLights(ColourTileSource* source, int fileShift) {
    lights_.reset();
    if (!source) return;
    TextureCacheLayout layout;
    layout.levels = std::max(cacheLevels_, 1);
    layout.ringSide = ringSide_;
    layout.fileShift = fileShift;
    layout.centreColumn = centreColumn_;
    layout.centreRow = centreRow_;
    lights_ = std::make_unique<NightLightsCache>(*elevation_, source, *decimation_, layout, availableTextureMemory_);
}

void TerrainRenderer::restore(gfx::Device& device) {
    textures_->restore(device);
    if (lights_) lights_->restore(device);
}

void TerrainRenderer::release() {
    textures_->release();
    if (lights_) lights_->release();
}

math::Vec3 TerrainRenderer::gridPoint(int column, int row, float radius) const {
    const int c = column & (gridCells_ - 1);
    const int r = std::clamp(row, 0, gridCells_ / 2);
    const float st = sin_[size_t(r)], ct = cos_[size_t(r)];
    return {radius * st * cos_[size_t(c)], -radius * ct, radius * st * sin_[size_t(c)]};
}

float TerrainRenderer::patchSpan(int v, int shift) const { return std::ldexp(cellSize_, v + shift); }

void TerrainRenderer::computeView(const math::Vec3& camera, const math::Matrix& world) {
    // The camera in the globe's own frame, whatever the spin.
    math::Vec3 p = camera;
    if (auto inverse = math::matrixInverse(world)) p = math::transformCoord(camera, *inverse);
    const double len = std::sqrt(double(p.x) * p.x + double(p.y) * p.y + double(p.z) * p.z);
    if (!(len > 1e-6)) return;
    const double theta = std::acos(std::clamp(-double(p.y) / len, -1.0, 1.0));
    double lambda = std::atan2(double(p.z), double(p.x));  // 0 straight above the pole
    if (lambda < 0) lambda += kTwoPi;
    centreColumn_ = wrapMod(int(lambda * gridCells_ / kTwoPi), gridCells_);
    centreRow_ = std::clamp(int(theta * gridCells_ / kTwoPi), 0, gridCells_ / 2);
}

int TerrainRenderer::quadrants(int v, int row, int column, Quadrant out[4]) const {
    if (v <= 1) return 0;
    const PatchLevel& level = *levels_[size_t(v)];
    const PatchLevel& finer = *levels_[size_t(v - 1)];
    const int s = level.shift(row);
    int n = 0;
    if (finer.shift(2 * row) == s) {
        out[n++] = {2 * row, 2 * column, kSplitSW, 0x31, kErrSW};
        out[n++] = {2 * row, 2 * column + 1, kSplitSE, 0x92, kErrSE};
    } else {
        out[n++] = {2 * row, column, kSplitSW, 0xA1, kErrSW};
    }
    if (finer.shift(2 * row + 1) == s) {
        out[n++] = {2 * row + 1, 2 * column, kSplitNW, 0x64, kErrNW};
        out[n++] = {2 * row + 1, 2 * column + 1, kSplitNE, 0xC8, kErrNE};
    } else {
        out[n++] = {2 * row + 1, column, kSplitNW, 0xA4, kErrNW};
    }
    return n;
}

void TerrainRenderer::computeErrors(PatchLevel& level, Patch& patch) {
    const int v = level.level(), row = patch.row, column = patch.column;
    const int s = level.shift(row);
    const int row0 = row << v, col0 = column << (v + s);
    const int hr = 1 << (v - 1), hc = 1 << (v + s - 1);
    const int mask = gridCells_ - 1;
    float z[3][3];
    float lo = 1e9f, hi = -1e9f;
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b) {
            uint32_t w = makeWord(0, 0);
            sampler_->word((col0 + b * hc) & mask, std::min(row0 + a * hr, gridCells_ / 2), 0, w);
            z[a][b] = float(wordElevation(w));
            lo = std::min(lo, z[a][b]);
            hi = std::max(hi, z[a][b]);
        }
    const float south = std::fabs((z[0][0] + z[0][2]) * 0.5f - z[0][1]);
    const float north = std::fabs((z[2][0] + z[2][2]) * 0.5f - z[2][1]);
    const float west = std::fabs((z[0][0] + z[2][0]) * 0.5f - z[1][0]);
    const float east = std::fabs((z[0][2] + z[2][2]) * 0.5f - z[1][2]);
    const float centre = std::max(std::fabs((z[0][0] + z[2][2]) * 0.5f - z[1][1]),
                                  std::fabs((z[0][2] + z[2][0]) * 0.5f - z[1][1]));
    const float minE = float(minError_[size_t(v)]);
    const float own = std::max({south, north, west, east, centre, minE});
    patch.field[kErrSouthMid] = clamp16(std::max(south, minE));
    patch.field[kErrEastMid] = clamp16(std::max(east, minE));
    patch.field[kErrPatch] = clamp16(own);
    const float size = patchSpan(v, s);
    const float half = exaggeration_ * (hi - lo) * 0.5f;
    patch.field[kBoundRadius] = clamp16(std::floor(std::sqrt(size * size * 0.5f + half * half)) + 1.0f);
    const int centre10 = std::clamp(int(exaggeration_ * (hi + lo) * 0.5f * 10.0f), -32768, 32767);
    patch.field[kCentreHeight] = uint16_t(int16_t(centre10));

    // Quadrant errors from finer patches already there.
    Quadrant qs[4];
    const int n = quadrants(v, row, column, qs);
    for (int i = 0; i < n; ++i) {
        const Patch* c = level.child ? level.child->find(qs[i].row, qs[i].column) : nullptr;
        const uint16_t e = c ? c->field[kErrPatch] : 0;
        patch.field[qs[i].errField] = e;
        if ((qs[i].splitFlags & 0xA0) == 0xA0) patch.field[qs[i].errField + 1] = e;
    }

    // Propagate up until an ancestor already carries as much.
    const uint16_t e = patch.field[kErrPatch];
    PatchLevel* lv = &level;
    int r = row, c = column;
    while (lv->parent) {
        PatchLevel* up = lv->parent;
        const int pr = r >> 1;
        const bool whole = lv->shift(r) != up->shift(pr);
        const int pc = whole ? c : c >> 1;
        Patch* p = up->find(pr, pc);
        if (!p) break;
        const int field = (r & 1) * 2 + (whole ? 0 : (c & 1));
        p->field[field] = std::max(p->field[field], e);
        if (whole) p->field[field + 1] = std::max(p->field[field + 1], e);
        if (p->field[kErrPatch] >= e) break;
        p->field[kErrPatch] = e;
        lv = up;
        r = pr;
        c = pc;
    }
}

bool TerrainRenderer::throughChildren(int v, int row, int column) {
    // The same answer for every patch of a level: patches drawn on their own
    // then all stop refining at the same level, so neighbours always meet.
    // Where the finer cache level does not hold a child, its vertices and
    // texture come from the coarser data (vertexAt, textureFor).
    (void)row;
    (void)column;
    return v - 7 > 0 && v - 7 >= detailStart_ - 1 && v - 8 < cacheLevels_;
}

void TerrainRenderer::setEdge(Patch& patch, int v, int row, int column, uint16_t edge) {
    if (patch.field[kFlags] & edge) return;
    patch.field[kFlags] |= edge;
    PatchLevel& level = *levels_[size_t(v)];
    const int s = level.shift(row);
    // A neighbour of this level already reached this frame just takes the
    // opposite flag; anything else goes through the general search.
    int nRow = row, nCol = column;
    uint16_t opposite = 0;
    switch (edge) {
        case kEdgeSouth: nRow = row - 1, opposite = kEdgeNorth; break;
        case kEdgeNorth: nRow = row + 1, opposite = kEdgeSouth; break;
        case kEdgeWest: nCol = column - 1, opposite = kEdgeEast; break;
        case kEdgeEast: nCol = column + 1, opposite = kEdgeWest; break;
        default: return;
    }
    if (nRow >= 0 && nRow < level.rowCount() && level.shift(nRow) == s) {
        if (Patch* n = level.find(nRow, nCol)) {
            const uint16_t nf = n->flags(frame_);
            if ((nf & kVisited) && !(nf & kHidden)) {
                n->field[kFlags] |= opposite;
                return;
            }
        }
    }
    const int x0 = column << (v + s), y0 = row << v;
    const int w = 1 << (v + s), h = 1 << v;
    switch (edge) {
        case kEdgeSouth: pending_.push_back({x0 + w / 2, y0, v}); break;
        case kEdgeNorth: pending_.push_back({x0 + w / 2, y0 + h, v}); break;
        case kEdgeWest: pending_.push_back({x0, y0 + h / 2, v}); break;
        default: pending_.push_back({x0 + w, y0 + h / 2, v}); break;
    }
}

void TerrainRenderer::split(PatchLevel& level, Patch& patch, int v, int row, int column, const Quadrant& q) {
    (void)level;
    patch.field[kFlags] |= q.flag;
    for (uint16_t edge : {kEdgeSouth, kEdgeWest, kEdgeNorth, kEdgeEast})
        if (q.splitFlags & edge) setEdge(patch, v, row, column, edge);
    if ((q.splitFlags & 0xA0) == 0xA0) {
        // A whole-width half meets the other half's patches at this patch's
        // centre, which must then lie on its edge too.
        const int s = levels_[size_t(v)]->shift(row);
        pending_.push_back({(column << (v + s)) + (1 << (v + s - 1)), (row << v) + (1 << (v - 1)), v});
    }
}

bool TerrainRenderer::refine(int v, int row, int column, camera::FrustumTest visibility, bool isRoot,
                             uint8_t limit) {
    PatchLevel& level = *levels_[size_t(v)];
    Patch* p = level.find(row, column);
    if (!p) return true;
    p->touch(frame_);
    p->field[kFlags] |= kVisited;
    const int s = level.shift(row);

    const int rowMid = (row << v) + (1 << (v - 1));
    const int colMid = (column << (v + s)) + (1 << (v + s - 1));
    const float radius = kGlobeRadius + float(p->centreHeight()) * 0.1f;
    const math::Vec3 m = math::transformCoord(gridPoint(colMid, rowMid, radius), world_);
    const float bound = float(p->field[kBoundRadius]);
    if (visibility != camera::FrustumTest::Inside && frustum_) {
        visibility = frustum_->testSphere(m, bound);
        if (visibility == camera::FrustumTest::Outside) {
            p->field[kFlags] |= kHidden;
            return false;
        }
    }
    const math::Vec3 toCamera = camera_ - m;
    const float dist = math::length(toCamera);
    if (dist > 0) {
        // The patch's own extent widens the margin so that a large patch whose
        // centre has just set is not dropped while its near part shows.
        const float margin = float(p->field[kErrPatch]) * exaggeration_ * 3.0f + 12.5f + bound;
        if (math::dot(toCamera, m) / dist < -margin) {
            p->field[kFlags] |= kHidden;
            return false;
        }
    }

    uint8_t childLimit = limit;
    if (isRoot) {
        const bool through = throughChildren(v, row, column);
        if (through) p->field[kFlags] |= kThroughChildren;
        childLimit = uint8_t(through ? 1 : std::max(v - 6, 1));
    }
    p->minChildLevel = childLimit;

    const double t = std::sqrt(double(dist) * dist * 0.00099 / exaggeration_) * 0.0042863 * 5000.0 /
                     std::max(double(patchSpan(v, s)), 1.0);
    const uint16_t threshold = uint16_t(std::min(std::llround(t), 65535LL));

    if (v - 1 >= childLimit && v > 1) {
        const bool childrenAreRoots = (p->field[kFlags] & kThroughChildren) != 0;
        Quadrant qs[4];
        const int n = quadrants(v, row, column, qs);
        for (int i = 0; i < n; ++i) {
            if (p->field[qs[i].errField] <= threshold) continue;
            split(level, *p, v, row, column, qs[i]);
            if (refine(v - 1, qs[i].row, qs[i].column, visibility, childrenAreRoots, childLimit))
                p->field[kFlags] &= uint16_t(~qs[i].flag);
        }
    }
    // The finest patches cannot ask a more decimated row below for a vertex
    // between its own, so they keep that edge whole.
    const bool coarserBelow = row > 0 && level.shift(row - 1) > s;
    if (p->field[kErrSouthMid] > threshold && !(v == 1 && coarserBelow)) setEdge(*p, v, row, column, kEdgeSouth);
    if (p->field[kErrEastMid] > threshold) setEdge(*p, v, row, column, kEdgeEast);

    // Where the neighbouring row of this level is decimated further, its
    // edge must pass through this patch's corners.
    const int x0 = column << (v + s), y0 = row << v, w = 1 << (v + s), h = 1 << v;
    if (coarserBelow) {
        pending_.push_back({x0, y0, 0});
        pending_.push_back({x0 + w, y0, 0});
    }
    if (row + 1 < level.rowCount() && level.shift(row + 1) > s) {
        pending_.push_back({x0, y0 + h, 0});
        pending_.push_back({x0 + w, y0 + h, 0});
    }
    return false;
}

void TerrainRenderer::requireVertex(int x, int y) { pending_.push_back({x, y, 0}); }

bool TerrainRenderer::ensureAtLevel(int v, int x, int y, bool onlyIfReached) {
    PatchLevel& level = *levels_[size_t(v)];
    const int span = 1 << v;
    const int r1 = y >> v;
    int rows[2] = {r1, (y & (span - 1)) == 0 ? r1 - 1 : -1};
    struct Hit {
        int row, column;
    } hits[4];
    int n = 0;
    for (int row : rows) {
        if (row < 0 || row >= level.rowCount()) continue;
        const int w = 1 << (v + level.shift(row));
        const int cx = wrapMod(x, gridCells_);
        const int c1 = cx / w;
        hits[n++] = {row, c1};
        if (cx % w == 0) {
            const int other = wrapMod(c1 - 1, level.columnCount(row));
            if (other != c1) hits[n++] = {row, other};
        }
    }
    if (onlyIfReached)
        for (int i = 0; i < n; ++i) {
            const Patch* p = level.find(hits[i].row, hits[i].column);
            if (!p || !(p->flags(frame_) & kVisited)) return false;
        }
    for (int i = 0; i < n; ++i) ensureVertex(v, hits[i].row, hits[i].column, x, y, 0);
    return true;
}

void TerrainRenderer::flushPending() {
    size_t guard = 0;
    while (!pending_.empty() && guard++ < 4000000) {
        const Pending p = pending_.back();
        pending_.pop_back();
        // Where every patch of the asking level around the point was reached,
        // the search can start there; otherwise from the whole globe down.
        if (p.level > 0 && p.level < patchLevels_ && ensureAtLevel(p.level, p.x, p.y, true)) continue;
        ensureAtLevel(patchLevels_, p.x, p.y, false);
    }
    pending_.clear();
}

void TerrainRenderer::ensureVertex(int v, int row, int column, int x, int y, int depth) {
    PatchLevel& level = *levels_[size_t(v)];
    Patch* p = level.find(row, column);
    if (!p || depth > 40) return;
    const uint16_t flags = p->flags(frame_);
    if (!(flags & kVisited) || (flags & kHidden)) return;
    const int s = level.shift(row);
    const int w = 1 << (v + s), h = 1 << v, hw = w / 2, hh = h / 2;
    const int dx = wrapMod(x - (column << (v + s)), gridCells_);
    const int dy = y - (row << v);
    if (dy < 0 || dy > h || dx > w) return;
    const bool onSide = dx == 0 || dx == w, onEnd = dy == 0 || dy == h;
    if (onSide && onEnd) return;  // a corner
    if (onEnd && dx == hw) {
        p->field[kFlags] |= dy == 0 ? kEdgeSouth : kEdgeNorth;
        return;
    }
    if (onSide && dy == hh) {
        p->field[kFlags] |= dx == 0 ? kEdgeWest : kEdgeEast;
        return;
    }
    if (v <= 1) return;
    Quadrant qs[4];
    const int n = quadrants(v, row, column, qs);
    const bool centre = dx == hw && dy == hh;
    for (int i = 0; i < n; ++i) {
        const Quadrant& q = qs[i];
        const bool whole = (q.splitFlags & 0xA0) == 0xA0;
        const bool southHalf = q.flag == kSplitSW || q.flag == kSplitSE;
        if (centre) {
            // The centre is a corner of every split quarter; only a split
            // whole-width half has it on an edge.
            if (whole && (p->field[kFlags] & q.flag)) ensureVertex(v - 1, q.row, q.column, x, y, depth + 1);
            continue;
        }
        if (southHalf ? dy > hh : dy < hh) continue;
        if (!whole && ((q.flag == kSplitSW || q.flag == kSplitNW) ? dx > hw : dx < hw)) continue;
        if (!(p->field[kFlags] & q.flag)) {
            if (v - 1 < p->minChildLevel) continue;
            Patch* c = levels_[size_t(v - 1)]->find(q.row, q.column);
            if (!c) continue;
            split(level, *p, v, row, column, q);
            // A forced child: visited, drawn with its own corners and the
            // midpoints its neighbours ask for.
            c->touch(frame_);
            c->field[kFlags] |= kVisited;
            if (p->field[kFlags] & kThroughChildren) {
                const bool through = throughChildren(v - 1, q.row, q.column);
                if (through) c->field[kFlags] |= kThroughChildren;
                c->minChildLevel = uint8_t(through ? 1 : std::max(v - 7, 1));
            } else {
                c->minChildLevel = p->minChildLevel;
            }
            PatchLevel& finer = *levels_[size_t(v - 1)];
            const int cs = finer.shift(q.row);
            const int cx0 = q.column << (v - 1 + cs), cy0 = q.row << (v - 1);
            const int cw = 1 << (v - 1 + cs), ch = 1 << (v - 1);
            if (q.row > 0 && finer.shift(q.row - 1) > cs) {
                pending_.push_back({cx0, cy0, 0});
                pending_.push_back({cx0 + cw, cy0, 0});
            }
            if (q.row + 1 < finer.rowCount() && finer.shift(q.row + 1) > cs) {
                pending_.push_back({cx0, cy0 + ch, 0});
                pending_.push_back({cx0 + cw, cy0 + ch, 0});
            }
        }
        ensureVertex(v - 1, q.row, q.column, x, y, depth + 1);
    }
}

uint16_t TerrainRenderer::vertexAt(int x, int y) {
    const int key = ((y - rootY_) >> rootRowShift_) * kTableSide + ((x - rootX_) >> rootColShift_);
    const size_t slot = size_t(std::clamp(key, 0, kTableSide * kTableSide - 1));
    const int32_t entry = vertexTable_[slot];
    if (entry >= 0 && uint16_t(uint32_t(entry) >> 16) == drawNumber_) return uint16_t(entry & 0xFFFF);

    uint32_t w = makeWord(0, 0);
    const int gx = x & (gridCells_ - 1);
    const int gy = std::clamp(y, 0, gridCells_ / 2);
    // The finest data there, whatever the patch: neighbouring patches drawn
    // from different levels still meet at the same heights.
    sampler_->word(gx, gy, 0, w);
    const float r = kGlobeRadius + exaggeration_ * float(wordElevation(w));
    const float st = sin_[size_t(gy)], ct = cos_[size_t(gy)];
    const float sl = sin_[size_t(gx)], cl = cos_[size_t(gx)];
    TerrainVertex vx;
    vx.nx = st * cl;
    vx.ny = -ct;
    vx.nz = st * sl;
    vx.x = r * vx.nx;
    vx.y = r * vx.ny;
    vx.z = r * vx.nz;
    vx.diffuse = 0xFFFFFFFF;
    const int du = (x - rootX_) + wrapMod(rootX_ - texture_.originX, gridCells_);
    vx.u0 = TextureCache::texelCoordinate(float(du) / float(kTileCells << texture_.columnShift));
    vx.v0 = TextureCache::texelCoordinate(float(y - texture_.originY) / float(kTileCells << texture_.rowShift));
    // The second set is unused while stage 1 is disabled.
    vx.u1 = 0;
    vx.v1 = 0;
    const auto index = uint16_t(vertices_.size());
    vertices_.push_back(vx);
    vertexGrid_.emplace_back(x, y);
    vertexTable_[slot] = int32_t((uint32_t(drawNumber_) << 16) | index);
    return index;
}

void TerrainRenderer::emit(int v, int row, int column, Patch& patch, bool through) {
    PatchLevel& level = *levels_[size_t(v)];
    const int s = level.shift(row);
    Quadrant qs[4];
    const int n = quadrants(v, row, column, qs);
    // Which quarters (SW, SE, NW, NE) this patch fills itself.
    bool here[4] = {true, true, true, true};
    for (int i = 0; i < n; ++i) {
        const Quadrant& q = qs[i];
        const bool whole = (q.splitFlags & 0xA0) == 0xA0;
        const int a = q.flag == kSplitSW ? 0 : q.flag == kSplitSE ? 1 : q.flag == kSplitNW ? 2 : 3;
        bool mine = true;
        if (patch.field[kFlags] & q.flag) {
            if (through) {
                mine = false;  // drawn as a patch of its own
            } else {
                Patch* c = levels_[size_t(v - 1)]->find(q.row, q.column);
                const uint16_t cf = c ? c->flags(frame_) : 0;
                if (c && (cf & kVisited)) {
                    if (!(cf & kHidden)) emit(v - 1, q.row, q.column, *c, false);
                    mine = false;
                } else {
                    patch.field[kFlags] &= uint16_t(~q.flag);
                }
            }
        }
        here[a] = mine;
        if (whole) here[a + 1] = mine;
    }
    if (!here[0] && !here[1] && !here[2] && !here[3]) return;

    const uint16_t f = patch.field[kFlags];
    const int x0 = column << (v + s), y0 = row << v;
    const int w = 1 << (v + s), h = 1 << v;
    const int xm = x0 + w / 2, ym = y0 + h / 2, x1 = x0 + w, y1 = y0 + h;
    const uint16_t c = vertexAt(xm, ym);
    // Perimeter counter-clockwise seen from outside; each segment with the
    // quarters it borders. Triangles are wound clockwise.
    auto tri = [&](int ax, int ay, int bx, int by) {
        const uint16_t a = vertexAt(ax, ay), b = vertexAt(bx, by);
        indices_.push_back(c);
        indices_.push_back(b);
        indices_.push_back(a);
    };
    auto edge = [&](bool mid, int ax, int ay, int mx, int my, int bx, int by, int qa, int qb) {
        if (mid) {
            if (here[qa]) tri(ax, ay, mx, my);
            if (here[qb]) tri(mx, my, bx, by);
        } else if (here[qa] && here[qb]) {
            tri(ax, ay, bx, by);
        }
    };
    edge(f & kEdgeSouth, x0, y0, xm, y0, x1, y0, 0, 1);
    edge(f & kEdgeEast, x1, y0, x1, ym, x1, y1, 1, 3);
    edge(f & kEdgeNorth, x1, y1, xm, y1, x0, y1, 3, 2);
    edge(f & kEdgeWest, x0, y1, x0, ym, x0, y0, 2, 0);
}

void TerrainRenderer::emitRoot(gfx::Device& device, int v, int row, int column, Patch& patch) {
    PatchLevel& level = *levels_[size_t(v)];
    const int s = level.shift(row);
    rootX_ = column << (v + s);
    rootY_ = row << v;
    rootRowShift_ = std::max(v - 7, 0);
    rootColShift_ = rootRowShift_ + s;
    const int cx = (rootX_ + (1 << (v + s - 1))) & (gridCells_ - 1);
    const int cy = rootY_ + (1 << (v - 1));
    const int finest = std::clamp(v - 7, 0, std::max(cacheLevels_ - 1, 0));
    texture_ = textures_->textureFor(finest, cx, cy);

    if (++drawNumber_ == 0) {
        std::fill(vertexTable_.begin(), vertexTable_.end(), -1);
        drawNumber_ = 1;
    }
    vertices_.clear();
    vertexGrid_.clear();
    indices_.clear();
    emit(v, row, column, patch, (patch.field[kFlags] & kThroughChildren) != 0);
    submit(device);
    if (lightsPass_.active() && !indices_.empty() && lightsPass_.prepare(vertices_)) {
        // Only patches reaching the night side build lights textures.
        const BoundTexture night = lights_->textureFor(finest, cx, cy);
        if (night.texture && !night.dark) {
            for (size_t i = 0; i < vertices_.size(); ++i) {
                const auto [x, y] = vertexGrid_[i];
                const int du = wrapMod(x - night.originX, gridCells_);
                vertices_[i].u1 = TextureCache::texelCoordinate(float(du) / float(kTileCells << night.columnShift));
                vertices_[i].v1 = TextureCache::texelCoordinate(float(y - night.originY) / float(kTileCells << night.rowShift));
            }
            counters_.lightTriangles += lightsPass_.draw(device, vertices_, indices_, night.texture, lights_->occupancy(night));
        }
    }
}

void TerrainRenderer::submit(gfx::Device& device) {
    if (indices_.empty()) return;
    device.setTexture(0, texture_.texture);
    device.drawIndexedPrimitiveUP(gfx::PrimitiveType::TriangleList, 0, uint32_t(vertices_.size()),
                                  uint32_t(indices_.size() / 3), indices_.data(), vertices_.data(),
                                  sizeof(TerrainVertex));
    ++counters_.patchesDrawn;
    counters_.triangles += int(indices_.size() / 3);
    counters_.vertices += int(vertices_.size());
    counters_.maxPatchVertices = std::max(counters_.maxPatchVertices, int(vertices_.size()));
}

bool TerrainRenderer::drawPatch(gfx::Device& device, int v, int row, int column) {
    Patch* p = levels_[size_t(v)]->find(row, column);
    if (!p) return false;
    const uint16_t flags = p->flags(frame_);
    if (!(flags & kVisited)) return false;
    if (flags & kHidden) return true;  // out of sight: nothing to draw there
    if (flags & kThroughChildren) {
        Quadrant qs[4];
        const int n = quadrants(v, row, column, qs);
        bool remaining = false;
        for (int i = 0; i < n; ++i) {
            if ((p->field[kFlags] & qs[i].flag) && !drawPatch(device, v - 1, qs[i].row, qs[i].column))
                p->field[kFlags] &= uint16_t(~qs[i].flag);
            if (!(p->field[kFlags] & qs[i].flag)) remaining = true;
        }
        if (!remaining) return true;
    }
    emitRoot(device, v, row, column, *p);
    return true;
}

void TerrainRenderer::draw(gfx::Device& device, const TerrainFrame& frame) {
    counters_ = {};
    if (++frame_ == 0) frame_ = 1;
    world_ = device.transform(gfx::TransformType::World);
    camera_ = frame.cameraPosition;
    frustum_ = frame.frustum;
    detailStart_ = frame.detailStartLevel;
    computeView(camera_, world_);

    elevation_->recentre(centreColumn_, centreRow_);
    sampler_->invalidate();
    textures_->recentre(centreColumn_, centreRow_, detailStart_ - 2);
    textures_->beginFrame();
    const bool lights = lights_ && frame.lightsBrightness > 0;
    math::Vec3 sunInGlobe = frame.sunDirection;
    if (auto inverse = math::matrixInverse(world_)) sunInGlobe = math::transformNormal(frame.sunDirection, *inverse);
    lightsPass_.beginFrame(sunInGlobe, lights ? frame.lightsBrightness : 0.0f);
    if (lights) {
        lights_->recentre(centreColumn_, centreRow_, detailStart_ - 2);
        lights_->beginFrame();
    }
    for (int v = 1; v <= patchLevels_; ++v) {
        // Levels finer than the detail start stay where they are; the
        // coarsest always covers the globe.
        if (v < detailStart_ && v < patchLevels_) continue;
        PatchLevel& level = *levels_[size_t(v)];
        level.recentre(centreColumn_, centreRow_, [&](Patch& p) { computeErrors(level, p); });
    }

    PatchLevel& coarsest = *levels_[size_t(patchLevels_)];
    pending_.clear();
    for (int row = 0; row < coarsest.rowCount(); ++row)
        for (int col = 0; col < coarsest.columnCount(row); ++col)
            refine(patchLevels_, row, col, camera::FrustumTest::Intersecting, true, 1);
    flushPending();

    std::fill(vertexTable_.begin(), vertexTable_.end(), -1);
    drawNumber_ = 0;
    device.setRenderState(gfx::RenderState::FogEnable, 0);
    device.setRenderState(gfx::RenderState::SpecularEnable, 1);
    device.setTextureStageState(0, gfx::TextureStageState::AddressU, gfx::kTaddressClamp);
    device.setTextureStageState(0, gfx::TextureStageState::AddressV, gfx::kTaddressClamp);
    device.setTextureStageState(0, gfx::TextureStageState::ColorOp, gfx::kTopModulate);
    device.setTextureStageState(0, gfx::TextureStageState::ColorArg1, gfx::kTaTexture);
    device.setTextureStageState(0, gfx::TextureStageState::ColorArg2, gfx::kTaDiffuse);
    device.setTextureStageState(0, gfx::TextureStageState::AlphaOp, gfx::kTopModulate);
    device.setTextureStageState(0, gfx::TextureStageState::AlphaArg1, gfx::kTaTexture);
    device.setTextureStageState(0, gfx::TextureStageState::AlphaArg2, gfx::kTaDiffuse);
    device.setTextureStageState(1, gfx::TextureStageState::ColorOp, gfx::kTopDisable);
    device.setVertexShader(gfx::kFvfPosNormalDiffuseTex2);
    for (int row = 0; row < coarsest.rowCount(); ++row)
        for (int col = 0; col < coarsest.columnCount(row); ++col) drawPatch(device, patchLevels_, row, col);
    device.setTextureStageState(1, gfx::TextureStageState::ColorOp, gfx::kTopDisable);
    device.setTexture(0, nullptr);
}

}  // namespace tnx::globe
