#include "geodata/site_exchange/site_xml.h"

namespace tnx::geodata::site_xml {

namespace {
std::string errorAt(const QXmlStreamReader& xml) {
    std::string why = xml.errorString().toStdString();
    if (!why.empty() && why.back() == '.') why.pop_back();  // the message ends the sentence
    return "line " + std::to_string(xml.lineNumber()) + ": " + why;
}
}  // namespace

bool openRoot(QXmlStreamReader& xml, QStringView root, const char* kind, PlaceList& list) {
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == root) return true;
            list.fail(std::string("not a ") + kind + " file: it begins with <" + xml.name().toString().toStdString() +
                      "> where <" + root.toString().toStdString() + "> should be");
            return false;
        }
    }
    list.fail(std::string("not a ") + kind + " file (" + errorAt(xml) + ")");
    return false;
}

void finish(QXmlStreamReader& xml, PlaceList& list) {
    if (xml.hasError() && !list.done()) list.fail("the XML is broken at " + errorAt(xml));
}

std::string lineOf(const QXmlStreamReader& xml) { return "line " + std::to_string(xml.lineNumber()); }

std::string text(QXmlStreamReader& xml) {
    return xml.readElementText(QXmlStreamReader::IncludeChildElements).toStdString();
}

}  // namespace tnx::geodata::site_xml
