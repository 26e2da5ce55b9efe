#include "geodata/site_exchange/site_transfer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>

#include "geodata/city_table.h"
#include "geodata/country_table.h"
#include "geodata/site_exchange/site_name.h"
#include "geodata/user_site_store.h"
#include "platform/text/text_encoding.h"

namespace tnx::geodata {

namespace {

constexpr double kEarthMetres = 6371008.8;  // mean radius
constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;

struct Spot {
    double longitude, latitude;  // radians
};

// Places by name and by the cube of space, as large as the duplicate
// distance, that holds them: a duplicate lies in one of the 27 cubes around
// a place, so a file of many places of one name costs no more than others.
struct Neighbourhood {
    std::string name;
    std::array<int64_t, 3> cube;
    bool operator==(const Neighbourhood&) const = default;
};
struct NeighbourhoodHash {
    size_t operator()(const Neighbourhood& n) const {
        size_t h = std::hash<std::string>()(n.name);
        for (int64_t c : n.cube) h = h * 1000003u ^ std::hash<int64_t>()(c);
        return h;
    }
};

std::array<int64_t, 3> cubeOf(double lon, double lat) {
    const double r = kEarthMetres / SiteTransfer::kSamePlaceMetres;
    return {int64_t(std::floor(r * std::cos(lat) * std::cos(lon))), int64_t(std::floor(r * std::sin(lat))),
            int64_t(std::floor(r * std::cos(lat) * std::sin(lon)))};
}

class KnownPlaces {
public:
    void add(std::string name, double lon, double lat) {
        spots_[{std::move(name), cubeOf(lon, lat)}].push_back({lon, lat});
    }
    bool near(const std::string& name, double lon, double lat) const {
        Neighbourhood n{name, {}};
        const std::array<int64_t, 3> c = cubeOf(lon, lat);
        for (int64_t dx = -1; dx <= 1; ++dx)
            for (int64_t dy = -1; dy <= 1; ++dy)
                for (int64_t dz = -1; dz <= 1; ++dz) {
                    n.cube = {c[0] + dx, c[1] + dy, c[2] + dz};
                    auto it = spots_.find(n);
                    if (it == spots_.end()) continue;
                    for (const Spot& s : it->second)
                        if (SiteTransfer::distanceMetres(s.longitude, s.latitude, lon, lat) <=
                            SiteTransfer::kSamePlaceMetres)
                            return true;
                }
        return false;
    }

private:
    std::unordered_map<Neighbourhood, std::vector<Spot>, NeighbourhoodHash> spots_;
};

// A file's name for a message: on one line, not overly long.
std::string shownName(std::string_view name) {
    size_t cut = std::min<size_t>(name.size(), 80);
    while (cut > 0 && cut < name.size() && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    std::string out(name.substr(0, cut));
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    return out.size() < name.size() ? out + "..." : out;
}

}  // namespace

std::string SiteImportReport::summary() const {
    return "imported " + std::to_string(imported) + ", skipped " + std::to_string(skipped) + ", already present " +
           std::to_string(alreadyPresent) + ", names changed " + std::to_string(namesChanged);
}

double SiteTransfer::distanceMetres(double lon1, double lat1, double lon2, double lat2) {
    const double s = std::sin((lat2 - lat1) / 2), t = std::sin((lon2 - lon1) / 2);
    const double h = s * s + std::cos(lat1) * std::cos(lat2) * t * t;
    return 2 * kEarthMetres * std::asin(std::min(1.0, std::sqrt(h)));
}

SiteImportReport SiteTransfer::importPlaces(const PlaceList& list, const std::string& file, const std::string& stem,
                                            CityTable& cities, UserSiteStore& store, const SiteSurroundings& around) {
    SiteImportReport report;
    report.file = file;
    if (list.done()) {
        report.error = list.error();
        return report;
    }
    for (const SkippedEntry& s : list.skipped()) report.skippedLines.push_back(s.where + ": " + s.reason);
    report.skipped = int(list.skipped().size());

    // Every city by its folded name and place, for the duplicate rule.
    KnownPlaces known;
    for (int i = 1; i < cities.count(); ++i)
        known.add(SiteName::folded(cities[i].nameText()), cities[i].longitude, cities[i].latitude);

    std::vector<UserSiteRecord> added;
    const size_t count = list.places().size();
    for (size_t k = 0; k < count; ++k) {
        const SitePlace& p = list.places()[k];
        bool changed = false;
        std::string name = SiteName::fromUtf8(p.name, changed);
        if (name.empty()) {
            bool ignored;
            const std::string base = stem.empty() ? "site" : stem;
            name = SiteName::fromUtf8(count == 1 ? base : base + " " + std::to_string(k + 1), ignored);
            changed = false;
        }
        const double lon = p.longitude * kRadiansPerDegree, lat = p.latitude * kRadiansPerDegree;
        const std::string folded = SiteName::folded(name);
        if (known.near(folded, lon, lat)) {
            ++report.alreadyPresent;
            continue;
        }
        known.add(folded, lon, lat);

        UserSiteRecord r;
        copyField(r.name, name);
        r.kind = 0x201;  // added by the user, ordinary class: as "Add New Site" makes it
        r.longitude = float(lon);
        r.latitude = float(lat);
        r.altitude = p.altitude ? float(*p.altitude)
                                : around.groundAt ? std::max(around.groundAt(r.longitude, r.latitude), 0.0f) : 0.0f;
        r.population = p.population;
        int country = around.countryAt ? around.countryAt(r.longitude, r.latitude) : 0;
        r.country = country > 0 && country < around.countryCount ? country : around.worldCountry;
        if (!UserSiteStore::clampToRanges(r)) continue;

        CityRecord c;
        c.kind = r.kind;
        c.longitude = r.longitude;
        c.latitude = r.latitude;
        c.altitude = r.altitude;
        c.population = r.population;
        c.country = r.country;
        copyField(c.name, name);
        r.cityIndex = cities.append(c);
        added.push_back(r);
        if (changed) {
            ++report.namesChanged;
            report.nameLines.push_back(p.where + ": name \"" + shownName(p.name) + "\" kept as \"" +
                                       text::windows1252ToUtf8(name) + "\"");
        }
    }
    report.imported = int(added.size());
    if (!added.empty()) store.addSites(added);
    return report;
}

std::vector<SitePlace> SiteTransfer::ownSites(const UserSiteStore& store) {
    std::vector<SitePlace> out;
    for (const UserSiteRecord& r : store.records()) {
        if (r.state() != UserSiteStore::kAdded) continue;
        SitePlace p;
        p.name = text::windows1252ToUtf8(r.nameText());
        p.longitude = double(r.longitude) / kRadiansPerDegree;
        p.latitude = double(r.latitude) / kRadiansPerDegree;
        p.altitude = r.altitude;
        p.population = r.population;
        out.push_back(std::move(p));
    }
    return out;
}

}  // namespace tnx::geodata
