// The geography tables loaded without a window, for the command line's
// --where and --look-at NAME: the same country, city, boundary and zone
// tables the globe uses, read from the program's data.
#pragma once

#include <memory>
#include <string>

#include "app/command_line.h"
#include "geodata/boundary_store.h"
#include "geodata/geo_overlay.h"
#include "geodata/pack_archive.h"
#include "geodata/zone_tree.h"

namespace tnx::app {

class PlaceQuery {
public:
    static constexpr double kCityAltitudeKm = 1000;
    static constexpr double kCountryAltitudeKm = 3000;

    // Reads the tables through the process-wide archive, opening "pack.dat"
    // from the program's home for its own use when none is set.
    PlaceQuery();
    ~PlaceQuery();

    // --where: "country: NAME" and "city: NAME (D km)" lines in UTF-8.
    std::string describe(const WhereQuery& where) const;
    // --look-at NAME: fills the position (and the default altitude) of the
    // named city or country (UTF-8); false with a message when there is none.
    bool resolve(const std::string& place, LookAt& lookAt, std::string& error) const;

    // The tables, the user's sites among them, with the zones joined.
    geodata::GeoOverlay& tables() { return tables_; }

private:
    std::unique_ptr<geodata::PackArchive> pack_;
    geodata::GeoOverlay tables_;
    geodata::BoundaryStore boundaries_;
    geodata::ZoneTree zones_;
};

}  // namespace tnx::app
