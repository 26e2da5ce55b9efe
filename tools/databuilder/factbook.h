// The World Factbook as its JSON edition lays it out: one file per country
// or entity, named by its FIPS code, in one folder per region. The builder
// takes each entity's names, population, areas, reference position, capital
// and two texts; the "world" file gives the world's own figures.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tnx::databuilder {

struct FactbookEntry {
    std::string code;                // FIPS code, the file name ("fr")
    std::string name;                // the entity's own short name (UTF-8)
    std::vector<std::string> names;  // every name form it gives, short forms first
    double population = 0;
    double areaTotal = 0;  // square kilometres, as the Factbook gives them
    double areaLand = 0;
    bool hasPosition = false;
    double latitude = 0;   // degrees, north positive
    double longitude = 0;  // degrees, east positive
    std::string capital;   // empty when it has none
    std::string background;
    std::string overview;
};

class Factbook {
public:
    // Reads every entity of the folder's region folders. Oceans, the
    // European Union ("ee") and the folder "meta" are left out; the world
    // ("xx") goes to world(). False with a reason when the folder holds no
    // readable entity.
    bool load(const std::filesystem::path& folder, std::string& error);

    const std::vector<FactbookEntry>& entries() const { return entries_; }
    const FactbookEntry& world() const { return world_; }

    // A figure from the Factbook's text: "8,665,550 (July 2015 est.)",
    // "1.284 million sq km", "less than 3 sq km"; 0 for "uninhabited",
    // "NA" and texts that begin with no number.
    static double figure(std::string_view text);
    // "47 20 N, 13 20 E" (degrees and minutes) into degrees.
    static bool coordinates(std::string_view text, double& latitude, double& longitude);
    // The first capital a text names: "Porto-Novo (official capital); note -
    // Cotonou ..." gives "Porto-Novo"; "None" gives "".
    static std::string capital(std::string_view text);

    // Parses one entity file (tests).
    static std::optional<FactbookEntry> entryOf(std::string_view json, std::string code);

private:
    std::vector<FactbookEntry> entries_;
    FactbookEntry world_;
};

}  // namespace tnx::databuilder
