#include "factbook.h"

#include <gtest/gtest.h>

namespace tnx::databuilder {
namespace {

TEST(Factbook, ReadsFiguresCoordinatesAndCapitalsAsTheFactbookWritesThem) {
    EXPECT_DOUBLE_EQ(Factbook::figure("8,665,550 (July 2015 est.)"), 8665550);
    EXPECT_DOUBLE_EQ(Factbook::figure("1.284 million sq km"), 1284000);
    EXPECT_DOUBLE_EQ(Factbook::figure("less than 3 sq km"), 3);
    EXPECT_DOUBLE_EQ(Factbook::figure("83,871 sq km, of which"), 83871);
    EXPECT_DOUBLE_EQ(Factbook::figure("uninhabited"), 0);
    double lat = 0, lon = 0;
    ASSERT_TRUE(Factbook::coordinates("12 30 S, 170 00 W; note", lat, lon));
    EXPECT_DOUBLE_EQ(lat, -12.5);
    EXPECT_DOUBLE_EQ(lon, -170);
    EXPECT_FALSE(Factbook::coordinates("None", lat, lon));
    EXPECT_EQ(Factbook::capital("Porto-Novo (official capital); note - Cotonou is the seat"), "Porto-Novo");
    EXPECT_EQ(Factbook::capital("Jerusalem: note - Israel proclaimed"), "Jerusalem");
    EXPECT_EQ(Factbook::capital("Washington, DC"), "Washington, DC");
    EXPECT_EQ(Factbook::capital("None"), "");
}

}  // namespace
}  // namespace tnx::databuilder
