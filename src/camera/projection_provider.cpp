#include "camera/projection_provider.h"

#include <cmath>

namespace tnx::camera {

math::Matrix perspectiveOffCenterLH(float l, float r, float b, float t, float zn, float zf) {
    math::Matrix m;
    m.m[0][0] = 2 * zn / (r - l);
    m.m[1][1] = 2 * zn / (t - b);
    m.m[2][0] = (l + r) / (l - r);
    m.m[2][1] = (t + b) / (b - t);
    m.m[2][2] = zf / (zf - zn);
    m.m[2][3] = 1;
    m.m[3][2] = zn * zf / (zn - zf);
    m.m[3][3] = 0;
    return m;
}

math::Matrix projectionFor(const ProjectionGeometry& g, float n, float f, float fov) {
    const ScreenRect& v = g.view;
    ScreenRect w = g.allScreensSame ? g.view : g.all;
    if (w.right <= w.left || w.bottom <= w.top) w = v;
    float width = float(w.right - w.left);
    if (width <= 0 || v.right <= v.left || v.bottom <= v.top) return math::Matrix::identity();
    float e = 2 * n * std::tan(fov / 2);
    float cx = (w.left + w.right) * 0.5f;
    float cy = (w.top + w.bottom) * 0.5f;
    // Screen y grows downwards, view-space y upwards: a unit above the
    // centre of the union looks up.
    return perspectiveOffCenterLH(e * (v.left - cx) / width, e * (v.right - cx) / width,
                                  e * (cy - v.bottom) / width, e * (cy - v.top) / width, n, f);
}

}  // namespace tnx::camera
