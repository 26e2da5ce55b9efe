// The first run's view: the time zone's country and its capital, the
// meridian of a bare UTC offset, and the distance at which the globe spans
// two thirds of the window's height.
#include "app/home_region.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>

#include "app/viewer_core.h"
#include "geodata/city_table.h"
#include "geodata/country_table.h"
#include "geodata/geo_files.h"
#include "platform/clock/system_region.h"

namespace tnx::app {
namespace {

class ZoneEnvironment {
public:
    explicit ZoneEnvironment(const char* zone) {
        if (const char* old = std::getenv("TZ")) saved_ = old, had_ = true;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneEnvironment() {
        if (had_) setenv("TZ", saved_.c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }

private:
    std::string saved_;
    bool had_ = false;
};

class HomeRegionTest : public ::testing::Test {
protected:
    void SetUp() override {
        countries_.load(test::countryFile({{"France", "Paris", "", "", 6.7e7f, 0, 0, 0.8f, 0.04f},
                                           {"T\xfcrkiye", "Ankara", "", "", 8e7f, 0, 0, 0.7f, 0.57f}}));
        cities_.load(test::siteFile({{"France",
                                      {{"Lyon", 1, test::siteAngle(45.76), test::siteAngle(4.83), 170, 500000},
                                       {"Paris", 0, test::siteAngle(48.86), test::siteAngle(2.35), 35, 2100000},
                                       {"Saint-Denis", 1, test::siteAngle(48.94), test::siteAngle(2.36), 40, 110000},
                                       {"Saint-Denis", 1, test::siteAngle(-20.88), test::siteAngle(55.45), 10, 315000}}},
                                     {"T\xfcrkiye", {{"Ankara", 0, test::siteAngle(39.93), test::siteAngle(32.86), 938, 5000000}}}}),
                     countries_);
    }
    geodata::CountryTable countries_;
    geodata::CityTable cities_;
};

TEST_F(HomeRegionTest, TheZonesCountryPutsItsCapitalInTheMiddle) {
    {
        ZoneEnvironment paris("Europe/Paris");
        const clock::SystemRegion r = clock::systemRegion();
        EXPECT_EQ(r.territory, "France");
        const HomeRegion::Centre c = HomeRegion::centre(countries_, cities_, r.territory, r.utcOffsetSeconds);
        EXPECT_NEAR(c.longitudeDeg, 2.35, 0.01);
        EXPECT_NEAR(c.latitudeDeg, 48.86, 0.01);
    }
    {
        // The zone names the country as the locale data does; the table
        // spells it its own way.
        ZoneEnvironment istanbul("Europe/Istanbul");
        const clock::SystemRegion r = clock::systemRegion();
        EXPECT_EQ(r.territory, "Turkey");
        EXPECT_EQ(r.utcOffsetSeconds, 3 * 3600);
        const HomeRegion::Centre c = HomeRegion::centre(countries_, cities_, r.territory, r.utcOffsetSeconds);
        EXPECT_EQ(c.country, 2);
        EXPECT_NEAR(c.longitudeDeg, 32.86, 0.01);
    }
    {
        // Réunion counts to France but lies in the Indian Ocean: its own
        // Saint-Denis, not the one by Paris and not Paris.
        ZoneEnvironment reunion("Indian/Reunion");
        const clock::SystemRegion r = clock::systemRegion();
        const HomeRegion::Centre c = HomeRegion::centre(countries_, cities_, r.territory, r.utcOffsetSeconds);
        EXPECT_EQ(c.country, 1);
        EXPECT_NEAR(c.longitudeDeg, 55.45, 0.01);
        EXPECT_NEAR(c.latitudeDeg, -20.88, 0.01);
    }
}

TEST_F(HomeRegionTest, WithoutACountryTheMeridianOfTheOffset) {
    ZoneEnvironment fixed("Etc/GMT-5");  // five hours east of Greenwich
    const clock::SystemRegion r = clock::systemRegion();
    EXPECT_EQ(r.territory, "");
    EXPECT_EQ(r.utcOffsetSeconds, 5 * 3600);
    HomeRegion::Centre c = HomeRegion::centre(countries_, cities_, r.territory, r.utcOffsetSeconds);
    EXPECT_EQ(c.country, 0);
    EXPECT_DOUBLE_EQ(c.longitudeDeg, 75.0);
    EXPECT_DOUBLE_EQ(c.latitudeDeg, HomeRegion::kOffsetLatitudeDeg);
    // Past the date line either way; a name the tables lack counts as none.
    EXPECT_DOUBLE_EQ(HomeRegion::centre(countries_, cities_, "Atlantis", 14 * 3600).longitudeDeg, -150.0);
    EXPECT_DOUBLE_EQ(HomeRegion::centre(countries_, cities_, "", -12 * 3600).longitudeDeg, -180.0);
    EXPECT_DOUBLE_EQ(HomeRegion::centre(countries_, cities_, "", -9 * 3600 - 1800).longitudeDeg, -142.5);
}

// The globe's height on screen, in window heights, seen from `km` above the
// surface: the tangent point from a camera at distance d lies at
// z = R^2 / d, y = R sqrt(1 - R^2 / d^2) along and across the view axis.
double spannedHeight(double km, int width, int height) {
    const double r = 63.71, d = r + km / 100.0;
    const double y = r * std::sqrt(1 - r * r / (d * d)), z = d - r * r / d;
    const float fov = ViewerCore::fieldOfViewFor(width, height);
    const double halfHeightAtUnit = std::tan(fov / 2) * height / width;
    return (y / z) / halfHeightAtUnit;
}

TEST(HomeRegionDistance, TheGlobeSpansTwoThirdsOfTheHeightInAnyWindow) {
    const std::pair<int, int> windows[] = {{1280, 720}, {1920, 1080}, {800, 600}, {720, 1280}, {1, 1}};
    for (auto [w, h] : windows) {
        const double km = HomeRegion::altitudeKmForFill(w, h, ViewerCore::fieldOfViewFor(w, h));
        EXPECT_NEAR(spannedHeight(km, w, h), 2.0 / 3.0, 1e-6) << w << "x" << h;
        EXPECT_GT(km, 0);
    }
    // 16:9 at any size: the same distance, about 17,600 km up.
    EXPECT_NEAR(HomeRegion::altitudeKmForFill(1280, 720, ViewerCore::fieldOfViewFor(1280, 720)), 17564, 5);
}

}  // namespace
}  // namespace tnx::app
