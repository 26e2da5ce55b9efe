#include "geodata/site_exchange/gpx_reader.h"

#include "geodata/site_exchange/site_xml.h"

namespace tnx::geodata {

namespace {

PlaceValue attribute(const QXmlStreamReader& xml, QLatin1String name) {
    if (!xml.attributes().hasAttribute(name)) return {};
    return PlaceValue::of(xml.attributes().value(name).toString().toStdString());
}

// Reads the point's children up to its end tag and hands it to the list.
void readPoint(QXmlStreamReader& xml, PlaceList& list) {
    const std::string where = site_xml::lineOf(xml);
    const PlaceValue lon = attribute(xml, QLatin1String("lon")), lat = attribute(xml, QLatin1String("lat"));
    std::string name;
    PlaceValue ele, population;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement()) --depth;
        if (!xml.isStartElement()) continue;
        if (depth == 1 && xml.name() == u"name") name = site_xml::text(xml);
        else if (depth == 1 && xml.name() == u"ele") ele = PlaceValue::of(site_xml::text(xml));
        else if (xml.name() == u"population") population = PlaceValue::of(site_xml::text(xml));
        else ++depth;
    }
    if (!xml.hasError()) list.add(where, name, lon, lat, ele, population);
}

}  // namespace

PlaceList GpxReader::read(std::span<const uint8_t> bytes, bool routePoints) {
    PlaceList list;
    const QByteArray data = site_xml::view(bytes);
    QXmlStreamReader xml(data);
    if (!site_xml::openRoot(xml, u"gpx", "GPX", list)) return list;
    size_t routeLeftOut = 0, trackPoints = 0;
    while (!xml.atEnd() && !list.done()) {
        xml.readNext();
        if (!xml.isStartElement()) continue;
        if (xml.name() == u"wpt" || (routePoints && xml.name() == u"rtept")) readPoint(xml, list);
        else if (xml.name() == u"rtept") ++routeLeftOut;
        else if (xml.name() == u"trkpt") ++trackPoints;
    }
    site_xml::finish(xml, list);
    if (!list.done() && list.places().empty() && list.skipped().empty()) {
        std::string why = routePoints ? "it holds no waypoint or route point" : "it holds no waypoint";
        if (routeLeftOut)
            why += (routeLeftOut == 1 ? std::string(" (its route point comes")
                                      : " (its " + std::to_string(routeLeftOut) + " route points come") +
                   " in with \"Also import the route points\" in Import Sites…)";
        else if (trackPoints) why += " (only a track, which is a path, not places)";
        list.fail(why);
    }
    return list;
}

}  // namespace tnx::geodata
