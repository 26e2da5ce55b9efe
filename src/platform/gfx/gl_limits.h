// What the OpenGL device can render into, asked of a throw-away context
// before any window exists.
#pragma once

#include <optional>

namespace tnx::gfx {

// The largest width (and height) of an off-screen picture: the smallest of
// the largest texture, render buffer and viewport. Nothing without a context.
std::optional<int> glMaxRenderSize();

}  // namespace tnx::gfx
