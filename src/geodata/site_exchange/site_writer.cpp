#include "geodata/site_exchange/site_writer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QXmlStreamWriter>
#include <charconv>
#include <cmath>
#include <string>

namespace tnx::geodata {

namespace {

// Fixed decimals whatever the locale says about decimal points.
std::string fixed(double v, int decimals) {
    char buffer[400];  // room for the largest double's digits
    auto r = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, decimals);
    return r.ec == std::errc() ? std::string(buffer, r.ptr) : std::string("0");
}

QString q(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

double rounded(double v, double scale) { return std::round(v * scale) / scale; }

std::vector<uint8_t> bytesOf(const QByteArray& a) { return std::vector<uint8_t>(a.begin(), a.end()); }

std::vector<uint8_t> kml(const std::vector<SitePlace>& places) {
    QByteArray out;
    QXmlStreamWriter x(&out);
    x.setAutoFormatting(true);
    x.writeStartDocument();
    x.writeDefaultNamespace("http://www.opengis.net/kml/2.2");
    x.writeStartElement("kml");
    x.writeStartElement("Document");
    x.writeTextElement("name", "Terranox sites");
    for (const SitePlace& p : places) {
        x.writeStartElement("Placemark");
        x.writeTextElement("name", q(p.name));
        x.writeStartElement("ExtendedData");
        x.writeStartElement("Data");
        x.writeAttribute("name", "population");
        x.writeTextElement("value", QString::number(p.population));
        x.writeEndElement();
        x.writeEndElement();
        x.writeStartElement("Point");
        x.writeTextElement("altitudeMode", "absolute");
        x.writeTextElement("coordinates", q(fixed(p.longitude, 6) + "," + fixed(p.latitude, 6) + "," +
                                            fixed(p.altitude.value_or(0), 2)));
        x.writeEndElement();
        x.writeEndElement();
    }
    x.writeEndDocument();
    return bytesOf(out);
}

std::vector<uint8_t> gpx(const std::vector<SitePlace>& places) {
    QByteArray out;
    QXmlStreamWriter x(&out);
    x.setAutoFormatting(true);
    x.writeStartDocument();
    x.writeDefaultNamespace("http://www.topografix.com/GPX/1/1");
    x.writeNamespace(SiteWriter::kGpxExtensionNamespace, "terranox");
    x.writeStartElement("gpx");
    x.writeAttribute("version", "1.1");
    x.writeAttribute("creator", "Terranox");
    for (const SitePlace& p : places) {
        x.writeStartElement("wpt");
        x.writeAttribute("lat", q(fixed(p.latitude, 6)));
        x.writeAttribute("lon", q(fixed(p.longitude, 6)));
        x.writeTextElement("ele", q(fixed(p.altitude.value_or(0), 2)));
        x.writeTextElement("name", q(p.name));
        x.writeStartElement("extensions");
        x.writeTextElement(SiteWriter::kGpxExtensionNamespace, "population", QString::number(p.population));
        x.writeEndElement();
        x.writeEndElement();
    }
    x.writeEndDocument();
    return bytesOf(out);
}

std::vector<uint8_t> geoJson(const std::vector<SitePlace>& places) {
    QJsonArray features;
    for (const SitePlace& p : places) {
        // Rounded, the shortest form of the number has at most 6 decimals.
        QJsonArray c{rounded(p.longitude, 1e6), rounded(p.latitude, 1e6), rounded(p.altitude.value_or(0), 1e2)};
        QJsonObject properties{{"name", q(p.name)}, {"population", p.population}};
        features.append(QJsonObject{{"type", "Feature"},
                                    {"geometry", QJsonObject{{"type", "Point"}, {"coordinates", c}}},
                                    {"properties", properties}});
    }
    QJsonObject root{{"type", "FeatureCollection"}, {"features", features}};
    return bytesOf(QJsonDocument(root).toJson(QJsonDocument::Indented));
}

std::string csvField(const std::string& s) {
    if (s.find_first_of(",;\"\r\n") == std::string::npos) return s;
    std::string out = "\"";
    for (char c : s) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::vector<uint8_t> csv(const std::vector<SitePlace>& places) {
    std::string out = "name,latitude,longitude,altitude,population\r\n";
    for (const SitePlace& p : places)
        out += csvField(p.name) + "," + fixed(p.latitude, 6) + "," + fixed(p.longitude, 6) + "," +
               fixed(p.altitude.value_or(0), 2) + "," + std::to_string(p.population) + "\r\n";
    return std::vector<uint8_t>(out.begin(), out.end());
}

}  // namespace

std::vector<uint8_t> SiteWriter::write(SiteFormat format, const std::vector<SitePlace>& places) {
    switch (format) {
        case SiteFormat::Kml: return kml(places);
        case SiteFormat::Gpx: return gpx(places);
        case SiteFormat::GeoJson: return geoJson(places);
        case SiteFormat::Csv: return csv(places);
    }
    return {};
}

}  // namespace tnx::geodata
