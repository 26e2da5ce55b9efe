#include "hud/list_display.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/io/byte_io.h"

namespace tnx::hud {

namespace {
constexpr gfx::Color kDefaultFace = 0x80303848;
constexpr gfx::Color kDefaultText = 0xFFFFFFFF;
// How a cell too wide even for compression is shown: two lines.
constexpr float kTwoLines = 1.8f;
constexpr float kTwoLineHeight = 0.8f;
constexpr float kFirstLineRaise = 0.15f, kSecondLineDrop = 0.35f;
// Marked rows (a text panel's body lines) are set in by this much of a cell height.
constexpr float kMarkIndent = 0.6f;
constexpr float kCellPadding = 0.2f;

gfx::Color darker(gfx::Color c, uint32_t k) {
    auto channel = [&](int shift) { return ((((c >> shift) & 0xFFu) * (255u - k)) / 256u) << shift; };
    return (c & 0xFF000000u) | channel(16) | channel(8) | channel(0);
}

void quad(DisplayVertex* v, float x0, float y0, float x1, float y1, gfx::Color top, gfx::Color bottom) {
    const float pos[4][2] = {{x0, y0}, {x0, y1}, {x1, y0}, {x1, y1}};
    const gfx::Color col[4] = {top, bottom, top, bottom};
    for (int i = 0; i < 4; ++i) v[i] = {pos[i][0], pos[i][1], 0, col[i], 0, 0};
}

// Clips the glyph quads to ymin <= y <= ymax, moving texture v along.
int clipQuads(const DisplayVertex* in, int quads, float ymin, float ymax, DisplayVertex* out) {
    int n = 0;
    for (int q = 0; q < quads; ++q) {
        const DisplayVertex* s = in + 4 * q;
        float top = s[0].y, bottom = s[0].y, vTop = s[0].v, vBottom = s[0].v;
        for (int i = 1; i < 4; ++i) {
            if (s[i].y > top) top = s[i].y, vTop = s[i].v;
            if (s[i].y < bottom) bottom = s[i].y, vBottom = s[i].v;
        }
        if (bottom >= ymax || top <= ymin) continue;
        DisplayVertex* d = out + 4 * n;
        for (int i = 0; i < 4; ++i) {
            d[i] = s[i];
            const float y = std::clamp(s[i].y, ymin, ymax);
            if (y != s[i].y && top > bottom) d[i].v = vBottom + (vTop - vBottom) * (y - bottom) / (top - bottom);
            d[i].y = y;
        }
        ++n;
    }
    return n;
}
}  // namespace

ListDisplay::~ListDisplay() = default;

void ListDisplay::init(float width, float height, int columns, int visibleRows, int glyphsPerRow,
                       std::span<const float> weights) {
    columns = std::clamp(columns, 1, kMaxColumns);
    if (columns != columns_ || colours_.size() != size_t(3 * columns)) {
        colours_.assign(size_t(3 * columns), kDefaultFace);
        for (int c = 0; c < columns; ++c) colours_[size_t(2 * columns + c)] = kDefaultText;
    }
    columns_ = columns;
    visible_ = std::clamp(visibleRows, 1, kMaxVisibleRows);
    glyphsPerRow_ = std::clamp(glyphsPerRow, 0, kMaxGlyphsPerRow);
    weights_.assign(size_t(columns_), 1.0f);
    for (int c = 0; c < columns_ && c < int(weights.size()); ++c)
        weights_[size_t(c)] = std::isfinite(weights[size_t(c)]) ? std::max(weights[size_t(c)], 0.0f) : 0.0f;
    float sum = 0;
    for (float w : weights_) sum += w;
    for (float& w : weights_) w = sum > 0 ? w / sum : 1.0f / float(columns_);
    slotRows_.assign(size_t(visible_), -1);
    slotUsed_.assign(size_t(visible_), 0);
    glyphs_.assign(size_t(visible_) * size_t(glyphsPerRow_) * 4, DisplayVertex{});
    clipped_.assign(size_t(glyphsPerRow_) * 4, DisplayVertex{});
    firstSlot_ = 0;
    firstRow_ = 0;
    remainder_ = 0;
    resize(width, height);
}

void ListDisplay::resize(float width, float height) {
    width_ = std::isfinite(width) && width > 0 ? width : 1.0f;
    height_ = std::isfinite(height) && height > 0 ? height : 1.0f;
    rowHeight_ = visible_ > 1 ? height_ / float(visible_ - 1) : height_;
    cellHeight_ = 0.95f * rowHeight_;
    cellGap_ = rowHeight_ - cellHeight_;
    remainder_ = 0;
    buildFaces();
    rebuildAll();
}

void ListDisplay::setOffset(float x, float y, float z) {
    ox_ = x;
    oy_ = y;
    oz_ = z;
}

void ListDisplay::setSource(ListSource* source, int firstColumn, int rankColumn) {
    source_ = source;
    firstColumn_ = std::max(firstColumn, 0);
    rankColumn_ = rankColumn;
    firstRow_ = firstSlot_ = 0;
    remainder_ = 0;
    selectedRow_ = selectedItem_ = -1;
    rebuildAll();
}

void ListDisplay::setText(std::string_view cells) {
    text_.assign(cells.data(), cells.size());
    rebuildAll();
}

float ListDisplay::columnLeft(int column) const {
    float x = 0;
    for (int c = 0; c < column && c < columns_; ++c) x += weights_[size_t(c)] * width_;
    return x;
}

float ListDisplay::columnWidth(int column) const {
    return column >= 0 && column < columns_ ? weights_[size_t(column)] * width_ : 0.0f;
}

bool ListDisplay::contains(float x, float y) const {
    return x >= ox_ && x <= ox_ + width_ && y <= oy_ && y >= oy_ - height_;
}

int ListDisplay::rowCount() const { return source_ ? source_->rowCount() : 1; }

// --- colours ------------------------------------------------------------------------

void ListDisplay::setColumnColour(int column, gfx::Color colour, uint32_t options) {
    if (column < 0 || column >= columns_) return;
    if (options & kFaceColour) {
        colours_[size_t(2 * column)] = colour;
        colours_[size_t(2 * column + 1)] = darker(colour, options & 0xFF);
        buildFaces();
    }
    if (options & kTextColour) {
        colours_[size_t(2 * columns_ + column)] = colour;
        rebuildAll();
    }
}

std::array<uint32_t*, 3> ListDisplay::columnColourLocations(int column) {
    column = std::clamp(column, 0, std::max(columns_ - 1, 0));
    return {&colours_[size_t(2 * column)], &colours_[size_t(2 * column + 1)],
            &colours_[size_t(2 * columns_ + column)]};
}

void ListDisplay::recolour() {
    buildFaces();
    rebuildAll();
}

void ListDisplay::buildFaces() {
    faces_.assign(size_t(columns_ + 1) * 4, DisplayVertex{});
    for (int c = 0; c < columns_; ++c) {
        const float x0 = columnLeft(c);
        quad(&faces_[size_t(4 * c)], x0, 0, x0 + columnWidth(c), -height_, faceTop(c), faceBottom(c));
    }
}

// --- rows --------------------------------------------------------------------------

std::string ListDisplay::cellText(int position, int column) const {
    if (!source_) return {};
    char buf[48];
    switch (source_->columnType(column)) {
        case kColumnText: return std::string(source_->textAt(position, column));
        case kColumnReal: std::snprintf(buf, sizeof buf, "%.3f", double(source_->realAt(position, column))); break;
        case kColumnWhole: std::snprintf(buf, sizeof buf, "%.0f", double(source_->realAt(position, column))); break;
        case kColumnAltitude: {
            const float metres = source_->realAt(position, column);
            std::snprintf(buf, sizeof buf, "%.0f", double(source_->metric() ? metres : metres * 3.2808f));
            break;
        }
        case kColumnUnsigned:
            std::snprintf(buf, sizeof buf, "%d", source_->intAt(position, column) + (column == rankColumn_ ? 1 : 0));
            break;
        default: std::snprintf(buf, sizeof buf, "%d", source_->intAt(position, column)); break;
    }
    return buf;
}

int ListDisplay::layoutCell(std::string_view text, int column, DisplayVertex* g, int room, bool marked) const {
    if (!font_ || room <= 0) return 0;
    char align = 0;
    if (!text.empty() && (text[0] == kCentre || text[0] == kRight)) {
        align = text[0];
        text.remove_prefix(1);
    }
    int n = room;
    const float top = -cellGap_ / 2, ch = cellHeight_;
    font_->makeQuads(0, top, ch, text, n, g);
    if (n <= 0) return 0;
    // A little room between a column's text and the next column's.
    float left = columnLeft(column), w = columnWidth(column) - std::min(kCellPadding * ch, 0.2f * columnWidth(column));
    if (marked) {
        const float indent = std::min(kMarkIndent * ch, 0.5f * w);
        left += indent;
        w -= indent;
    }
    const float e = g[4 * (n - 1) + 2].x;
    auto shift = [&](int from, int to, float scaleX, float dx, float scaleY, float dy) {
        for (int i = 4 * from; i < 4 * to; ++i) {
            g[i].x = g[i].x * scaleX + dx;
            g[i].y = top + (g[i].y - top) * scaleY + dy;
        }
    };
    if (e >= kTwoLines * w && w > 0) {
        // Two lines, compressed: the break comes before the last glyph that
        // still ends within 1.8 widths.
        int j = 0;
        while (j < n && g[4 * j + 2].x <= kTwoLines * w) ++j;
        j = std::max(j - 1, 0);
        const float start = g[4 * j].x;
        const float secondWidth = (e - start) / kTwoLines;
        // A second line still too wide is squeezed into the cell too.
        const float squeeze = secondWidth > w ? w / secondWidth : 1.0f;
        shift(0, j, 1 / kTwoLines, left, kTwoLineHeight, kFirstLineRaise * ch);
        for (int i = 4 * j; i < 4 * n; ++i) g[i].x -= start;
        shift(j, n, squeeze / kTwoLines, left, kTwoLineHeight, -kSecondLineDrop * ch);
    } else if (e > w) {
        shift(0, n, w / e, left, 1, 0);
    } else {
        const float dx = align == kCentre ? (w - e) / 2 : align == kRight ? w - e : 0;
        shift(0, n, 1, left + dx, 1, 0);
    }
    const gfx::Color colour = textColour(column);
    for (int i = 0; i < 4 * n; ++i) {
        g[i].z = 0;
        g[i].diffuse = colour;
    }
    return n;
}

void ListDisplay::rebuildSlot(int k) {
    if (k < 0 || k >= visible_) return;
    ++slotBuilds_;
    DisplayVertex* g = glyphs_.data() + size_t(k) * size_t(glyphsPerRow_) * 4;
    int used = 0;
    const int screen = (k - firstSlot_ + visible_) % visible_;
    if (!source_) {
        slotRows_[size_t(k)] = screen == 0 ? 0 : -1;
        if (screen == 0) {
            size_t pos = 0;
            for (int c = 0; c < columns_ && pos <= text_.size(); ++c) {
                size_t end = std::min(text_.find('\0', pos), text_.size());
                used += layoutCell(std::string_view(text_).substr(pos, end - pos), c, g + 4 * used,
                                   glyphsPerRow_ - used, false);
                pos = end + 1;
            }
        }
    } else {
        const int position = firstRow_ + screen;
        const bool inside = position >= 0 && position < source_->rowCount();
        slotRows_[size_t(k)] = inside ? position : -1;
        if (inside) {
            const bool marked = source_->markAt(position) != 0;
            for (int c = 0; c < columns_; ++c) {
                const int column = firstColumn_ + c;
                if (column >= source_->columnCount()) break;
                used += layoutCell(cellText(position, column), c, g + 4 * used, glyphsPerRow_ - used, marked);
            }
        }
    }
    slotUsed_[size_t(k)] = used;
}

void ListDisplay::rebuildAll() {
    builtVersion_ = source_ ? source_->version() : 0;
    for (int k = 0; k < visible_; ++k) rebuildSlot(k);
}

bool ListDisplay::refreshIfChanged() {
    if (!source_ || source_->version() == builtVersion_) return false;
    const int L = lastFirstRow();
    firstRow_ = std::clamp(firstRow_, 0, std::max(L, 0));
    if (L <= 0) remainder_ = 0;
    rebuildAll();
    return true;
}

std::span<const DisplayVertex> ListDisplay::slotGlyphs(int k) const {
    if (k < 0 || k >= visible_) return {};
    return {glyphs_.data() + size_t(k) * size_t(glyphsPerRow_) * 4, size_t(slotUsed_[size_t(k)]) * 4};
}

bool ListDisplay::scroll(float amount, bool percentage) {
    if (!std::isfinite(amount)) return false;
    const int oldFirst = firstRow_;
    const float oldRemainder = remainder_;
    if (percentage) remainder_ += amount * rowHeight_ * 0.01f;
    else remainder_ -= amount;
    const int V = visible_;
    const int L = lastFirstRow();
    if (L < 0) {
        // Everything fits.
        const bool moved = firstRow_ != 0 || firstSlot_ != 0;
        firstSlot_ = firstRow_ = 0;
        remainder_ = 0;
        rebuildAll();
        return moved;
    }
    int k = 0;
    if (remainder_ > 0) {
        if (firstRow_ >= L) remainder_ = 0;
        else k = int(std::floor(remainder_ / rowHeight_));
    } else if (remainder_ < 0) {
        k = int(std::trunc(remainder_ / rowHeight_)) - 1;
    }
    if (k == 0) return remainder_ != oldRemainder;
    if (std::abs(k) >= V) {
        remainder_ -= float(k) * rowHeight_;
        int first = firstRow_ + k;
        if (first < 0 || first > L) {
            first = std::clamp(first, 0, L);
            remainder_ = 0;
        }
        firstRow_ = first;
        firstSlot_ = 0;
        rebuildAll();
    } else if (k > 0) {
        remainder_ -= float(k) * rowHeight_;
        if (firstRow_ + k >= L) {
            k = L - firstRow_;
            remainder_ = 0;
        }
        firstSlot_ = (firstSlot_ + k) % V;
        firstRow_ += k;
        for (int i = 0; i < k; ++i) rebuildSlot((firstSlot_ + V - k + i) % V);
    } else {
        remainder_ -= float(k) * rowHeight_;
        if (firstRow_ + k <= 0) {
            k = -firstRow_;
            remainder_ = 0;
        }
        firstSlot_ = ((firstSlot_ + k) % V + V) % V;
        firstRow_ += k;
        for (int i = 0; i < -k; ++i) rebuildSlot((firstSlot_ + i) % V);
    }
    return firstRow_ != oldFirst || remainder_ != oldRemainder;
}

// --- picking and selection -----------------------------------------------------------

ListDisplay::Pick ListDisplay::pick(float x, float y) const {
    Pick p;
    if (!contains(x, y)) return p;
    const float lx = x - ox_, ly = y - oy_;
    float edge = 0;
    p.column = columns_ - 1;
    for (int c = 0; c < columns_; ++c) {
        edge += weights_[size_t(c)] * width_;
        if (lx < edge) {
            p.column = c;
            break;
        }
    }
    p.row = visible_ > 1 ? int(std::floor((-ly + remainder_) / rowHeight_)) : 0;
    return p;
}

int ListDisplay::click(float x, float y) {
    const Pick p = pick(x, y);
    if (!source_ || p.column <= 0 || p.column >= columns_ - 1 || p.row < 0 || p.row >= visible_ - 1) return -1;
    const int row = source_->rowOfPosition(firstRow_ + p.row);
    if (row < 0) return -1;
    if (selectedRow_ == row) {
        selectedRow_ = selectedItem_ = -1;
    } else {
        selectedRow_ = row;
        selectedItem_ = p.column;
    }
    return row;
}

void ListDisplay::selectRow(int dataRow, bool keepPosition) {
    if (!source_) return;
    const int position = source_->positionOfRow(dataRow);
    selectedRow_ = position >= 0 ? dataRow : -1;
    if (keepPosition) return;
    const int L = lastFirstRow();
    // No row: the end of the list.
    int target = position >= 0 ? position : source_->rowCount();
    const int low = 1, high = std::max(visible_ - 3, 1);
    int first = firstRow_;
    if (target - first < low) first = target - low;
    else if (target - first > high) first = target - high;
    moveFirstRow(std::clamp(first, 0, std::max(L, 0)));
}

void ListDisplay::moveFirstRow(int first) {
    const int k = first - firstRow_, V = visible_;
    remainder_ = 0;
    if (k == 0) return;
    firstRow_ = first;
    if (std::abs(k) >= V) {
        firstSlot_ = 0;
        rebuildAll();
    } else if (k > 0) {
        firstSlot_ = (firstSlot_ + k) % V;
        for (int i = 0; i < k; ++i) rebuildSlot((firstSlot_ + V - k + i) % V);
    } else {
        firstSlot_ = ((firstSlot_ + k) % V + V) % V;
        for (int i = 0; i < -k; ++i) rebuildSlot((firstSlot_ + i) % V);
    }
}

void ListDisplay::sortBy(int column) {
    if (!source_) return;
    const int before = selectedRow_ >= 0 ? source_->positionOfRow(selectedRow_) - firstRow_ : -1;
    source_->sort(column, kSortToggle);
    const int L = std::max(lastFirstRow(), 0);
    if (selectedRow_ >= 0) {
        const int screen = std::clamp(before, 1, std::max(visible_ - 2, 1));
        firstRow_ = std::clamp(source_->positionOfRow(selectedRow_) - screen, 0, L);
    } else {
        firstRow_ = std::clamp(firstRow_, 0, L);
    }
    firstSlot_ = 0;
    remainder_ = 0;
    rebuildAll();
}

// --- drawing -------------------------------------------------------------------------

void ListDisplay::drawFaces(gfx::Device& device, const math::Matrix& inverseView, float px, float py, float pz,
                            const uint16_t* indices) const {
    if (faces_.empty()) return;
    device.setTransform(gfx::TransformType::World,
                        math::matrixTranslation(px + ox_, py + oy_, pz + oz_) * inverseView);
    device.drawIndexedPrimitiveUP(gfx::PrimitiveType::TriangleList, 0, uint32_t(4 * columns_),
                                  uint32_t(2 * columns_), indices, faces_.data(), sizeof(DisplayVertex));
    // The selected row, where it shows.
    if (selectedRow_ < 0 || !source_) return;
    const int screen = source_->positionOfRow(selectedRow_) - firstRow_;
    if (screen < 0 || screen >= visible_) return;
    const float top = std::min(rowTop(screen), 0.0f), bottom = std::max(rowTop(screen) - rowHeight_, -height_);
    if (top <= bottom) return;
    DisplayVertex v[4];
    quad(v, 0, top, width_, bottom, kHighlight, kHighlight);
    device.drawIndexedPrimitiveUP(gfx::PrimitiveType::TriangleList, 0, 4, 2, indices, v, sizeof(DisplayVertex));
}

void ListDisplay::drawGlyphs(gfx::Device& device, const math::Matrix& inverseView, float px, float py, float pz,
                             const uint16_t* indices) {
    for (int k = 0; k < visible_; ++k) {
        const int quads = slotUsed_[size_t(k)];
        if (quads <= 0) continue;
        const int screen = (k - firstSlot_ + visible_) % visible_;
        const float top = visible_ > 1 ? rowTop(screen) : 0.0f;
        if (top - rowHeight_ >= 0 || top <= -height_) continue;  // wholly outside
        const DisplayVertex* v = glyphs_.data() + size_t(k) * size_t(glyphsPerRow_) * 4;
        int n = quads;
        // The rows at the display's top and bottom edges are clipped to it
        // (partly scrolled out, or a two-line cell reaching past the edge).
        if (visible_ > 1 && (top > -rowHeight_ || top - 2 * rowHeight_ < -height_)) {
            n = clipQuads(v, quads, -height_ - top, -top, clipped_.data());
            v = clipped_.data();
            if (n == 0) continue;
        }
        device.setTransform(gfx::TransformType::World,
                            math::matrixTranslation(px + ox_, py + oy_ + top, pz + oz_) * inverseView);
        device.drawIndexedPrimitiveUP(gfx::PrimitiveType::TriangleList, 0, uint32_t(4 * n), uint32_t(2 * n), indices,
                                      v, sizeof(DisplayVertex));
    }
}

// --- record ----------------------------------------------------------------------------

size_t ListDisplay::writeRecord(std::vector<uint8_t>& out) {
    settings::RecordWriter w(out, kRecordName);
    for (uint32_t c : colours_) w.data().u32(c);
    return w.finish();
}

int ListDisplay::readRecord(std::span<const uint8_t> record) {
    settings::RecordView view;
    const int opened = settings::openRecord(record, kRecordName, view);
    if (opened != settings::kRecordApplied) return opened;
    // The slider's record passes the name test; its size tells it apart.
    if (view.body.size() != colours_.size() * 4) return settings::kRecordNotMine;
    io::ByteReader r(view.body);
    for (uint32_t& c : colours_) c = r.u32();
    recolour();
    return settings::kRecordApplied;
}

}  // namespace tnx::hud
