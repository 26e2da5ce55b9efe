// The spectrum display: 32 bars per channel over the globe, each band's
// magnitude v shown as ln(1 + 0.001 v). A bar jumps up to a louder value at
// once and sinks at most 5.0 per second, so short beats stay readable.
//
// The display lies flat in front of the camera at the distance `size`; its
// position is its lower-left corner in view units at that distance, so it
// can be moved as far as the edges of the view there.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/gfx/device.h"
#include "platform/text/texture_font.h"
#include "player/spectrum_analyser.h"

namespace tnx::soundvis {

// What is kept between runs.
struct DisplayPlacement {
    float scale = 1.0f;
    // The display's width and height at scale 1.
    float widthFactor = 24.0f;
    float heightFactor = 16.0f;
    float x = -25.0f, y = -30.0f;
    float size = 70.0f;
    // Bar height per level, peak cap thickness (share of the height), bar
    // opacity, colour phase, background opacity.
    std::array<float, 5> params{1.0f, 0.045f, 1.0f, 0.0f, 0.0f};
};

// The view the display is placed in: the half-extents at unit depth, the
// viewport in pixels and its pixels per pixel of an unscaled desktop.
struct DisplayView {
    float halfX = 1, halfY = 1;
    int32_t halfWidth = 1, halfHeight = 1;
    float pixelRatio = 1;
    float pixelScale() const { return halfX / float(halfWidth); }
};

class SpectrumDisplay {
public:
    static constexpr int kBands = player::kSpectrumBands;
    static constexpr int kChannels = player::kSpectrumChannels;
    static constexpr float kGain = 0.001f;
    static constexpr float kFallRate = 5.0f;    // per second
    static constexpr float kShownLevel = 0.01f;  // quieter bands are not drawn
    static constexpr float kMinSize = 10.0f;
    // Farther than this the display would shrink to a dot nobody can grab.
    static constexpr float kMaxSize = 1000.0f;
    // The level at the top of the display at bar height 1 (a band of about
    // 19000, two thirds of full scale).
    static constexpr float kFullLevel = 3.0f;
    // Right-drag: the colour phase turns by this much per pixel.
    static constexpr float kParamPerPixel = 0.1f;
    static constexpr int kColourParam = 3;

    // The newest band values, or silence (null). True when a drawn level
    // moved, i.e. the display must be drawn again.
    bool update(const player::SpectrumBands* bands, float seconds);

    float level(int channel, int band) const { return levels_[idx(channel, band)]; }
    float drawnLevel(int channel, int band) const { return drawn_[idx(channel, band)]; }
    void setDrawnLevel(int channel, int band, float v) { drawn_[idx(channel, band)] = v; }
    // The highest band drawn above kShownLevel, -1 for none.
    int highestBand(int channel) const { return highest_[size_t(channel)]; }

    DisplayPlacement& placement() { return placement_; }
    const DisplayPlacement& placement() const { return placement_; }
    float width() const { return placement_.scale * placement_.widthFactor; }
    float height() const { return placement_.scale * placement_.heightFactor; }
    // The farthest the position may be from the view's centre.
    float limitX(const DisplayView& v) const { return placement_.size * v.halfX; }
    float limitY(const DisplayView& v) const { return placement_.size * v.halfY; }

    // Pointer pixel over the display.
    bool contains(const DisplayView& v, int px, int py) const;
    // Left drag: moves by the pointer's movement, held inside the limits.
    void move(const DisplayView& v, int dx, int dy);
    // Right drag: the vertical movement changes the distance, the horizontal
    // one the colour phase.
    void resize(const DisplayView& v, int dx, int dy);
    // Makes stored values usable: sizes in range, position inside the limits.
    void sanitise(const DisplayView& v);

    void draw(gfx::Device& device);

private:
    static size_t idx(int c, int b) { return size_t(c * kBands + b); }
    gfx::Color barColour(int band, float alpha) const;

    DisplayPlacement placement_;
    std::array<float, kBands * kChannels> levels_{};
    std::array<float, kBands * kChannels> drawn_{};
    std::array<int, kChannels> highest_{-1, -1};
    std::vector<text::TextVertex> vertices_;  // kept between frames
};

}  // namespace tnx::soundvis
