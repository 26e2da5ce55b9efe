#include "geodata/site_exchange/kml_reader.h"

#include <vector>

#include "geodata/site_exchange/site_xml.h"

namespace tnx::geodata {

namespace {

struct Placemark {
    std::string where, name, coordinates, altitudeMode, population;
    bool point = false;
};

// Reads up to the Placemark's end tag. Only its own name counts (Documents,
// Folders and styles have names too), and only its first Point.
Placemark readPlacemark(QXmlStreamReader& xml) {
    Placemark p;
    p.where = site_xml::lineOf(xml);
    int depth = 1, pointDepth = 0;
    bool populationData = false, pointDone = false;
    while (depth > 0 && !xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement()) {
            if (depth == pointDepth) {
                pointDepth = 0;
                pointDone = true;
            }
            if (xml.name() == u"Data") populationData = false;
            --depth;
            continue;
        }
        if (!xml.isStartElement()) continue;
        ++depth;
        const QStringView name = xml.name();
        bool textRead = true;
        if (depth == 2 && name == u"name") p.name = site_xml::text(xml);
        else if (pointDepth && name == u"coordinates") p.coordinates = site_xml::text(xml);
        else if (pointDepth && name == u"altitudeMode") p.altitudeMode = site_xml::text(xml);
        else if (name == u"SimpleData" && xml.attributes().value(QLatin1String("name")) == u"population")
            p.population = site_xml::text(xml);
        else if (populationData && name == u"value") p.population = site_xml::text(xml);
        else textRead = false;
        if (textRead) {
            --depth;  // the text read consumed the end tag
            continue;
        }
        if (name == u"Point" && !pointDone && !pointDepth) {
            pointDepth = depth;
            p.point = true;
        } else if (name == u"Data") {
            populationData = xml.attributes().value(QLatin1String("name")) == u"population";
        }
    }
    return p;
}

// The first "lon,lat[,alt]" tuple; blanks around commas belong to it,
// other blanks separate tuples.
std::vector<std::string> firstTuple(const std::string& text) {
    std::vector<std::string> parts(1);
    size_t i = 0;
    auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (i < text.size() && isBlank(text[i])) ++i;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c == ',') {
            parts.emplace_back();
            while (i + 1 < text.size() && isBlank(text[i + 1])) ++i;
        } else if (isBlank(c)) {
            size_t j = i;
            while (j < text.size() && isBlank(text[j])) ++j;
            if (j < text.size() && text[j] == ',') {
                i = j - 1;  // blanks before a comma
                continue;
            }
            break;  // the next tuple
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

}  // namespace

PlaceList KmlReader::read(std::span<const uint8_t> bytes) {
    PlaceList list;
    const QByteArray data = site_xml::view(bytes);
    QXmlStreamReader xml(data);
    if (!site_xml::openRoot(xml, u"kml", "KML", list)) return list;
    while (!xml.atEnd() && !list.done()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != u"Placemark") continue;
        Placemark p = readPlacemark(xml);
        if (xml.hasError()) break;
        if (!p.point) {
            list.countOther();
            continue;
        }
        std::vector<std::string> t = firstTuple(p.coordinates);
        if (t.size() < 2 || t.size() > 3) {
            std::string shown = p.coordinates.substr(0, 40);
            list.skip(p.where, "coordinates \"" + shown + "\" are not lon,lat[,alt]");
            continue;
        }
        PlaceValue altitude;
        if (t.size() == 3 && p.altitudeMode.find("absolute") != std::string::npos) altitude = PlaceValue::of(t[2]);
        PlaceValue population = p.population.empty() ? PlaceValue{} : PlaceValue::of(p.population);
        list.add(p.where, p.name, PlaceValue::of(t[0]), PlaceValue::of(t[1]), altitude, population);
    }
    site_xml::finish(xml, list);
    if (!list.done() && list.places().empty() && list.skipped().empty()) {
        const size_t n = list.others();
        std::string other = n == 1 ? " (its one placemark is a line or an area)"
                            : n    ? " (its " + std::to_string(n) + " placemarks are lines or areas)"
                                   : "";
        list.fail("it holds no placemark with a point" + other);
    }
    return list;
}

}  // namespace tnx::geodata
