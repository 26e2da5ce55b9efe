// Small stand-ins for the geography's sources, shaped like the real ones: a
// GSHHG binned river file, a world atlas with countries, Factbook entries,
// the world-countries list and the world cities list.
#pragma once

#include "source_cache.h"

#include "platform/io/file_io.h"

#include <netcdf.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

namespace tnx::test {

struct RiverPiece {
    int bin = 0;  // 10-degree bins, row after row from the north-west corner
    int level = 1;
    std::vector<std::pair<uint16_t, uint16_t>> points;  // 1/65535 of the bin from its south-west corner
};

// A river file laid out as GSHHG's (written as netCDF classic, which the
// same library reads).
inline bool writeRiverFile(const std::filesystem::path& path, const std::vector<RiverPiece>& pieces) {
    constexpr int kBins = 36 * 18;
    std::vector<int> firstSegment(kBins, 0), firstPoint;
    std::vector<short> segments(kBins, 0), counts, levels, dx, dy;
    for (int b = 0, s = 0; b < kBins; ++b) {
        firstSegment[size_t(b)] = s;
        for (const RiverPiece& p : pieces) {
            if (p.bin != b) continue;
            ++segments[size_t(b)], ++s;
            firstPoint.push_back(int(dx.size()));
            counts.push_back(short(p.points.size()));
            levels.push_back(short(p.level));
            for (auto [x, y] : p.points) dx.push_back(short(x)), dy.push_back(short(y));
        }
    }
    int id = 0, dims[4] = {};
    if (nc_create(path.c_str(), NC_CLOBBER, &id) != NC_NOERR) return false;
    nc_def_dim(id, "Dimension_of_scalar", 1, &dims[0]);
    nc_def_dim(id, "Dimension_of_bin_arrays", kBins, &dims[1]);
    nc_def_dim(id, "Dimension_of_segment_arrays", counts.size(), &dims[2]);
    nc_def_dim(id, "Dimension_of_point_arrays", dx.size(), &dims[3]);
    const int binMinutes = 600, across = 36;
    const std::tuple<const char*, int, const void*> vars[] = {  // name, dimension, ints or shorts
        {"Bin_size_in_minutes", 0, &binMinutes}, {"N_bins_in_360_longitude_range", 0, &across},
        {"Id_of_first_segment_in_a_bin", 1, firstSegment.data()}, {"N_segments_in_a_bin", -1, segments.data()},
        {"N_points_for_a_segment", -2, counts.data()}, {"Hierarchial_level_of_a_segment", -2, levels.data()},
        {"Id_of_first_point_in_a_segment", 2, firstPoint.data()},
        {"Relative_longitude_from_SW_corner_of_bin", -3, dx.data()},
        {"Relative_latitude_from_SW_corner_of_bin", -3, dy.data()}};
    int ids[9] = {};
    for (int i = 0; i < 9; ++i) {
        const int dim = std::get<1>(vars[i]);
        nc_def_var(id, std::get<0>(vars[i]), dim < 0 ? NC_SHORT : NC_INT, 1, &dims[dim < 0 ? -dim : dim], &ids[i]);
    }
    nc_enddef(id);
    for (int i = 0; i < 9; ++i)
        if (std::get<1>(vars[i]) < 0) nc_put_var_short(id, ids[i], static_cast<const short*>(std::get<2>(vars[i])));
        else nc_put_var_int(id, ids[i], static_cast<const int*>(std::get<2>(vars[i])));
    return nc_close(id) == NC_NOERR;
}

inline void writeText(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    io::writeFileAtomically(path, std::vector<uint8_t>(text.begin(), text.end()));
}

// France and Italy side by side (a shared border at 10 E), a river across
// a bin edge, their Factbook entries, names and a few cities.
inline void writeGeographySources(const std::filesystem::path& root) {
    namespace source = databuilder::source;
    // Arcs in 0.01-degree steps from (-180, -90): the border, France's
    // coast, Italy's coast.
    writeText(root / source::kCountries,
              R"({"type":"Topology","transform":{"scale":[0.01,0.01],"translate":[-180,-90]},"arcs":[)"
              R"([[19000,13000],[0,1000]],[[19000,14000],[-1000,0],[0,-1000],[1000,0]],)"
              R"([[19000,13000],[1000,0],[0,1000],[-1000,0]]],)"
              R"("objects":{"countries":{"type":"GeometryCollection","geometries":[)"
              R"({"type":"Polygon","id":"250","properties":{"name":"France"},"arcs":[[0,1]]},)"
              R"({"type":"Polygon","id":"380","properties":{"name":"Italy"},"arcs":[[2,-1]]}]},)"
              R"("land":{"type":"GeometryCollection","geometries":[{"type":"MultiPolygon","arcs":[[[1,2]]]}]}}})");
    const auto entity = [&](const std::string& code, const std::string& name, const std::string& capital,
                            const std::string& where) {
        writeText(root / source::kFactbook / "europe" / (code + ".json"),
                  R"({"Government":{"Country name":{"conventional short form":{"text":")" + name +
                      R"("}},"Capital":{"name":{"text":")" + capital +
                      R"("}}},"People and Society":{"Population":{"text":"1,000"}},)"
                      R"("Geography":{"Area":{"total":{"text":"200 sq km"}},"Geographic coordinates":{"text":")" +
                      where + R"("}}})");
    };
    entity("fr", "France", "Paris", "45 00 N, 5 00 E");
    entity("it", "Italy", "Rome", "45 00 N, 15 00 E");
    writeText(root / source::kFactbook / "world" / "xx.json",
              R"({"People and Society":{"Population":{"text":"7,256,490,011"}}})");
    writeText(root / source::kCountryNames,
              R"([{"cca2":"FR","cca3":"FRA","ccn3":"250","name":{"common":"France","official":"French Republic"},"altSpellings":[]},)"
              R"({"cca2":"IT","cca3":"ITA","ccn3":"380","name":{"common":"Italy","official":"Italian Republic"},"altSpellings":[]}])");
    writeText(root / source::kCities,
              R"([{"city":"Paris","lat":"48.86","lng":"2.35","country":"France","iso3":"FRA","capital":"primary","population":"11000000"},)"
              R"({"city":"Rome","lat":"41.89","lng":"12.48","country":"Italy","iso3":"ITA","capital":"primary","population":"2800000"},)"
              R"({"city":"Milan","lat":"45.46","lng":"9.19","country":"Italy","iso3":"ITA","capital":"admin","population":""}])");
    std::filesystem::create_directories((root / source::kRivers).parent_path());
    // Bin 4 x 36 + 0 spans 0 .. 10 E, 40 .. 50 N; bin 4 x 36 + 1 the next one east.
    writeRiverFile(root / source::kRivers, {{144, 1, {{30000, 30000}, {65535, 32768}}},
                                            {145, 1, {{0, 32768}, {30000, 40000}}}});
}

}  // namespace tnx::test
