// The distance tool's kilometres against geodesics on the WGS 84 ellipsoid
// computed by GeographicLib's GeodSolve (Debian's geographiclib-tools), for
// pairs from 1 km to nearly antipodal, in every direction and latitude band.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "geodata/distance_tool.h"
#include "support/test_home.h"
#include "support/required_tool.h"

namespace tnx::geodata {
namespace {

constexpr double kDeg = 3.14159265358979323846 / 180;

bool haveGeodSolve() { return std::system("command -v GeodSolve >/dev/null 2>&1") == 0; }

// Runs GeodSolve with `args` over the input lines; one output line each.
std::vector<std::string> geodSolve(const std::string& args, const std::vector<std::string>& lines,
                                   const std::filesystem::path& dir) {
    const auto input = dir / "geod_in.txt";
    {
        std::ofstream out(input);
        for (const auto& l : lines) out << l << '\n';
    }
    const std::string command = "GeodSolve " + args + " < '" + input.string() + "'";
    std::vector<std::string> result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) result.emplace_back(buffer);
    pclose(pipe);
    return result;
}

TEST(DistanceGeodesicTest, StaysWithinHalfAPercentOfTheGeodesicFromOneKilometreToNearlyAntipodal) {
    TNX_NEED_TOOL(haveGeodSolve(), "GeodSolve (geographiclib-tools)");
    test::TestHome home;
    struct Pair {
        double km;
        float lon1, lat1, lon2, lat2;  // radians, as the tool keeps them
    };
    std::vector<Pair> pairs;
    std::vector<std::string> direct;
    const double lengths[] = {1, 3, 10, 100, 1000, 5000, 10000, 15000, 19000, 19900, 19990};
    const double latitudes[] = {-80, -45, -10, 0, 30, 60, 85};
    const double azimuths[] = {0, 37, 90, 135, 180, 250};
    for (double km : lengths)
        for (double lat : latitudes)
            for (double azi : azimuths) {
                std::ostringstream line;
                line.precision(12);
                line << lat << ' ' << 2.3 + lat / 7 << ' ' << azi << ' ' << km * 1000;
                direct.push_back(line.str());
                pairs.push_back({km, float((2.3 + lat / 7) * kDeg), float(lat * kDeg), 0, 0});
            }
    const auto ends = geodSolve("-p 9", direct, home.path());
    ASSERT_EQ(ends.size(), direct.size());
    // The geodesic between the ends exactly as the tool holds them (floats).
    std::vector<std::string> inverse;
    for (size_t i = 0; i < pairs.size(); ++i) {
        double lat2 = 0, lon2 = 0;
        ASSERT_EQ(std::sscanf(ends[i].c_str(), "%lf %lf", &lat2, &lon2), 2) << ends[i];
        pairs[i].lat2 = float(lat2 * kDeg);
        pairs[i].lon2 = float(std::remainder(lon2, 360.0) * kDeg);
        std::ostringstream line;
        line.precision(17);
        line << double(pairs[i].lat1) / kDeg << ' ' << double(pairs[i].lon1) / kDeg << ' '
             << double(pairs[i].lat2) / kDeg << ' ' << double(pairs[i].lon2) / kDeg;
        inverse.push_back(line.str());
    }
    const auto geodesics = geodSolve("-i -p 6", inverse, home.path());
    ASSERT_EQ(geodesics.size(), inverse.size());

    DistanceTool tool(63.71f);
    double worst = 0;
    std::string worstCase;
    for (size_t i = 0; i < pairs.size(); ++i) {
        double azi1, azi2, metres = 0;
        ASSERT_EQ(std::sscanf(geodesics[i].c_str(), "%lf %lf %lf", &azi1, &azi2, &metres), 3) << geodesics[i];
        tool.addPoint(pairs[i].lon1, pairs[i].lat1);
        tool.addPoint(pairs[i].lon2, pairs[i].lat2);
        const double km = tool.measurement(tool.count() - 1).kilometres;
        const double difference = std::fabs(km - metres / 1000) / (metres / 1000);
        if (difference > worst) {
            worst = difference;
            worstCase = inverse[i] + " (" + std::to_string(pairs[i].km) + " km)";
        }
        EXPECT_LT(difference, 0.005) << inverse[i] << ": tool " << km << " km, geodesic " << metres / 1000 << " km";
        tool.clear();
    }
    std::printf("largest difference from the geodesic: %.4f %% at %s\n", worst * 100, worstCase.c_str());
    RecordProperty("largest_difference_percent", std::to_string(worst * 100));
}

}  // namespace
}  // namespace tnx::geodata
