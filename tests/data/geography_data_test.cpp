// The built geography in pack.dat (TERRANOX_APP_DIR, made by
// scripts/build-data.sh): country.bin, site.bin, CARTE.BIN2 and CARTE.ZONES
// agree on country names, stay within what their readers can take, and
// place a few well-known things where they are.
#include "databuilder/zone_ray.h"
#include "geodata/pack_archive.h"
#include "platform/io/byte_io.h"
#include "support/test_home.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
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

struct Country {
    std::string capital;
    float population = 0, areaTotal = 0, latitude = 0, longitude = 0;
};
struct City {
    std::string name;
    int cityClass = 0;
    double latitude = 0, longitude = 0;  // degrees
    int altitude = 0;
    int population = 0;
};
struct Zone {
    std::string name;
    std::vector<std::vector<int>> regions;
};
struct Polyline {
    int boundaryClass = 0;
    test::RayLine points;
};

class GeographyData : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        test::TestHome home;
        geodata::PackArchive archive;
        const char* dir = std::getenv("TERRANOX_APP_DIR");
        ASSERT_GT(archive.open(std::filesystem::path(dir ? dir : "build/app") / "pack.dat"), 0)
            << "no pack.dat (run scripts/build-data.sh)";
        const auto read = [&](const char* name) {
            std::vector<uint8_t> buffer;
            size_t length = 0;
            if (archive.readFile(name, buffer, length) != geodata::PackArchive::kFromArchive) return buffer;
            buffer.resize(length);
            return buffer;
        };
        countries_ = new std::map<std::string, Country>;
        const auto countryBin = read("pack\\country.bin");
        io::ByteReader c(countryBin);
        for (uint32_t n = c.u32(), i = 0; i < n && c.ok(); ++i) {
            const std::string name = c.cstring();
            Country& k = (*countries_)[lower(name)];
            k.capital = c.cstring();
            c.cstring();
            c.cstring();
            k.population = c.f32(), k.areaTotal = c.f32(), c.f32();
            k.latitude = c.f32(), k.longitude = c.f32();
        }
        countriesRead_ = c.ok() && c.remaining() == 0;

        cities_ = new std::map<std::string, std::vector<City>>;
        const auto siteBin = read("pack\\site.bin");
        io::ByteReader s(siteBin);
        s.u32();
        cityTotal_ = s.u32();
        while (s.ok() && s.has(1) && *s.cursor() != 0) {
            auto& group = (*cities_)[s.cstring()];
            for (uint32_t n = s.u32(), i = 0; i < n && s.ok(); ++i) {
                City city;
                city.name = s.cstring();
                city.cityClass = s.u8();
                city.latitude = int16_t(s.u16()) * 180.0 / 30000.0;
                city.longitude = int16_t(s.u16()) * 180.0 / 30000.0;
                city.altitude = int16_t(s.u16());
                city.population = s.i32();
                group.push_back(city);
            }
        }
        citiesRead_ = s.ok() && s.remaining() == 1;

        polylines_ = new std::vector<Polyline>;
        const auto carte = read("pack\\CARTE.BIN2");
        io::ByteReader b(carte);
        while (b.ok() && b.remaining() > 4) {
            Polyline p;
            const int n = int16_t(b.u16());
            p.boundaryClass = int16_t(b.u16()) / 1000;
            for (int k = 0; k < n && b.ok(); ++k) {
                const int x = int16_t(b.u16());
                p.points.push_back({x, int16_t(b.u16())});
            }
            polylines_->push_back(std::move(p));
        }
        polylinesRead_ = b.ok() && b.remaining() == 0;

        const auto zones = read("pack\\CARTE.ZONES");
        zoneText_ = new std::string(zones.begin(), zones.end());
    }
    static void TearDownTestSuite() {
        delete countries_;
        delete cities_;
        delete polylines_;
        delete zoneText_;
    }

    // The zone text as this data writes it: "1 name", index lines (ended by
    // a space when the list goes on), "E".
    static std::vector<Zone> zones() {
        std::vector<Zone> out;
        std::vector<std::string> lines;
        for (size_t at = 0; at < zoneText_->size();) {
            const size_t end = zoneText_->find("\r\n", at);
            if (end == std::string::npos) break;
            lines.push_back(zoneText_->substr(at, end - at));
            at = end + 2;
        }
        std::vector<int> list;
        for (const std::string& line : lines) {
            if (line.rfind("1 ", 0) == 0 && (out.empty() || line.find_first_not_of("0123456789 ") != std::string::npos)) {
                out.push_back({line.substr(2), {}});
            } else if (line == "E") {
                continue;
            } else if (!out.empty()) {
                for (size_t i = 0; i < line.size();) {
                    size_t used = 0;
                    list.push_back(std::stoi(line.substr(i), &used));
                    i += used;
                    while (i < line.size() && line[i] == ' ') ++i;
                }
                if (line.back() != ' ') out.back().regions.push_back(std::move(list)), list.clear();
            }
        }
        return out;
    }

    static std::string countryAt(const std::vector<Zone>& all, double lat, double lon) {
        std::vector<test::RayLine> lines;
        for (const Polyline& p : *polylines_) lines.push_back(p.points);
        for (const Zone& z : all)
            for (const auto& region : z.regions)
                if (test::zoneContains(lines, region, int(lon * 100), int(-lat * 100))) return z.name;
        return "";
    }

    static const City* city(const std::string& country, const std::string& name) {
        for (const City& c : (*cities_)[country])
            if (c.name == name) return &c;
        return nullptr;
    }

    static inline std::map<std::string, Country>* countries_ = nullptr;
    static inline std::map<std::string, std::vector<City>>* cities_ = nullptr;
    static inline std::vector<Polyline>* polylines_ = nullptr;
    static inline std::string* zoneText_ = nullptr;
    static inline bool countriesRead_ = false, citiesRead_ = false, polylinesRead_ = false;
    static inline uint32_t cityTotal_ = 0;
};

TEST_F(GeographyData, CountriesHoldTheFactbookFigures) {
    ASSERT_TRUE(countriesRead_);
    EXPECT_GT(countries_->size(), 250u);
    const Country& world = (*countries_)["world"];
    EXPECT_GT(world.population, 7e9f);
    const Country& france = (*countries_)["france"];
    EXPECT_EQ(france.capital, "Paris");
    EXPECT_NEAR(france.population, 66.5e6, 1e6);
    EXPECT_NEAR(france.areaTotal, 643801, 1);  // square kilometres
    EXPECT_NEAR(france.latitude * 57.29578, 46, 0.01);
    EXPECT_NEAR(france.longitude * 57.29578, 2, 0.01);
}

TEST_F(GeographyData, CitiesAreGroupedUnderTheCountriesNames) {
    ASSERT_TRUE(citiesRead_);
    EXPECT_GT(cityTotal_, 44000u);
    size_t total = 0;
    for (const auto& [country, list] : *cities_) {
        EXPECT_TRUE(countries_->count(lower(country))) << country;
        total += list.size();
        for (const City& c : list) {
            EXPECT_GE(c.altitude, 0) << c.name;
            for (unsigned char ch : c.name) ASSERT_GE(ch, 0x20) << c.name;
        }
    }
    EXPECT_EQ(total, cityTotal_);

    // The reader takes a country's last capital as its capital city.
    const auto& france = (*cities_)["France"];
    const City* lastCapital = nullptr;
    for (const City& c : france)
        if (c.cityClass == 0) lastCapital = &c;
    ASSERT_TRUE(lastCapital);
    EXPECT_EQ(lastCapital->name, "Paris");

    const City* tokyo = city("Japan", "Tokyo");
    ASSERT_TRUE(tokyo);
    EXPECT_EQ(tokyo->cityClass, 0);
    EXPECT_NEAR(tokyo->latitude, 35.69, 0.01);
    EXPECT_GT(tokyo->population, 30000000);
    const City* saoPaulo = city("Brazil", "S\xE3o Paulo");
    ASSERT_TRUE(saoPaulo);
    EXPECT_EQ(saoPaulo->cityClass, 1);
    EXPECT_NEAR(saoPaulo->altitude, 780, 150);
    EXPECT_TRUE(city("Switzerland", "Z\xFCrich"));
    EXPECT_TRUE(city("Poland", "Lodz"));
}

TEST_F(GeographyData, BoundaryClassesFitTheirVertexBuffers) {
    ASSERT_TRUE(polylinesRead_);
    std::map<int, size_t> vertices;
    for (const Polyline& p : *polylines_) vertices[p.boundaryClass] += p.points.size();
    for (const auto& [cls, n] : vertices) {
        EXPECT_TRUE(cls == 0 || cls == 2 || cls == 3 || cls == 7) << cls;
        EXPECT_LT(n, 65536u) << "class " << cls;
    }
    EXPECT_GT(vertices[2], 10000u);
    EXPECT_GT(vertices[7], 10000u);
}

TEST_F(GeographyData, ZonesNameCountriesAndListOnlyCountryLines) {
    ASSERT_TRUE(polylinesRead_);
    ASSERT_EQ(zoneText_->find('\n'), zoneText_->find("\r\n") + 1);
    for (size_t i = 0; i < zoneText_->size(); ++i)
        if ((*zoneText_)[i] == '\n') ASSERT_EQ((*zoneText_)[i - 1], '\r') << "at " << i;
    const auto all = zones();
    EXPECT_GT(all.size(), 230u);
    size_t known = 0;
    for (const Zone& z : all) {
        known += countries_->count(lower(z.name));
        EXPECT_FALSE(z.regions.empty()) << z.name;
        for (const auto& region : z.regions)
            for (int i : region) {
                ASSERT_LT(i, 5000) << z.name;
                ASSERT_LT(size_t(i), polylines_->size()) << z.name;
                ASSERT_NE((*polylines_)[size_t(i)].boundaryClass, 7) << z.name;
            }
    }
    EXPECT_GE(known + 2, all.size());  // a disputed patch or two has no Factbook entry
}

TEST_F(GeographyData, ThePointerFindsTheRightCountry) {
    const auto all = zones();
    EXPECT_EQ(countryAt(all, 48.86, 2.35), "France");
    EXPECT_EQ(countryAt(all, -29.31, 27.48), "Lesotho");  // not South Africa around it
    EXPECT_EQ(countryAt(all, 43.94, 12.45), "San Marino");
    EXPECT_EQ(countryAt(all, 66.0, -175.0), "Russia");     // east of the date line
    EXPECT_EQ(countryAt(all, 55.75, 37.6), "Russia");
    EXPECT_EQ(countryAt(all, -85.0, 0.0), "Antarctica");  // south of the coast at the date line
    EXPECT_EQ(countryAt(all, -89.0, -179.0), "Antarctica");
    EXPECT_EQ(countryAt(all, -80.0, 100.0), "Antarctica");
    EXPECT_EQ(countryAt(all, 31.5, 34.47), "Gaza Strip");
    EXPECT_EQ(countryAt(all, 9.56, 44.06), "Somalia");
    EXPECT_EQ(countryAt(all, 0.0, -30.0), "");
    EXPECT_EQ(countryAt(all, -76.0, -170.0), "");  // the Ross Sea
}

}  // namespace
}  // namespace tnx
