// What a list display reads from the table it shows: rows in sorted order,
// typed cells, the mapping between sorted positions and the rows' own
// numbers, and sorting. The browser table and the text panels' lines are
// list sources.
#pragma once

#include <cstdint>
#include <string_view>

namespace tnx::hud {

// Column types of list sources.
enum ColumnType : int32_t {
    kColumnUnsigned = 1,  // integer, compared as unsigned
    kColumnReal = 2,      // real with decimals
    kColumnSigned = 3,    // integer
    kColumnText = 4,
    kColumnWhole = 5,     // real shown without decimals
    kColumnAltitude = 6,  // metres, shown in metres or feet
};

// Sort directions; 0 asks for the opposite of the current one.
enum SortDirection : int32_t { kSortToggle = 0, kSortAscending = 1, kSortDescending = 2 };

class ListSource {
public:
    virtual ~ListSource() = default;
    virtual int rowCount() const = 0;
    virtual int columnCount() const = 0;
    virtual int columnType(int column) const = 0;
    // Cells by sorted position; out of range gives 0 or an empty text.
    virtual int32_t intAt(int position, int column) const = 0;
    virtual float realAt(int position, int column) const = 0;
    virtual std::string_view textAt(int position, int column) const = 0;
    // A row's mark (0 for none): marked rows are shown apart from the others.
    virtual uint8_t markAt(int /*position*/) const { return 0; }
    // Altitudes in metres (true) or feet.
    virtual bool metric() const { return true; }
    // Data row at a sorted position, -1 when out of range; and back.
    virtual int rowOfPosition(int position) const = 0;
    virtual int positionOfRow(int row) const = 0;
    virtual void sort(int /*column*/, int /*direction*/) {}
    // Changes whenever rows are rebuilt or reordered.
    virtual uint32_t version() const { return 0; }
};

}  // namespace tnx::hud
