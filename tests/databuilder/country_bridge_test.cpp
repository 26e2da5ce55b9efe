#include "country_bridge.h"

#include "platform/io/file_io.h"
#include "support/test_home.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tnx::databuilder {
namespace {

// A Factbook folder with a few entities, and a country list for them.
class Bridge : public ::testing::Test {
protected:
    void entity(const std::string& code, const std::string& shortForm, const std::string& longForm,
                const std::string& where = "") {
        const std::string json = R"({"Government": {"Country name": {"conventional short form": {"text": ")" +
                                 shortForm + R"("}, "conventional long form": {"text": ")" + longForm +
                                 R"("}}}, "Geography": {"Geographic coordinates": {"text": ")" + where + R"("}}})";
        std::filesystem::create_directories(home.file("fb/region"));
        ASSERT_TRUE(io::writeFileAtomically(home.file("fb/region/" + code + ".json"),
                                            std::vector<uint8_t>(json.begin(), json.end())));
    }
    void SetUp() override {
        entity("bm", "Burma", "Union of Burma");
        entity("fr", "France", "French Republic", "46 00 N, 2 00 E");
        entity("sv", "Svalbard (sometimes Spitsbergen)", "none", "78 00 N, 20 00 E");
        entity("jn", "Jan Mayen", "none", "71 00 N, 8 00 W");
        entity("pf", "Paracel Islands", "none");
        entity("vi", "British Virgin Islands", "none");
        entity("vq", "Virgin Islands", "United States Virgin Islands");
        entity("xx", "none", "none");
        std::string error;
        ASSERT_TRUE(factbook.load(home.file("fb"), error)) << error;
        const std::string list = R"([
          {"cca2": "MM", "cca3": "MMR", "ccn3": "104", "name": {"common": "Myanmar", "official": "Republic of the Union of Myanmar"}, "altSpellings": ["MM", "Burma"]},
          {"cca2": "FR", "cca3": "FRA", "ccn3": "250", "name": {"common": "France", "official": "French Republic"}, "altSpellings": []},
          {"cca2": "RE", "cca3": "REU", "ccn3": "638", "name": {"common": "Réunion", "official": "Réunion Island"}, "altSpellings": []},
          {"cca2": "SJ", "cca3": "SJM", "ccn3": "744", "name": {"common": "Svalbard and Jan Mayen", "official": "Svalbard og Jan Mayen"}, "altSpellings": []},
          {"cca2": "VG", "cca3": "VGB", "ccn3": "092", "name": {"common": "British Virgin Islands", "official": "Virgin Islands"}, "altSpellings": []},
          {"cca2": "VI", "cca3": "VIR", "ccn3": "850", "name": {"common": "United States Virgin Islands", "official": "Virgin Islands of the United States"}, "altSpellings": []}])";
        ASSERT_TRUE(bridge.load(std::vector<uint8_t>(list.begin(), list.end()), factbook, error)) << error;
    }

    test::TestHome home;
    Factbook factbook;
    CountryBridge bridge;
};

TEST_F(Bridge, NamesAnEntityAloneOnItsCodeByTheListsCommonName) {
    EXPECT_EQ(bridge.resolve("104", "Burma", 0, 0).name, "Myanmar");
    EXPECT_EQ(bridge.resolve("MMR", "", 0, 0).name, "Myanmar");
    // A region the Factbook counts as part of France.
    EXPECT_EQ(bridge.resolve("REU", "Reunion", -21, 55).name, "France");
    // The official "Virgin Islands" is the British ones', but the long form
    // names the American ones by their common name.
    EXPECT_EQ(bridge.resolve("850", "U.S. Virgin Islands", 18, -65).name, "United States Virgin Islands");
    EXPECT_EQ(bridge.resolve("092", "", 18, -65).name, "British Virgin Islands");
}

TEST_F(Bridge, SendsAPlaceOnASharedCodeToTheNearestEntity) {
    EXPECT_EQ(bridge.resolve("SJM", "", 78.2, 15.6).name, "Svalbard");
    EXPECT_EQ(bridge.resolve("SJM", "", 70.9, -8.7).name, "Jan Mayen");
}

TEST_F(Bridge, FallsBackToNamesThenToTheGivenName) {
    const auto paracel = bridge.resolve("", "Paracel Islands", 16, 112);
    EXPECT_EQ(paracel.name, "Paracel Islands");
    EXPECT_GE(paracel.entry, 0);
    const auto unknown = bridge.resolve("", "Siachen Glacier", 35, 77);
    EXPECT_EQ(unknown.name, "Siachen Glacier");
    EXPECT_EQ(unknown.entry, -1);
    EXPECT_EQ(CountryBridge::normalised("The Saint-Barthélemy (FR) & Co."), "st barthelemy and co");
}

}  // namespace
}  // namespace tnx::databuilder
