// A glyph rasteriser with made-up metrics, for font and HUD tests without a
// display: cells are 1.25 em high, a character is half an em wide plus one
// pixel per (code mod 4), and drawing fills each cell with its code.
#pragma once

#include <algorithm>
#include <memory>

#include "platform/text/glyph_rasteriser.h"

namespace tnx::test {

class FakeGlyphRasteriser : public text::GlyphRasteriser {
public:
    // widthScale stretches every character (to force the texture to overflow).
    explicit FakeGlyphRasteriser(float widthScale = 1.0f, bool failFont = false)
        : widthScale_(widthScale), failFont_(failFont) {}

    bool selectFont(std::string_view, int pixelHeight, int, bool) override {
        em_ = pixelHeight;
        ++selections;
        return !failFont_;
    }
    int cellHeight() const override { return em_ + em_ / 4; }
    int advance(uint8_t code) const override { return int(float(em_ / 2 + code % 4) * widthScale_); }
    std::vector<uint8_t> draw(std::span<const text::PlacedGlyph> glyphs, int width, int height) override {
        ++draws;
        std::vector<uint8_t> blue(size_t(width) * size_t(height), 0);
        for (const auto& g : glyphs) {
            int right = std::min(width, g.left + advance(g.code));
            int bottom = std::min(height, g.top + cellHeight());
            for (int y = g.top; y < bottom; ++y)
                for (int x = g.left; x < right; ++x) blue[size_t(y) * size_t(width) + size_t(x)] = g.code;
        }
        return blue;
    }
    std::string resolvedFamily() const override { return "Fake Sans"; }

    int selections = 0;
    int draws = 0;

private:
    float widthScale_;
    bool failFont_;
    int em_ = 0;
};

inline std::unique_ptr<FakeGlyphRasteriser> fakeRasteriser(float widthScale = 1.0f) {
    return std::make_unique<FakeGlyphRasteriser>(widthScale);
}

}  // namespace tnx::test
