// Draws single characters of a system font into a grey image: the part of
// the texture font that needs the platform's font engine. The font logic
// itself (layout, texture, quads) stays plain C++ on top of this.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tnx::text {

// One character to draw with its cell's top-left corner, in pixels.
struct PlacedGlyph {
    uint8_t code = 0;  // Windows-1252
    int left = 0;
    int top = 0;
};

class GlyphRasteriser {
public:
    virtual ~GlyphRasteriser() = default;
    // Picks the font whose em height is pixelHeight (weight 100..900, 400
    // normal, 700 bold; 0 means normal). False when no font can be made.
    virtual bool selectFont(std::string_view face, int pixelHeight, int weight, bool italic) = 0;
    // Height of a character cell (ascent + descent) of the selected font.
    virtual int cellHeight() const = 0;
    // Advance width of one character.
    virtual int advance(uint8_t code) const = 0;
    // Draws the glyphs white on black into a width x height image and
    // returns its blue channel, one byte per pixel, rows top-down.
    virtual std::vector<uint8_t> draw(std::span<const PlacedGlyph> glyphs, int width, int height) = 0;
    // The family the font engine really chose (for the record and tests).
    virtual std::string resolvedFamily() const = 0;
};

// The font engine of the platform. Needs the GUI application object; without
// one it selects no font.
std::unique_ptr<GlyphRasteriser> makeSystemGlyphRasteriser();

// The Unicode character a Windows-1252 code stands for. The five codes the
// code page leaves undefined map to the C1 controls of the same value.
char32_t windows1252ToUnicode(uint8_t code);

}  // namespace tnx::text
