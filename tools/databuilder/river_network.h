// Rivers of the GSHHG binned river file (netCDF-4): segments stored bin by
// bin (10-degree bins, row after row from the north-west corner), each
// point relative to its bin's south-west corner in 1/65535 of the bin size.
// A river crossing a bin edge is cut there, and inside a bin it is kept in
// short pieces; chain() joins the pieces again.
#pragma once

#include "topo_atlas.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tnx::databuilder {

struct RiverSegment {
    int level = 0;  // 1 permanent major rivers, 2 additional major rivers, ...
    std::vector<GeoPoint> points;  // longitude -180 .. 180 (points near 180 keep their side)
};

class RiverNetwork {
public:
    // Reads every segment of the file. False with a reason.
    bool load(const std::filesystem::path& netcdf, std::string& error);

    const std::vector<RiverSegment>& segments() const { return segments_; }
    int binDegrees() const { return binDegrees_; }

    // Joins pieces whose ends meet (within `tolerance` degrees) into longer
    // lines, walking pieces backwards as needed: the file cuts every river
    // at bin edges and stores it in short pieces inside a bin too. Where
    // more than two ends meet (a confluence), the first unused piece goes
    // on. Longitudes -180 and 180 meet.
    static std::vector<std::vector<GeoPoint>> chain(const std::vector<std::vector<GeoPoint>>& pieces,
                                                    double tolerance = 1e-3);

private:
    std::vector<RiverSegment> segments_;
    int binDegrees_ = 0;
};

}  // namespace tnx::databuilder
