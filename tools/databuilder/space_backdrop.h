// The space backdrop behind the star sprites, rendered from the catalogue.
//
// The viewer wraps the image once around the sky: u = right ascension / 360
// degrees (0 at the left edge, increasing to the right) and v = (90 degrees -
// declination) / 180 degrees (north celestial pole at the top row). It shows
// a faint glow where the catalogue's fainter stars crowd together, the light
// of the many stars too faint to draw one by one, so the Milky Way appears as
// a soft band over a nearly black sky. The stars themselves are drawn as
// sprites in front of it and are not repeated here.
#pragma once

#include "star_catalogue.h"

#include <QImage>

#include <span>

namespace tnx::databuilder {

class SpaceBackdrop {
public:
    static constexpr int kWidth = 2048;
    static constexpr int kHeight = 1024;
    // Stars at least this faint feed the glow.
    static constexpr double kFaintMagnitude = 6.0;
    // Width (standard deviation) of the glow around each star.
    static constexpr double kGlowDegrees = 4.0;
    // The darkest level the sky keeps, and the level of a sky of average
    // faint-star density.
    static constexpr double kBaseLevel = 3.0;
    static constexpr double kAverageLevel = 12.0;
    static constexpr double kMaxLevel = 64.0;
    // Level grows with the density to this power, so the band stands out.
    static constexpr double kContrast = 2.0;

    // An RGB888 image of width x height (width = 2 x height is the layout the
    // viewer expects). Without faint stars the sky is plain at the base level.
    static QImage render(std::span<const Star> stars, int width = kWidth, int height = kHeight);
};

}  // namespace tnx::databuilder
