// The site file formats and how a file's format is told: by its extension,
// or for any other name by its first bytes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

namespace tnx::geodata {

enum class SiteFormat { Kml, Gpx, GeoJson, Csv };

class SiteFormats {
public:
    // ".kml", ".gpx", ".geojson" or ".json", ".csv" in any letter case.
    static std::optional<SiteFormat> forExtension(const std::filesystem::path& path);
    // An XML root of <kml> or <gpx>, a JSON object, otherwise CSV.
    static SiteFormat sniff(std::span<const uint8_t> bytes);
    // The extension a saved file gets when none was typed.
    static const char* extension(SiteFormat format);
};

}  // namespace tnx::geodata
