#include "geodata/site_exchange/place_list.h"

#include <cmath>
#include <charconv>
#include <limits>

#include "geodata/site_form.h"

namespace tnx::geodata {

namespace {

// Names longer than this cannot be kept whole anyway; the rest of a huge
// name is not worth holding on to.
constexpr size_t kNameBytesKept = 1024;

// The field as the message quotes it.
std::string shown(const PlaceValue& v) {
    if (v.number) {
        char buffer[32];
        auto r = std::to_chars(buffer, buffer + sizeof buffer, *v.number, std::chars_format::general, 10);
        return std::string(buffer, r.ptr);
    }
    std::string t = v.text->substr(0, 40);
    for (char& c : t)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    return "\"" + t + (v.text->size() > 40 ? "...\"" : "\"");
}

bool blank(const PlaceValue& v) {
    return !v.number && (!v.text || v.text->find_first_not_of(" \t\r\n") == std::string::npos);
}

// The field's number, or the reason it has none.
std::optional<double> numberOf(const PlaceValue& v, const char* what, std::string& reason) {
    if (!v.present()) {
        reason = std::string("no ") + what;
        return std::nullopt;
    }
    std::optional<double> n = v.number ? v.number : SiteForm::parseReal(*v.text);
    if (!n) reason = std::string(what) + " " + shown(v) + " is not a number";
    return n;
}

}  // namespace

bool PlaceList::roomForMore() {
    if (done()) return false;
    if (places_.size() + skipped_.size() < kMaxEntries) return true;
    fail("it holds more than " + std::to_string(kMaxEntries) + " places; please split it into smaller files");
    return false;
}

void PlaceList::add(std::string where, std::string_view name, const PlaceValue& longitude,
                    const PlaceValue& latitude, const PlaceValue& altitude, const PlaceValue& population) {
    if (!roomForMore()) return;
    std::string reason;
    std::optional<double> lon = numberOf(longitude, "longitude", reason);
    std::optional<double> lat;
    if (lon) lat = numberOf(latitude, "latitude", reason);
    if (lon && lat) {
        if (*lon < -180 || *lon > 180) reason = "longitude " + shown(PlaceValue::of(*lon)) + " out of range";
        else if (*lat < -90 || *lat > 90) reason = "latitude " + shown(PlaceValue::of(*lat)) + " out of range";
    }
    SitePlace p;
    if (reason.empty() && !blank(altitude)) {
        p.altitude = numberOf(altitude, "altitude", reason);
    }
    if (reason.empty() && !blank(population)) {
        std::optional<double> n = population.number ? population.number : SiteForm::parseReal(*population.text);
        if (!n || *n < 0 || *n > std::numeric_limits<int32_t>::max() || *n != std::floor(*n))
            reason = "population " + shown(population) + " is not a whole number from 0 to 2147483647";
        else
            p.population = int32_t(*n);
    }
    if (!reason.empty()) {
        skip(std::move(where), std::move(reason));
        return;
    }
    if (name.size() > kNameBytesKept) {
        // At a character's first byte.
        size_t cut = kNameBytesKept;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
        name = name.substr(0, cut);
    }
    p.where = std::move(where);
    p.name = std::string(name);
    p.longitude = *lon;
    p.latitude = *lat;
    places_.push_back(std::move(p));
}

void PlaceList::skip(std::string where, std::string reason) {
    // One line per entry, whatever the file put into the quoted text.
    for (char& c : reason)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    if (roomForMore()) skipped_.push_back({std::move(where), std::move(reason)});
}

void PlaceList::fail(std::string reason) {
    if (error_.empty()) error_ = std::move(reason);
    places_.clear();
    skipped_.clear();
}

}  // namespace tnx::geodata
