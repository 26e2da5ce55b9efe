#include "platform/text/texture_font.h"

#include <algorithm>
#include <cstring>

namespace tnx::text {

namespace {
// White, with the coverage's high nibble as alpha.
uint16_t glyphTexel(uint8_t blue) {
    uint16_t a = uint16_t(blue >> 4);
    return uint16_t(a * 4096 + 0x0FFF);
}
}  // namespace

TextureFont::TextureFont(std::string face, int32_t pointSize, int32_t weight, bool italic, gfx::Device& device,
                         int32_t flags, std::unique_ptr<GlyphRasteriser> rasteriser)
    : face_(std::move(face)),
      pointSize_(pointSize),
      requestedPointSize_(pointSize),
      weight_(weight),
      italic_(italic),
      flags_(flags),
      device_(&device),
      rasteriser_(rasteriser ? std::move(rasteriser) : makeSystemGlyphRasteriser()) {
    for (int k = 0; k < kQuadCapacity; ++k) {
        uint16_t b = uint16_t(4 * k);
        const uint16_t quad[6] = {b, uint16_t(b + 1), uint16_t(b + 3), b, uint16_t(b + 3), uint16_t(b + 2)};
        std::copy(quad, quad + 6, indices_.begin() + 6 * k);
    }
    hasGlyphs_ = build();
    if (hasGlyphs_) makeStaging(device);
}

TextureFont::~TextureFont() = default;

bool TextureFont::layout(int glyphHeight) {
    const int w = int(textureWidth_), h = int(textureHeight_);
    int x = 0, y = 0;
    for (int i = 0; i < kCodeCount; ++i) {
        const uint8_t code = uint8_t(kFirstCode + i);
        const int advance = std::max(0, rasteriser_->advance(code));
        if (x + advance + 1 > w) {
            x = 0;
            y += glyphHeight + 1;
        }
        // Wider than a whole row, or the rows ran out: this size cannot fit.
        if (x + advance + 1 > w || y + glyphHeight > h) return false;
        GlyphCell& c = cells_[size_t(i)];
        c.left = int16_t(x);
        c.top = int16_t(y);
        c.right = int16_t(x + advance);
        c.bottom = int16_t(y + glyphHeight);
        x += advance + (code == 'i' ? 2 : 1);
    }
    return true;
}

bool TextureFont::build() {
    cells_ = {};
    image_.clear();
    lineHeight_ = 0;
    const uint32_t wanted = textureSizeFor(requestedPointSize_);
    textureWidth_ = textureHeight_ = wanted;
    scale_ = 1.0f;
    // A device that cannot hold the texture gets the largest one it can, and
    // the glyphs are laid out for that size rather than cut off.
    const uint32_t maxWidth = device_->caps().maxTextureWidth;
    if (maxWidth > 0 && maxWidth < wanted) {
        textureWidth_ = textureHeight_ = maxWidth;
        scale_ = float(maxWidth) / float(wanted);
    }
    if (!rasteriser_) return false;
    int glyphHeight = 0;
    bool fits = false;
    for (pointSize_ = requestedPointSize_; pointSize_ >= 1; --pointSize_) {
        if (!rasteriser_->selectFont(face_, pixelHeightFor(pointSize_), weight_, italic_)) return false;
        glyphHeight = rasteriser_->cellHeight();
        if (glyphHeight <= 0) return false;
        if (layout(glyphHeight)) {
            fits = true;
            break;
        }
    }
    if (!fits) {
        pointSize_ = 0;
        cells_ = {};
        return false;
    }

    std::vector<PlacedGlyph> placed(kCodeCount);
    for (int i = 0; i < kCodeCount; ++i)
        placed[size_t(i)] = {uint8_t(kFirstCode + i), cells_[size_t(i)].left, cells_[size_t(i)].top};
    const size_t pixels = size_t(textureWidth_) * textureHeight_;
    std::vector<uint8_t> blue = rasteriser_->draw(placed, int(textureWidth_), int(textureHeight_));
    image_.assign(pixels, 0x0FFF);
    for (size_t p = 0; p < std::min(pixels, blue.size()); ++p) image_[p] = glyphTexel(blue[p]);

    const float w = float(textureWidth_), h = float(textureHeight_);
    for (GlyphCell& c : cells_) {
        c.tu0 = float(c.left) / w;
        c.tv0 = float(c.top) / h;
        c.tu1 = float(c.right) / w;
        c.tv1 = float(c.bottom) / h;
    }
    lineHeight_ = float(glyphHeight) / h;
    return true;
}

void TextureFont::makeStaging(gfx::Device& device) {
    staging_ = device.createTexture(textureWidth_, textureHeight_, 1, gfx::Format::A4R4G4B4, gfx::Pool::SystemMem);
    if (!staging_) return;
    gfx::LockedRect lr;
    if (gfx::failed(staging_->lock(0, lr))) {
        staging_.reset();
        return;
    }
    for (uint32_t y = 0; y < textureHeight_; ++y) {
        uint8_t* row = lr.bits + size_t(y) * size_t(lr.pitch);
        const uint16_t* src = image_.data() + size_t(y) * textureWidth_;
        for (uint32_t x = 0; x < textureWidth_; ++x) {
            row[2 * x] = uint8_t(src[x]);
            row[2 * x + 1] = uint8_t(src[x] >> 8);
        }
    }
    staging_->unlock(0);
}

void TextureFont::restore(gfx::Device& device) {
    device_ = &device;
    viewportWidth_ = device.viewport().width;
    viewportHeight_ = device.viewport().height;
    texture_.reset();
    if (!hasGlyphs_) return;
    // The glyph image is kept, so a restore never draws the glyphs again.
    if (!staging_) makeStaging(device);
    if (!staging_) return;
    texture_ = device.createTexture(textureWidth_, textureHeight_, 1, gfx::Format::A4R4G4B4, gfx::Pool::Default);
    if (texture_ && gfx::failed(device.updateTexture(*staging_, *texture_))) texture_.reset();
    staging_.reset();
}

void TextureFont::invalidate() {
    texture_.reset();
    staging_.reset();
}

int32_t TextureFont::lineHeightPixels() const {
    const GlyphCell& space = cells_[0];
    return space.bottom - space.top;
}

const GlyphCell& TextureFont::cell(uint8_t code) const {
    return cells_[code < kFirstCode ? 0 : size_t(code - kFirstCode)];
}

void TextureFont::makeQuads(float x, float y, float height, std::string_view text, int& count,
                            TextVertex* out) const {
    const int limit = std::max(count, 0);
    count = 0;
    if (!out || lineHeight_ <= 0) return;
    const float k = height / lineHeight_;
    for (char ch : text) {
        if (count >= limit || ch == '\0') break;
        const GlyphCell& c = cell(uint8_t(ch));
        const float gw = k * (c.tu1 - c.tu0), gh = k * (c.tv1 - c.tv0);
        TextVertex* v = out + 4 * count;
        v[0].x = x;      v[0].y = y;      v[0].u = c.tu0; v[0].v = c.tv0;
        v[1].x = x;      v[1].y = y - gh; v[1].u = c.tu0; v[1].v = c.tv1;
        v[2].x = x + gw; v[2].y = y;      v[2].u = c.tu1; v[2].v = c.tv0;
        v[3].x = x + gw; v[3].y = y - gh; v[3].u = c.tu1; v[3].v = c.tv1;
        x += gw;
        ++count;
    }
}

float TextureFont::textWidth(float height, std::string_view text) const {
    if (lineHeight_ <= 0) return 0;
    const float k = height / lineHeight_;
    float w = 0;
    for (char ch : text) {
        if (ch == '\0') break;
        const GlyphCell& c = cell(uint8_t(ch));
        w += k * (c.tu1 - c.tu0);
    }
    return w;
}

std::string TextureFont::resolvedFamily() const { return rasteriser_ ? rasteriser_->resolvedFamily() : std::string(); }

}  // namespace tnx::text
