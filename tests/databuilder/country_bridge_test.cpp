#include "country_bridge.h"

#include "geography_sources.h"
#include "support/test_home.h"

#include <gtest/gtest.h>

namespace tnx::databuilder {
namespace {

TEST(CountryBridge, TiesFactbookEntitiesToCodesAndPlacesToEntities) {
    test::TestHome home;
    const auto entity = [&](const std::string& code, const std::string& shortForm, const std::string& longForm,
                            const std::string& where) {
        test::writeText(home.file("fb/r/" + code + ".json"),
                        R"({"Government": {"Country name": {"conventional short form": {"text": ")" + shortForm +
                            R"("}, "conventional long form": {"text": ")" + longForm +
                            R"("}}}, "Geography": {"Geographic coordinates": {"text": ")" + where + R"("}}})");
    };
    entity("bm", "Burma", "Union of Burma", "");
    entity("fr", "France", "French Republic", "46 00 N, 2 00 E");
    entity("sv", "Svalbard (sometimes Spitsbergen)", "none", "78 00 N, 20 00 E");
    entity("jn", "Jan Mayen", "none", "71 00 N, 8 00 W");
    entity("vq", "Virgin Islands", "United States Virgin Islands", "");
    entity("xx", "none", "none", "");
    Factbook factbook;
    std::string error;
    ASSERT_TRUE(factbook.load(home.file("fb"), error)) << error;
    const std::string list = R"([
      {"cca2": "MM", "cca3": "MMR", "ccn3": "104", "name": {"common": "Myanmar"}, "altSpellings": ["MM", "Burma"]},
      {"cca2": "FR", "cca3": "FRA", "ccn3": "250", "name": {"common": "France"}},
      {"cca2": "RE", "cca3": "REU", "ccn3": "638", "name": {"common": "Réunion"}},
      {"cca2": "SJ", "cca3": "SJM", "ccn3": "744", "name": {"common": "Svalbard and Jan Mayen"}},
      {"cca2": "VG", "cca3": "VGB", "ccn3": "092", "name": {"common": "British Virgin Islands", "official": "Virgin Islands"}},
      {"cca2": "VI", "cca3": "VIR", "ccn3": "850", "name": {"common": "United States Virgin Islands"}}])";
    CountryBridge bridge;
    ASSERT_TRUE(bridge.load(std::vector<uint8_t>(list.begin(), list.end()), factbook, error)) << error;

    // Alone on its code: the list's common name, by numeric or alpha code.
    EXPECT_EQ(bridge.resolve("104", "Burma", 0, 0).name, "Myanmar");
    EXPECT_EQ(bridge.resolve("MMR", "", 0, 0).name, "Myanmar");
    EXPECT_EQ(bridge.resolve("REU", "Reunion", -21, 55).name, "France");  // counted as part of France
    // The official "Virgin Islands" are the British ones; the long form
    // names the American ones by their common name.
    EXPECT_EQ(bridge.resolve("850", "", 18, -65).name, "United States Virgin Islands");
    // Sharing a code: the nearest entity, under its own name.
    EXPECT_EQ(bridge.resolve("SJM", "", 78.2, 15.6).name, "Svalbard");
    EXPECT_EQ(bridge.resolve("SJM", "", 70.9, -8.7).name, "Jan Mayen");
    // No code: by name, else the name given, matching no entity.
    EXPECT_EQ(bridge.resolve("", "Jan Mayen", 0, 0).name, "Jan Mayen");
    const auto unknown = bridge.resolve("", "Siachen Glacier", 35, 77);
    EXPECT_EQ(unknown.name, "Siachen Glacier");
    EXPECT_EQ(unknown.entry, -1);
    EXPECT_EQ(CountryBridge::normalised("The Saint-Barthélemy (FR) & Co."), "st barthelemy and co");
}

}  // namespace
}  // namespace tnx::databuilder
