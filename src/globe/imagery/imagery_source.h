// Where online imagery comes from: a URL template and the layer chosen.
//
// WMTS templates name their tiles with {TileMatrix} {TileRow} {TileCol} and
// use the 288-degree grid of the NASA imagery service; {Layer},
// {TileMatrixSet} and {Time} are filled from the layer (the daily layer's
// {Time} is the mosaic's day, the cloud-free one's "default"). Plain
// geographic sources name theirs with {z} {x} {y} (x the column from the
// date line, y the row from the north pole).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "globe/imagery/imagery_tile_grid.h"
#include "settings/imagery_settings.h"

namespace tnx::globe {

using settings::ImageryLayer;

struct ImageryLayerInfo {
    const char* identifier;  // {Layer}
    const char* matrixSet;   // {TileMatrixSet}
    int maxLevel;
    bool daily;              // one mosaic per day, asked for by {Time}
};
const ImageryLayerInfo& imageryLayerInfo(ImageryLayer layer);

// Days since 1970-01-01 <-> the "YYYY-MM-DD" the services take.
int daysFromCivil(int year, int month, int day);
std::string isoDate(int days);

class ImagerySource {
public:
    static constexpr const char* kNasaTemplate =
        "https://gibs.earthdata.nasa.gov/wmts/epsg4326/best/{Layer}/default/{Time}/{TileMatrixSet}/{TileMatrix}/"
        "{TileRow}/{TileCol}.jpg";
    static constexpr const char* kNasaCredit = "NASA EOSDIS GIBS";
    static constexpr int kGeodeticMaxLevel = 16;
    static constexpr size_t kMaxTemplateLength = 2000;

    // An empty template is the NASA service. Nothing (and `error` says why)
    // for the layer Off, a template that is not http(s), names an unknown
    // {placeholder}, or lacks the tile's level, row or column.
    static std::optional<ImagerySource> make(const std::string& urlTemplate, ImageryLayer layer, std::string& error);

    const ImageryTileGrid& grid() const { return grid_; }
    ImageryLayer layer() const { return layer_; }
    // Tiles change from day to day: the URL takes the day and a missing
    // tile is looked for on earlier days.
    bool daily() const { return daily_; }
    bool nasa() const { return nasa_; }
    // The credit shown while its tiles are on screen (empty for others).
    const char* credit() const { return nasa_ ? kNasaCredit : ""; }
    const std::string& urlTemplate() const { return template_; }
    // The server's name (host and port) from the template.
    std::string host() const;

    // The URL of a tile; `day` (days since 1970) only matters for daily
    // sources.
    std::string url(const ImageryTileKey& key, int day) const;
    // A folder name of its own for the disk cache: the source with its
    // layer, as 16 hex digits.
    std::string cacheFolder() const;

private:
    ImagerySource(std::string urlTemplate, ImageryLayer layer, ImageryTileGrid grid);
    std::string template_;
    ImageryLayer layer_;
    ImageryTileGrid grid_;
    bool daily_ = false;
    bool nasa_ = false;
};

}  // namespace tnx::globe
