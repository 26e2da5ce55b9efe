#include "land_mask.h"

#include <QByteArray>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace tnx::databuilder {

namespace {

using Arc = std::vector<QPointF>;  // longitude, latitude in degrees

std::vector<Arc> decodeArcs(const QJsonObject& topology) {
    double sx = 1, sy = 1, tx = 0, ty = 0;
    bool quantised = false;
    const QJsonObject transform = topology.value("transform").toObject();
    if (!transform.isEmpty()) {
        const QJsonArray scale = transform.value("scale").toArray(), translate = transform.value("translate").toArray();
        sx = scale.at(0).toDouble(1), sy = scale.at(1).toDouble(1);
        tx = translate.at(0).toDouble(), ty = translate.at(1).toDouble();
        quantised = true;
    }
    std::vector<Arc> arcs;
    for (const QJsonValue& a : topology.value("arcs").toArray()) {
        Arc arc;
        double x = 0, y = 0;
        for (const QJsonValue& p : a.toArray()) {
            const QJsonArray xy = p.toArray();
            if (quantised) {
                x += xy.at(0).toDouble(), y += xy.at(1).toDouble();
                arc.emplace_back(x * sx + tx, y * sy + ty);
            } else {
                arc.emplace_back(xy.at(0).toDouble(), xy.at(1).toDouble());
            }
        }
        arcs.push_back(std::move(arc));
    }
    return arcs;
}

// A ring of arc indices; ~i (negative) is arc i reversed. Consecutive arcs
// share their joining point. Longitudes come back unwrapped: a ring that
// crosses the date line keeps going past +-180 instead of jumping.
std::vector<QPointF> ringPoints(const QJsonArray& indices, const std::vector<Arc>& arcs) {
    std::vector<QPointF> ring;
    for (const QJsonValue& v : indices) {
        int index = v.toInt();
        bool reversed = index < 0;
        size_t a = size_t(reversed ? ~index : index);
        if (a >= arcs.size()) continue;
        Arc points = arcs[a];
        if (reversed) std::reverse(points.begin(), points.end());
        for (size_t i = ring.empty() ? 0 : 1; i < points.size(); ++i) ring.push_back(points[i]);
    }
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
void addPolygon(QPainterPath& path, const QJsonArray& rings, const std::vector<Arc>& arcs, int width, int height) {
    auto toGrid = [&](double lon, double lat) {
        // Node c lies at the centre of pixel c.
        return QPointF((lon + 180.0) / 360.0 * (width - 1) + 0.5, (90.0 - lat) / 180.0 * (height - 1) + 0.5);
    };
    for (const QJsonValue& r : rings) {
        std::vector<QPointF> ring = ringPoints(r.toArray(), arcs);
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

void fillGeometry(QPainter& painter, const QJsonObject& geometry, const std::vector<Arc>& arcs, int width, int height) {
    const QString type = geometry.value("type").toString();
    auto fillPolygon = [&](const QJsonArray& rings) {
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        addPolygon(path, rings, arcs, width, height);
        painter.fillPath(path, Qt::white);
    };
    if (type == "Polygon") {
        fillPolygon(geometry.value("arcs").toArray());
    } else if (type == "MultiPolygon") {
        for (const QJsonValue& p : geometry.value("arcs").toArray()) fillPolygon(p.toArray());
    } else if (type == "GeometryCollection") {
        for (const QJsonValue& g : geometry.value("geometries").toArray())
            fillGeometry(painter, g.toObject(), arcs, width, height);
    }
}

}  // namespace

bool LandMask::build(std::span<const uint8_t> topojson, int width, std::string& error) {
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(
        QByteArray::fromRawData(reinterpret_cast<const char*>(topojson.data()), qsizetype(topojson.size())), &parseError);
    const QJsonObject topology = doc.object();
    if (doc.isNull() || topology.value("type").toString() != "Topology") {
        error = "not a TopoJSON topology";
        return false;
    }
    const QJsonObject objects = topology.value("objects").toObject();
    const QJsonObject land = objects.contains("land") ? objects.value("land").toObject() : objects.value("countries").toObject();
    if (land.isEmpty()) {
        error = "no land or countries object";
        return false;
    }
    const std::vector<Arc> arcs = decodeArcs(topology);
    if (arcs.empty()) {
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
        fillGeometry(painter, land, arcs, width_, height_);
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
