#include "factbook.h"

#include <gtest/gtest.h>

namespace tnx::databuilder {
namespace {

TEST(Factbook, ReadsFiguresAsTheFactbookWritesThem) {
    EXPECT_DOUBLE_EQ(Factbook::figure("8,665,550 (July 2015 est.)"), 8665550);
    EXPECT_DOUBLE_EQ(Factbook::figure("1.284 million sq km"), 1284000);
    EXPECT_DOUBLE_EQ(Factbook::figure("510.072 million sq km"), 510072000);
    EXPECT_DOUBLE_EQ(Factbook::figure("0.44 sq km"), 0.44);
    EXPECT_DOUBLE_EQ(Factbook::figure("less than 3 sq km"), 3);
    EXPECT_DOUBLE_EQ(Factbook::figure("approximately 15,700 live on the bases"), 15700);
    EXPECT_DOUBLE_EQ(Factbook::figure("uninhabited"), 0);
    EXPECT_DOUBLE_EQ(Factbook::figure("NA"), 0);
    // A comma not followed by a digit ends the number.
    EXPECT_DOUBLE_EQ(Factbook::figure("83,871 sq km, of which"), 83871);
}

TEST(Factbook, ReadsCoordinatesAndCapitals) {
    double lat = 0, lon = 0;
    ASSERT_TRUE(Factbook::coordinates("47 20 N, 13 20 E", lat, lon));
    EXPECT_NEAR(lat, 47.3333, 1e-4);
    EXPECT_NEAR(lon, 13.3333, 1e-4);
    ASSERT_TRUE(Factbook::coordinates("12 30 S, 170 00 W; note", lat, lon));
    EXPECT_NEAR(lat, -12.5, 1e-9);
    EXPECT_NEAR(lon, -170, 1e-9);
    EXPECT_FALSE(Factbook::coordinates("None", lat, lon));

    EXPECT_EQ(Factbook::capital("Porto-Novo (official capital); note - Cotonou is the seat"), "Porto-Novo");
    EXPECT_EQ(Factbook::capital("Jerusalem: note - Israel proclaimed"), "Jerusalem");
    EXPECT_EQ(Factbook::capital("Washington, DC"), "Washington, DC");
    EXPECT_EQ(Factbook::capital("None"), "");
}

TEST(Factbook, TakesTheMetropolitanPositionAndEveryNameForm) {
    const char* json = R"json({
      "Introduction": {"Background": {"text": " Old. "}},
      "Economy": {"Economy - overview": {"text": "Rich."}},
      "People and Society": {"Population": {"text": "66,553,766"}},
      "Geography": {"Area": {"total": {"text": "643,801 sq km; 551,500 sq km (metropolitan France)"},
                             "land": {"text": "640,427 sq km"}},
                    "Geographic coordinates": {"French Guiana": {"text": "4 00 N, 53 00 W"},
                                               "metropolitan France": {"text": "46 00 N, 2 00 E"}}},
      "Government": {"Country name": {"conventional long form": {"text": "French Republic"},
                                      "conventional short form": {"text": "France"},
                                      "Dutch short form": {"text": "Frankrijk"},
                                      "local short form": {"text": "none"}},
                     "Capital": {"name": {"text": "Paris"}}}})json";
    const auto e = Factbook::entryOf(json, "fr");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->name, "France");
    EXPECT_EQ(e->names, (std::vector<std::string>{"France", "Frankrijk", "French Republic"}));
    EXPECT_DOUBLE_EQ(e->population, 66553766);
    EXPECT_DOUBLE_EQ(e->areaTotal, 643801);
    EXPECT_DOUBLE_EQ(e->areaLand, 640427);
    ASSERT_TRUE(e->hasPosition);
    EXPECT_DOUBLE_EQ(e->latitude, 46);
    EXPECT_DOUBLE_EQ(e->longitude, 2);
    EXPECT_EQ(e->capital, "Paris");
    EXPECT_EQ(e->background, "Old.");
    EXPECT_FALSE(Factbook::entryOf("[1, 2]", "xx"));
}

}  // namespace
}  // namespace tnx::databuilder
