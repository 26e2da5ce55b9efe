// The built geography in pack.dat (TERRANOX_APP_DIR, made by
// scripts/build-data.sh): country.bin, site.bin, CARTE.BIN2 and CARTE.ZONES
// agree on country names, stay within what their readers take, and place
// well-known things where they are.
#include "databuilder/zone_ray.h"
#include "geodata/pack_archive.h"
#include "platform/io/byte_io.h"
#include "support/test_home.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace tnx {
namespace {

std::string lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

struct City {
    std::string name;
    int cityClass = 0, altitude = 0, population = 0;
};
struct Zone {
    std::string name;
    std::vector<std::vector<int>> regions;
};

class GeographyData : public ::testing::Test {
protected:
    void SetUp() override {
        geodata::PackArchive archive;
        const char* dir = std::getenv("TERRANOX_APP_DIR");
        ASSERT_GT(archive.open(std::filesystem::path(dir ? dir : "build/app") / "pack.dat"), 0)
            << "no pack.dat (run scripts/build-data.sh)";
        const auto read = [&](const char* name) {
            std::vector<uint8_t> buffer;
            size_t length = 0;
            archive.readFile(name, buffer, length);
            buffer.resize(length);
            return buffer;
        };
        const auto countryBin = read("pack\\country.bin"), siteBin = read("pack\\site.bin");
        const auto carte = read("pack\\CARTE.BIN2"), zones = read("pack\\CARTE.ZONES");
        io::ByteReader c(countryBin);
        for (uint32_t n = c.u32(), i = 0; i < n && c.ok(); ++i) {
            std::vector<float>& k = countries[lower(c.cstring())];
            c.cstring(), c.cstring(), c.cstring();  // capital and texts
            for (int f = 0; f < 5; ++f) k.push_back(c.f32());  // population, areas, latitude, longitude
        }
        ASSERT_TRUE(c.ok() && c.remaining() == 0);
        io::ByteReader s(siteBin);
        s.u32();
        cityTotal = s.u32();
        while (s.has(1) && *s.cursor() != 0) {
            auto& group = cities[s.cstring()];
            for (uint32_t n = s.u32(), i = 0; i < n && s.ok(); ++i) {
                City city{s.cstring(), s.u8()};
                s.skip(4);  // latitude, longitude
                city.altitude = int16_t(s.u16());
                city.population = s.i32();
                group.push_back(city);
            }
        }
        ASSERT_TRUE(s.ok() && s.remaining() == 1);
        io::ByteReader b(carte);
        while (b.ok() && b.remaining() > 4) {
            const int n = int16_t(b.u16());
            classes.push_back(int16_t(b.u16()) / 1000);
            lines.emplace_back();
            for (int k = 0; k < n && b.ok(); ++k) lines.back().push_back({int16_t(b.u16()), int16_t(b.u16())});
        }
        ASSERT_TRUE(b.ok() && b.remaining() == 0);
        zoneText.assign(zones.begin(), zones.end());
        // "1 <name>", index lines (ended by a space when the list goes on), "E".
        std::vector<int> list;
        for (size_t at = 0, end; (end = zoneText.find("\r\n", at)) != std::string::npos; at = end + 2) {
            const std::string line = zoneText.substr(at, end - at);
            if (line == "E") continue;
            if (line.rfind("1 ", 0) == 0 && line.find_first_not_of("0123456789 ") != std::string::npos) {
                zoneList.push_back({line.substr(2), {}});
                continue;
            }
            for (size_t i = 0, used = 0; line.find_first_not_of(' ', i) != std::string::npos; i += used)
                list.push_back(std::stoi(line.substr(i), &used));
            if (line.back() != ' ') zoneList.back().regions.push_back(std::move(list)), list.clear();
        }
    }

    std::string countryAt(double lat, double lon) const {
        for (const Zone& z : zoneList)
            for (const auto& region : z.regions)
                if (test::zoneContains(lines, region, int(lon * 100), int(-lat * 100))) return z.name;
        return "";
    }
    const City* city(const std::string& country, const std::string& name) {
        for (const City& c : cities[country])
            if (c.name == name) return &c;
        return nullptr;
    }

    test::TestHome home;  // no loose files: every read comes from the archive
    std::map<std::string, std::vector<float>> countries;
    std::map<std::string, std::vector<City>> cities;
    uint32_t cityTotal = 0;
    std::vector<test::RayLine> lines;
    std::vector<int> classes;
    std::string zoneText;
    std::vector<Zone> zoneList;
};

TEST_F(GeographyData, CountriesAndCitiesShareTheirNames) {
    EXPECT_GT(countries.size(), 250u);
    EXPECT_GT(countries["world"][0], 7e9f);
    const auto& france = countries["france"];
    EXPECT_NEAR(france[0], 66.5e6, 1e6);
    EXPECT_NEAR(france[1], 643801, 1);  // square kilometres
    EXPECT_NEAR(france[3] * 57.29578, 46, 0.01);
    EXPECT_NEAR(france[4] * 57.29578, 2, 0.01);
    size_t total = 0;
    for (const auto& [country, list] : cities) {
        EXPECT_TRUE(countries.count(lower(country))) << country;
        total += list.size();
        for (const City& c : list) {
            EXPECT_GE(c.altitude, 0) << c.name;
            for (unsigned char ch : c.name) ASSERT_GE(ch, 0x20) << c.name;
        }
    }
    EXPECT_GT(cityTotal, 44000u);
    EXPECT_EQ(total, cityTotal);
    // The reader takes a country's last capital as its capital city.
    std::string lastCapital;
    for (const City& c : cities["France"])
        if (c.cityClass == 0) lastCapital = c.name;
    EXPECT_EQ(lastCapital, "Paris");
    ASSERT_TRUE(city("Japan", "Tokyo"));
    EXPECT_EQ(city("Japan", "Tokyo")->cityClass, 0);
    ASSERT_TRUE(city("Brazil", "S\xE3o Paulo"));
    EXPECT_NEAR(city("Brazil", "S\xE3o Paulo")->altitude, 780, 150);
    EXPECT_TRUE(city("Switzerland", "Z\xFCrich"));
    EXPECT_TRUE(city("Poland", "Lodz"));
}

TEST_F(GeographyData, BoundariesFitTheirBuffersAndZonesListOnlyCountryLines) {
    std::map<int, size_t> vertices;
    for (size_t i = 0; i < lines.size(); ++i) vertices[classes[i]] += lines[i].size();
    for (const auto& [cls, n] : vertices) {
        EXPECT_TRUE(cls == 0 || cls == 2 || cls == 3 || cls == 7) << cls;
        EXPECT_LT(n, 65536u) << "class " << cls;
    }
    EXPECT_GT(vertices[2], 10000u);
    EXPECT_GT(vertices[7], 10000u);
    for (size_t i = 0; i < zoneText.size(); ++i) {
        if (zoneText[i] == '\n') {
            ASSERT_EQ(zoneText[i - 1], '\r') << "at " << i;
        }
    }
    EXPECT_GT(zoneList.size(), 230u);
    size_t unknown = 0;
    for (const Zone& z : zoneList) {
        unknown += countries.count(lower(z.name)) == 0;
        for (const auto& region : z.regions)
            for (int i : region) {
                ASSERT_TRUE(i < 5000 && size_t(i) < lines.size()) << z.name;
                ASSERT_NE(classes[size_t(i)], 7) << z.name;
            }
    }
    EXPECT_LE(unknown, 2u);  // a disputed patch has no Factbook entry
}

TEST_F(GeographyData, ThePointerFindsTheRightCountry) {
    EXPECT_EQ(countryAt(48.86, 2.35), "France");
    EXPECT_EQ(countryAt(-29.31, 27.48), "Lesotho");  // not South Africa around it
    EXPECT_EQ(countryAt(43.94, 12.45), "San Marino");
    EXPECT_EQ(countryAt(66.0, -175.0), "Russia");  // east of the date line
    EXPECT_EQ(countryAt(-85.0, 0.0), "Antarctica");  // south of its coast at the date line
    EXPECT_EQ(countryAt(-89.0, -179.0), "Antarctica");
    EXPECT_EQ(countryAt(31.5, 34.47), "Gaza Strip");
    EXPECT_EQ(countryAt(9.56, 44.06), "Somalia");  // Somaliland
    EXPECT_EQ(countryAt(0.0, -30.0), "");
    EXPECT_EQ(countryAt(-76.0, -170.0), "");  // the Ross Sea
}

}  // namespace
}  // namespace tnx
