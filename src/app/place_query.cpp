#include "app/place_query.h"

#include <cstdio>

#include "geodata/pack_archive.h"
#include "geodata/place_lookup.h"
#include "platform/home/program_home.h"
#include "platform/text/text_encoding.h"

namespace tnx::app {

namespace {

constexpr double kDegrees = 57.29577951308232;

// The archive must be in place before the tables are read, which happens
// when the members are built; this runs first.
std::unique_ptr<geodata::PackArchive> openArchive() {
    if (geodata::packArchive()) return nullptr;
    auto pack = std::make_unique<geodata::PackArchive>();
    pack->open(home::dataFile("pack.dat"));
    geodata::setPackArchive(pack.get());
    return pack;
}

}  // namespace

PlaceQuery::PlaceQuery() : pack_(openArchive()), tables_(0.0f) {
    boundaries_.loadFile({});
    zones_.loadFile(tables_.countries(), boundaries_);
    tables_.setGeography(&boundaries_, &zones_);
}

PlaceQuery::~PlaceQuery() {
    if (pack_) geodata::setPackArchive(nullptr);
}

std::string PlaceQuery::describe(const WhereQuery& where) const {
    geodata::PlaceLookup lookup(tables_.countries(), tables_.cities(), &zones_);
    float lon = float(where.longitudeDeg / kDegrees), lat = float(where.latitudeDeg / kDegrees);
    std::string out = "country: ";
    if (const geodata::CountryRecord* c = tables_.countries().get(lookup.countryAt(lon, lat)); c && c->name[0])
        out += text::windows1252ToUtf8(c->nameText());
    else
        out += "(none)";
    out += "\ncity: ";
    geodata::NearestCity near = lookup.nearestCity(lon, lat);
    if (near.city) {
        char km[32];
        std::snprintf(km, sizeof km, " (%.1f km)", near.kilometres);
        out += text::windows1252ToUtf8(tables_.cities()[near.city].nameText()) + km;
    } else {
        out += "(none)";
    }
    return out + "\n";
}

bool PlaceQuery::resolve(const std::string& name, LookAt& lookAt, std::string& error) const {
    geodata::PlaceLookup lookup(tables_.countries(), tables_.cities(), &zones_);
    auto place = lookup.find(text::utf8ToWindows1252(name));
    if (!place) {
        error = "no city or country named \"" + name + "\"";
        return false;
    }
    lookAt.longitudeDeg = place->longitude * kDegrees;
    lookAt.latitudeDeg = place->latitude * kDegrees;
    if (lookAt.altitudeKm <= 0) lookAt.altitudeKm = place->isCity ? kCityAltitudeKm : kCountryAltitudeKm;
    return true;
}

}  // namespace tnx::app
