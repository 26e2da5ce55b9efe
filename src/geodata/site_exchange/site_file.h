// Site files on disk: reading one whole (refusing what is too large to be a
// list of places), choosing the reader, writing one atomically.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "geodata/site_exchange/place_list.h"
#include "geodata/site_exchange/site_format.h"

namespace tnx::geodata {

class SiteFile {
public:
    // Far beyond any list of places a person keeps, small enough to parse
    // in memory without trouble.
    static constexpr uint64_t kMaxBytes = 64ull << 20;

    // The file's places by its extension (or its first bytes for any other
    // extension). `routePoints`: GPX route points as well as waypoints.
    static PlaceList read(const std::filesystem::path& path, bool routePoints = false);
    static PlaceList parse(std::span<const uint8_t> bytes, SiteFormat format, bool routePoints = false);

    // Writes the places in the format of the file's extension; false with
    // `error` set for an unknown extension or a file that cannot be written.
    static bool write(const std::filesystem::path& path, const std::vector<SitePlace>& places, std::string& error);
};

}  // namespace tnx::geodata
