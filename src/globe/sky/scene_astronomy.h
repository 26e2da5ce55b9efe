// The astronomy the globe scene lays itself out by each frame: where the Sun
// and the Moon stand and how far the globe is turned. The Sun always sits at
// hour-angle slot pi (scene direction -X, tilted by its declination); the
// globe spins under it so the real sub-solar point faces it.
#pragma once

#include "globe/sky/astro_clock.h"
#include "platform/math/d3d_math.h"

namespace tnx::globe {

struct SceneAstronomy {
    float sunHourAngle = math::kPi;  // always pi
    float sunDeclination = 0;        // radians
    float spinAngle = math::kPi;     // pi + the Sun's Greenwich hour angle
    float moonHourAngle = 0;         // spin angle - the Moon's Greenwich hour angle
    float moonDeclination = 0;       // radians
    float sunRightAscension = 0;     // radians; the sky turns by it
    float dayAngle = 0;              // fraction of the UT day x 2 pi
    double julianDay = 0;            // the instant the fields were computed for
};

// Fills the scene's astronomy fields for the given UTC instant.
void computeAstronomy(const UtcTime& when, SceneAstronomy& out);
inline SceneAstronomy computeAstronomy(const UtcTime& when) {
    SceneAstronomy a;
    computeAstronomy(when, a);
    return a;
}

// Unit vector from the globe's centre toward the Sun, in the scene frame.
math::Vec3 sunDirection(const SceneAstronomy& a);
// Unit vector toward a body at the given hour angle and declination.
math::Vec3 hourAngleDirection(float hourAngle, float declination);

}  // namespace tnx::globe
