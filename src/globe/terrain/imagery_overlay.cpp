#include "globe/terrain/imagery_overlay.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "globe/terrain/terrain_renderer.h"

namespace tnx::globe {

namespace {

constexpr size_t kMostTiles = 64;  // a triangle across more is left to the built-in texture
constexpr double kDegrees = 180.0 / 3.14159265358979323846;
constexpr double kEdge = 1e-9;  // degrees: a corner on a tile's edge is inside

// Keeps the part of a polygon where `inside` holds, cutting its edges where
// `side` (linear along an edge) crosses zero.
template <class Side>
void clipBy(std::vector<ImageryOverlayCorner>& poly, Side side) {
    std::vector<ImageryOverlayCorner> out;
    out.reserve(poly.size() + 2);
    for (size_t i = 0; i < poly.size(); ++i) {
        const auto& a = poly[i];
        const auto& b = poly[(i + 1) % poly.size()];
        const double sa = side(a), sb = side(b);
        if (sa >= 0) out.push_back(a);
        if ((sa >= 0) != (sb >= 0)) {
            const double t = sa / (sa - sb);
            ImageryOverlayCorner c;
            c.lon = a.lon + t * (b.lon - a.lon);
            c.lat = a.lat + t * (b.lat - a.lat);
            for (int k = 0; k < 3; ++k) c.w[k] = float(a.w[k] + t * (b.w[k] - a.w[k]));
            out.push_back(c);
        }
    }
    poly.swap(out);
}

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
        if (counters_.uploads >= uploads) break;
        auto tile = loader_.tile(key);
        auto it = shown_.find(key);
        if (!tile || (it != shown_.end() && it->second.serial == tile->serial)) continue;
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
    // The tile's full span (its texels), also where the world cuts it.
    const double span = loader_.source().grid().tileDegrees(key.level);
    v.u0 = float((lon - (-180.0 + key.column * span)) / span);
    v.v0 = float(((90.0 - key.row * span) - lat) / span);
}

void ImageryOverlay::takePatch(const std::vector<TerrainVertex>& vertices, const std::vector<std::pair<int, int>>& grid,
                               const std::vector<uint16_t>& indices, std::vector<uint16_t>& builtIn) {
    batches_.clear();
    underPieces_.clear();
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
    for (size_t i = 0; i < vertices.size(); ++i) {
        lonLat_[i] = {grid[i].first * perCell - 180.0, grid[i].second * perCell - 90.0};
        const TerrainVertex& v = vertices[i];
        distance_[i] = math::length(math::Vec3{v.x, v.y, v.z} - view_.camera);
    }
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
        for (const ImageryTileKey& k : tiles.tilesCovering(box, level, kMostTiles)) {
            auto [it, fresh] = wanted_.emplace(k, nearest);
            if (!fresh) it->second = std::min(it->second, nearest);
        }
        const double clon = (lonLat_[tri[0]].first + lonLat_[tri[1]].first + lonLat_[tri[2]].first) / 3;
        const double clat = (lonLat_[tri[0]].second + lonLat_[tri[1]].second + lonLat_[tri[2]].second) / 3;
        const auto [key, shown] = drawable(tiles.tileAt(clon, clat, level));
        if (!shown) {
            builtIn.insert(builtIn.end(), tri, tri + 3);
            continue;
        }
        const GeoBox b = tiles.bounds(key);
        const bool inside = box.west >= b.west - kEdge && box.east <= b.east + kEdge && box.south >= b.south - kEdge &&
                            box.north <= b.north + kEdge;
        if (inside) {
            Batch& into = batch(key, shown);
            if (shown->opaque && alphaOf(*shown) >= 1.0f) {
                into.own.insert(into.own.end(), tri, tri + 3);
            } else {
                into.over.insert(into.over.end(), tri, tri + 3);
                builtIn.insert(builtIn.end(), tri, tri + 3);
            }
            continue;
        }
        const std::vector<ImageryTileKey> crossed = tiles.tilesCovering(box, key.level, kMostTiles);
        if (crossed.size() >= kMostTiles) {
            builtIn.insert(builtIn.end(), tri, tri + 3);
            continue;
        }
        cut(tri, vertices, crossed);
    }
}

void ImageryOverlay::cut(const uint16_t* tri, const std::vector<TerrainVertex>& vertices,
                         const std::vector<ImageryTileKey>& tiles) {
    const ImageryTileGrid& grid = loader_.source().grid();
    const TerrainVertex* corner[3] = {&vertices[tri[0]], &vertices[tri[1]], &vertices[tri[2]]};
    std::vector<ImageryOverlayCorner> poly;
    std::vector<TerrainVertex> piece;
    for (const ImageryTileKey& key : tiles) {
        const GeoBox b = grid.bounds(key);
        poly.assign(3, {});
        for (int k = 0; k < 3; ++k) {
            poly[size_t(k)].lon = lonLat_[tri[k]].first;
            poly[size_t(k)].lat = lonLat_[tri[k]].second;
            poly[size_t(k)].w[k] = 1;
        }
        clipBy(poly, [&](const ImageryOverlayCorner& c) { return c.lon - b.west; });
        clipBy(poly, [&](const ImageryOverlayCorner& c) { return b.east - c.lon; });
        clipBy(poly, [&](const ImageryOverlayCorner& c) { return c.lat - b.south; });
        clipBy(poly, [&](const ImageryOverlayCorner& c) { return b.north - c.lat; });
        if (poly.size() < 3) continue;
        // The piece as the built-in pass would draw it: everything weighed
        // from the triangle's corners.
        piece.clear();
        for (const ImageryOverlayCorner& c : poly) {
            TerrainVertex v{};
            for (int k = 0; k < 3; ++k) {
                v.x += c.w[k] * corner[k]->x;
                v.y += c.w[k] * corner[k]->y;
                v.z += c.w[k] * corner[k]->z;
                v.nx += c.w[k] * corner[k]->nx;
                v.ny += c.w[k] * corner[k]->ny;
                v.nz += c.w[k] * corner[k]->nz;
                v.u0 += c.w[k] * corner[k]->u0;
                v.v0 += c.w[k] * corner[k]->v0;
            }
            const float len = std::sqrt(v.nx * v.nx + v.ny * v.ny + v.nz * v.nz);
            v.nx /= len;
            v.ny /= len;
            v.nz /= len;
            v.diffuse = 0xFFFFFFFFu;
            piece.push_back(v);
        }
        auto it = shown_.find(key);
        Shown* shown = it != shown_.end() && it->second.texture ? &it->second : nullptr;
        const bool alone = shown && shown->opaque && alphaOf(*shown) >= 1.0f;
        std::vector<TerrainVertex>* into = &underPieces_;
        if (shown) into = alone ? &batch(key, shown).pieces : &batch(key, shown).blendPieces;
        if (shown && !alone)
            for (size_t i = 1; i + 1 < piece.size(); ++i) underPieces_.insert(underPieces_.end(), {piece[0], piece[i], piece[i + 1]});
        for (size_t i = 1; i + 1 < piece.size(); ++i) {
            for (size_t j : {size_t(0), i, i + 1}) {
                TerrainVertex v = piece[j];
                if (shown) texcoords(v, key, poly[j].lon, poly[j].lat);
                into->push_back(v);
            }
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

void ImageryOverlay::drawList(gfx::Device& device, const std::vector<TerrainVertex>& list, bool blended) {
    if (list.empty()) return;
    drawBlended(device, blended, [&] {
        device.drawPrimitiveUP(gfx::PrimitiveType::TriangleList, uint32_t(list.size() / 3), list.data(),
                               sizeof(TerrainVertex));
    });
}

void ImageryOverlay::drawPatch(gfx::Device& device, const std::vector<TerrainVertex>& vertices) {
    if (batches_.empty() && underPieces_.empty()) return;
    gfx::Texture* surface = device.texture(0);  // the built-in texture of the patch
    drawList(device, underPieces_, false);
    for (Batch& b : batches_) {
        b.shown->lastFrame = frame_;
        newestDay_ = std::max(newestDay_, b.shown->day);
        const float alpha = alphaOf(*b.shown);
        fading_ = fading_ || alpha < 1.0f;
        device.setTexture(0, b.shown->texture.get());
        for (bool blended : {false, true}) {
            // The patch's own vertices with the tile's texture coordinates.
            const std::vector<uint16_t>& list = blended ? b.over : b.own;
            if (!list.empty()) {
                remap_.assign(vertices.size(), -1);
                local_.clear();
                localIndices_.clear();
                const uint32_t diffuse = (uint32_t(std::lround(alpha * 255.0f)) << 24) | 0xFFFFFFu;
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
                                                  uint32_t(localIndices_.size() / 3), localIndices_.data(),
                                                  local_.data(), sizeof(TerrainVertex));
                });
            }
            std::vector<TerrainVertex>& pieces = blended ? b.blendPieces : b.pieces;
            if (blended)
                for (TerrainVertex& v : pieces) v.diffuse = (uint32_t(std::lround(alpha * 255.0f)) << 24) | 0xFFFFFFu;
            drawList(device, pieces, blended);
            const int n = int((list.size() + pieces.size()) / 3);
            (blended ? counters_.overTriangles : counters_.ownTriangles) += n;
        }
    }
    device.setTexture(0, surface);
    batches_.clear();
    underPieces_.clear();
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
    if (active_) loader_.want(lastWanted_);
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
