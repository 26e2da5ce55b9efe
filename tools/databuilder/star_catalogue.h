// The star catalogue: read from the GeoJSON star list and written as the
// program's "star.bin".
//
// star.bin: int32 star count N, then N records of three uint16 values:
// right ascension in units of 2pi/65536, polar angle from the south celestial
// pole (declination + 90 degrees) in the same units (0 .. 32767), and the
// brightness.
//
// Brightness = round(200 x 10^(-magnitude / 5)), at least 1. The viewer draws
// a star's sprite with a width proportional to this value, so the sprite's
// area follows the star's light: magnitude 0 gives 200, Sirius (-1.44) 388,
// and every 5 magnitudes fainter divide the value by 10 (magnitude 5 gives
// 20, magnitude 8 gives 5). A brighter star never gets a smaller value.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tnx::databuilder {

struct Star {
    double raDegrees = 0;   // 0 <= ra < 360
    double decDegrees = 0;  // -90 .. 90
    double magnitude = 0;
};

struct StarRecord {
    uint16_t azimuth = 0;
    uint16_t polar = 0;
    uint16_t brightness = 0;
};

class StarCatalogue {
public:
    static constexpr double kBrightnessAtMagnitudeZero = 200.0;
    static constexpr size_t kRecordBytes = 6;

    StarCatalogue() = default;
    explicit StarCatalogue(std::vector<Star> stars) : stars_(std::move(stars)) {}

    // Parses a GeoJSON FeatureCollection of points ([ra, dec] in degrees, ra
    // possibly given as -180 .. 180) with properties.mag. Features without a
    // usable position or magnitude are skipped and counted. Empty, with a
    // reason in `error`, when the text is not such a collection.
    static std::optional<StarCatalogue> fromGeoJson(std::span<const uint8_t> json,
                                                    std::string* error = nullptr);

    const std::vector<Star>& stars() const { return stars_; }
    size_t skipped() const { return skipped_; }

    static uint16_t brightnessForMagnitude(double magnitude);
    static StarRecord toRecord(const Star& star);

    // The "star.bin" bytes, stars in catalogue order.
    std::vector<uint8_t> encodeStarBin() const;

private:
    std::vector<Star> stars_;
    size_t skipped_ = 0;
};

}  // namespace tnx::databuilder
