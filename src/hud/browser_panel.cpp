#include "hud/browser_panel.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "geodata/city_table.h"
#include "geodata/country_table.h"

namespace tnx::hud {

namespace {
constexpr float kMargin = 0.15f;
constexpr float kGap = 0.06f;
constexpr float kTitleHeight = 0.6f;
constexpr float kHeaderHeight = 0.5f;
constexpr float kFooterHeight = 0.45f;
constexpr float kSliderWidth = 0.4f;
constexpr float kRadiansToDegrees = 57.29578f;

constexpr gfx::Color kPanelFace = 0x90283040;
constexpr gfx::Color kPanelFrame = 0xFFA0C0FF;
constexpr gfx::Color kPanelText = 0xFFFFFFFF;
constexpr gfx::Color kTitleFace = 0xC0405888;
constexpr gfx::Color kCommandFace = 0xC0507060;
constexpr gfx::Color kHeaderFace = 0xB0506078;
constexpr gfx::Color kRowFace = 0x70202838;
constexpr gfx::Color kRowFaceAlt = 0x70283040;
constexpr gfx::Color kNameText = 0xFFFFFFA0;
constexpr gfx::Color kFooterFace = 0x90304050;
constexpr gfx::Color kTrackFace = 0xC0303040;

// Rank, name, second text, longitude, latitude, altitude or area, population.
constexpr std::array<float, 7> kListWeights = {0.55f, 1.9f, 1.6f, 1.05f, 1.05f, 1.0f, 1.3f};
constexpr std::array<float, 4> kTitleWeights = {1, 1, 3, 1};

std::vector<BrowserTable::Column> cityColumns(bool metric) {
    return {{kColumnUnsigned, ""},         {kColumnUnsigned, "Rank"},   {kColumnText, "City"},
            {kColumnText, "Country"},      {kColumnReal, "Longitude"},  {kColumnReal, "Latitude"},
            {kColumnAltitude, metric ? "Altitude m" : "Altitude ft"}, {kColumnUnsigned, "Population"}};
}

std::vector<BrowserTable::Column> countryColumns() {
    return {{kColumnUnsigned, ""},    {kColumnUnsigned, "Rank"},    {kColumnText, "Country"},
            {kColumnText, "Capital"}, {kColumnReal, "Longitude"},   {kColumnReal, "Latitude"},
            {kColumnReal, "Areatotal"}, {kColumnWhole, "Population"}};
}

const char* panelTitle(BrowserKind kind) {
    switch (kind) {
        case BrowserKind::City: return "City List";
        case BrowserKind::Country: return "Country And Entity List";
        case BrowserKind::Overview: return "Overview";
        case BrowserKind::Help: return "Help";
    }
    return "";
}
}  // namespace

BrowserPanel::BrowserPanel(BrowserKind kind) : ListPanel(idFor(kind)), kind_(kind) {
    if (kind_ == BrowserKind::City) table_.setColumns(cityColumns(true));
    else if (kind_ == BrowserKind::Country) table_.setColumns(countryColumns());
}

int32_t BrowserPanel::idFor(BrowserKind kind) {
    switch (kind) {
        case BrowserKind::City: return kCityId;
        case BrowserKind::Country: return kCountryId;
        case BrowserKind::Overview: return kOverviewId;
        case BrowserKind::Help: return kHelpId;
    }
    return 0;
}

void BrowserPanel::build() {
    init(kFontTexture, isList() ? kListWidth : kTextWidth, kHeight, 0, 0, kPanelFace, kPanelFrame, kPanelText);
    placeAt(kStartX, kStartY, kStartDepth);

    titlePart_ = partCount();
    ListDisplay& title = addDisplay();
    title.init(1, 1, 4, 1, 80, kTitleWeights);
    for (int c = 0; c < 4; ++c)
        title.setColumnColour(c, c == kTitleCell ? kTitleFace : kCommandFace, ListDisplay::kFaceColour | 0x80);

    const int columns = isList() ? 7 : 1;
    const float one = 1.0f;
    const std::span<const float> weights = isList() ? std::span<const float>(kListWeights) : std::span(&one, 1);
    if (isList()) {
        headerPart_ = partCount();
        ListDisplay& header = addDisplay();
        header.init(1, 1, columns, 1, 120, weights);
        for (int c = 0; c < columns; ++c) header.setColumnColour(c, kHeaderFace, ListDisplay::kFaceColour | 0x80);
    }
    rowsPart_ = partCount();
    ListDisplay& rows = addDisplay();
    rows.init(1, 1, columns, isList() ? kListRows : kTextRows, ListDisplay::kMaxGlyphsPerRow, weights);
    for (int c = 0; c < columns; ++c) {
        rows.setColumnColour(c, c % 2 ? kRowFaceAlt : kRowFace, ListDisplay::kFaceColour);
        if (isList() && c == 1) rows.setColumnColour(c, kNameText, ListDisplay::kTextColour);
    }
    if (isList()) rows.setSource(&table_, BrowserTable::kRankColumn, BrowserTable::kRankColumn);
    else rows.setSource(&lines_, 0);

    footerPart_ = partCount();
    ListDisplay& footer = addDisplay();
    footer.init(1, 1, 1, 1, 40, std::span(&one, 1));
    footer.setColumnColour(0, kFooterFace, ListDisplay::kFaceColour | 0x80);

    sliderPart_ = partCount();
    ListSlider& s = addSlider();
    s.build(kSliderWidth, 1, root_);
    s.setColumnColour(0, kTrackFace, ListDisplay::kFaceColour | 0x80);
    s.link(&rows);

    layoutParts();
    attachParts();
    updateTitle();
    if (isList()) setHeaders(true);
    updateFooter();
    show(0);
}

void BrowserPanel::layoutParts() {
    if (rowsPart_ < 0) return;
    const float w = width_ - 2 * kMargin;
    float y = -kMargin;
    titleRow().setOffset(kMargin, y, 0);
    titleRow().resize(w, kTitleHeight);
    y -= kTitleHeight + kGap;
    const float rowsWidth = w - kSliderWidth - kGap;
    if (ListDisplay* header = headerRow()) {
        header->setOffset(kMargin, y, 0);
        header->resize(rowsWidth, kHeaderHeight);
        y -= kHeaderHeight + kGap;
    }
    const float bottom = -height_ + kMargin + kFooterHeight + kGap;
    const float rowsHeight = std::max(y - bottom, 0.1f);
    rows().setOffset(kMargin, y, 0);
    rows().resize(rowsWidth, rowsHeight);
    rowSlider().setOffset(kMargin + rowsWidth + kGap, y, 0);
    rowSlider().build(kSliderWidth, rowsHeight, root_);
    rowSlider().syncFromDisplay();
    footer().setOffset(kMargin, -height_ + kMargin + kFooterHeight, 0);
    footer().resize(w, kFooterHeight);
}

// --- the lists -----------------------------------------------------------------------

void BrowserPanel::fillCities(const geodata::CityTable& cities, const geodata::CountryTable& countries,
                              bool metric) {
    if (kind_ != BrowserKind::City) return;
    table_.clearRows();
    table_.setMetric(metric);
    table_.reserveRows(cities.count() - 1);
    for (int i = 1; i < cities.count(); ++i) {
        const geodata::CityRecord& c = cities[i];
        const int row = table_.addRow();
        table_.setText(row, 2, c.nameText());
        if (const geodata::CountryRecord* k = countries.get(c.country)) table_.setText(row, 3, k->nameText());
        table_.setReal(row, 4, c.longitude * kRadiansToDegrees);
        table_.setReal(row, 5, c.latitude * kRadiansToDegrees);
        table_.setReal(row, 6, c.altitude);
        table_.setInt(row, 7, c.population);
    }
    table_.sort(2, kSortAscending);
    rows().setSource(&table_, BrowserTable::kRankColumn, BrowserTable::kRankColumn);
    rowSlider().syncFromDisplay();
    setHeaders(metric);
    updateFooter();
}

void BrowserPanel::fillCountries(const geodata::CountryTable& countries) {
    if (kind_ != BrowserKind::Country) return;
    table_.clearRows();
    table_.reserveRows(countries.count() - 1);
    for (int i = 1; i < countries.count(); ++i) {
        const geodata::CountryRecord& k = *countries.get(i);
        const int row = table_.addRow();
        table_.setText(row, 2, k.nameText());
        table_.setText(row, 3, k.capitalText());
        table_.setReal(row, 4, k.longitude * kRadiansToDegrees);
        table_.setReal(row, 5, k.latitude * kRadiansToDegrees);
        table_.setReal(row, 6, k.areaTotal);
        table_.setReal(row, 7, k.population);
    }
    table_.sort(2, kSortAscending);
    rows().setSource(&table_, BrowserTable::kRankColumn, BrowserTable::kRankColumn);
    rowSlider().syncFromDisplay();
    updateFooter();
}

void BrowserPanel::setHeaders(bool metric) {
    if (!isList()) return;
    if (kind_ == BrowserKind::City) {
        table_.setColumnName(6, metric ? "Altitude m" : "Altitude ft");
        table_.setMetric(metric);
        rows().rebuildAll();
    }
    std::string names;
    for (int c = BrowserTable::kRankColumn; c < table_.columnCount(); ++c) {
        if (c > BrowserTable::kRankColumn) names.push_back('\0');
        names += table_.columnName(c);
    }
    if (ListDisplay* header = headerRow()) header->setText(names);
}

void BrowserPanel::selectIndex(int index) {
    if (!isList()) return;
    rows().selectRow(index - 1, false);
    rowSlider().syncFromDisplay();
}

void BrowserPanel::clearSelection() {
    if (isList()) rows().selectRow(-1, true);
}

int BrowserPanel::find(std::string_view text) {
    if (!isList()) return 0;
    const int position = table_.find(2, text);
    rows().selectRow(table_.rowOfPosition(position), false);
    rowSlider().syncFromDisplay();
    return position;
}

// --- the texts ---------------------------------------------------------------------------

void BrowserPanel::setTitle(std::string_view title) {
    title_.assign(title.substr(0, std::min(title.size(), kMaxTitle)));
    if (auto nul = title_.find('\0'); nul != std::string::npos) title_.resize(nul);
    updateTitle();
}

void BrowserPanel::setText(std::string_view text, uint8_t mark, bool clearFirst) {
    if (isList()) return;
    if (clearFirst) lines_.clear();
    lines_.append(text, mark, TextLines::lineLengthFor(rows().width(), rows().cellHeight()));
    updateFooter();
}

// --- title, footer, clicks -----------------------------------------------------------------

std::string BrowserPanel::titleCells() const {
    std::string cells = isList() ? "Find" : "Line";
    cells.push_back('\0');
    cells += "Toggle";
    cells.push_back('\0');
    cells.push_back(ListDisplay::kCentre);
    cells += isList() || title_.empty() ? std::string(panelTitle(kind_)) : title_;
    cells.push_back('\0');
    cells += "Close";
    return cells;
}

void BrowserPanel::updateTitle() {
    if (titlePart_ >= 0) titleRow().setText(titleCells());
}

void BrowserPanel::updateFooter() {
    if (footerPart_ < 0) return;
    char buf[40];
    if (isList()) std::snprintf(buf, sizeof buf, "Total %d", table_.rowCount());
    else std::snprintf(buf, sizeof buf, "Total %d lines", lines_.lineCount());
    footer().setText(buf);
}

void BrowserPanel::partClicked(int part, float lx, float ly) {
    if (part == titlePart_) {
        const int cell = titleRow().pick(lx, ly).column;
        if (actions_ && cell >= 0) actions_->titleCommand(*this, cell);
    } else if (part == headerPart_) {
        // Every header but the rank's sorts by its column.
        const int column = headerRow()->pick(lx, ly).column;
        if (column >= 1) {
            rows().sortBy(column + BrowserTable::kRankColumn);
            rowSlider().syncFromDisplay();
        }
    } else if (part == rowsPart_) {
        const int row = rows().click(lx, ly);
        if (row >= 0 && actions_) actions_->rowPicked(*this, row);
    }
}

}  // namespace tnx::hud
