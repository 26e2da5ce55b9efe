// The program's geography tables over the built data (TERRANOX_APP_DIR):
// the zone tree agrees with a plain point-in-polygon pass over the same
// outlines, well-known places lie in their countries, and `terranox
// --where` names them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>

#include "geodata/boundary_store.h"
#include "geodata/geo_overlay.h"
#include "geodata/pack_archive.h"
#include "geodata/place_lookup.h"
#include "geodata/zone_tree.h"
#include "platform/io/byte_io.h"
#include "support/test_home.h"

namespace tnx::geodata {
namespace {

std::filesystem::path appDir() {
    const char* dir = std::getenv("TERRANOX_APP_DIR");
    return dir ? dir : "build/app";
}

struct Point {
    int x, y;  // file units: y = -latitude
};

class GeographyTables : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        pack_ = new PackArchive;
        ASSERT_GT(pack_->open(appDir() / "pack.dat"), 0) << "no pack.dat in " << appDir();
        setPackArchive(pack_);
        overlay_ = new GeoOverlay(0.00001f);
        store_ = new BoundaryStore;
        ASSERT_TRUE(store_->loadFile({}));
        zones_ = new ZoneTree;
        ASSERT_TRUE(zones_->loadFile(overlay_->countries(), *store_));
        overlay_->setGeography(store_, zones_);
        // The polylines once more, read straight from the file for the plain pass.
        std::vector<uint8_t> bytes;
        size_t length = 0;
        readDataFile("pack\\CARTE.BIN2", bytes, length);
        for (size_t at = 0; at + 4 <= length;) {
            int n = int16_t(io::loadU16(&bytes[at]));
            std::vector<Point> line;
            for (int k = 0; k < n && at + 8 + 4 * size_t(k) <= length; ++k)
                line.push_back({int16_t(io::loadU16(&bytes[at + 4 + 4 * size_t(k)])),
                                int16_t(io::loadU16(&bytes[at + 6 + 4 * size_t(k)]))});
            lines_.push_back(std::move(line));
            at += 4 + 4 * size_t(std::max(n, 0));
        }
    }
    static void TearDownTestSuite() {
        setPackArchive(nullptr);
        delete zones_;
        delete store_;
        delete overlay_;
        delete pack_;
    }

    // Even-odd over a region's outlines with a ray to the far east, in doubles.
    static bool plainInside(const ZoneNode& region, double x, double y) {
        bool inside = false;
        for (int32_t v : region.indices) {
            if (v < 0 || size_t(v) >= lines_.size()) continue;
            const auto& l = lines_[size_t(v)];
            for (size_t k = 0; k + 1 < l.size(); ++k) {
                double x1 = l[k].x, y1 = l[k].y, x2 = l[k + 1].x, y2 = l[k + 1].y;
                if ((y1 >= y) == (y2 >= y)) continue;
                if (x1 + (x2 - x1) * (y - y1) / (y2 - y1) > x) inside = !inside;
            }
        }
        return inside;
    }
    static int plainCountry(int x, int y) {
        for (int p = 1; p <= zones_->blockCount(); ++p)
            for (const ZoneNode& region : zones_->block(p)->children)
                if (plainInside(region, x, y)) return zones_->block(p)->country;
        return 0;
    }
    static double edgeDistance(int country, int x, int y) {
        double best = 1e9;
        const CountryRecord* r = overlay_->countries().get(country);
        const ZoneNode* block = r ? zones_->block(r->zone) : nullptr;
        if (!block) return best;
        for (const ZoneNode& region : block->children)
            for (int32_t v : region.indices) {
                if (v < 0 || size_t(v) >= lines_.size()) continue;
                const auto& l = lines_[size_t(v)];
                for (size_t k = 0; k + 1 < l.size(); ++k) {
                    double ax = l[k].x, ay = l[k].y, bx = l[k + 1].x, by = l[k + 1].y;
                    double dx = bx - ax, dy = by - ay, len = dx * dx + dy * dy;
                    double t = len > 0 ? std::clamp(((x - ax) * dx + (y - ay) * dy) / len, 0.0, 1.0) : 0.0;
                    best = std::min(best, std::hypot(ax + t * dx - x, ay + t * dy - y));
                }
            }
        return best;
    }
    std::string countryAt(double lonDeg, double latDeg) {
        PlaceLookup lookup(overlay_->countries(), overlay_->cities(), zones_);
        const float d = math::kPi / 180;
        const CountryRecord* r = overlay_->countries().get(lookup.countryAt(float(lonDeg * d), float(latDeg * d)));
        return r ? std::string(r->nameText()) : "";
    }

    static PackArchive* pack_;
    static GeoOverlay* overlay_;
    static BoundaryStore* store_;
    static ZoneTree* zones_;
    static std::vector<std::vector<Point>> lines_;
};

PackArchive* GeographyTables::pack_ = nullptr;
GeoOverlay* GeographyTables::overlay_ = nullptr;
BoundaryStore* GeographyTables::store_ = nullptr;
ZoneTree* GeographyTables::zones_ = nullptr;
std::vector<std::vector<Point>> GeographyTables::lines_;

TEST_F(GeographyTables, TablesAreFilledAndLinked) {
    EXPECT_GT(overlay_->countries().count(), 200);
    EXPECT_GT(overlay_->cities().count(), 10000);
    EXPECT_GT(zones_->blockCount(), 200);
    EXPECT_EQ(store_->polylineCount(), int(lines_.size()));
    int france = overlay_->countries().find("France");
    ASSERT_NE(france, 0);
    EXPECT_NE(overlay_->countries().get(france)->zone, 0);
    int paris = overlay_->countries().get(france)->capitalCity;
    ASSERT_TRUE(overlay_->cities().isCity(paris));
    EXPECT_EQ(overlay_->cities()[paris].nameText(), "Paris");
}

TEST_F(GeographyTables, ZoneTreeAgreesWithAPlainPointInPolygonPass) {
    // Rows where an outline meets the date line. The data closes such rings
    // one hundredth east of the western edge while the cut coast ends on the
    // edge itself: on exactly those rows the crossing at the cut is missed.
    std::set<int> cutRows;
    for (const auto& l : lines_)
        for (const Point& p : l)
            if (p.x <= -17999 || p.x >= 18000) cutRows.insert(p.y);
    std::mt19937 rng(20260101);
    std::uniform_int_distribution<int> lon(-17999, 17999), lat(-8999, 8999);
    int land = 0, edges = 0, onCutRows = 0;
    for (int i = 0; i < 6000; ++i) {
        int x = lon(rng), latitude = lat(rng);
        int tree = 0;
        zones_->hitTest(x, latitude, &tree);
        int plain = plainCountry(x, -latitude);
        land += plain != 0;
        if (tree == plain) continue;
        if (cutRows.count(-latitude)) {
            ++onCutRows;
            continue;
        }
        // Only a point on an outline may be told differently.
        double near = std::min(edgeDistance(tree, x, -latitude), edgeDistance(plain, x, -latitude));
        EXPECT_LE(near, 1.5) << "at " << x / 100.0 << ", " << latitude / 100.0 << ": tree " << tree << ", plain "
                             << plain;
        ++edges;
    }
    EXPECT_GT(land, 6000 / 5);  // about a third of a lon/lat grid is land
    EXPECT_LT(edges, 10);
    EXPECT_LE(onCutRows, 6);
}

TEST_F(GeographyTables, WellKnownPlacesLieInTheirCountries) {
    EXPECT_EQ(countryAt(2.35, 48.85), "France");
    EXPECT_EQ(countryAt(139.69, 35.69), "Japan");
    EXPECT_EQ(countryAt(-179.95, -16.85), "Fiji");   // Taveuni, east of 180
    EXPECT_EQ(countryAt(178.0, -17.8), "Fiji");      // Viti Levu, west of it
    EXPECT_EQ(countryAt(167.15, -77.53), "Antarctica");  // Mount Erebus, above McMurdo
    EXPECT_EQ(countryAt(166.5, -78.5), "Antarctica");    // the Ross Ice Shelf south of it
    EXPECT_EQ(countryAt(0, -85), "Antarctica");
    EXPECT_EQ(countryAt(-30, 0), "");                // the Atlantic
}

TEST_F(GeographyTables, WhereNamesTheCountryAndTheNearestCity) {
    test::TestHome home;
    std::string cmd = (appDir() / "terranox").string() + " --where 2.35,48.85";
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::string out;
    char buf[256];
    while (size_t n = fread(buf, 1, sizeof buf, p)) out.append(buf, n);
    EXPECT_EQ(pclose(p), 0);
    EXPECT_EQ(out.substr(0, out.find('\n')), "country: France");
    EXPECT_EQ(out.rfind("city: Paris (", out.find('\n') + 1), out.find('\n') + 1) << out;
}

}  // namespace
}  // namespace tnx::geodata
