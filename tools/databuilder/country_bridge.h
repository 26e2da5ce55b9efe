// One name per country for every geography file. The Factbook's entities
// are the countries; each is tied to its ISO 3166-1 code through the
// names the world-countries list gives every code (common, official and
// alternative spellings), with a small alias table for what names alone
// cannot settle. An entity alone on its code is called by that list's
// common name ("Czechia", "Côte d'Ivoire" as "Ivory Coast"); entities
// sharing a code (Svalbard and Jan Mayen, West Bank and Gaza Strip) keep
// their own names, and a place on such a code goes to the nearest of them.
#pragma once

#include "factbook.h"

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tnx::databuilder {

class CountryBridge {
public:
    struct Match {
        std::string name;     // UTF-8
        int entry = -1;       // the Factbook entity, or -1 when none matched
    };

    // `worldCountries` is the world-countries JSON list.
    bool load(std::span<const uint8_t> worldCountries, const Factbook& factbook, std::string& error);

    // The name of Factbook entity i (UTF-8).
    const std::string& nameOf(size_t entry) const { return names_[entry]; }
    size_t size() const { return names_.size(); }
    // The ISO alpha-3 code tied to entity i, empty when none.
    const std::string& isoOf(size_t entry) const { return entryIso_[entry]; }
    // Entity i's reference position in degrees: the Factbook's, else the
    // one the country list gives its code. False when neither has one.
    bool positionOf(size_t entry, double& latitude, double& longitude) const;

    // The country of a place given by an ISO code (alpha-2, alpha-3 or
    // numeric; may be empty), a name, and where it lies (degrees). Without
    // a matching entity the name is that of the code, else the one given.
    Match resolve(std::string_view iso, std::string_view name, double latitude, double longitude) const;

    // Lower-case ASCII, accents and "(...)" dropped, "&" as "and", "Saint"
    // as "st", punctuation as single spaces, no leading "the".
    static std::string normalised(std::string_view utf8);

private:
    struct Code {
        std::string cca3;
        std::string common;
        bool hasPosition = false;
        double latitude = 0, longitude = 0;
    };
    int nearest(const std::vector<int>& entries, double latitude, double longitude) const;
    std::string isoKey(std::string_view iso) const;

    const Factbook* factbook_ = nullptr;
    std::vector<std::string> names_;     // per entity
    std::vector<std::string> entryIso_;  // per entity
    std::map<std::string, Code> codes_;                // by alpha-2, alpha-3 and numeric code
    std::map<std::string, std::vector<int>> byIso_;    // alpha-3 -> entities
    std::map<std::string, int> byName_;                // normalised name -> entity
};

}  // namespace tnx::databuilder
