#include "globe/terrain/imagery_overlay.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>

#include "globe/terrain/terrain_renderer.h"

namespace tnx::globe {

namespace {

constexpr size_t kMostTiles = 64;  // a triangle across more is left to the built-in texture
constexpr double kDegrees = 180.0 / 3.14159265358979323846;

}  // namespace

float ImageryOverlay::alphaOf(const Shown& s) const {
    if (!view_.fade) return 1.0f;
    return float(std::clamp((view_.now - s.since) / kFadeSeconds, 0.0, 1.0));
}

void ImageryOverlay::beginFrame(gfx::Device& device, const View& view) {
    view_ = view;
    ++frame_;
    counters_ = {};
    wanted_.clear();
    fading_ = false;
    newestDay_ = 0;
    builtInTexel_ = view.gridCells > 0 ? 360.0 / view.gridCells : 0;
    const ImageryTileGrid& grid = loader_.source().grid();
    sharpest_ = 0;
    while (sharpest_ < grid.maxLevel() && !magnified(grid.pixelDegrees(sharpest_))) ++sharpest_;
    // The nearest ground lies the camera's height away.
    const double height = std::max(double(math::length(view.camera)) - TerrainRenderer::kGlobeRadius, 0.0);
    active_ = view.gridCells > 0 && magnified(height * view.radiansPerPixel / TerrainRenderer::kGlobeRadius * kDegrees);
    if (!active_) return;
    // Nobody watches a snapshot's frames: it takes more at once.
    const int uploads = view.fade ? kUploadsPerFrame : 4 * kUploadsPerFrame;
    for (const ImageryTileKey& key : lastWanted_) {
        auto tile = loader_.tile(key);
        auto it = shown_.find(key);
        if (!tile || (it != shown_.end() && it->second.serial == tile->serial)) continue;
        // The rest next frame (more frames are asked for meanwhile).
        if (counters_.uploads >= uploads) {
            fading_ = true;
            break;
        }
        if (upload(device, key, *tile)) ++counters_.uploads;
    }
}

bool ImageryOverlay::upload(gfx::Device& device, const ImageryTileKey& key, const ImageryTile& tile) {
    const ImageryImage& image = tile.image;
    const auto size = uint32_t(image.size), levels = uint32_t(image.levels());
    if (!staging_ || staging_->width() != size || staging_->levelCount() != levels)
        staging_ = device.createTexture(size, size, levels, gfx::Format::A8R8G8B8, gfx::Pool::SystemMem);
    auto texture = device.createTexture(size, size, levels, gfx::Format::A8R8G8B8, gfx::Pool::Default);
    if (!staging_ || !texture) return false;
    for (uint32_t level = 0; level < levels; ++level) {
        gfx::LockedRect rect;
        if (gfx::failed(staging_->lock(level, rect))) return false;
        const uint32_t side = size >> level;
        const uint32_t* from = &image.texels[ImageryImage::levelOffset(image.size, int(level))];
        for (uint32_t y = 0; y < side; ++y)
            std::memcpy(rect.bits + size_t(y) * size_t(rect.pitch), from + size_t(y) * side, side * 4);
        staging_->unlock(level);
    }
    if (gfx::failed(device.updateTexture(*staging_, *texture))) return false;
    Shown& s = shown_[key];
    const bool replacing = s.texture != nullptr;
    s.texture = std::move(texture);
    s.serial = tile.serial;
    s.day = tile.day;
    s.opaque = image.opaque;
    // A tile of another day takes the place of one shown: no fade.
    if (!replacing) s.since = view_.now;
    s.lastFrame = frame_;
    return true;
}

std::pair<ImageryTileKey, ImageryOverlay::Shown*> ImageryOverlay::drawable(ImageryTileKey key) {
    const ImageryTileGrid& grid = loader_.source().grid();
    while (key.level >= 0 && magnified(grid.pixelDegrees(key.level))) {
        auto it = shown_.find(key);
        if (it != shown_.end() && it->second.texture) return {key, &it->second};
        key = {key.level - 1, key.row >> 1, key.column >> 1};
    }
    return {key, nullptr};
}

ImageryOverlay::Batch& ImageryOverlay::batch(const ImageryTileKey& key, Shown* shown) {
    for (Batch& b : batches_)
        if (b.shown == shown) return b;
    Batch& b = batches_.emplace_back();
    b.key = key;
    b.shown = shown;
    return b;
}

void ImageryOverlay::texcoords(TerrainVertex& v, const ImageryTileKey& key, double lon, double lat) const {
    const ImageryTileGrid& grid = loader_.source().grid();
    // The tile's full span for its texels; the part inside the world (the
    // last column and row are cut there) for its mask, whose inner half is
    // opaque.
    const double span = grid.tileDegrees(key.level);
    const double west = -180.0 + key.column * span, north = 90.0 - key.row * span;
    v.u0 = float((lon - west) / span);
    v.v0 = float((north - lat) / span);
    const GeoBox b = grid.bounds(key);
    v.u1 = float(0.25 + 0.5 * (lon - b.west) / (b.east - b.west));
    v.v1 = float(0.25 + 0.5 * (b.north - lat) / (b.north - b.south));
}

void ImageryOverlay::takePatch(const std::vector<TerrainVertex>& vertices, const std::vector<std::pair<int, int>>& grid,
                               const std::vector<uint16_t>& indices, std::vector<uint16_t>& builtIn) {
    batches_.clear();
    builtIn.clear();
    if (!active_ || grid.size() != vertices.size()) {
        builtIn = indices;
        return;
    }
    const ImageryTileGrid& tiles = loader_.source().grid();
    const double perCell = 360.0 / view_.gridCells;
    const double toDegrees = view_.radiansPerPixel / TerrainRenderer::kGlobeRadius * kDegrees;
    lonLat_.resize(vertices.size());
    distance_.resize(vertices.size());
    // What lies beyond the horizon (over the sea-level globe, relief
    // included) counts as infinitely far: a triangle wholly there, as the
    // pole's fan often is, asks for no tile.
    const double radius = TerrainRenderer::kGlobeRadius, cameraRadius = math::length(view_.camera);
    const double cameraHorizon = std::acos(std::min(1.0, radius / std::max(cameraRadius, 1e-6)));
    for (size_t i = 0; i < vertices.size(); ++i) {
        lonLat_[i] = {grid[i].first * perCell - 180.0, grid[i].second * perCell - 90.0};
        const TerrainVertex& v = vertices[i];
        const math::Vec3 p{v.x, v.y, v.z};
        const double r = std::max(double(math::length(p)), 1e-6);
        const double cosine = double(math::dot(p, view_.camera)) / (r * std::max(cameraRadius, 1e-6));
        const double angle = std::acos(std::clamp(cosine, -1.0, 1.0));
        const bool hidden = angle > cameraHorizon + std::acos(std::min(1.0, radius / r));
        distance_[i] = hidden ? std::numeric_limits<float>::infinity() : math::length(p - view_.camera);
    }
    std::vector<std::pair<ImageryTileKey, Shown*>> crossed;
    for (size_t t = 0; t + 2 < indices.size(); t += 3) {
        const uint16_t* tri = &indices[t];
        const float nearest = std::min({distance_[tri[0]], distance_[tri[1]], distance_[tri[2]]});
        const double footprint = nearest * toDegrees;
        if (!magnified(footprint)) {
            builtIn.insert(builtIn.end(), tri, tri + 3);
            continue;
        }
        GeoBox box{180, 90, -180, -90};
        for (int k = 0; k < 3; ++k) {
            const auto [lon, lat] = lonLat_[tri[k]];
            box.west = std::min(box.west, lon);
            box.east = std::max(box.east, lon);
            box.south = std::min(box.south, lat);
            box.north = std::max(box.north, lat);
        }
        // Tiles of equal degrees narrow towards the poles: their texels
        // there are as large as a pixel on average over both directions.
        const double midLat = (box.south + box.north) / 2 * (3.14159265358979323846 / 180.0);
        const int sharp = tiles.levelFor(footprint);
        int level = std::max(tiles.levelFor(footprint / std::sqrt(std::max(std::cos(midLat), 1e-4))), sharpest_);
        // A wide triangle (at a pole, a fan round it) takes coarser tiles
        // rather than a great many, while they stay sharper than the
        // built-in texture.
        auto across = [&](int l) {
            const double span = tiles.tileDegrees(l);
            return (std::floor((box.east - box.west) / span) + 2) * (std::floor((box.north - box.south) / span) + 2);
        };
        while (level > sharpest_ && across(level) > double(kMostTiles)) --level;
        level = std::min(level, sharp);
        const std::vector<ImageryTileKey> covering = tiles.tilesCovering(box, level, kMostTiles);
        if (covering.size() >= kMostTiles) {
            builtIn.insert(builtIn.end(), tri, tri + 3);
            continue;
        }
        for (const ImageryTileKey& k : covering) {
            auto [it, fresh] = wanted_.emplace(k, nearest);
            if (!fresh) it->second = std::min(it->second, nearest);
        }
        // The tiles it lies in at the finest level there is one for.
        const double clon = (lonLat_[tri[0]].first + lonLat_[tri[1]].first + lonLat_[tri[2]].first) / 3;
        const double clat = (lonLat_[tri[0]].second + lonLat_[tri[1]].second + lonLat_[tri[2]].second) / 3;
        const auto [key, found] = drawable(tiles.tileAt(clon, clat, level));
        crossed.clear();
        bool solid = true;
        const std::vector<ImageryTileKey> lying = tiles.tilesCovering(box, found ? key.level : level, kMostTiles);
        for (const ImageryTileKey& k : lying) {
            auto it = shown_.find(k);
            Shown* s = it != shown_.end() && it->second.texture ? &it->second : nullptr;
            solid = solid && s && s->opaque && alphaOf(*s) >= 1.0f;
            if (s) crossed.emplace_back(k, s);
        }
        if (crossed.empty() || !solid) builtIn.insert(builtIn.end(), tri, tri + 3);
        for (const auto& [k, s] : crossed) {
            std::vector<uint16_t>& into = batch(k, s).triangles[!solid][lying.size() > 1];
            into.insert(into.end(), tri, tri + 3);
        }
    }
}

namespace {

// Draws with `draw`, blended over what lies at exactly this depth (the same
// vertices) by alpha when asked, the device's states kept.
template <class Draw>
void drawBlended(gfx::Device& device, bool blended, Draw draw) {
    using gfx::RenderState;
    if (!blended) {
        draw();
        return;
    }
    const uint32_t blend = device.renderState(RenderState::AlphaBlendEnable);
    const uint32_t src = device.renderState(RenderState::SrcBlend), dst = device.renderState(RenderState::DestBlend);
    const uint32_t zWrite = device.renderState(RenderState::ZWriteEnable);
    device.setRenderState(RenderState::AlphaBlendEnable, 1);
    device.setRenderState(RenderState::SrcBlend, gfx::kBlendSrcAlpha);
    device.setRenderState(RenderState::DestBlend, gfx::kBlendInvSrcAlpha);
    device.setRenderState(RenderState::ZWriteEnable, 0);
    draw();
    device.setRenderState(RenderState::ZWriteEnable, zWrite);
    device.setRenderState(RenderState::DestBlend, dst);
    device.setRenderState(RenderState::SrcBlend, src);
    device.setRenderState(RenderState::AlphaBlendEnable, blend);
}

}  // namespace

void ImageryOverlay::drawBatch(gfx::Device& device, const std::vector<TerrainVertex>& vertices, const Batch& b,
                               bool blended, bool masked) {
    const std::vector<uint16_t>& list = b.triangles[blended][masked];
    if (list.empty()) return;
    const uint32_t diffuse = (uint32_t(std::lround(alphaOf(*b.shown) * 255.0f)) << 24) | 0xFFFFFFu;
    remap_.assign(vertices.size(), -1);
    local_.clear();
    localIndices_.clear();
    for (uint16_t i : list) {
        if (remap_[i] < 0) {
            remap_[i] = int32_t(local_.size());
            TerrainVertex v = vertices[i];
            texcoords(v, b.key, lonLat_[i].first, lonLat_[i].second);
            if (blended) v.diffuse = diffuse;
            local_.push_back(v);
        }
        localIndices_.push_back(uint16_t(remap_[i]));
    }
    drawBlended(device, blended, [&] {
        device.drawIndexedPrimitiveUP(gfx::PrimitiveType::TriangleList, 0, uint32_t(local_.size()),
                                      uint32_t(localIndices_.size() / 3), localIndices_.data(), local_.data(),
                                      sizeof(TerrainVertex));
    });
    (blended ? counters_.overTriangles : counters_.ownTriangles) += int(list.size() / 3);
}

void ImageryOverlay::drawPatch(gfx::Device& device, const std::vector<TerrainVertex>& vertices) {
    if (batches_.empty()) return;
    using gfx::RenderState;
    using gfx::TextureStageState;
    if (!mask_) {
        mask_ = device.createTexture(4, 4, 1, gfx::Format::A8R8G8B8, gfx::Pool::Default);
        gfx::LockedRect rect;
        if (mask_ && !gfx::failed(mask_->lock(0, rect))) {
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 4; ++x) {
                    const uint32_t texel = (x == 1 || x == 2) && (y == 1 || y == 2) ? 0xFFFFFFFFu : 0x00FFFFFFu;
                    std::memcpy(rect.bits + y * rect.pitch + x * 4, &texel, 4);
                }
            mask_->unlock(0);
        }
    }
    // Stage 1: the mask's alpha, sharp, clamped; what lies outside the tile
    // is not drawn at all.
    gfx::Texture* surface = device.texture(0);
    gfx::Texture* stage1 = device.texture(1);
    const TextureStageState kept[] = {TextureStageState::ColorOp,   TextureStageState::ColorArg1,
                                      TextureStageState::ColorArg2, TextureStageState::AlphaOp,
                                      TextureStageState::AlphaArg1, TextureStageState::AlphaArg2,
                                      TextureStageState::AddressU,  TextureStageState::AddressV,
                                      TextureStageState::MagFilter, TextureStageState::MinFilter,
                                      TextureStageState::MipFilter, TextureStageState::TexCoordIndex};
    uint32_t saved[std::size(kept)];
    for (size_t i = 0; i < std::size(kept); ++i) saved[i] = device.textureStageState(1, kept[i]);
    const uint32_t alphaTest = device.renderState(RenderState::AlphaTestEnable);
    const uint32_t alphaFunc = device.renderState(RenderState::AlphaFunc), alphaRef = device.renderState(RenderState::AlphaRef);
    device.setTexture(1, mask_.get());
    device.setTextureStageState(1, TextureStageState::ColorArg2, gfx::kTaCurrent);
    device.setTextureStageState(1, TextureStageState::AlphaOp, gfx::kTopModulate);
    device.setTextureStageState(1, TextureStageState::AlphaArg1, gfx::kTaTexture);
    device.setTextureStageState(1, TextureStageState::AlphaArg2, gfx::kTaCurrent);
    device.setTextureStageState(1, TextureStageState::AddressU, gfx::kTaddressClamp);
    device.setTextureStageState(1, TextureStageState::AddressV, gfx::kTaddressClamp);
    device.setTextureStageState(1, TextureStageState::MagFilter, gfx::kTexfPoint);
    device.setTextureStageState(1, TextureStageState::MinFilter, gfx::kTexfPoint);
    device.setTextureStageState(1, TextureStageState::MipFilter, gfx::kTexfNone);
    device.setTextureStageState(1, TextureStageState::TexCoordIndex, 1);
    device.setRenderState(RenderState::AlphaFunc, gfx::kCmpGreater);
    device.setRenderState(RenderState::AlphaRef, 0);
    for (const Batch& b : batches_) {
        b.shown->lastFrame = frame_;
        newestDay_ = std::max(newestDay_, b.shown->day);
        fading_ = fading_ || alphaOf(*b.shown) < 1.0f;
    }
    for (bool blended : {false, true})
        for (bool masked : {false, true}) {
            device.setTextureStageState(1, TextureStageState::ColorOp, masked ? gfx::kTopSelectArg2 : gfx::kTopDisable);
            device.setRenderState(RenderState::AlphaTestEnable, masked ? 1 : alphaTest);
            for (const Batch& b : batches_) {
                if (b.triangles[blended][masked].empty()) continue;
                device.setTexture(0, b.shown->texture.get());
                drawBatch(device, vertices, b, blended, masked);
            }
        }
    device.setRenderState(RenderState::AlphaRef, alphaRef);
    device.setRenderState(RenderState::AlphaFunc, alphaFunc);
    device.setRenderState(RenderState::AlphaTestEnable, alphaTest);
    for (size_t i = 0; i < std::size(kept); ++i) device.setTextureStageState(1, kept[i], saved[i]);
    device.setTexture(1, stage1);
    device.setTexture(0, surface);
    batches_.clear();
}

void ImageryOverlay::endFrame() {
    for (const auto& [key, s] : shown_)
        if (s.lastFrame == frame_ && s.texture) ++counters_.tilesDrawn;
    std::vector<std::pair<float, ImageryTileKey>> order;
    order.reserve(wanted_.size());
    for (const auto& [key, d] : wanted_) order.emplace_back(d, key);
    std::sort(order.begin(), order.end());
    lastWanted_.clear();
    for (const auto& [d, key] : order) {
        if (lastWanted_.size() >= kMostWanted) break;  // the farther ones make do with coarser tiles
        lastWanted_.push_back(key);
    }
    // Also when nothing is magnified: tiles of a view left behind are not
    // fetched on.
    loader_.want(lastWanted_);
    // Textures not drawn this frame go first once there are too many.
    if (shown_.size() > kMaxTextures) {
        std::vector<std::pair<uint64_t, ImageryTileKey>> idle;
        for (const auto& [key, s] : shown_)
            if (s.lastFrame != frame_) idle.emplace_back(s.lastFrame, key);
        std::sort(idle.begin(), idle.end());
        for (const auto& [when, key] : idle) {
            if (shown_.size() <= kMaxTextures) break;
            shown_.erase(key);
        }
    }
}

void ImageryOverlay::release() {
    shown_.clear();
    staging_.reset();
    mask_.reset();
}

bool ImageryOverlay::complete() const { return missing().empty(); }

std::vector<ImageryTileKey> ImageryOverlay::missing() const {
    std::vector<ImageryTileKey> out;
    for (const ImageryTileKey& key : lastWanted_) {
        auto it = shown_.find(key);
        const bool drawn = it != shown_.end() && it->second.texture && alphaOf(it->second) >= 1.0f;
        if (!drawn && !(loader_.settled(key) && !loader_.tile(key))) out.push_back(key);
    }
    return out;
}

}  // namespace tnx::globe
