// The city grid: 32 x 16 cells of 11.25 degrees over the globe, each
// listing its cities from the most to the least populous, so marker drawing
// and pointer picking look at one cell (or the visible cells) and can stop
// at the first city too small to matter.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/math/d3d_math.h"

namespace tnx::geodata {

class CityTable;

class CityGrid {
public:
    static constexpr int kColumns = 32;
    static constexpr int kRows = 16;
    // Cities this close to a pole (radians of latitude beyond) share column 0.
    static constexpr float kPolarLatitude = 1.5607963f;

    struct Cell {
        std::vector<int32_t> cities;  // most populous first
        math::Vec3 centre;            // the cell's centre on the globe surface
        float radius = 0;             // angle from the centre to its farthest corner
    };

    CityGrid();

    // Sorts every city of the table into its cell.
    void build(const CityTable& cities);

    // The cell of a point (radians); column + row * kColumns.
    static int cellIndex(float longitude, float latitude);
    const Cell& cell(int index) const { return cells_[size_t(index)]; }
    const Cell& cell(int column, int row) const { return cells_[size_t(row * kColumns + column)]; }
    // Indices of the cells holding at least one city.
    const std::vector<int>& occupiedCells() const { return occupied_; }

private:
    std::vector<Cell> cells_;
    std::vector<int> occupied_;
};

}  // namespace tnx::geodata
