// The zone tree: the CARTE.ZONES grammar with its odd lines, the linking
// with the country table, the grid, and hit tests.
#include "geodata/zone_tree.h"

#include <gtest/gtest.h>

#include "geodata/boundary_store.h"
#include "geodata/country_table.h"
#include "geodata/geo_files.h"
#include "platform/gfx/recording_device.h"

namespace tnx::geodata {
namespace {

using test::bytesOf;
using test::ring;

class ZoneTreeTest : public ::testing::Test {
protected:
    void load(const std::string& text, const std::vector<test::Polyline>& lines = {}) {
        store_.load(test::boundaryFile(lines), {});
        tree_.load(bytesOf(text), countries_, store_);
    }
    std::vector<int32_t> regionIndices(int block, size_t region) const {
        return tree_.block(block)->children.at(region).indices;
    }

    CountryTable countries_;
    BoundaryStore store_;
    ZoneTree tree_;
};

TEST_F(ZoneTreeTest, IndexListsSkipOddLinesAndFollowContinuations) {
    load("1 France\r\n"
         " mainland\r\n"
         "0 + 7 8\r\n"          // skipped
         "0 1 \r\n"             // ends in a space: the next digit line goes on
         "2\r\n"
         "X anything 3\r\n"     // skipped, and the list goes on
         "#note 9\r\n"          // a non-digit line inside a list: skipped
         "4,5000;123456789012345678901234567890 6\r\n"
         "E\r\n"
         "2 Canada\r\n"
         "5 \r\n"               // trailing space, but the next line is a name
         " islands\r\n"
         "6\r\n"
         "7\r\n"                // a new region without a name
         "E rest ignored\r\n"
         "not a block\r\n"
         "3 Never\r\n8\r\nE\r\n");
    ASSERT_EQ(tree_.blockCount(), 2);
    const ZoneNode* france = tree_.block(1);
    EXPECT_EQ(france->name, "France");
    ASSERT_EQ(france->children.size(), 1u);
    EXPECT_EQ(france->children[0].name, "mainland");
    EXPECT_EQ(regionIndices(1, 0), (std::vector<int32_t>{0, 1, 2, 4, 6}));
    const ZoneNode* canada = tree_.block(2);
    ASSERT_EQ(canada->children.size(), 3u);
    EXPECT_EQ(regionIndices(2, 0), std::vector<int32_t>{5});
    EXPECT_EQ(canada->children[1].name, "islands");
    EXPECT_EQ(regionIndices(2, 1), std::vector<int32_t>{6});
    EXPECT_EQ(canada->children[2].name, "");
    EXPECT_EQ(regionIndices(2, 2), std::vector<int32_t>{7});
    EXPECT_EQ(countries_.find("Never"), 0);
}

TEST_F(ZoneTreeTest, TextEndingWithoutEndLineOrLineBreakStopsAtItsEnd) {
    load("1Fiji\n10 11 \n12");
    ASSERT_EQ(tree_.blockCount(), 1);
    EXPECT_EQ(tree_.block(1)->name, "Fiji");
    EXPECT_EQ(regionIndices(1, 0), (std::vector<int32_t>{10, 11, 12}));
    load("1 Tonga\r\n 5000 9999\r\n");  // a name and no index below 5000
    ASSERT_EQ(tree_.blockCount(), 1);
    EXPECT_TRUE(tree_.block(1)->children.empty());
    load("");
    EXPECT_EQ(tree_.blockCount(), 0);
    EXPECT_EQ(tree_.hitTest(0, 0), nullptr);
}

// An empty line where a region's name would stand (found by fuzzing: it
// threw out of the parser) starts a region without a name.
TEST_F(ZoneTreeTest, AnEmptyLineInsideABlockIsARegionWithoutName) {
    load("1 Peru\r\n\r\n8\r\n\nE\r\n1 Chile\r\n9\r\nE\r\n");
    ASSERT_EQ(tree_.blockCount(), 2);
    ASSERT_EQ(tree_.block(1)->children.size(), 1u);
    EXPECT_EQ(tree_.block(1)->children[0].name, "");
    EXPECT_EQ(regionIndices(1, 0), std::vector<int32_t>{8});
    EXPECT_EQ(regionIndices(2, 0), std::vector<int32_t>{9});
}

TEST_F(ZoneTreeTest, AFirstHeaderWithoutDigitHasNoRegions) {
    load("Header\r\n12\r\nE\r\n1 Chile\r\n13\r\nE\r\n");
    ASSERT_EQ(tree_.blockCount(), 2);
    EXPECT_TRUE(tree_.block(1)->children.empty());
    EXPECT_EQ(tree_.block(2)->name, "Chile");
    EXPECT_EQ(regionIndices(2, 0), std::vector<int32_t>{13});
}

TEST_F(ZoneTreeTest, BlocksLinkToCountriesAddingUnknownOnes) {
    countries_.load(test::countryFile({{"Serbia and Montenegro", "Belgrade"}, {"CHILE", "Santiago"}}));
    load("1 chile\r\n0\r\nE\r\n1 Yugoslavia\r\n0\r\nE\r\n");
    EXPECT_EQ(tree_.block(1)->country, 2);
    EXPECT_EQ(countries_.get(2)->zone, 1);
    int yugoslavia = countries_.find("yugoslavia");
    ASSERT_EQ(yugoslavia, 3);  // created with zero figures
    EXPECT_EQ(countries_.get(yugoslavia)->capitalText(), " ");
    EXPECT_EQ(countries_.get(yugoslavia)->zone, 2);
    // Serbia and Montenegro is outlined with Yugoslavia's block.
    EXPECT_EQ(countries_.get(1)->zone, 2);
}

TEST_F(ZoneTreeTest, TheUnitedStatesAreTriedBeforeCanadaWhereBothTouchACell) {
    countries_.load(test::countryFile({{"Canada"}, {"United States"}}));
    // Overlapping rings: 0 around -100..-90 W, 40..50 N; 1 slightly larger.
    load("1 CANADA\r\n0\r\nE\r\n1 united states\r\n1\r\nE\r\n",
         {ring(-10000, -5000, -9000, -4000), ring(-10100, -5100, -8900, -3900)});
    EXPECT_EQ(tree_.block(1)->name, "united states");
    EXPECT_EQ(tree_.block(2)->name, "CANADA");
    EXPECT_EQ(countries_.get(countries_.find("united states"))->zone, 1);
    EXPECT_EQ(countries_.get(countries_.find("canada"))->zone, 2);
    int country = 0;
    const ZoneNode* hit = tree_.hitTest(-9500, 4500, &country);
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->name, "united states");
    EXPECT_EQ(country, countries_.find("United States"));
    // Only one of them: no exchange.
    CountryTable other;
    BoundaryStore store;
    ZoneTree tree;
    tree.load(bytesOf("1 Canada\r\n0\r\nE\r\n1 Mexico\r\n0\r\nE\r\n"), other, store);
    EXPECT_EQ(tree.block(1)->name, "Canada");
}

TEST_F(ZoneTreeTest, BoxesAndGridCellsUseClosedRanges) {
    // Region box: longitude -16875 .. -16000, latitude 0 .. 500: it touches
    // column 0's eastern edge and row 7's northern edge.
    load("1 A\r\n0\r\nE\r\n1 B\r\n99\r\nE\r\n", {ring(-16875, -500, -16000, 0)});
    const ZoneNode* a = tree_.block(1);
    EXPECT_EQ(a->children[0].box, (ZoneBox{-16875, -16000, 0, 500}));
    EXPECT_EQ(a->box, a->children[0].box);
    // Index 99 is beyond the store: an empty box no point falls into.
    EXPECT_EQ(tree_.block(2)->children[0].box, (ZoneBox{18000, -18000, 9000, -9000}));
    for (int row : {7, 8})
        for (int column : {0, 1}) EXPECT_EQ(tree_.cellBlocks(column, row), std::vector<int>{1}) << column << row;
    EXPECT_TRUE(tree_.cellBlocks(2, 8).empty());
    EXPECT_TRUE(tree_.cellBlocks(0, 9).empty());
    // Strictly inside the box and the ring.
    EXPECT_NE(tree_.hitTest(-16500, 250), nullptr);
    EXPECT_EQ(tree_.hitTest(-16875, 250), nullptr);
    EXPECT_EQ(tree_.hitTest(-16500, 0), nullptr);
    EXPECT_EQ(ZoneTree::toHundredths(-0.5f), -2864);  // truncated towards zero
    EXPECT_NE(tree_.hitTestRadians(-16500 / 5729.578f, 250 / 5729.578f), nullptr);
}

TEST_F(ZoneTreeTest, ACountrySpanningTheAntimeridianIsFoundOnBothSides) {
    countries_.load(test::countryFile({{"Fiji"}}));
    // Outlines left open along the cut, one region each side.
    load("1 Fiji\r\n east\r\n0\r\n west\r\n1\r\nE\r\n",
         {{2, {{18000, 1600}, {17800, 1700}, {18000, 1800}}}, {2, {{-18000, 1600}, {-17800, 1700}, {-18000, 1800}}}});
    int country = 0;
    EXPECT_NE(tree_.hitTest(17950, -1720, &country), nullptr);
    EXPECT_EQ(country, 1);
    EXPECT_NE(tree_.hitTest(-17950, -1720, &country), nullptr);
    EXPECT_EQ(country, 1);
    EXPECT_EQ(tree_.hitTest(17850, -1620, &country), nullptr);
    EXPECT_EQ(country, 0);
    // Beyond the world the cells clamp to the edge.
    EXPECT_EQ(tree_.hitTest(25000, -1720), nullptr);
}

TEST_F(ZoneTreeTest, OutlinesDrawEveryRegionsPolylines) {
    load("1 A\r\n0 1\r\n 2\r\n2 7\r\nE\r\n", {ring(0, 0, 10, 10), ring(20, 20, 30, 30), ring(40, 40, 50, 50)});
    gfx::RecordingDevice device;
    tree_.block(1)->drawOutline(device, store_);
    ASSERT_EQ(device.draws().size(), 3u);  // 7 is not in the store
    for (const auto& d : device.draws()) EXPECT_EQ(d.primitiveCount, 4u);
}

}  // namespace
}  // namespace tnx::geodata
