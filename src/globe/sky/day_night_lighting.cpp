#include "globe/sky/day_night_lighting.h"

namespace tnx::globe {

gfx::Material sceneMaterial() {
    gfx::Material m;
    m.diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    m.ambient = {0.4f, 0.4f, 0.8f, 0.5f};
    m.specular = {0.3f, 0.4f, 0.5f, 0.99f};
    m.emissive = {0.0f, 0.0f, 0.0f, 0.0f};
    m.power = 25.0f;
    return m;
}

void applyDayNightLighting(gfx::Device& device, bool dayNight) {
    device.setMaterial(sceneMaterial());
    device.setRenderState(gfx::RenderState::Lighting, dayNight ? 1 : 0);
}

}  // namespace tnx::globe
