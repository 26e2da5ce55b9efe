// What the KML and GPX readers share: QXmlStreamReader over the file's
// bytes, the root element check and the messages for broken XML.
#pragma once

#include <QByteArray>
#include <QXmlStreamReader>
#include <span>
#include <string>

#include "geodata/site_exchange/place_list.h"

namespace tnx::geodata::site_xml {

// The bytes, not copied: they must outlive the reader.
inline QByteArray view(std::span<const uint8_t> bytes) {
    return QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

// Reads up to the first element; false (and the list failed) unless it is
// `root`. `kind` names the format in the message ("KML").
bool openRoot(QXmlStreamReader& xml, QStringView root, const char* kind, PlaceList& list);

// After the last token: a broken document fails the list as a whole.
void finish(QXmlStreamReader& xml, PlaceList& list);

// "line N" of the element the reader stands on.
std::string lineOf(const QXmlStreamReader& xml);

// The element's text with any child elements' text, the reader left on
// its end tag.
std::string text(QXmlStreamReader& xml);

}  // namespace tnx::geodata::site_xml
