#define GL_GLEXT_PROTOTYPES 1
#include "platform/gfx/gl_limits.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <algorithm>

namespace tnx::gfx {

std::optional<int> glMaxRenderSize() {
    QOpenGLContext context;
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setVersion(2, 1);
    context.setFormat(format);
    if (!context.create()) return std::nullopt;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!context.makeCurrent(&surface)) return std::nullopt;
    GLint texture = 0, renderbuffer = 0, viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    context.doneCurrent();
    const int limit = std::min({texture, renderbuffer, viewport[0], viewport[1]});
    return limit > 0 ? std::optional<int>(limit) : std::nullopt;
}

}  // namespace tnx::gfx
