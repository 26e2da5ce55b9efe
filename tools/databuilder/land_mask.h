// Which grid samples are land: the "land" object (or, without it, every
// country) of a TopoJSON world atlas, filled into the equirectangular grid of
// a terrain tile file. Samples are tested at the grid nodes themselves.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tnx::databuilder {

class LandMask {
public:
    // Rasterises the atlas for a grid of `width` = 2^k + 1 columns from
    // longitude -180 and (width - 1) / 2 + 1 rows from the south pole. False
    // with a reason in `error` when the atlas cannot be read.
    bool build(std::span<const uint8_t> topojson, int width, std::string& error);

    int width() const { return width_; }
    int height() const { return height_; }
    // 1 land, 0 sea; row 0 is the south pole.
    bool land(int column, int row) const { return mask_[size_t(row) * size_t(width_) + size_t(column)] != 0; }
    // Share of land samples (for reports and checks).
    double landShare() const;

private:
    int width_ = 0, height_ = 0;
    std::vector<uint8_t> mask_;
};

}  // namespace tnx::databuilder
