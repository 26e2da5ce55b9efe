// The world elevation grid of the ETOPO5 data set (netCDF classic, variable
// "ROSE", metres as floats, 4320 x 2161 samples): longitude 0 ... 359.917
// degrees in 5' steps without a wrap column, latitude from the south pole
// (row 0) to the north pole, both included. Any grid laid out the same way
// (whole circle of longitude starting at 0, rows from pole to pole) is read.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tnx::databuilder {

class ElevationGrid {
public:
    // Parses the netCDF file held in memory. False with a reason in `error`.
    bool load(std::span<const uint8_t> netcdf, std::string& error);
    // A grid given directly (tests): columns from longitude 0, rows from the south pole.
    void assign(int columns, int rows, std::vector<float> metres);

    // Mends rows that drop out along a long stretch: samples at least 1000 m
    // below both their northern and southern neighbours, which agree within
    // 300 m, over at least 2 degrees of longitude. ETOPO5 has such stretches
    // in Antarctica (near 81 S, values of 0 among 2700 m of ice), which the
    // globe's hill shade would show as a dark arc. Narrower features, such as
    // fjords, stay. Answers the number of samples mended.
    int repairDropouts();

    int columns() const { return columns_; }
    int rows() const { return rows_; }
    float at(int column, int row) const { return metres_[size_t(row) * size_t(columns_) + size_t(column)]; }

    // Metres at a point in degrees (longitude any, latitude -90 ... 90),
    // bilinear between samples, wrapping in longitude.
    double sample(double longitude, double latitude) const;

    // Metres of the sample nearest to a point, for places on land: a
    // sample below sea level gives way to the nearest one at or above it
    // within `searchCells` samples (distance measured on the ground), so a
    // coastal town whose nearest sample is sea floor takes the coast's
    // height; with none in reach the answer is 0. Never negative.
    double landElevation(double longitude, double latitude, int searchCells = 3) const;

    // The grid of a terrain tile file: width W (2^k + 1) columns from
    // longitude -180 (column W - 1 repeats column 0), (W - 1) / 2 + 1 rows
    // from the south pole. A target coarser than the source averages the
    // source samples of each target cell; a finer one interpolates.
    std::vector<float> resample(int width) const;

private:
    double average(double longitude, double latitude, double halfCells) const;

    int columns_ = 0, rows_ = 0;
    std::vector<float> metres_;
};

}  // namespace tnx::databuilder
