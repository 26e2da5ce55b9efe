// Places from a file joined to the city table as the user's own sites, and
// the user's own sites as places for a file.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "geodata/site_exchange/place_list.h"

namespace tnx::geodata {

class CityTable;
class UserSiteStore;

struct SiteImportReport {
    std::string file;   // as messages name it
    std::string error;  // the file as a whole could not be taken
    int imported = 0, skipped = 0, alreadyPresent = 0, namesChanged = 0;
    // "line 5: latitude 95 out of range"; "line 7: name "Łódź" kept as "Lodz"".
    std::vector<std::string> skippedLines, nameLines;

    // 0: everything imported or already present; 1: some entries skipped;
    // 2: the file could not be read or held no place at all.
    int exitStatus() const { return !error.empty() ? 2 : skipped > 0 ? 1 : 0; }
    // "imported 7, skipped 1, already present 0, names changed 1"
    std::string summary() const;
};

// What an import needs of the globe; radians in, either may be empty.
struct SiteSurroundings {
    std::function<int(float longitude, float latitude)> countryAt;  // 0: none there
    std::function<float(float longitude, float latitude)> groundAt;  // metres
    int worldCountry = 0;  // the country of a place in no country
    int countryCount = 0;
};

class SiteTransfer {
public:
    // A place of the same name (any letter case) this close to a city is
    // that city.
    static constexpr double kSamePlaceMetres = 100;

    // Appends each new place to the table and its record to the store (as
    // one change), as "Add New Site" makes them. Unnamed places are named
    // after the file (`stem`, numbered when the file holds several).
    static SiteImportReport importPlaces(const PlaceList& list, const std::string& file, const std::string& stem,
                                         CityTable& cities, UserSiteStore& store, const SiteSurroundings& around);

    // The sites the user added (not the edits of built-in cities), in the
    // store's order, names in UTF-8, degrees and metres.
    static std::vector<SitePlace> ownSites(const UserSiteStore& store);

    // Great-circle metres between two points (radians) on the mean Earth.
    static double distanceMetres(double lon1, double lat1, double lon2, double lat2);
};

}  // namespace tnx::geodata
