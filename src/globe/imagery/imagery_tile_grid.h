// The geographic (plate carrée) tile grids online imagery comes in: tiles of
// equal degrees in longitude and latitude, rows counted from the north pole,
// columns from the date line (-180 degrees) eastwards.
//
// - The WMTS grid of the NASA imagery service: 512-pixel tiles, level 0
//   spans 288 degrees per tile (so 2 x 1 tiles, the last column and row only
//   partly inside the world), each level halves the span.
// - Plain {z}/{x}/{y} geographic sources: 256-pixel tiles, level 0 is two
//   tiles of 180 degrees (west and east hemispheres).
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tnx::globe {

struct ImageryTileKey {
    int level = 0;
    int row = 0;     // from the north
    int column = 0;  // from -180 degrees eastwards
    auto operator<=>(const ImageryTileKey&) const = default;
};

// Degrees; a box may cross the date line (east < west, or east > 180).
struct GeoBox {
    double west = -180, south = -90, east = 180, north = 90;
};

class ImageryTileGrid {
public:
    enum class Kind { Wmts288, Geodetic };

    static ImageryTileGrid wmts288(int maxLevel);
    static ImageryTileGrid geodetic(int maxLevel);

    Kind kind() const { return kind_; }
    int tilePixels() const { return tilePixels_; }
    int maxLevel() const { return maxLevel_; }
    // Degrees spanned by one tile side at `level`.
    double tileDegrees(int level) const;
    double pixelDegrees(int level) const { return tileDegrees(level) / tilePixels_; }
    int columns(int level) const;
    int rows(int level) const;
    bool valid(const ImageryTileKey& key) const;

    // The tile holding a point: longitude wraps round the globe, latitude
    // is held to the poles (both poles belong to the first and last rows).
    ImageryTileKey tileAt(double longitude, double latitude, int level) const;
    // The part of the world a tile covers (tiles past 180 E or 90 S are cut
    // there).
    GeoBox bounds(const ImageryTileKey& key) const;
    // The tiles of `level` covering a box, west to east and north to south,
    // at most `limit` (the rest are left out).
    std::vector<ImageryTileKey> tilesCovering(const GeoBox& box, int level, size_t limit = 256) const;
    // The level whose pixels come closest to `degreesPerPixel` (log scale),
    // within 0 .. maxLevel.
    int levelFor(double degreesPerPixel) const;

private:
    ImageryTileGrid(Kind kind, int tilePixels, double levelZeroDegrees, int maxLevel);
    Kind kind_;
    int tilePixels_;
    double levelZeroDegrees_;
    int maxLevel_;
};

}  // namespace tnx::globe
