#include "geodata/zone_tree.h"

#include <algorithm>

#include "geodata/boundary_store.h"
#include "geodata/country_table.h"
#include "geodata/pack_archive.h"

namespace tnx::geodata {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool beginsWithDigit(std::string_view line) { return !line.empty() && isDigit(line[0]); }
bool beginsWith(std::string_view line, char c) { return !line.empty() && line[0] == c; }

// The text as lines without their CR LF; the last line need not have one.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        start = next;
    }
    return lines;
}

// Appends the numbers of an index line that are below the limit. Long digit
// runs saturate instead of overflowing; they are over the limit anyway.
void readIndices(std::string_view line, std::vector<int32_t>& out) {
    size_t i = 0;
    while (i < line.size()) {
        if (!isDigit(line[i])) {
            ++i;
            continue;
        }
        int64_t value = 0;
        for (; i < line.size() && isDigit(line[i]); ++i) value = std::min<int64_t>(value * 10 + (line[i] - '0'), 1 << 30);
        if (value < ZoneTree::kIndexLimit) out.push_back(int32_t(value));
    }
}

class ZoneParser {
public:
    explicit ZoneParser(std::string_view text) : lines_(splitLines(text)) {}

    // The blocks in file order.
    std::vector<ZoneNode> blocks() {
        std::vector<ZoneNode> out;
        bool first = true;
        while (at_ < lines_.size()) {
            std::string_view header = lines_[at_];
            if (!first && !beginsWithDigit(header)) break;
            first = false;
            ++at_;
            ZoneNode block(ZoneNode::kBlock);
            std::string_view name = header.substr(header.empty() ? 0 : 1);
            if (beginsWith(name, ' ')) name.remove_prefix(1);
            block.name = std::string(name);
            if (beginsWithDigit(header)) readRegions(block);
            else skipToEnd();
            out.push_back(std::move(block));
        }
        return out;
    }

private:
    bool more() const { return at_ < lines_.size(); }
    bool atEndLine() const { return more() && beginsWith(lines_[at_], 'E'); }

    void skipToEnd() {
        while (more() && !atEndLine()) ++at_;
        if (more()) ++at_;
    }

    void readRegions(ZoneNode& block) {
        while (more()) {
            if (atEndLine()) {
                ++at_;
                return;
            }
            ZoneNode region(ZoneNode::kRegion);
            if (!beginsWithDigit(lines_[at_])) {
                // A name line; an empty line is a region without a name.
                std::string_view line = lines_[at_++];
                region.name = std::string(line.substr(line.empty() ? 0 : 1));
            }
            readIndexList(region.indices);
            if (!region.indices.empty()) block.children.push_back(std::move(region));
        }
    }

    void readIndexList(std::vector<int32_t>& indices) {
        while (more() && !atEndLine()) {
            std::string_view line = lines_[at_++];
            if (!beginsWithDigit(line) || line.starts_with("0 +")) continue;
            readIndices(line, indices);
            if (indices.empty()) continue;
            // The list ends with this line unless the next one carries it on.
            if (more() && beginsWith(lines_[at_], 'X')) {
                ++at_;
                continue;
            }
            if (!line.empty() && line.back() == ' ' && more() && beginsWithDigit(lines_[at_])) continue;
            return;
        }
    }

    std::vector<std::string_view> lines_;
    size_t at_ = 0;
};

}  // namespace

ZoneTree::ZoneTree() : root_(ZoneNode::kRoot), grid_(size_t(kColumns * kRows)) {
    root_.name = "world";
    root_.children.emplace_back(ZoneNode::kBlock);  // position 0 is unused
}

bool ZoneTree::loadFile(CountryTable& countries, const BoundaryStore& store, std::string_view name) {
    std::vector<uint8_t> bytes;
    size_t length = 0;
    readDataFile(name, bytes, length);
    if (bytes.empty()) return false;
    load(std::span<const uint8_t>(bytes.data(), std::min(length, bytes.size())), countries, store);
    return true;
}

void ZoneTree::load(std::span<const uint8_t> text, CountryTable& countries, const BoundaryStore& store) {
    *this = ZoneTree();
    store_ = &store;
    ZoneParser parser(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
    for (ZoneNode& block : parser.blocks()) {
        block.country = countries.findOrAdd(block.name);
        root_.children.push_back(std::move(block));
        if (root_.children.back().country != 0) countries.setZone(root_.children.back().country, blockCount());
    }

    // The United States go before Canada wherever both touch a cell.
    int us = 0, canada = 0;
    for (int p = 1; p <= blockCount(); ++p) {
        if (!us && pack::sameName(root_.children[size_t(p)].name, "united states")) us = p;
        if (!canada && pack::sameName(root_.children[size_t(p)].name, "canada")) canada = p;
    }
    if (us && canada) {
        std::swap(root_.children[size_t(us)], root_.children[size_t(canada)]);
        countries.setZone(root_.children[size_t(us)].country, us);
        countries.setZone(root_.children[size_t(canada)].country, canada);
    }

    computeBoxes(store);
    buildGrid();

    // Serbia and Montenegro is drawn with Yugoslavia's outline when the data
    // has only the latter's.
    int serbia = countries.find("Serbia and Montenegro"), yugoslavia = countries.find("Yugoslavia");
    if (serbia && yugoslavia && countries.get(yugoslavia)->zone != 0)
        countries.setZone(serbia, countries.get(yugoslavia)->zone);
}

void ZoneTree::computeBoxes(const BoundaryStore& store) {
    for (size_t p = 1; p < root_.children.size(); ++p) {
        ZoneNode& block = root_.children[p];
        block.box = ZoneBox::empty();
        for (ZoneNode& region : block.children) {
            if (region.indices.empty()) {
                region.box = ZoneBox::none();
            } else {
                PolylineBounds b = store.bounds(region.indices);
                region.box = {b.minX, b.maxX, -b.maxY, -b.minY};
            }
            block.box.include(region.box);
        }
    }
}

void ZoneTree::buildGrid() {
    const ZoneBox& world = root_.box;
    columnWidth_ = std::max(1, (world.maxLongitude - world.minLongitude) / kColumns);
    rowHeight_ = std::max(1, (world.maxLatitude - world.minLatitude) / kRows);
    for (auto& cell : grid_) cell.clear();
    for (int p = 1; p <= blockCount(); ++p) {
        const ZoneBox& b = root_.children[size_t(p)].box;
        for (int j = 0; j < kRows; ++j) {
            int lat0 = world.minLatitude + j * rowHeight_, lat1 = lat0 + rowHeight_;
            if (b.maxLatitude < lat0 || lat1 < b.minLatitude) continue;
            for (int i = 0; i < kColumns; ++i) {
                int lon0 = world.minLongitude + i * columnWidth_, lon1 = lon0 + columnWidth_;
                if (b.maxLongitude < lon0 || lon1 < b.minLongitude) continue;
                grid_[size_t(j * kColumns + i)].push_back(p);
            }
        }
    }
}

const ZoneNode* ZoneTree::block(int position) const {
    return position >= 1 && position <= blockCount() ? &root_.children[size_t(position)] : nullptr;
}

const ZoneNode* ZoneTree::hitTest(int longitude, int latitude, int* country) const {
    if (country) *country = 0;
    if (!store_) return nullptr;
    const ZoneBox& world = root_.box;
    int column = std::clamp((longitude - world.minLongitude) / columnWidth_, 0, kColumns - 1);
    int row = std::clamp((latitude - world.minLatitude) / rowHeight_, 0, kRows - 1);
    for (int p : grid_[size_t(row * kColumns + column)]) {
        const ZoneNode& b = root_.children[size_t(p)];
        if (b.holds(longitude, latitude, *store_)) {
            if (country) *country = b.country;
            return &b;
        }
    }
    return nullptr;
}

int ZoneTree::toHundredths(float radians) { return int(radians * 57.29578f * 100.0f); }

const ZoneNode* ZoneTree::hitTestRadians(float longitude, float latitude, int* country) const {
    return hitTest(toHundredths(longitude), toHundredths(latitude), country);
}

}  // namespace tnx::geodata
