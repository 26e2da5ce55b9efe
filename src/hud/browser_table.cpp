#include "hud/browser_table.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>

namespace tnx::hud {

namespace {
constexpr std::array<uint8_t, 256> kLower = [] {
    std::array<uint8_t, 256> t{};
    for (int i = 0; i < 256; ++i) t[size_t(i)] = uint8_t(i >= 'A' && i <= 'Z' ? i + ('a' - 'A') : i);
    return t;
}();

// Reals in a strict weak order: a NaN sorts before every number.
bool realLess(float a, float b) {
    if (std::isnan(a)) return !std::isnan(b);
    if (std::isnan(b)) return false;
    return a < b;
}
}  // namespace

int BrowserTable::compareNoCase(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const uint8_t x = kLower[uint8_t(a[i])], y = kLower[uint8_t(b[i])];
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

void BrowserTable::setColumns(std::vector<Column> columns) {
    columns_ = std::move(columns);
    clearRows();
}

void BrowserTable::setColumnName(int column, std::string name) {
    if (column >= 0 && column < columnCount()) columns_[size_t(column)].name = std::move(name);
}

void BrowserTable::clearRows() {
    cells_.clear();
    order_.clear();
    texts_.assign(1, '\0');
    sortColumn_ = -1;
    sortDirection_ = 0;
    changed();
}

void BrowserTable::reserveRows(int rows) {
    if (rows <= 0) return;
    cells_.reserve(size_t(rows) * columns_.size());
    order_.reserve(size_t(rows));
}

int BrowserTable::addRow() {
    const int row = rowCount();
    cells_.resize(cells_.size() + columns_.size(), 0);
    order_.push_back(row);
    if (columnCount() > kDataNumberColumn) cell(row, kDataNumberColumn) = uint32_t(row);
    if (columnCount() > kRankColumn) cell(row, kRankColumn) = uint32_t(row);
    ++version_;
    return row;
}

void BrowserTable::setInt(int row, int column, int32_t value) {
    if (row >= 0 && row < rowCount() && column >= 0 && column < columnCount()) cell(row, column) = uint32_t(value);
}

void BrowserTable::setReal(int row, int column, float value) {
    if (row >= 0 && row < rowCount() && column >= 0 && column < columnCount())
        cell(row, column) = std::bit_cast<uint32_t>(value);
}

void BrowserTable::setText(int row, int column, std::string_view text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return;
    const size_t nul = text.find('\0');
    if (nul != std::string_view::npos) text = text.substr(0, nul);
    if (text.empty()) {
        cell(row, column) = 0;
        return;
    }
    cell(row, column) = uint32_t(texts_.size());
    texts_.append(text);
    texts_.push_back('\0');
}

int BrowserTable::columnType(int column) const {
    return column >= 0 && column < columnCount() ? columns_[size_t(column)].type : 0;
}

const std::string& BrowserTable::columnName(int column) const {
    static const std::string kNone;
    return column >= 0 && column < columnCount() ? columns_[size_t(column)].name : kNone;
}

bool BrowserTable::validCell(int position, int column) const {
    return position >= 0 && position < rowCount() && column >= 0 && column < columnCount();
}

std::string_view BrowserTable::textOf(int row, int column) const {
    const uint32_t offset = cell(row, column);
    if (offset >= texts_.size()) return {};
    return std::string_view(texts_.data() + offset);
}

int32_t BrowserTable::intAt(int position, int column) const {
    return validCell(position, column) ? int32_t(cell(order_[size_t(position)], column)) : 0;
}

float BrowserTable::realAt(int position, int column) const {
    return validCell(position, column) ? std::bit_cast<float>(cell(order_[size_t(position)], column)) : 0.0f;
}

std::string_view BrowserTable::textAt(int position, int column) const {
    if (!validCell(position, column) || columnType(column) != kColumnText) return {};
    return textOf(order_[size_t(position)], column);
}

int BrowserTable::rowOfPosition(int position) const {
    return position >= 0 && position < rowCount() ? order_[size_t(position)] : -1;
}

int BrowserTable::positionOfRow(int row) const {
    if (row < 0 || row >= rowCount()) return -1;
    return columnCount() > kRankColumn ? int(cell(row, kRankColumn)) : row;
}

void BrowserTable::sort(int column, int direction) {
    if (column < 0 || column >= columnCount()) return;
    if (direction != kSortAscending && direction != kSortDescending)
        direction = sortDirection_ == kSortAscending ? kSortDescending : kSortAscending;
    const bool down = direction == kSortDescending;
    auto run = [&](auto less) {
        if (down) std::stable_sort(order_.begin(), order_.end(), [&](int32_t a, int32_t b) { return less(b, a); });
        else std::stable_sort(order_.begin(), order_.end(), less);
    };
    switch (columnType(column)) {
        case kColumnText: {
            // The first eight letters, lower-cased, as one number decide most
            // comparisons; only texts that agree on them are compared further.
            std::vector<uint64_t> prefix(static_cast<size_t>(rowCount()));
            for (int r = 0; r < rowCount(); ++r) {
                const std::string_view t = textOf(r, column);
                uint64_t key = 0;
                for (size_t i = 0; i < 8; ++i) key = key << 8 | (i < t.size() ? kLower[uint8_t(t[i])] : 0u);
                prefix[size_t(r)] = key;
            }
            run([&](int32_t a, int32_t b) {
                const uint64_t ka = prefix[size_t(a)], kb = prefix[size_t(b)];
                if (ka != kb) return ka < kb;
                const std::string_view ta = textOf(a, column), tb = textOf(b, column);
                if (ta.size() <= 8 || tb.size() <= 8) return ta.size() < tb.size();
                return compareNoCase(ta.substr(8), tb.substr(8)) < 0;
            });
            break;
        }
        case kColumnReal:
        case kColumnWhole:
        case kColumnAltitude:
            run([&](int32_t a, int32_t b) {
                return realLess(std::bit_cast<float>(cell(a, column)), std::bit_cast<float>(cell(b, column)));
            });
            break;
        case kColumnSigned:
            run([&](int32_t a, int32_t b) { return int32_t(cell(a, column)) < int32_t(cell(b, column)); });
            break;
        default:
            run([&](int32_t a, int32_t b) { return cell(a, column) < cell(b, column); });
            break;
    }
    if (columnCount() > kRankColumn)
        for (size_t p = 0; p < order_.size(); ++p) cell(order_[p], kRankColumn) = uint32_t(p);
    sortColumn_ = column;
    sortDirection_ = direction;
    changed();
}

std::string BrowserTable::cellText(int position, int column) const {
    if (!validCell(position, column)) return {};
    char buf[64];
    const uint32_t raw = cell(order_[size_t(position)], column);
    const float real = std::bit_cast<float>(raw);
    switch (columnType(column)) {
        case kColumnText: return std::string(textAt(position, column));
        case kColumnReal: std::snprintf(buf, sizeof buf, "%.2f", double(real)); break;
        case kColumnWhole: std::snprintf(buf, sizeof buf, "%.0f", double(real)); break;
        case kColumnAltitude:
            std::snprintf(buf, sizeof buf, "%.0f", double(metric_ ? real : real * kFeetPerMetre));
            break;
        default: std::snprintf(buf, sizeof buf, "%d", int32_t(raw)); break;
    }
    return buf;
}

int BrowserTable::find(int column, std::string_view text) {
    if (column < 0 || column >= columnCount() || columnType(column) != kColumnText) return 0;
    if (sortColumn_ != column || sortDirection_ != kSortAscending) sort(column, kSortAscending);
    auto it = std::lower_bound(order_.begin(), order_.end(), text, [&](int32_t row, std::string_view t) {
        return compareNoCase(textOf(row, column), t) < 0;
    });
    return int(it - order_.begin());
}

int BrowserTable::addObserver(std::function<void()> f) {
    observers_.emplace_back(nextObserver_, std::move(f));
    return nextObserver_++;
}

void BrowserTable::removeObserver(int id) {
    std::erase_if(observers_, [id](const auto& o) { return o.first == id; });
}

void BrowserTable::changed() {
    ++version_;
    // A copy: an observer may remove itself.
    auto observers = observers_;
    for (auto& o : observers) o.second();
}

}  // namespace tnx::hud
