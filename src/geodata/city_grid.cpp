#include "geodata/city_grid.h"

#include <algorithm>
#include <cmath>

#include "geodata/city_table.h"

namespace tnx::geodata {

namespace {
constexpr float kPi = math::kPi;
constexpr float kCellAngle = 2 * kPi / CityGrid::kColumns;  // the same on both axes
}  // namespace

CityGrid::CityGrid() : cells_(size_t(kColumns * kRows)) {
    for (int j = 0; j < kRows; ++j)
        for (int i = 0; i < kColumns; ++i) {
            float lon = (float(i) + 0.5f) * kCellAngle - kPi;
            float lat = (float(j) + 0.5f) * kCellAngle - kPi / 2;
            float r = CityTable::kGlobeRadius;
            Cell& cell = cells_[size_t(j * kColumns + i)];
            cell.centre = {std::cos(lon) * r * std::cos(lat), r * std::sin(lat), std::sin(lon) * r * std::cos(lat)};
            // Its farthest corner: either the one above or the one below.
            float cosAngle = 1;
            for (float cornerLat : {lat - kCellAngle / 2, lat + kCellAngle / 2})
                cosAngle = std::min(cosAngle, std::sin(lat) * std::sin(cornerLat) +
                                                  std::cos(lat) * std::cos(cornerLat) * std::cos(kCellAngle / 2));
            cell.radius = std::acos(std::clamp(cosAngle, -1.0f, 1.0f));
        }
}

int CityGrid::cellIndex(float longitude, float latitude) {
    int column = std::clamp(int((longitude + kPi) * kColumns / (2 * kPi)), 0, kColumns - 1);
    int row = std::clamp(int((latitude + kPi / 2) * kColumns / (2 * kPi)), 0, kRows - 1);
    if (latitude > kPolarLatitude || latitude < -kPolarLatitude) column = 0;
    return row * kColumns + column;
}

void CityGrid::build(const CityTable& cities) {
    for (Cell& c : cells_) c.cities.clear();
    for (int i = 1; i < cities.count(); ++i) {
        const CityRecord& c = cities[i];
        cells_[size_t(cellIndex(c.longitude, c.latitude))].cities.push_back(i);
    }
    occupied_.clear();
    for (size_t k = 0; k < cells_.size(); ++k) {
        auto& list = cells_[k].cities;
        if (list.empty()) continue;
        occupied_.push_back(int(k));
        // Selection sort: the first of the largest remaining populations is
        // swapped into place. The swaps decide where equal populations end
        // up, and picking relies on that order.
        std::vector<int32_t> population(list.size());
        for (size_t i = 0; i < list.size(); ++i) population[i] = cities[list[i]].population;
        for (size_t i = 0; i + 1 < list.size(); ++i) {
            size_t best = i;
            for (size_t j = i + 1; j < list.size(); ++j)
                if (population[j] > population[best]) best = j;
            std::swap(list[i], list[best]);
            std::swap(population[i], population[best]);
        }
    }
}

}  // namespace tnx::geodata
