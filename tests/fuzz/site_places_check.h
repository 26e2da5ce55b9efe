// What every site file reader promises whatever the input: a refused file
// keeps nothing, a kept place lies on the globe, the entry limit holds; and
// for the formats whose writer takes any name, the places read back.
#pragma once

#include <cmath>
#include <cstdlib>

#include "geodata/site_exchange/site_file.h"
#include "geodata/site_exchange/site_writer.h"

namespace tnx::fuzz {

inline void checkPlaces(const geodata::PlaceList& list) {
    if (list.done() && (!list.places().empty() || !list.skipped().empty())) std::abort();
    if (list.places().size() + list.skipped().size() > geodata::PlaceList::kMaxEntries) std::abort();
    for (const geodata::SitePlace& p : list.places()) {
        if (!(p.longitude >= -180 && p.longitude <= 180 && p.latitude >= -90 && p.latitude <= 90)) std::abort();
        if (p.population < 0 || (p.altitude && !std::isfinite(*p.altitude))) std::abort();
    }
}

inline void checkRoundTrip(const geodata::PlaceList& list, geodata::SiteFormat format) {
    if (list.done()) return;
    const std::vector<uint8_t> bytes = geodata::SiteWriter::write(format, list.places());
    const geodata::PlaceList again = geodata::SiteFile::parse(bytes, format);
    if (list.places().empty()) return;
    if (again.done() || again.places().size() != list.places().size()) std::abort();
    for (size_t i = 0; i < again.places().size(); ++i) {
        const geodata::SitePlace &a = list.places()[i], &b = again.places()[i];
        if (a.name != b.name || a.population != b.population || std::fabs(a.longitude - b.longitude) > 1e-6 ||
            std::fabs(a.latitude - b.latitude) > 1e-6)
            std::abort();
    }
}

}  // namespace tnx::fuzz
