// Draws a 2D texture over the whole current viewport with fixed-function GL:
// how finished frames and the error box reach a window.
#pragma once

namespace tnx::gfx {

// Needs a current GL context; leaves texturing on unit 0 enabled.
void drawTextureOverViewport(unsigned textureName);

}  // namespace tnx::gfx
