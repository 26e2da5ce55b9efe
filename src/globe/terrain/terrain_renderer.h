// The relief globe: a sphere of radius 63.71 raised by every grid sample's
// elevation times the exaggeration, drawn as a restricted quadtree of
// patches whose detail follows the camera, textured by the texture cache.
//
// Per frame the globe scene sets the world transform (rotation about Y by
// pi - spin), fill mode, lighting, the scene material and the vertex format,
// then calls draw() with the camera position, the view frustum and the
// detail start level. draw() recentres the caches and the patch levels,
// refines, and submits one indexed triangle list per patch from memory.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "camera/view_frustum.h"
#include "globe/terrain/elevation_source.h"
#include "globe/terrain/night_lights_cache.h"
#include "globe/terrain/night_lights_pass.h"
#include "globe/terrain/patch_level.h"
#include "globe/terrain/row_decimation.h"
#include "globe/terrain/terrain_settings.h"
#include "globe/terrain/texture_cache.h"
#include "platform/gfx/device.h"
#include "platform/math/d3d_math.h"

namespace tnx::globe {

class ElevationCache;
struct TileFileSet;

// One terrain vertex: position, normal, diffuse, two texture pairs (44 bytes).
struct TerrainVertex {
    float x, y, z;
    float nx, ny, nz;
    uint32_t diffuse;
    float u0, v0;
    float u1, v1;
};
static_assert(sizeof(TerrainVertex) == 44);

struct TerrainFrame {
    math::Vec3 cameraPosition;                  // world space
    const camera::ViewFrustum* frustum = nullptr;  // null: everything is in view
    int detailStartLevel = 0;                   // TerrainRenderer::detailStartLevel()
    math::Vec3 sunDirection{-1, 0, 0};          // world space, toward the Sun
    float lightsBrightness = 0;                 // the city lights: 1 as the image has them, 0 off
};

struct TerrainCounters {
    int patchesDrawn = 0;
    int triangles = 0;
    int vertices = 0;
    int maxPatchVertices = 0;
    int lightTriangles = 0;  // drawn again with the city lights
};

class TerrainRenderer {
public:
    static constexpr float kGlobeRadius = 63.71f;
    static constexpr float kCircumference = 63.71f * 6.28f;

    // From the opened tile files: creates the elevation cache (ring side by
    // texture memory) and the texture cache over them. The files must
    // outlive the renderer.
    TerrainRenderer(TileFileSet& files, uint32_t availableTextureMemory);
    // Over given sources (tests, tools). `colour` may be null (no
    // photographic tiles); fileShift = terrain level shift + texture offset.
    TerrainRenderer(ElevationSource& elevation, ColourTileSource* colour, int terrainLevelShift, int fileShift,
                    uint32_t availableTextureMemory, int ringSide = 0);
    ~TerrainRenderer();
    TerrainRenderer(const TerrainRenderer&) = delete;
    TerrainRenderer& operator=(const TerrainRenderer&) = delete;

    // The city lights' tile file (null: none); file coordinates are grid
    // coordinates shifted right by fileShift. The source must outlive the
    // renderer.
    void setNightLights(ColourTileSource* source, int fileShift);
    NightLightsCache* nightLights() { return lights_.get(); }

    // Ring side of the caches by texture memory: 13, 9, 7 or 5.
    static int ringSideForMemory(uint64_t bytes);
    // P - 13 + the bit length of |trunc(64 (d - R) / R)|.
    static int detailStartLevel(int patchLevelCount, float cameraDistance, float radius = kGlobeRadius);

    // Exaggeration, error tables, patch errors; colours and shading options
    // when flags has kApplyColours; adjustments; the textures are rebuilt.
    void applySettings(const TerrainSettings& settings, uint32_t flags);

    // Device objects (the texture cache's textures).
    void restore(gfx::Device& device);
    void release();

    void draw(gfx::Device& device, const TerrainFrame& frame);

    // The view centre of the last frame in grid coordinates.
    int centreColumn() const { return centreColumn_; }
    int centreRow() const { return centreRow_; }
    int patchLevelCount() const { return patchLevels_; }
    int gridWidth() const { return gridWidth_; }
    float exaggeration() const { return exaggeration_; }
    const TerrainCounters& counters() const { return counters_; }
    // The last frame drew coarser textures where finer ones wait to be built.
    bool texturesPending() const {
        return textures_->deferred() > 0 || (lights_ && lightsPass_.active() && lights_->deferred() > 0);
    }
    TextureCache& textureCache() { return *textures_; }
    ElevationCache* elevationCache() { return ownedCache_.get(); }
    uint16_t minimumError(int level) const { return minError_[size_t(level & 31)]; }
    PatchLevel* patchLevel(int level);

private:
    struct PatchRef {
        PatchLevel* level;
        Patch* patch;
        int v, row, column, shift;
    };
    struct Quadrant {
        int row, column;      // child patch
        uint16_t flag;        // its quadrant bit
        uint16_t splitFlags;  // quadrant bit plus the bordering edges
        int errField;
    };

    void init(ElevationSource& elevation, ColourTileSource* colour, int terrainLevelShift, int fileShift,
              uint32_t availableTextureMemory, int ringSide);
    void buildMinErrorTable();
    void computeView(const math::Vec3& camera, const math::Matrix& world);
    void computeErrors(PatchLevel& level, Patch& patch);
    int quadrants(int v, int row, int column, Quadrant out[4]) const;
    math::Vec3 gridPoint(int column, int row, float radius) const;
    float patchSpan(int v, int shift) const;

    bool refine(int v, int row, int column, camera::FrustumTest visibility, bool isRoot, uint8_t limit);
    bool throughChildren(int v, int row, int column);
    void split(PatchLevel& level, Patch& patch, int v, int row, int column, const Quadrant& q);
    void requireVertex(int x, int y);
    void ensureVertex(int v, int row, int column, int x, int y, int depth);
    void setEdge(Patch& patch, int v, int row, int column, uint16_t edge);
    void flushPending();
    // Runs ensureVertex on the patches of `v` whose closure holds (x, y);
    // false when one of them is missing or was not reached this frame.
    bool ensureAtLevel(int v, int x, int y, bool onlyIfReached);

    bool drawPatch(gfx::Device& device, int v, int row, int column);
    void emitRoot(gfx::Device& device, int v, int row, int column, Patch& patch);
    void emit(int v, int row, int column, Patch& patch, bool through);
    uint16_t vertexAt(int x, int y);
    void submit(gfx::Device& device);

    // Sources and caches.
    std::unique_ptr<ElevationCache> ownedCache_;
    std::unique_ptr<ElevationSource> ownedSource_;
    std::unique_ptr<ColourTileSource> ownedColour_;
    std::unique_ptr<ColourTileSource> ownedNight_;
    ElevationSource* elevation_ = nullptr;
    std::unique_ptr<ElevationSampler> sampler_;
    std::unique_ptr<RowShiftTable> rowShifts_;
    std::unique_ptr<RowDecimation> decimation_;
    std::unique_ptr<TextureCache> textures_;
    std::unique_ptr<NightLightsCache> lights_;
    NightLightsPass lightsPass_;
    uint32_t availableTextureMemory_ = 0;
    int ringSide_ = 5;
    std::vector<std::unique_ptr<PatchLevel>> levels_;  // index V (0 unused)

    // Grid and constants.
    int gridWidth_ = 0, gridHeight_ = 0, gridCells_ = 0;
    int patchLevels_ = 0;  // P
    int cacheLevels_ = 0;
    float cellSize_ = 0;
    std::vector<float> sin_, cos_;
    std::array<uint16_t, 32> minError_{};
    float exaggeration_ = 0.00001f;

    // Per frame.
    uint16_t frame_ = 0;
    int detailStart_ = 0;
    int centreColumn_ = 0, centreRow_ = 0;
    math::Matrix world_;
    math::Vec3 camera_;
    const camera::ViewFrustum* frustum_ = nullptr;
    TerrainCounters counters_;
    // Vertices neighbours must provide, with the level of the patch that
    // asked (0: unknown), where the search starts when it can.
    struct Pending {
        int x, y, level;
    };
    std::vector<Pending> pending_;
    bool flushing_ = false;

    // One patch's geometry.
    std::vector<int32_t> vertexTable_;
    uint16_t drawNumber_ = 0;
    std::vector<TerrainVertex> vertices_;
    std::vector<std::pair<int, int>> vertexGrid_;  // grid sample of each vertex
    std::vector<uint16_t> indices_;
    int rootX_ = 0, rootY_ = 0, rootColShift_ = 0, rootRowShift_ = 0;
    BoundTexture texture_;
};

}  // namespace tnx::globe
