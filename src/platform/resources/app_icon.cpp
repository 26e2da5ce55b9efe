#include "platform/resources/app_icon.h"

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>
#include <initializer_list>
#include <vector>

namespace tnx::res {

namespace {
// A closed outline through the midpoints of its corners: a smooth blob.
QPainterPath blob(std::initializer_list<QPointF> corners, qreal size) {
    std::vector<QPointF> p;
    for (QPointF c : corners) p.push_back(c * size);
    QPainterPath path;
    const size_t n = p.size();
    auto mid = [&](size_t i) { return (p[i % n] + p[(i + 1) % n]) / 2; };
    path.moveTo(mid(0));
    for (size_t i = 1; i <= n; ++i) path.quadTo(p[i % n], mid(i));
    path.closeSubpath();
    return path;
}
}  // namespace

QImage drawAppIcon(int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const QPointF centre(0.5 * s, 0.5 * s);
    const qreal r = 0.45 * s;

    // A thin glow of atmosphere around the globe.
    QRadialGradient air(centre, 0.5 * s);
    air.setColorAt(0.86, QColor(120, 190, 255, 150));
    air.setColorAt(1.0, QColor(120, 190, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(air);
    p.drawEllipse(centre, 0.5 * s, 0.5 * s);

    // The ocean, lit from the upper left.
    QPainterPath globe;
    globe.addEllipse(centre, r, r);
    QRadialGradient sea(QPointF(0.38 * s, 0.34 * s), 0.62 * s);
    sea.setColorAt(0.0, QColor(86, 170, 235));
    sea.setColorAt(0.7, QColor(20, 86, 170));
    sea.setColorAt(1.0, QColor(8, 40, 100));
    p.setBrush(sea);
    p.drawPath(globe);

    // Land, kept inside the globe.
    p.save();
    p.setClipPath(globe);
    p.setBrush(QColor(70, 150, 60));
    p.drawPath(blob({{0.16, 0.30}, {0.30, 0.17}, {0.47, 0.20}, {0.45, 0.33}, {0.37, 0.40}, {0.33, 0.50},
                     {0.25, 0.45}, {0.17, 0.40}},
                    s));
    p.drawPath(blob({{0.34, 0.52}, {0.46, 0.53}, {0.49, 0.62}, {0.42, 0.74}, {0.37, 0.86}, {0.33, 0.70},
                     {0.30, 0.58}},
                    s));
    p.setBrush(QColor(150, 140, 70));
    p.drawPath(blob({{0.58, 0.24}, {0.72, 0.21}, {0.77, 0.31}, {0.69, 0.38}, {0.79, 0.45}, {0.80, 0.57},
                     {0.71, 0.72}, {0.64, 0.67}, {0.60, 0.53}, {0.55, 0.44}, {0.60, 0.35}},
                    s));
    p.setBrush(QColor(235, 245, 250));
    p.drawPath(blob({{0.30, 0.08}, {0.50, 0.05}, {0.70, 0.08}, {0.62, 0.13}, {0.50, 0.11}, {0.38, 0.13}}, s));

    // Night on the lower right side.
    QRadialGradient night(QPointF(0.30 * s, 0.28 * s), 0.85 * s);
    night.setColorAt(0.55, QColor(0, 0, 20, 0));
    night.setColorAt(0.85, QColor(0, 0, 20, 150));
    night.setColorAt(1.0, QColor(0, 0, 20, 210));
    p.setBrush(night);
    p.drawPath(globe);
    p.restore();

    // A rim, so the globe stands out on light backgrounds too.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(10, 30, 70, 200), std::max(1.0, s / 64)));
    p.drawEllipse(centre, r, r);
    p.end();
    return img;
}

QIcon appIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(QPixmap::fromImage(drawAppIcon(size)));
    return icon;
}

}  // namespace tnx::res
