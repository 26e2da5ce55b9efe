// A bitmap font drawn once with the system's font engine into one
// A4R4G4B4 texture (white, alpha = coverage), turning strings into textured
// quads the caller draws. Character codes are Windows-1252, 32..255.
//
// The texture is a device resource: released by invalidate(), made again by
// restore() from the glyph image, which the font keeps for its lifetime.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/device.h"
#include "platform/text/glyph_rasteriser.h"

namespace tnx::text {

// Position, a diffuse colour, one texture pair: 24 bytes. The font writes
// x, y, u, v and leaves z and the colour to the caller.
struct TextVertex {
    float x = 0, y = 0, z = 0;
    uint32_t diffuse = 0;
    float u = 0, v = 0;
};
static_assert(sizeof(TextVertex) == 24);

// A character's place in the texture.
struct GlyphCell {
    int16_t left = 0, top = 0, right = 0, bottom = 0;  // pixels
    float tu0 = 0, tv0 = 0, tu1 = 0, tv1 = 0;
};

class TextureFont {
public:
    static constexpr int kFirstCode = 32;
    static constexpr int kCodeCount = 224;      // 32..255
    static constexpr int kQuadCapacity = 100;   // quads of the index list
    static constexpr int kLogicalDpi = 96;

    // Builds the glyph image at once (see build()). The rasteriser defaults
    // to the platform's font engine.
    TextureFont(std::string face, int32_t pointSize, int32_t weight, bool italic, gfx::Device& device,
                int32_t flags, std::unique_ptr<GlyphRasteriser> rasteriser = nullptr);
    ~TextureFont();
    TextureFont(const TextureFont&) = delete;
    TextureFont& operator=(const TextureFont&) = delete;

    // Makes the device texture from the glyph image and records the viewport.
    void restore(gfx::Device& device);
    // Releases both textures; the glyph image stays.
    void invalidate();

    // Texture side for a requested size: 512 up to 40 points, else 1024.
    static uint32_t textureSizeFor(int32_t pointSize) { return pointSize <= 40 ? 512u : 1024u; }
    // Em height in pixels of a point size at the logical resolution.
    static int pixelHeightFor(int32_t pointSize) { return (pointSize * kLogicalDpi + 36) / 72; }

    // Writes four vertices per character, for at most `count` characters or
    // up to the end of the text (or its first NUL), and returns in `count`
    // how many were written. Glyphs are `height` high and hang below y (y
    // grows upward); they follow each other edge to edge from x. Codes below
    // 32 are drawn as spaces.
    void makeQuads(float x, float y, float height, std::string_view text, int& count, TextVertex* out) const;
    // Width the same text would take at that height (all of it).
    float textWidth(float height, std::string_view text) const;

    bool hasGlyphs() const { return hasGlyphs_; }
    gfx::Texture* texture() const { return texture_.get(); }
    bool hasStagingTexture() const { return staging_ != nullptr; }
    // Bottom - top of the space character's cell.
    int32_t lineHeightPixels() const;
    // Glyph cell height in texture units.
    float lineHeight() const { return lineHeight_; }
    const GlyphCell& cell(uint8_t code) const;
    const std::string& face() const { return face_; }
    int32_t pointSize() const { return pointSize_; }
    int32_t requestedPointSize() const { return requestedPointSize_; }
    int32_t weight() const { return weight_; }
    int32_t flags() const { return flags_; }
    uint32_t textureWidth() const { return textureWidth_; }
    uint32_t textureHeight() const { return textureHeight_; }
    float scale() const { return scale_; }
    // The glyph image, textureWidth x textureHeight A4R4G4B4 pixels.
    const std::vector<uint16_t>& image() const { return image_; }
    // 100 quads: quad k is (4k, 4k+1, 4k+3) and (4k, 4k+3, 4k+2).
    const std::array<uint16_t, kQuadCapacity * 6>& quadIndices() const { return indices_; }
    uint32_t viewportWidth() const { return viewportWidth_; }
    uint32_t viewportHeight() const { return viewportHeight_; }
    std::string resolvedFamily() const;

private:
    bool build();
    // Lays out every character for the selected font; false when they do
    // not all fit the texture.
    bool layout(int glyphHeight);
    void makeStaging(gfx::Device& device);

    std::string face_;
    int32_t pointSize_, requestedPointSize_, weight_;
    bool italic_;
    int32_t flags_;
    uint32_t textureWidth_ = 0, textureHeight_ = 0;
    std::array<GlyphCell, kCodeCount> cells_{};
    float lineHeight_ = 0;
    float scale_ = 1.0f;
    std::array<uint16_t, kQuadCapacity * 6> indices_{};
    std::vector<uint16_t> image_;
    bool hasGlyphs_ = false;
    std::unique_ptr<gfx::Texture> staging_, texture_;
    gfx::Device* device_;
    uint32_t viewportWidth_ = 0, viewportHeight_ = 0;
    std::unique_ptr<GlyphRasteriser> rasteriser_;
};

}  // namespace tnx::text
