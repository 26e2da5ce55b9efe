// The perspective projection of one render unit. With several monitors
// rendering one wide picture, each unit's projection is an off-centre slice
// of a frustum spanning the union of all units; the field of view is
// horizontal and vertical extents use the same scale.
#pragma once

#include <cstdint>

#include "platform/math/d3d_math.h"

namespace tnx::camera {

// Screen rectangle in pixels, y down (right and bottom exclusive).
struct ScreenRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct ProjectionGeometry {
    ScreenRect view;            // the current render unit's rectangle
    ScreenRect all;             // the union of all render units' rectangles
    bool allScreensSame = true; // "AllScreensSame": each unit shows the whole picture
};

// Left-handed off-centre perspective, row-vector form.
math::Matrix perspectiveOffCenterLH(float left, float right, float bottom, float top, float zNear,
                                    float zFar);

// The projection for near plane n, far plane f and horizontal field of view
// fov. An empty union rectangle falls back to the view rectangle.
math::Matrix projectionFor(const ProjectionGeometry& geometry, float n, float f, float fov);

// Supplied by the application framework: where the current render unit lies.
class ProjectionProvider {
public:
    virtual ~ProjectionProvider() = default;
    virtual ProjectionGeometry projectionGeometry() const = 0;

    math::Matrix projection(float n, float f, float fov) const {
        return projectionFor(projectionGeometry(), n, f, fov);
    }
};

// A single window of the given size (also what tests and off-screen
// rendering use).
class SingleViewProjection : public ProjectionProvider {
public:
    SingleViewProjection(int32_t width, int32_t height) { setSize(width, height); }
    void setSize(int32_t width, int32_t height) { geometry_.view = geometry_.all = {0, 0, width, height}; }
    ProjectionGeometry projectionGeometry() const override { return geometry_; }

private:
    ProjectionGeometry geometry_;
};

}  // namespace tnx::camera
