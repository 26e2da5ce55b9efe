#include "geodata/site_exchange/site_format.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace tnx::geodata {

std::optional<SiteFormat> SiteFormats::forExtension(const std::filesystem::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](char c) { return char(std::tolower(uint8_t(c))); });
    if (ext == ".kml") return SiteFormat::Kml;
    if (ext == ".gpx") return SiteFormat::Gpx;
    if (ext == ".geojson" || ext == ".json") return SiteFormat::GeoJson;
    if (ext == ".csv") return SiteFormat::Csv;
    return std::nullopt;
}

SiteFormat SiteFormats::sniff(std::span<const uint8_t> bytes) {
    std::string_view head(reinterpret_cast<const char*>(bytes.data()), std::min<size_t>(bytes.size(), 4096));
    if (head.starts_with("\xEF\xBB\xBF")) head.remove_prefix(3);
    const size_t first = head.find_first_not_of(" \t\r\n");
    if (first != std::string_view::npos && head[first] == '{') return SiteFormat::GeoJson;
    if (first != std::string_view::npos && head[first] == '<') {
        // The root element: the first tag that is no declaration or comment.
        for (size_t at = head.find('<', first); at != std::string_view::npos; at = head.find('<', at + 1)) {
            if (at + 1 < head.size() && (head[at + 1] == '?' || head[at + 1] == '!')) continue;
            std::string_view tag = head.substr(at + 1, 4);
            if (tag.starts_with("gpx")) return SiteFormat::Gpx;
            break;
        }
        return SiteFormat::Kml;
    }
    return SiteFormat::Csv;
}

const char* SiteFormats::extension(SiteFormat format) {
    switch (format) {
        case SiteFormat::Kml: return ".kml";
        case SiteFormat::Gpx: return ".gpx";
        case SiteFormat::GeoJson: return ".geojson";
        case SiteFormat::Csv: return ".csv";
    }
    return "";
}

}  // namespace tnx::geodata
