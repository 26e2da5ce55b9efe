// Draws a 2D texture over the whole current viewport with fixed-function GL:
// how finished frames and the error box reach a window.
#pragma once

namespace tnx::gfx {

// Needs a current GL context; leaves texturing on unit 0 enabled. `smooth`
// filters linearly, for a texture of another size than the viewport; at the
// same size each texel is one pixel and nearest sampling is exact (and a
// good deal cheaper on a software renderer).
void drawTextureOverViewport(unsigned textureName, bool smooth = true);

}  // namespace tnx::gfx
