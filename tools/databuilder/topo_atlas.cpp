#include "topo_atlas.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace tnx::databuilder {

namespace {

std::vector<int> ringOf(const QJsonArray& refs) {
    std::vector<int> ring;
    for (const QJsonValue& v : refs) ring.push_back(v.toInt());
    return ring;
}

std::vector<std::vector<int>> polygonOf(const QJsonArray& rings) {
    std::vector<std::vector<int>> polygon;
    for (const QJsonValue& r : rings) polygon.push_back(ringOf(r.toArray()));
    return polygon;
}

}  // namespace

bool TopoAtlas::parse(std::span<const uint8_t> json, const std::string& object, std::string& error) {
    arcs_.clear();
    features_.clear();
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(
        QByteArray(reinterpret_cast<const char*>(json.data()), qsizetype(json.size())), &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject() ||
        doc.object().value("type").toString() != "Topology") {
        error = "not a TopoJSON topology";
        return false;
    }
    const QJsonObject topology = doc.object();

    // Quantised arcs hold integer steps from the previous point; the
    // transform turns the running sums into degrees.
    const QJsonObject transform = topology.value("transform").toObject();
    const bool quantised = !transform.isEmpty();
    const QJsonArray scale = transform.value("scale").toArray(), translate = transform.value("translate").toArray();
    const double sx = scale.at(0).toDouble(1), sy = scale.at(1).toDouble(1);
    const double tx = translate.at(0).toDouble(), ty = translate.at(1).toDouble();
    for (const QJsonValue& a : topology.value("arcs").toArray()) {
        std::vector<GeoPoint> arc;
        double x = 0, y = 0;
        for (const QJsonValue& p : a.toArray()) {
            const QJsonArray xy = p.toArray();
            if (quantised) {
                x += xy.at(0).toDouble();
                y += xy.at(1).toDouble();
                arc.push_back({x * sx + tx, y * sy + ty});
            } else {
                arc.push_back({xy.at(0).toDouble(), xy.at(1).toDouble()});
            }
        }
        arcs_.push_back(std::move(arc));
    }

    const QJsonObject target = topology.value("objects").toObject().value(QString::fromStdString(object)).toObject();
    if (target.isEmpty()) {
        error = "the topology has no object \"" + object + "\"";
        return false;
    }
    const QJsonArray geometries = target.value("type").toString() == "GeometryCollection"
                                      ? target.value("geometries").toArray()
                                      : QJsonArray{target};
    for (const QJsonValue& g : geometries) {
        const QJsonObject geometry = g.toObject();
        AtlasFeature f;
        f.name = geometry.value("properties").toObject().value("name").toString().toStdString();
        const QJsonValue id = geometry.value("id");
        f.id = id.isString() ? id.toString().toStdString() : id.isDouble() ? std::to_string(id.toInt()) : "";
        const QString type = geometry.value("type").toString();
        if (type == "Polygon") {
            f.polygons.push_back(polygonOf(geometry.value("arcs").toArray()));
        } else if (type == "MultiPolygon") {
            for (const QJsonValue& p : geometry.value("arcs").toArray()) f.polygons.push_back(polygonOf(p.toArray()));
        }
        features_.push_back(std::move(f));
    }
    return true;
}

std::vector<GeoPoint> TopoAtlas::ringPoints(const std::vector<int>& ring) const {
    std::vector<GeoPoint> points;
    for (int ref : ring) {
        const size_t a = arcOf(ref);
        if (a >= arcs_.size() || arcs_[a].empty()) continue;
        std::vector<GeoPoint> arc = arcs_[a];
        if (ref < 0) std::reverse(arc.begin(), arc.end());
        points.insert(points.end(), arc.begin() + (points.empty() ? 0 : 1), arc.end());
    }
    return points;
}

}  // namespace tnx::databuilder
