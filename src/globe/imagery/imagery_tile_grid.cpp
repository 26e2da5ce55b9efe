#include "globe/imagery/imagery_tile_grid.h"

#include <algorithm>
#include <cmath>

namespace tnx::globe {

namespace {
constexpr int kLevelCap = 24;  // beyond any real source; keeps the shifts in range

double wrapLongitude(double lon) {
    lon = std::fmod(lon + 180.0, 360.0);
    if (lon < 0) lon += 360.0;
    return lon - 180.0;
}
}  // namespace

ImageryTileGrid::ImageryTileGrid(Kind kind, int tilePixels, double levelZeroDegrees, int maxLevel)
    : kind_(kind), tilePixels_(tilePixels), levelZeroDegrees_(levelZeroDegrees),
      maxLevel_(std::clamp(maxLevel, 0, kLevelCap)) {}

ImageryTileGrid ImageryTileGrid::wmts288(int maxLevel) { return ImageryTileGrid(Kind::Wmts288, 512, 288.0, maxLevel); }

ImageryTileGrid ImageryTileGrid::geodetic(int maxLevel) { return ImageryTileGrid(Kind::Geodetic, 256, 180.0, maxLevel); }

double ImageryTileGrid::tileDegrees(int level) const {
    return std::ldexp(levelZeroDegrees_, -std::clamp(level, 0, kLevelCap));
}

int ImageryTileGrid::columns(int level) const { return int(std::ceil(360.0 / tileDegrees(level) - 1e-9)); }

int ImageryTileGrid::rows(int level) const { return int(std::ceil(180.0 / tileDegrees(level) - 1e-9)); }

bool ImageryTileGrid::valid(const ImageryTileKey& key) const {
    return key.level >= 0 && key.level <= maxLevel_ && key.row >= 0 && key.row < rows(key.level) &&
           key.column >= 0 && key.column < columns(key.level);
}

ImageryTileKey ImageryTileGrid::tileAt(double longitude, double latitude, int level) const {
    level = std::clamp(level, 0, maxLevel_);
    const double span = tileDegrees(level);
    const double lat = std::clamp(latitude, -90.0, 90.0);
    const double lon = wrapLongitude(longitude);
    // The service's own rule: row = floor((90 - lat) 2^level / 288).
    int row = int(std::floor((90.0 - lat) / span));
    int column = int(std::floor((180.0 + lon) / span));
    row = std::clamp(row, 0, rows(level) - 1);
    column = std::clamp(column, 0, columns(level) - 1);
    return {level, row, column};
}

GeoBox ImageryTileGrid::bounds(const ImageryTileKey& key) const {
    const double span = tileDegrees(key.level);
    GeoBox b;
    b.west = -180.0 + key.column * span;
    b.east = std::min(180.0, b.west + span);
    b.north = 90.0 - key.row * span;
    b.south = std::max(-90.0, b.north - span);
    return b;
}

std::vector<ImageryTileKey> ImageryTileGrid::tilesCovering(const GeoBox& box, int level, size_t limit) const {
    std::vector<ImageryTileKey> out;
    level = std::clamp(level, 0, maxLevel_);
    const double span = tileDegrees(level);
    const int cols = columns(level);
    const int top = tileAt(0, std::max(box.north, box.south), level).row;
    const int bottom = tileAt(0, std::min(box.north, box.south), level).row;

    // Columns: walk east from the west edge; past 180 E the walk goes on
    // from the date line.
    double width = box.east - box.west;
    if (width < 0) width += 360.0;
    std::vector<int> columnList;
    if (width >= 360.0 - 1e-9) {
        for (int c = 0; c < cols; ++c) columnList.push_back(c);
    } else {
        const double west = wrapLongitude(box.west);
        const double east = west + width;
        auto addRange = [&](double from, double to) {
            const int first = tileAt(from, 0, level).column;
            const int last = std::min(cols - 1, int(std::floor((180.0 + to) / span)));
            for (int c = first; c <= last; ++c)
                if (std::find(columnList.begin(), columnList.end(), c) == columnList.end()) columnList.push_back(c);
        };
        addRange(west, std::min(east, 180.0 - 1e-9));
        if (east >= 180.0) addRange(-180.0, east - 360.0);
    }
    for (int r = top; r <= bottom; ++r)
        for (int c : columnList) {
            if (out.size() >= limit) return out;
            out.push_back({level, r, c});
        }
    return out;
}

int ImageryTileGrid::levelFor(double degreesPerPixel) const {
    if (!(degreesPerPixel > 0)) return maxLevel_;
    const double steps = std::log2(pixelDegrees(0) / degreesPerPixel);
    return std::clamp(int(std::lround(steps)), 0, maxLevel_);
}

}  // namespace tnx::globe
