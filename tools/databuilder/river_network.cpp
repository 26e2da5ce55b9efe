#include "river_network.h"

#include <netcdf.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace tnx::databuilder {

namespace {

class NetcdfFile {
public:
    explicit NetcdfFile(const std::filesystem::path& path) { status_ = nc_open(path.c_str(), NC_NOWRITE, &id_); }
    ~NetcdfFile() {
        if (status_ == NC_NOERR) nc_close(id_);
    }
    NetcdfFile(const NetcdfFile&) = delete;
    NetcdfFile& operator=(const NetcdfFile&) = delete;

    bool ok() const { return status_ == NC_NOERR; }
    std::string error() const { return nc_strerror(status_); }

    // A whole variable as integers; empty (with the reason kept) on failure.
    template <typename T>
    std::vector<T> values(const char* name, size_t expected = 0) {
        int var = 0, dims = 0;
        if (!ok() || (status_ = nc_inq_varid(id_, name, &var)) != NC_NOERR) return {};
        if ((status_ = nc_inq_varndims(id_, var, &dims)) != NC_NOERR || dims != 1) return {};
        int dim = 0;
        size_t length = 0;
        if ((status_ = nc_inq_vardimid(id_, var, &dim)) != NC_NOERR) return {};
        if ((status_ = nc_inq_dimlen(id_, dim, &length)) != NC_NOERR) return {};
        if (expected && length != expected) {
            status_ = NC_EEDGE;
            return {};
        }
        std::vector<T> out(length);
        if constexpr (std::is_same_v<T, short>) status_ = nc_get_var_short(id_, var, out.data());
        else status_ = nc_get_var_int(id_, var, out.data());
        if (status_ != NC_NOERR) return {};
        return out;
    }

private:
    int id_ = 0;
    int status_ = NC_NOERR;
};

}  // namespace

bool RiverNetwork::load(const std::filesystem::path& path, std::string& error) {
    segments_.clear();
    NetcdfFile file(path);
    const auto fail = [&](const std::string& what) {
        error = path.string() + ": " + what + (file.ok() ? std::string() : " (" + file.error() + ")");
        return false;
    };
    if (!file.ok()) return fail("cannot open");
    const auto binMinutes = file.values<int>("Bin_size_in_minutes", 1);
    const auto binsAcross = file.values<int>("N_bins_in_360_longitude_range", 1);
    const auto firstSegment = file.values<int>("Id_of_first_segment_in_a_bin");
    const auto segmentCount = file.values<short>("N_segments_in_a_bin", firstSegment.size());
    const auto pointCount = file.values<short>("N_points_for_a_segment");
    const auto level = file.values<short>("Hierarchial_level_of_a_segment", pointCount.size());
    const auto firstPoint = file.values<int>("Id_of_first_point_in_a_segment", pointCount.size());
    const auto dx = file.values<short>("Relative_longitude_from_SW_corner_of_bin");
    const auto dy = file.values<short>("Relative_latitude_from_SW_corner_of_bin", dx.size());
    if (binMinutes.empty() || binsAcross.empty() || segmentCount.empty() || level.empty() || firstPoint.empty() ||
        dy.empty())
        return fail("not a binned river file");
    if (binMinutes[0] <= 0 || binMinutes[0] % 60 != 0 || binsAcross[0] * binMinutes[0] != 360 * 60)
        return fail("unexpected bin size");
    binDegrees_ = binMinutes[0] / 60;
    const double bin = binDegrees_;
    const int across = binsAcross[0];

    for (size_t b = 0; b < firstSegment.size(); ++b) {
        const double west = double(int(b) % across) * bin;
        const double south = 90.0 - double(int(b) / across + 1) * bin;
        for (int s = 0; s < segmentCount[b]; ++s) {
            const int64_t seg = int64_t(firstSegment[b]) + s;
            if (seg < 0 || size_t(seg) >= pointCount.size()) return fail("segment outside the file");
            const int64_t first = firstPoint[size_t(seg)], n = pointCount[size_t(seg)];
            if (first < 0 || n < 0 || size_t(first + n) > dx.size()) return fail("points outside the file");
            RiverSegment r;
            r.level = level[size_t(seg)];
            for (int64_t k = first; k < first + n; ++k) {
                // Stored as shorts, meant as unsigned steps of bin / 65535.
                double lon = west + double(uint16_t(dx[size_t(k)])) * bin / 65535.0;
                const double lat = south + double(uint16_t(dy[size_t(k)])) * bin / 65535.0;
                if (lon > 180.0) lon -= 360.0;
                r.points.push_back({lon, lat});
            }
            segments_.push_back(std::move(r));
        }
    }
    return true;
}

std::vector<std::vector<GeoPoint>> RiverNetwork::chain(const std::vector<std::vector<GeoPoint>>& pieces,
                                                       double tolerance) {
    // Ends by position, rounded to the tolerance; -180 and 180 meet.
    using Key = std::pair<long long, long long>;
    const auto keyOf = [&](const GeoPoint& p) {
        double lon = p.lon;
        if (lon >= 180.0 - tolerance) lon -= 360.0;
        return Key{std::llround(lon / tolerance), std::llround(p.lat / tolerance)};
    };
    std::map<Key, std::vector<std::pair<size_t, bool>>> ends;  // piece, true = its last point
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (pieces[i].size() < 2) continue;
        ends[keyOf(pieces[i].front())].push_back({i, false});
        ends[keyOf(pieces[i].back())].push_back({i, true});
    }
    std::vector<bool> used(pieces.size(), false);
    // The next unused piece with an end at p, walked so that it starts there.
    const auto follow = [&](const GeoPoint& p, std::vector<GeoPoint>& next) {
        const Key k = keyOf(p);
        // Neighbouring keys too: two ends a hair apart may round apart.
        for (long long i = -1; i <= 1; ++i)
            for (long long j = -1; j <= 1; ++j) {
                auto it = ends.find(Key{k.first + i, k.second + j});
                if (it == ends.end()) continue;
                for (const auto& [piece, atLast] : it->second) {
                    if (used[piece]) continue;
                    used[piece] = true;
                    next = pieces[piece];
                    if (atLast) std::reverse(next.begin(), next.end());
                    return true;
                }
            }
        return false;
    };

    std::vector<std::vector<GeoPoint>> lines;
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (used[i] || pieces[i].empty()) continue;
        used[i] = true;
        std::vector<GeoPoint> line = pieces[i];
        std::vector<GeoPoint> next;
        while (line.size() > 1 && follow(line.back(), next)) line.insert(line.end(), next.begin() + 1, next.end());
        std::reverse(line.begin(), line.end());
        while (line.size() > 1 && follow(line.back(), next)) line.insert(line.end(), next.begin() + 1, next.end());
        std::reverse(line.begin(), line.end());
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace tnx::databuilder
