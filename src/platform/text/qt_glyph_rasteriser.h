// The glyph rasteriser on Qt's font engine: QFont picked by family, with the
// metric-compatible Liberation Sans behind "Arial" and the other core
// Windows faces, drawn by QPainter into a QImage.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <optional>

#include "platform/text/glyph_rasteriser.h"

namespace tnx::text {

class QtGlyphRasteriser : public GlyphRasteriser {
public:
    bool selectFont(std::string_view face, int pixelHeight, int weight, bool italic) override;
    int cellHeight() const override;
    int advance(uint8_t code) const override;
    std::vector<uint8_t> draw(std::span<const PlacedGlyph> glyphs, int width, int height) override;
    std::string resolvedFamily() const override;

    // The family list asked for a face: the face, then its metric twin.
    static QStringList familiesFor(std::string_view face);

private:
    std::optional<QFont> font_;
    std::optional<QFontMetrics> metrics_;
};

}  // namespace tnx::text
