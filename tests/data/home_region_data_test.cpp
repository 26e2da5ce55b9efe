// The first run's region over the built data (TERRANOX_APP_DIR): a few
// zones put their capital in the middle, and every zone that names a
// country finds it in the tables.
#include <gtest/gtest.h>

#include <QLocale>
#include <QTimeZone>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "app/home_region.h"
#include "geodata/geo_overlay.h"
#include "geodata/pack_archive.h"
#include "platform/clock/system_region.h"

namespace tnx::app {
namespace {

std::filesystem::path appDir() {
    const char* dir = std::getenv("TERRANOX_APP_DIR");
    return dir ? dir : "build/app";
}

class HomeRegionData : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        pack_ = new geodata::PackArchive;
        ASSERT_GT(pack_->open(appDir() / "pack.dat"), 0) << "no pack.dat in " << appDir();
        geodata::setPackArchive(pack_);
        tables_ = new geodata::GeoOverlay(0.00001f);
    }
    static void TearDownTestSuite() {
        delete tables_;
        geodata::setPackArchive(nullptr);
        delete pack_;
    }
    static HomeRegion::Centre centreFor(const char* zone) {
        setenv("TZ", zone, 1);
        tzset();
        const clock::SystemRegion r = clock::systemRegion();
        return HomeRegion::centre(tables_->countries(), tables_->cities(), r.territory, r.utcOffsetSeconds);
    }
    static inline geodata::PackArchive* pack_ = nullptr;
    static inline geodata::GeoOverlay* tables_ = nullptr;
};

TEST_F(HomeRegionData, EveryZonesCountryIsFoundAndCapitalsComeToTheMiddle) {
    struct Expected {
        const char* zone;
        double longitude, latitude;  // the capital, degrees
    } expected[] = {{"Europe/Paris", 2.35, 48.86}, {"America/New_York", -77.04, 38.90},
                    {"Australia/Sydney", 149.13, -35.28}, {"Africa/Kinshasa", 15.31, -4.32}};
    for (const Expected& e : expected) {
        const HomeRegion::Centre c = centreFor(e.zone);
        EXPECT_NE(c.country, 0) << e.zone;
        EXPECT_NEAR(c.longitudeDeg, e.longitude, 0.5) << e.zone;
        EXPECT_NEAR(c.latitudeDeg, e.latitude, 0.5) << e.zone;
    }
    // Every territory that has a time zone: its country is in the tables.
    int territories = 0;
    std::string missing;
    for (int t = 1; t <= int(QLocale::LastTerritory); ++t) {
        const auto territory = QLocale::Territory(t);
        if (QTimeZone::availableTimeZoneIds(territory).isEmpty()) continue;
        ++territories;
        const std::string name = QLocale::territoryToString(territory).toStdString();
        if (HomeRegion::centre(tables_->countries(), tables_->cities(), name, 0).country == 0) missing += name + "; ";
    }
    EXPECT_GT(territories, 200);
    EXPECT_EQ(missing, "");
}

}  // namespace
}  // namespace tnx::app
