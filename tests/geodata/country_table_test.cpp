// The country table: lookups ignoring case, the reserved record 0, the
// capacity, and country.bin however it is cut.
#include "geodata/country_table.h"

#include <gtest/gtest.h>

#include "geodata/geo_files.h"

namespace tnx::geodata {
namespace {

using test::countryFile;

TEST(CountryTable, LoadsRecordsInOrderWithLatitudeBeforeLongitudeInTheFile) {
    CountryTable t;
    auto file = countryFile({{"France", "Paris", "Background of France", "Economy of France", 6.6e7f, 643801, 640427,
                              0.8f, -1.2f},
                             {"Japan", "Tokyo", "", "", 1.26e8f}});
    EXPECT_EQ(t.load(file), 2);
    ASSERT_EQ(t.count(), 3);
    EXPECT_EQ(t.find("FRANCE"), 1);  // the first loaded country is 1
    const CountryRecord* f = t.get(1);
    EXPECT_EQ(f->capitalText(), "Paris");
    EXPECT_FLOAT_EQ(f->latitude, 0.8f);
    EXPECT_FLOAT_EQ(f->longitude, -1.2f);
    EXPECT_FLOAT_EQ(f->areaLand, 640427);
    EXPECT_EQ(t.background(1), "Background of France");
    EXPECT_EQ(t.overview(1), "Economy of France");
    EXPECT_EQ(t.overview(2), "");
    EXPECT_EQ(t.get(3), nullptr);
    EXPECT_EQ(t.get(-1), nullptr);
    EXPECT_EQ(t.get(0)->nameText(), "");
}

TEST(CountryTable, NamesDifferingInCaseShareOneRecordAndUnknownNamesAreAdded) {
    CountryTable t;
    t.load(countryFile({{"Canada", "Ottawa"}, {"CANADA", "Ottawa again", "", "", 38e6f}}));
    EXPECT_EQ(t.count(), 2);  // the repeat updated record 1
    EXPECT_EQ(t.get(1)->capitalText(), "Ottawa again");
    EXPECT_FLOAT_EQ(t.get(1)->population, 38e6f);
    EXPECT_EQ(t.findOrAdd("canada"), 1);
    int atlantis = t.findOrAdd("Atlantis");
    EXPECT_EQ(atlantis, 2);
    EXPECT_EQ(t.get(atlantis)->capitalText(), " ");
    EXPECT_FLOAT_EQ(t.get(atlantis)->population, 0);
    EXPECT_EQ(t.find("Lemuria"), 0);
    EXPECT_EQ(t.count(), 3);
}

TEST(CountryTable, AFullTableAnswersNoneForNewNames) {
    CountryTable t;
    for (int i = 1; i < CountryTable::kCapacity; ++i) EXPECT_EQ(t.findOrAdd("c" + std::to_string(i)), i);
    EXPECT_EQ(t.findOrAdd("one too many"), 0);
    EXPECT_EQ(t.findOrAdd("c499"), 499);
    EXPECT_EQ(t.count(), CountryTable::kCapacity);
}

TEST(CountryTable, ACutFileKeepsTheWholeRecordsBeforeTheCut) {
    auto file = countryFile({{"A", "a"}, {"B", "b"}, {"C", "c"}});
    // Every cut inside the third record keeps exactly two.
    size_t third = countryFile({{"A", "a"}, {"B", "b"}}).size();
    for (size_t cut = third; cut < file.size(); ++cut) {
        CountryTable t;
        EXPECT_EQ(t.load(std::span(file.data(), cut)), 2) << cut;
        EXPECT_EQ(t.count(), 3);
    }
    // A count larger than the file holds reads what is there.
    CountryTable t;
    EXPECT_EQ(t.load(countryFile({{"A", "a"}}, 1000000)), 1);
    CountryTable empty;
    EXPECT_EQ(empty.load(std::span(file.data(), 3)), 0);
    EXPECT_EQ(empty.count(), 1);
}

TEST(CountryTable, OverlongNamesAreCutToTheField) {
    CountryTable t;
    std::string longName(300, 'x'), longCapital(200, 'y');
    t.load(countryFile({{longName, longCapital}}));
    ASSERT_EQ(t.count(), 2);
    EXPECT_EQ(t.get(1)->nameText().size(), 127u);
    EXPECT_EQ(t.get(1)->capitalText(), std::string(127, 'y'));
    // The same long name finds the record it was cut into.
    EXPECT_EQ(t.find(longName), 1);
    EXPECT_EQ(t.findOrAdd(longName + "z"), 1);
}

TEST(CountryTable, ARecordWithoutANameTouchesNothing) {
    CountryTable t;
    t.load(countryFile({{"", "Nowhere", "", "", 5}}));
    EXPECT_EQ(t.count(), 1);
    EXPECT_EQ(t.get(0)->capitalText(), " ");
    EXPECT_FLOAT_EQ(t.get(0)->population, 0);
}

}  // namespace
}  // namespace tnx::geodata
