// Day and night on the globe, the Moon and the graticule: with the day/night
// option on they are drawn with lighting, so the Sun light (light 0, set by
// SunDisc) and this material give a bright day side and a night side lit
// only by the ambient terms; with it off they are drawn unlit.
#pragma once

#include "platform/gfx/device.h"

namespace tnx::globe {

// The scene material the lit objects are drawn with.
gfx::Material sceneMaterial();

// Sets the material and switches lighting per the day/night option; call
// before drawing the globe, the Moon or the graticule.
void applyDayNightLighting(gfx::Device& device, bool dayNight);

}  // namespace tnx::globe
