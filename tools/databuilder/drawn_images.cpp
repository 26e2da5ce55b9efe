#include "drawn_images.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace tnx::databuilder {

namespace {

double smoothstep(double edge0, double edge1, double x) {
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

// Fills a greyscale image from a function of the pixel centre in texture
// units (0..1 across the image).
template <typename F>
QImage shade(int size, F f) {
    QImage image(size, size, QImage::Format_Grayscale8);
    for (int y = 0; y < size; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < size; ++x) {
            const double v = f((x + 0.5) / size, (y + 0.5) / size);
            row[x] = uchar(std::clamp(std::lround(v * 255.0), 0L, 255L));
        }
    }
    return image;
}

CursorBitmap toCursor(const QImage& painted, int hotspotX, int hotspotY) {
    const QImage argb = painted.convertToFormat(QImage::Format_ARGB32);
    CursorBitmap c;
    c.width = argb.width();
    c.height = argb.height();
    c.hotspotX = hotspotX;
    c.hotspotY = hotspotY;
    c.argb.reserve(size_t(c.width) * size_t(c.height));
    for (int y = 0; y < c.height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(argb.constScanLine(y));
        c.argb.insert(c.argb.end(), row, row + c.width);
    }
    return c;
}

QImage blankCursor() {
    QImage image(DrawnImages::kCursorSize, DrawnImages::kCursorSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// Draws a path twice: a wide white outline, then the black line, so the
// cursor stays visible over dark space and bright land alike.
void outlinedStroke(QPainter& p, const QPainterPath& path, double width) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, width + 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.setPen(QPen(Qt::black, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
}

}  // namespace

QImage DrawnImages::starSprite(int size) {
    const double twoSigma2 = 2.0 * kStarGlowSigma * kStarGlowSigma;
    return shade(size, [&](double u, double v) {
        // r: distance from the middle in half sizes (1 at the edge midpoints).
        const double r = std::hypot(u - 0.5, v - 0.5) * 2.0;
        return std::exp(-r * r / twoSigma2) * (1.0 - smoothstep(0.75, 0.95, r));
    });
}

QImage DrawnImages::placeMarker(int size) {
    return shade(size, [](double u, double v) {
        const double r = std::hypot(u - 0.5, v - 0.5);
        return 1.0 - smoothstep(kPlaceDiscRadius, kPlaceRimRadius, r);
    });
}

QImage DrawnImages::buttonAtlas() {
    QImage image(kTileWidth * kAtlasTiles, kTileHeight * kAtlasTiles, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);

    // Icons are 36 pixels high, centred in their tile.
    const double h = 18.0;  // half height
    auto centre = [](int col, int row) {
        return QPointF((col + 0.5) * kTileWidth, (row + 0.5) * kTileHeight);
    };
    auto triangle = [&](QPointF c, double dir) {  // dir +1 points right, -1 left
        const double half = 15.5;
        p.drawPolygon(QPolygonF({c + QPointF(-half * dir, -h), c + QPointF(-half * dir, h),
                                 c + QPointF(half * dir, 0)}));
    };
    auto bar = [&](QPointF c, double dx, double halfWidth, double halfHeight) {
        p.drawRect(QRectF(c.x() + dx - halfWidth, c.y() - halfHeight, 2 * halfWidth, 2 * halfHeight));
    };

    // (0,0) previous: a bar, then a triangle pointing left.
    {
        const QPointF c = centre(0, 0);
        bar(c, -17.0, 3.5, h);
        triangle(c + QPointF(4.0, 0), -1.0);
    }
    // (1,0) play.
    triangle(centre(1, 0) + QPointF(2.0, 0), 1.0);
    // (2,0) pause: two bars.
    bar(centre(2, 0), -10.0, 5.5, h);
    bar(centre(2, 0), 10.0, 5.5, h);
    // (3,0) stop: a square.
    bar(centre(3, 0), 0.0, 16.0, 16.0);
    // (0,1) next: a triangle pointing right, then a bar.
    {
        const QPointF c = centre(0, 1);
        triangle(c + QPointF(-4.0, 0), 1.0);
        bar(c, 17.0, 3.5, h);
    }
    // (1,1) open: the eject sign, a triangle pointing up over a bar.
    {
        const QPointF c = centre(1, 1);
        p.drawPolygon(QPolygonF({c + QPointF(-18.0, 4.0), c + QPointF(18.0, 4.0), c + QPointF(0, -h)}));
        p.drawRect(QRectF(c.x() - 18.0, c.y() + 10.0, 36.0, 8.0));
    }
    p.end();
    return image.convertToFormat(QImage::Format_Grayscale8);
}

CursorBitmap DrawnImages::zoomCursor() {
    QImage image = blankCursor();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF lens(12.0, 12.0);
    // Handle first, so the lens rim covers its end.
    QPainterPath handle;
    handle.moveTo(18.5, 18.5);
    handle.lineTo(28.0, 28.0);
    p.setPen(QPen(Qt::white, 7.0, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(handle);
    p.setPen(QPen(Qt::black, 4.5, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(handle);
    // Glass: a faint tint inside the rim.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 225, 255, 90));
    p.drawEllipse(lens, 8.0, 8.0);
    QPainterPath rim;
    rim.addEllipse(lens, 8.0, 8.0);
    outlinedStroke(p, rim, 2.0);
    // A plus sign in the lens.
    QPainterPath plus;
    plus.moveTo(lens + QPointF(-4.0, 0));
    plus.lineTo(lens + QPointF(4.0, 0));
    plus.moveTo(lens + QPointF(0, -4.0));
    plus.lineTo(lens + QPointF(0, 4.0));
    p.setPen(QPen(Qt::black, 2.0, Qt::SolidLine, Qt::FlatCap));
    p.drawPath(plus);
    p.end();
    return toCursor(image, 12, 12);
}

CursorBitmap DrawnImages::distanceCursor() {
    QImage image = blankCursor();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Cross-hair around (10, 10), open in the middle so the point stays visible.
    const double c = 10.5;  // pixel centre of column/row 10
    QPainterPath cross;
    cross.moveTo(c - 9.0, c);
    cross.lineTo(c - 3.0, c);
    cross.moveTo(c + 3.0, c);
    cross.lineTo(c + 9.0, c);
    cross.moveTo(c, c - 9.0);
    cross.lineTo(c, c - 3.0);
    cross.moveTo(c, c + 3.0);
    cross.lineTo(c, c + 9.0);
    outlinedStroke(p, cross, 1.5);
    // A small ruler in the lower right corner.
    const QRectF ruler(12.5, 22.5, 18.0, 7.0);
    p.setPen(QPen(Qt::black, 1.0));
    p.setBrush(QColor(255, 244, 170));
    p.drawRect(ruler);
    p.setPen(QPen(Qt::black, 1.0, Qt::SolidLine, Qt::FlatCap));
    for (int i = 1; i < 6; ++i) {
        const double x = ruler.left() + i * ruler.width() / 6.0;
        const double len = (i % 3 == 0) ? 4.0 : 2.5;
        p.drawLine(QPointF(x, ruler.top()), QPointF(x, ruler.top() + len));
    }
    p.end();
    return toCursor(image, 10, 10);
}

}  // namespace tnx::databuilder
