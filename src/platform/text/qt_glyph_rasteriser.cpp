#include "platform/text/qt_glyph_rasteriser.h"

#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>

namespace tnx::text {

namespace {
QString characterFor(uint8_t code) {
    char32_t u = windows1252ToUnicode(code);
    return QString::fromUcs4(&u, 1);
}
}  // namespace

std::unique_ptr<GlyphRasteriser> makeSystemGlyphRasteriser() { return std::make_unique<QtGlyphRasteriser>(); }

QStringList QtGlyphRasteriser::familiesFor(std::string_view face) {
    QString asked = QString::fromUtf8(face.data(), qsizetype(face.size()));
    QStringList families{asked};
    // The Liberation faces share the core Windows faces' metrics, so texts
    // fit their cells as they were laid out for; fontconfig usually aliases
    // them too, but a bare system without the alias still finds them.
    const QString lower = asked.toLower();
    if (lower == "arial" || lower == "helvetica") families << "Liberation Sans";
    else if (lower == "times new roman") families << "Liberation Serif";
    else if (lower == "courier new") families << "Liberation Mono";
    families << "Liberation Sans";
    return families;
}

bool QtGlyphRasteriser::selectFont(std::string_view face, int pixelHeight, int weight, bool italic) {
    font_.reset();
    metrics_.reset();
    // The font database lives in the GUI application.
    if (!QGuiApplication::instance() || pixelHeight <= 0) return false;
    QFont f;
    f.setFamilies(familiesFor(face));
    f.setPixelSize(pixelHeight);
    f.setWeight(QFont::Weight(weight <= 0 ? 400 : std::clamp(weight, 1, 1000)));
    f.setItalic(italic);
    // Grey antialiasing only: the blue channel is taken as coverage.
    f.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias));
    font_ = f;
    metrics_.emplace(f);
    return true;
}

int QtGlyphRasteriser::cellHeight() const { return metrics_ ? metrics_->height() : 0; }

int QtGlyphRasteriser::advance(uint8_t code) const {
    return metrics_ ? std::max(0, metrics_->horizontalAdvance(characterFor(code))) : 0;
}

std::vector<uint8_t> QtGlyphRasteriser::draw(std::span<const PlacedGlyph> glyphs, int width, int height) {
    std::vector<uint8_t> blue(size_t(std::max(width, 0)) * size_t(std::max(height, 0)), 0);
    if (!font_ || blue.empty()) return blue;
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        painter.setFont(*font_);
        painter.setPen(Qt::white);
        const int ascent = metrics_->ascent();
        for (const PlacedGlyph& g : glyphs)
            painter.drawText(QPoint(g.left, g.top + ascent), characterFor(g.code));
    }
    for (int y = 0; y < height; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < width; ++x) blue[size_t(y) * size_t(width) + size_t(x)] = uint8_t(qBlue(row[x]));
    }
    return blue;
}

std::string QtGlyphRasteriser::resolvedFamily() const {
    return font_ ? QFontInfo(*font_).family().toStdString() : std::string();
}

}  // namespace tnx::text
