// The table behind a city or country browser, shared by its HUD panel and
// its list window. Every row has one 32-bit cell per column: cell 0 is the
// row's data number (its place in building order), cell 1 its current sorted
// position (the "Rank"), the others integers, floats or offsets of texts in
// the table's own text store. Rows are kept in data order and, separately,
// in sorted order; sorting is a stable merge sort, so equal keys keep the
// order they had.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "hud/list_source.h"

namespace tnx::hud {

class BrowserTable : public ListSource {
public:
    static constexpr int kDataNumberColumn = 0;
    static constexpr int kRankColumn = 1;
    static constexpr float kFeetPerMetre = 3.2808f;

    struct Column {
        int type;
        std::string name;
    };

    // Empties the table and gives it its columns (the first two are the data
    // number and the rank, whatever their names).
    void setColumns(std::vector<Column> columns);
    void setColumnName(int column, std::string name);
    // Drops every row; the columns stay. The table is unsorted afterwards.
    void clearRows();
    void reserveRows(int rows);
    // Appends a row in data order; its cells are 0 until set.
    int addRow();
    void setInt(int row, int column, int32_t value);
    void setReal(int row, int column, float value);
    void setText(int row, int column, std::string_view text);
    void setMetric(bool metric) { metric_ = metric; }

    // --- list source ---
    int rowCount() const override { return int(order_.size()); }
    int columnCount() const override { return int(columns_.size()); }
    int columnType(int column) const override;
    int32_t intAt(int position, int column) const override;
    float realAt(int position, int column) const override;
    std::string_view textAt(int position, int column) const override;
    bool metric() const override { return metric_; }
    int rowOfPosition(int position) const override;
    int positionOfRow(int row) const override;
    // Direction 1 ascending, 2 descending, 0 the opposite of the current one
    // (ascending when unsorted or descending). Afterwards every row's rank
    // cell holds its new position.
    void sort(int column, int direction) override;
    uint32_t version() const override { return version_; }

    const std::string& columnName(int column) const;
    // A cell as the list windows show it: "%d" for integers, "%.2f" for
    // reals, "%.0f" for whole reals and altitudes (feet unless metric); empty
    // out of range.
    std::string cellText(int position, int column) const;
    // The first sorted position whose text in `column` is not less than
    // `text`, ignoring ASCII case; the row count when every text is less.
    // Sorts by the column ascending first unless it is already.
    int find(int column, std::string_view text);

    int sortColumn() const { return sortColumn_; }
    int sortDirection() const { return sortDirection_; }

    // Called after every sort and every change of the rows.
    int addObserver(std::function<void()> changed);
    void removeObserver(int id);

    // Byte-wise comparison ignoring ASCII letter case.
    static int compareNoCase(std::string_view a, std::string_view b);

private:
    uint32_t cell(int row, int column) const { return cells_[size_t(row) * columns_.size() + size_t(column)]; }
    uint32_t& cell(int row, int column) { return cells_[size_t(row) * columns_.size() + size_t(column)]; }
    bool validCell(int position, int column) const;
    std::string_view textOf(int row, int column) const;
    void changed();

    std::vector<Column> columns_;
    std::vector<uint32_t> cells_;
    std::vector<int32_t> order_;  // sorted position -> data row
    std::string texts_ = std::string(1, '\0');  // offset 0: the empty text
    int sortColumn_ = -1;
    int sortDirection_ = 0;
    bool metric_ = true;
    uint32_t version_ = 0;
    std::vector<std::pair<int, std::function<void()>>> observers_;
    int nextObserver_ = 1;
};

}  // namespace tnx::hud
