#include "land_mask.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

#include "topo_atlas.h"

namespace tnx::databuilder {

namespace {

// A ring's points in degrees, longitudes unwrapped: a ring that crosses the
// date line keeps going past +-180 instead of jumping.
std::vector<QPointF> unwrappedRing(const std::vector<GeoPoint>& points) {
    std::vector<QPointF> ring;
    ring.reserve(points.size());
    for (const GeoPoint& p : points) ring.emplace_back(p.lon, p.lat);
    double turn = 0;
    for (size_t i = 1; i < ring.size(); ++i) {
        double raw = ring[i].x() + turn, previous = ring[i - 1].x();
        if (raw - previous > 180) turn -= 360;
        else if (raw - previous < -180) turn += 360;
        ring[i].setX(ring[i].x() + turn);
    }
    return ring;
}

// Adds a polygon's rings to the path three times, a turn apart, so parts
// beyond the date line land on the other side of the map. A ring that goes
// once round a pole (Antarctica) is closed along that pole.
void addPolygon(QPainterPath& path, const std::vector<std::vector<int>>& rings, const TopoAtlas& atlas, int width,
                int height) {
    auto toGrid = [&](double lon, double lat) {
        // Node c lies at the centre of pixel c.
        return QPointF((lon + 180.0) / 360.0 * (width - 1) + 0.5, (90.0 - lat) / 180.0 * (height - 1) + 0.5);
    };
    for (const std::vector<int>& r : rings) {
        std::vector<QPointF> ring = unwrappedRing(atlas.ringPoints(r));
        if (ring.size() < 3) continue;
        if (std::abs(ring.back().x() - ring.front().x()) > 180) {
            double meanLat = 0;
            for (const QPointF& p : ring) meanLat += p.y();
            const double pole = meanLat < 0 ? -90.5 : 90.5;
            ring.emplace_back(ring.back().x(), pole);
            ring.emplace_back(ring.front().x(), pole);
        }
        for (int copy = -1; copy <= 1; ++copy) {
            QPolygonF polygon;
            for (const QPointF& p : ring) polygon << toGrid(p.x() + 360.0 * copy, p.y());
            path.addPolygon(polygon);
            path.closeSubpath();
        }
    }
}

}  // namespace

bool LandMask::build(std::span<const uint8_t> topojson, int width, std::string& error) {
    // The land object when the atlas has one, otherwise the countries.
    TopoAtlas atlas;
    if (!atlas.parse(topojson, "land", error) && !atlas.parse(topojson, "countries", error)) {
        error = error.starts_with("the topology has no object") ? "no land or countries object" : error;
        return false;
    }
    if (atlas.arcs().empty()) {
        error = "no arcs";
        return false;
    }
    width_ = width;
    height_ = (width - 1) / 2 + 1;
    QImage image(width_, height_, QImage::Format_Grayscale8);
    image.fill(0);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        for (const AtlasFeature& feature : atlas.features())
            for (const auto& polygon : feature.polygons) {
                QPainterPath path;
                path.setFillRule(Qt::OddEvenFill);
                addPolygon(path, polygon, atlas, width_, height_);
                painter.fillPath(path, Qt::white);
            }
    }
    mask_.assign(size_t(width_) * size_t(height_), 0);
    for (int row = 0; row < height_; ++row) {
        const uchar* line = image.constScanLine(height_ - 1 - row);
        for (int c = 0; c < width_; ++c) mask_[size_t(row) * width_ + c] = line[c] >= 128 ? 1 : 0;
        mask_[size_t(row) * width_ + width_ - 1] = mask_[size_t(row) * width_];
    }
    // The atlas closes Antarctica just short of the pole: the pole is land,
    // the north pole sea.
    std::fill_n(mask_.begin(), width_, uint8_t(1));
    std::fill_n(mask_.begin() + std::ptrdiff_t(height_ - 1) * width_, width_, uint8_t(0));
    return true;
}

double LandMask::landShare() const {
    if (mask_.empty()) return 0;
    size_t n = 0;
    for (uint8_t m : mask_) n += m;
    return double(n) / double(mask_.size());
}

}  // namespace tnx::databuilder
