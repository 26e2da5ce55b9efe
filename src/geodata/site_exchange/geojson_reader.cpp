#include "geodata/site_exchange/geojson_reader.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tnx::geodata {

namespace {

// Numbers as numbers; numbers written as text are read as text.
PlaceValue valueOf(const QJsonValue& v) {
    if (v.isDouble()) return PlaceValue::of(v.toDouble());
    if (v.isString()) return PlaceValue::of(v.toString().toStdString());
    if (v.isUndefined() || v.isNull()) return {};
    return PlaceValue::of(std::string_view("(not a number)"));
}

std::string nameOf(const QJsonValue& v) {
    if (v.isString()) return v.toString().toStdString();
    if (v.isDouble()) return QString::number(v.toDouble()).toStdString();
    return {};
}

void readPoint(const QJsonObject& geometry, const QJsonObject& properties, std::string where, PlaceList& list) {
    const QJsonArray c = geometry.value(u"coordinates").toArray();
    if (c.size() < 2 || c.size() > 3) {
        list.skip(std::move(where), "a Point's coordinates are [lon, lat] or [lon, lat, alt]");
        return;
    }
    PlaceValue altitude = c.size() == 3 ? valueOf(c[2]) : PlaceValue{};
    for (QStringView key : {u"elevation", u"ele"})
        if (!altitude.present() && properties.contains(key)) altitude = valueOf(properties.value(key));
    list.add(std::move(where), nameOf(properties.value(u"name")), valueOf(c[0]), valueOf(c[1]), altitude,
             valueOf(properties.value(u"population")));
}

void readFeature(const QJsonObject& feature, std::string where, PlaceList& list) {
    const QJsonObject geometry = feature.value(u"geometry").toObject();
    if (geometry.value(u"type").toString() != u"Point") {
        list.countOther();
        return;
    }
    readPoint(geometry, feature.value(u"properties").toObject(), std::move(where), list);
}

}  // namespace

PlaceList GeoJsonReader::read(std::span<const uint8_t> bytes) {
    PlaceList list;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(
        QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())), &error);
    if (error.error != QJsonParseError::NoError) {
        list.fail("not valid JSON at byte " + std::to_string(error.offset) + ": " + error.errorString().toStdString());
        return list;
    }
    const QJsonObject root = doc.object();
    const QString type = root.value(u"type").toString();
    if (type == u"FeatureCollection") {
        const QJsonArray features = root.value(u"features").toArray();
        for (qsizetype i = 0; i < features.size() && !list.done(); ++i)
            readFeature(features[i].toObject(), "feature " + std::to_string(i + 1), list);
    } else if (type == u"Feature") {
        readFeature(root, "feature 1", list);
    } else if (type == u"Point") {
        readPoint(root, {}, "the Point", list);
    } else {
        list.fail("not GeoJSON: its \"type\" is neither FeatureCollection, Feature nor Point");
        return list;
    }
    if (!list.done() && list.places().empty() && list.skipped().empty()) {
        const size_t n = list.others();
        std::string other = n == 1 ? " (its one feature is a line or an area)"
                            : n    ? " (its " + std::to_string(n) + " features are lines or areas)"
                                   : "";
        list.fail("it holds no Point feature" + other);
    }
    return list;
}

}  // namespace tnx::geodata
