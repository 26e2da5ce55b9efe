// The zone tree of "CARTE.ZONES": country blocks, each a list of regions
// outlined by polylines of the boundary store, with a 32 x 16 grid over the
// world that lists the blocks whose boxes touch each cell. It answers which
// country lies under a point and gives the selected country's outline.
//
// CARTE.ZONES is text of CR LF lines. A block is a header line (a digit
// marker, an optional space, the country's name), then regions up to a line
// beginning with "E". A region is an optional name line (not beginning with
// a digit; its first character is dropped) and lines of polyline indices:
// decimal numbers separated by anything else. Inside an index list, lines
// that begin with a non-digit or with "0 +" are skipped; a line ending in a
// space continues onto a following digit line, and a following line
// beginning with "X" is skipped and continues the list. Indices of 5000 or
// more are dropped. A block after the first starts on the line after the
// previous end line, and only when that line begins with a digit.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "geodata/zone_node.h"

namespace tnx::geodata {

class BoundaryStore;
class CountryTable;

class ZoneTree {
public:
    static constexpr const char* kFileName = "pack\\CARTE.ZONES";
    static constexpr int kColumns = 32;
    static constexpr int kRows = 16;
    static constexpr int32_t kIndexLimit = 5000;  // polylines a zone can name

    ZoneTree();

    // Reads the file from the data files; false (and no blocks) when absent.
    // The store must outlive the tree.
    bool loadFile(CountryTable& countries, const BoundaryStore& store, std::string_view name = kFileName);
    // Parses the text, links every block with its country (adding unknown
    // names), computes the boxes and builds the grid.
    void load(std::span<const uint8_t> text, CountryTable& countries, const BoundaryStore& store);

    // The block holding a point in hundredths of a degree (latitude
    // north-positive), or null; `country` receives its country index (0 for
    // none).
    const ZoneNode* hitTest(int longitude, int latitude, int* country = nullptr) const;
    // The same for radians.
    const ZoneNode* hitTestRadians(float longitude, float latitude, int* country = nullptr) const;
    // Radians to the tree's units, truncated towards zero.
    static int toHundredths(float radians);

    int blockCount() const { return int(root_.children.size()) - 1; }
    // Block at position 1 .. blockCount(), or null.
    const ZoneNode* block(int position) const;
    const ZoneNode& root() const { return root_; }
    // Block positions listed in a grid cell, in trial order.
    const std::vector<int>& cellBlocks(int column, int row) const { return grid_[size_t(row * kColumns + column)]; }

private:
    void computeBoxes(const BoundaryStore& store);
    void buildGrid();

    ZoneNode root_;
    const BoundaryStore* store_ = nullptr;
    int columnWidth_ = 1, rowHeight_ = 1;
    std::vector<std::vector<int>> grid_;
};

}  // namespace tnx::geodata
