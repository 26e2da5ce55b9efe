#include "elevation_grid.h"

#include "netcdf_classic.h"

#include <algorithm>
#include <cmath>

namespace tnx::databuilder {

namespace {
// Values beyond these are fill values or damage, not the Earth.
constexpr double kLowest = -12000.0, kHighest = 9000.0;
}

bool ElevationGrid::load(std::span<const uint8_t> netcdf, std::string& error) {
    NetcdfClassic file;
    if (!file.parse(netcdf)) {
        error = file.error();
        return false;
    }
    const NetcdfClassic::Variable* v = file.variable("ROSE");
    if (!v) {
        error = "no elevation variable ROSE";
        return false;
    }
    std::vector<uint64_t> shape = file.shape(*v);
    if (shape.size() != 2 || shape[0] < 3 || shape[1] < 4 || shape[0] > 100000 || shape[1] > 100000) {
        error = "ROSE is not a two-dimensional grid";
        return false;
    }
    std::vector<float> values;
    if (!file.readFloats(*v, values)) {
        error = "cannot read ROSE";
        return false;
    }
    for (float& m : values)
        if (!std::isfinite(m) || m < kLowest || m > kHighest) m = 0.0f;
    assign(int(shape[1]), int(shape[0]), std::move(values));
    repairDropouts();
    return true;
}

int ElevationGrid::repairDropouts() {
    constexpr float kDrop = 1000.0f, kAgree = 300.0f;
    const int minimumRun = std::max(columns_ / 180, 2);  // 2 degrees
    int mended = 0;
    std::vector<uint8_t> dropped(size_t(std::max(columns_, 0)));
    for (int row = 1; row + 1 < rows_; ++row) {
        for (int c = 0; c < columns_; ++c) {
            const float south = at(c, row - 1), north = at(c, row + 1);
            dropped[size_t(c)] = std::abs(north - south) < kAgree && std::min(north, south) - at(c, row) >= kDrop;
        }
        // Runs along the row, wrapping round the circle of longitude.
        int start = 0;
        while (start < columns_ && dropped[size_t(start)]) ++start;
        if (start == columns_) start = 0;  // the whole row dropped
        for (int i = 0; i < columns_;) {
            const int c = (start + i) % columns_;
            if (!dropped[size_t(c)]) {
                ++i;
                continue;
            }
            int run = 0;
            while (i + run < columns_ && dropped[size_t((start + i + run) % columns_)]) ++run;
            if (run >= minimumRun)
                for (int k = 0; k < run; ++k) {
                    const int cc = (start + i + k) % columns_;
                    float& m = metres_[size_t(row) * size_t(columns_) + size_t(cc)];
                    m = 0.5f * (at(cc, row - 1) + at(cc, row + 1));
                    ++mended;
                }
            i += run;
        }
    }
    return mended;
}

void ElevationGrid::assign(int columns, int rows, std::vector<float> metres) {
    columns_ = columns;
    rows_ = rows;
    metres_ = std::move(metres);
    metres_.resize(size_t(columns) * size_t(rows), 0.0f);
}

double ElevationGrid::sample(double longitude, double latitude) const {
    const double perDegreeX = columns_ / 360.0;
    const double perDegreeY = (rows_ - 1) / 180.0;
    double x = std::fmod(longitude, 360.0);
    if (x < 0) x += 360.0;
    x *= perDegreeX;
    double y = std::clamp((latitude + 90.0) * perDegreeY, 0.0, double(rows_ - 1));
    int x0 = int(std::floor(x)), y0 = std::min(int(std::floor(y)), rows_ - 2);
    double fx = x - x0, fy = y - y0;
    int xa = x0 % columns_, xb = (x0 + 1) % columns_;
    double top = at(xa, y0) * (1 - fx) + at(xb, y0) * fx;
    double bottom = at(xa, y0 + 1) * (1 - fx) + at(xb, y0 + 1) * fx;
    return top * (1 - fy) + bottom * fy;
}

double ElevationGrid::landElevation(double longitude, double latitude, int searchCells) const {
    if (columns_ <= 0 || rows_ <= 1) return 0;
    double x = std::fmod(longitude, 360.0);
    if (x < 0) x += 360.0;
    const int column = int(std::lround(x * columns_ / 360.0)) % columns_;
    const int row = std::clamp(int(std::lround((latitude + 90.0) * (rows_ - 1) / 180.0)), 0, rows_ - 1);
    const double here = at(column, row);
    if (here >= 0) return here;
    // Columns shrink towards the poles; weigh them by the cosine.
    const double shrink = std::max(std::cos(latitude * M_PI / 180.0), 0.01);
    double best = 0, bestDistance = 1e300;
    for (int dy = -searchCells; dy <= searchCells; ++dy) {
        const int r = row + dy;
        if (r < 0 || r >= rows_) continue;
        for (int dx = -searchCells; dx <= searchCells; ++dx) {
            const double v = at(((column + dx) % columns_ + columns_) % columns_, r);
            const double d = (dx * shrink) * (dx * shrink) + double(dy) * dy;
            if (v >= 0 && d < bestDistance) {
                bestDistance = d;
                best = v;
            }
        }
    }
    return best;
}

double ElevationGrid::average(double longitude, double latitude, double halfCells) const {
    double x = std::fmod(longitude, 360.0);
    if (x < 0) x += 360.0;
    x *= columns_ / 360.0;
    double y = (latitude + 90.0) * (rows_ - 1) / 180.0;
    int x0 = int(std::ceil(x - halfCells)), x1 = int(std::floor(x + halfCells));
    int y0 = std::max(0, int(std::ceil(y - halfCells))), y1 = std::min(rows_ - 1, int(std::floor(y + halfCells)));
    if (x1 < x0 || y1 < y0) return sample(longitude, latitude);
    double sum = 0;
    int n = 0;
    for (int row = y0; row <= y1; ++row)
        for (int col = x0; col <= x1; ++col) {
            sum += at(((col % columns_) + columns_) % columns_, row);
            ++n;
        }
    return sum / n;
}

std::vector<float> ElevationGrid::resample(int width) const {
    const int height = (width - 1) / 2 + 1;
    std::vector<float> out(size_t(width) * size_t(height));
    if (columns_ == 0) return out;
    const double cells = double(columns_) / double(width - 1);  // source cells per target cell
    for (int r = 0; r < height; ++r) {
        const double latitude = -90.0 + 180.0 * r / (height - 1);
        for (int c = 0; c < width - 1; ++c) {
            const double longitude = -180.0 + 360.0 * c / (width - 1);
            out[size_t(r) * width + c] =
                float(cells > 1.25 ? average(longitude, latitude, cells / 2) : sample(longitude, latitude));
        }
        out[size_t(r) * width + width - 1] = out[size_t(r) * width];
    }
    return out;
}

}  // namespace tnx::databuilder
