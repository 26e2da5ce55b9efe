// Online imagery on the relief, patch by patch, in the terrain's own pass:
// where the built-in texture is magnified on screen (its texel larger than
// a pixel) each triangle asks for the imagery tile whose pixels come
// closest to the screen's, and is drawn with the finest such tile the
// loader has (an earlier, coarser one while the right one is on its way).
// A triangle lying in opaque tiles that have faded in is drawn with the
// tiles alone; one where a tile is missing, still fading in or has places
// without data keeps the built-in texture and gets the tiles blended over
// it. A triangle across tile edges is drawn once per tile, each time with a
// mask (a second texture, clamped) that leaves out what lies outside that
// tile. Every pass uses the patch's own vertices, so all of them, the city
// lights' included, lie at exactly the same depth, and the same normals
// and material give the same lighting and night side.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "globe/imagery/imagery_loader.h"
#include "platform/gfx/device.h"
#include "platform/math/d3d_math.h"

namespace tnx::globe {

struct TerrainVertex;


class ImageryOverlay {
public:
    static constexpr int kUploadsPerFrame = 2;
    static constexpr size_t kMostWanted = 48;   // tiles asked for at once, nearest first
    static constexpr size_t kMaxTextures = 64;
    static constexpr double kFadeSeconds = 0.5;

    struct View {
        math::Vec3 camera;          // in the globe's own frame (the vertices')
        float radiansPerPixel = 0;  // the view's angle per screen pixel
        int gridCells = 0;          // grid columns round the globe (W - 1)
        double now = 0;             // seconds, steady
        bool fade = true;           // false: tiles show at once (snapshots)
    };
    struct Counters {
        int ownTriangles = 0;   // drawn with imagery alone
        int overTriangles = 0;  // drawn with imagery over the built-in texture
        int uploads = 0;
        int tilesDrawn = 0;
    };

    explicit ImageryOverlay(ImageryLoader& loader) : loader_(loader) {}

    // Before the patches: uploads at most kUploadsPerFrame tiles that came.
    void beginFrame(gfx::Device& device, const View& view);
    // False when nothing on screen is magnified: no patch is looked at.
    bool active() const { return active_; }
    // A patch the renderer is about to draw (triangle list over `vertices`,
    // `grid` the grid sample of each vertex): `builtIn` receives the
    // triangles the built-in texture still draws; the rest, and what the
    // imagery lies over, is kept for drawPatch.
    void takePatch(const std::vector<TerrainVertex>& vertices, const std::vector<std::pair<int, int>>& grid,
                   const std::vector<uint16_t>& indices, std::vector<uint16_t>& builtIn);
    // Right after the built-in pass of the same patch.
    void drawPatch(gfx::Device& device, const std::vector<TerrainVertex>& vertices);
    // After the last patch: the tiles this frame wanted go to the loader,
    // nearest first.
    void endFrame();
    // Device textures (a reset): uploaded again as needed.
    void release();

    // The last frame drew online tiles; the newest day among them.
    bool onScreen() const { return counters_.tilesDrawn > 0; }
    int newestDay() const { return newestDay_; }
    // A tile is still fading in or waiting for its upload: more frames
    // are wanted.
    bool fading() const { return fading_; }
    // Every tile the last frame wanted is drawn at its own level and faded
    // in, or the loader has none to give.
    bool complete() const;
    std::vector<ImageryTileKey> missing() const;
    const Counters& counters() const { return counters_; }
    size_t texturesHeld() const { return shown_.size(); }

private:
    struct Shown {
        std::unique_ptr<gfx::Texture> texture;
        uint64_t serial = 0;
        int day = 0;
        bool opaque = true;
        double since = 0;  // when it was uploaded
        uint64_t lastFrame = 0;
    };
    // One tile's share of the patch being drawn (triangles of the patch).
    struct Batch {
        ImageryTileKey key;
        Shown* shown = nullptr;
        // [blended][masked]: the tiles alone or blended over the built-in
        // texture; masked where a triangle reaches past the tile's edge
        // (inside it the mask's second texture and alpha test would only
        // cost the rasteriser time).
        std::vector<uint16_t> triangles[2][2];
    };
    float alphaOf(const Shown& s) const;
    bool magnified(double degreesPerPixel) const { return degreesPerPixel < builtInTexel_; }
    // The finest uploaded tile at or above `key` sharper than the built-in texture.
    std::pair<ImageryTileKey, Shown*> drawable(ImageryTileKey key);
    Batch& batch(const ImageryTileKey& key, Shown* shown);
    // The tile's texture coordinates (set 0) and its mask's (set 1).
    void texcoords(TerrainVertex& v, const ImageryTileKey& key, double lon, double lat) const;
    void drawBatch(gfx::Device& device, const std::vector<TerrainVertex>& vertices, const Batch& b, bool blended,
                   bool masked);
    bool upload(gfx::Device& device, const ImageryTileKey& key, const ImageryTile& tile);

    ImageryLoader& loader_;
    View view_;
    double builtInTexel_ = 0;  // degrees
    int sharpest_ = 0;         // the coarsest level still sharper than the built-in texture
    bool active_ = false;
    uint64_t frame_ = 0;
    std::map<ImageryTileKey, Shown> shown_;
    std::map<ImageryTileKey, float> wanted_;  // key -> nearest distance
    std::vector<ImageryTileKey> lastWanted_;
    std::vector<std::pair<double, double>> lonLat_;  // per vertex of the patch
    std::vector<float> distance_;
    std::vector<Batch> batches_;
    std::unique_ptr<gfx::Texture> mask_;  // 4 x 4: the inner 2 x 2 opaque
    std::vector<int32_t> remap_;
    std::vector<TerrainVertex> local_;
    std::vector<uint16_t> localIndices_;
    Counters counters_;
    int newestDay_ = 0;
    bool fading_ = false;
    std::unique_ptr<gfx::Texture> staging_;
};

}  // namespace tnx::globe
