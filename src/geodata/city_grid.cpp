#include "geodata/city_grid.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

#include "geodata/city_table.h"

namespace tnx::geodata {

namespace {
constexpr float kPi = math::kPi;
constexpr float kCellAngle = 2 * kPi / CityGrid::kColumns;  // the same on both axes
// Selection sort by population, largest first: the first of the largest
// remaining populations is swapped into place. The swaps decide where equal
// populations end up, and picking relies on that order. A tree over the
// positions finds each step's pick in log n, so a cell holding many sites
// of equal population (the user's imports) sorts in n log n.
void selectionSort(std::vector<int32_t>& list, const CityTable& cities) {
    const size_t n = list.size();
    size_t leaves = 1;
    while (leaves < n) leaves *= 2;
    // Each node holds the position of the first largest population below
    // it; kNone for no position.
    constexpr size_t kNone = SIZE_MAX;
    std::vector<int64_t> population(leaves, INT64_MIN);
    for (size_t i = 0; i < n; ++i) population[i] = cities[list[i]].population;
    std::vector<size_t> tree(2 * leaves, kNone);
    auto better = [&](size_t a, size_t b) {
        if (a == kNone) return b;
        if (b == kNone) return a;
        return population[b] > population[a] ? b : a;  // a lies before b: it wins ties
    };
    for (size_t i = 0; i < n; ++i) tree[leaves + i] = i;
    for (size_t k = leaves - 1; k >= 1; --k) tree[k] = better(tree[2 * k], tree[2 * k + 1]);
    auto update = [&](size_t position, bool present) {
        size_t k = leaves + position;
        tree[k] = present ? position : kNone;
        for (k /= 2; k >= 1; k /= 2) tree[k] = better(tree[2 * k], tree[2 * k + 1]);
    };
    for (size_t i = 0; i + 1 < n; ++i) {
        update(i, false);  // the pick among positions after i
        const size_t best = tree[1];
        if (population[best] > population[i]) {
            std::swap(list[i], list[best]);
            std::swap(population[i], population[best]);
            update(best, true);
        }
    }
}

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
        selectionSort(list, cities);
    }
}

}  // namespace tnx::geodata
