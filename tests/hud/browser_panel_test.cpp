// The browsers on the HUD with their dispatcher: clicks on a panel's
// headers, rows and title cells as the user makes them, picks that select
// cities and point the camera, the panel and window forms through the
// button bar, find, globe clicks, refilling, text panels, scrolling at the
// ends through the slider, colours through the editor, and the records.
#include "hud/browser_panel.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "browser_places.h"
#include "hud/browser_dispatcher.h"
#include "hud/button_bar.h"
#include "hud/colour_editor.h"
#include "hud/hud_builder.h"
#include "hud/readout_display.h"
#include "hud_fixture.h"
#include "platform/io/byte_io.h"
#include "support/record_bytes.h"
#include "support/test_home.h"

namespace tnx::hud::test {
namespace {

using settings::OptionBlock;
using settings::optionBlock;
using tnx::test::Bytes;
using tnx::test::makeRecord;

class FakeWindow : public BrowserWindow {
public:
    void show(bool on) override { shown = on; }
    bool isShown() const override { return shown; }
    void select(int row, int flag) override { selects.push_back({row, flag}); }
    void clearSelection() override { selects.push_back({-1, -1}); }
    void setToggleEnabled(bool) override {}
    void refreshColumns() override { ++refreshes; }
    void setText(int which, std::string_view text) override { (which == 1 ? title : body) = text; }
    void storeGeometry() override { ++stored; }
    bool shown = false;
    std::vector<std::pair<int, int>> selects;
    int refreshes = 0, stored = 0;
    std::string title, body;
};

class FakePrompt : public FindPrompt {
public:
    explicit FakePrompt(std::function<void(std::string_view)> f) : type(std::move(f)) {}
    void open() override { open_ = true; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    std::function<void(std::string_view)> type;
    bool open_ = false;
};

class Browsers : public HudFixture {
protected:
    tnx::test::TestHome home_;  // no readme.txt
    void SetUp() override {
        HudFixture::SetUp();
        optionBlock() = OptionBlock();
        optionBlock().set(OptionBlock::kHudShown, 1);
        HudBuilder::build(*root_);
        bar_ = dynamic_cast<ButtonBar*>(root_->findById(ButtonBar::kId));
        bar_->setCommandSender([this](uint32_t id, intptr_t kind) { bar_->command(id, kind); });
        places_ = makePlaces(extraCities());
        browsers_ = std::make_unique<BrowserDispatcher>(*root_);
        BrowserDispatcher::Makers makers;
        auto window = [this](const BrowserWindowSetup& setup) {
            auto w = std::make_unique<FakeWindow>();
            windows_[size_t(int(setup.kind) - 1)] = w.get();
            return std::unique_ptr<BrowserWindow>(std::move(w));
        };
        makers.listWindow = window;
        makers.textWindow = window;
        makers.findPrompt = [this](BrowserKind, std::function<void(std::string_view)> f) {
            auto p = std::make_unique<FakePrompt>(std::move(f));
            prompt_ = p.get();
            return std::unique_ptr<FindPrompt>(std::move(p));
        };
        browsers_->connect(
            *places_, [this](float lon, float lat) { camera_.push_back({lon, lat}); },
            [this](uint32_t command, intptr_t value) {
                if (command != BrowserDispatcher::kCmdUpdateFrame) bar_->command(command, value);
            },
            std::move(makers));
        city_ = browsers_->panel(BrowserKind::City);
        readouts_ = std::make_unique<ReadoutDisplay>(*root_);
        places_->infoTexts().setUp(places_->countries());  // as loading the data does
        handOverTexts();
        settle();
    }
    void TearDown() override {
        readouts_.reset();
        browsers_.reset();
        optionBlock() = OptionBlock();
        HudFixture::TearDown();
    }
    virtual int extraCities() const { return 0; }

    // A left click at a point of a panel given in its own coordinates.
    void clickAt(const BrowserPanel& p, float lx, float ly, bool right = false) {
        const int x = pixelX(p.x() + lx, p.depth()), y = pixelY(p.y() + ly, p.depth());
        move(x, y);
        send(right ? win::kWmRButtonDown : win::kWmLButtonDown, x, y, right ? win::kMkRButton : win::kMkLButton);
        send(right ? win::kWmRButtonUp : win::kWmLButtonUp, x, y);
    }
    // The middle of a cell of a one-row display, or of a row of the rows.
    void clickCell(const BrowserPanel& p, const ListDisplay& d, int column, int row = 0, bool right = false) {
        const float lx = d.offsetX() + d.columnLeft(column) + d.columnWidth(column) / 2;
        const float ly = d.offsetY() + d.remainder() - (float(row) + 0.5f) * d.rowHeight();
        clickAt(p, lx, ly, right);
    }
    std::string nameAt(int position) { return std::string(city_->table().textAt(position, 2)); }
    // What the HUD does each frame: the overlay's overview and help texts,
    // when they changed, go to the browsers.
    void handOverTexts() { readouts_->apply(places_->infoTexts(), browsers_.get()); }
    // The help panel and window showing `text` as the readme.
    void showHelp(const std::string& text) {
        const std::vector<uint8_t> file(text.begin(), text.end());
        places_->infoTexts().setHelp(&file);
        handOverTexts();
    }

    std::unique_ptr<geodata::GeoOverlay> places_;
    std::unique_ptr<BrowserDispatcher> browsers_;
    std::unique_ptr<ReadoutDisplay> readouts_;
    ButtonBar* bar_ = nullptr;
    BrowserPanel* city_ = nullptr;
    std::array<FakeWindow*, 4> windows_{};
    FakePrompt* prompt_ = nullptr;
    std::vector<std::pair<float, float>> camera_;
};

TEST_F(Browsers, PickingARowAfterASortSelectsThatCityAndPointsTheCameraAtIt) {
    bar_->command(ButtonBar::kCmdCityBrowser, 0);
    ASSERT_TRUE(city_->visible());
    EXPECT_TRUE(bar_->lit(0));
    // "Population" sorts descending first (the names were ascending).
    clickCell(*city_, *city_->headerRow(), 6);
    EXPECT_EQ(nameAt(0), "Paris");
    EXPECT_EQ(nameAt(1), "Bern");
    // A click on the top row's city picks Paris.
    clickCell(*city_, city_->rows(), 1, 0);
    const geodata::CityRecord& paris = places_->cities()[kParis];
    EXPECT_EQ(places_->selection().selectedCity, kParis);
    ASSERT_EQ(camera_.size(), 1u);
    EXPECT_EQ(camera_[0], std::pair(paris.longitude, paris.latitude));
    EXPECT_EQ(city_->rows().selectedRow(), kParis - 1);
    // The second row is Bern, not the second city of the file.
    clickCell(*city_, city_->rows(), 2, 1);
    EXPECT_EQ(places_->selection().selectedCity, kBern);
    // Picking the selected city again deselects it; the camera stays.
    clickCell(*city_, city_->rows(), 2, 1);
    EXPECT_EQ(places_->selection().selectedCity, 0);
    EXPECT_EQ(camera_.size(), 2u);
    // The "Rank" header does not sort; "Population" again sorts ascending.
    clickCell(*city_, *city_->headerRow(), 0);
    EXPECT_EQ(nameAt(0), "Paris");
    clickCell(*city_, *city_->headerRow(), 6);
    EXPECT_EQ(nameAt(0), "Paraburdoo");
    EXPECT_EQ(city_->table().intAt(0, BrowserTable::kRankColumn), 0);
}

TEST_F(Browsers, TitleCellsHideTheBrowserOrSwitchItToItsWindowAndBack) {
    bar_->command(ButtonBar::kCmdCityBrowser, 0);
    clickCell(*city_, city_->titleRow(), BrowserPanel::kCloseCell);
    EXPECT_FALSE(city_->visible());
    EXPECT_FALSE(optionBlock().on(OptionBlock::kCityBrowser));
    EXPECT_FALSE(bar_->lit(0));
    bar_->command(ButtonBar::kCmdCityBrowser, 0);
    clickCell(*city_, city_->titleRow(), BrowserPanel::kToggleCell);
    EXPECT_FALSE(city_->visible());
    EXPECT_TRUE(windows_[0]->shown);
    EXPECT_TRUE(optionBlock().on(OptionBlock::kCityBrowserWindow));
    EXPECT_TRUE(bar_->lit(0));
    // The window's "TOGGLE" brings the panel back; its close box hides all.
    browsers_->dispatch(kDispatchSwitchForm, 1, 0);
    EXPECT_TRUE(city_->visible());
    EXPECT_FALSE(windows_[0]->shown);
    bar_->command(ButtonBar::kCmdSwitchForm, 1);
    browsers_->dispatch(kDispatchClosed, 1, 0);
    EXPECT_FALSE(windows_[0]->shown);
    EXPECT_FALSE(city_->visible());
    EXPECT_FALSE(bar_->lit(0));
    // The text panels switch the same way.
    bar_->command(ButtonBar::kCmdHelp, 0);
    BrowserPanel* help = browsers_->panel(BrowserKind::Help);
    EXPECT_EQ(root_->atZ(0), help);  // in front of the panels shown before it
    clickCell(*help, help->titleRow(), BrowserPanel::kToggleCell);
    EXPECT_TRUE(windows_[3]->shown);
    EXPECT_FALSE(help->visible());
}

TEST_F(Browsers, FindFromThePanelSelectsTheRowAndTextPastEveryNameShowsTheEnd) {
    bar_->command(ButtonBar::kCmdCityBrowser, 0);
    city_->table().sort(7, kSortAscending);
    clickCell(*city_, city_->titleRow(), BrowserPanel::kFindCell);
    ASSERT_TRUE(prompt_ && prompt_->isOpen());
    prompt_->type("P");
    prompt_->type("Pa");
    prompt_->type("Par");
    EXPECT_EQ(city_->rows().selectedRow(), kParaburdoo - 1);
    prompt_->type("Pari");
    EXPECT_EQ(city_->rows().selectedRow(), kParis - 1);
    // The find sorted by name: the list shows that order.
    EXPECT_EQ(nameAt(0), "Bern");
    EXPECT_TRUE(camera_.empty());
    prompt_->type("Zz");
    EXPECT_EQ(city_->rows().selectedRow(), -1);
    EXPECT_EQ(city_->rows().firstRow(), std::max(city_->rows().lastFirstRow(), 0));
    clickCell(*city_, city_->titleRow(), BrowserPanel::kCloseCell);
    EXPECT_FALSE(prompt_->isOpen());
}

TEST_F(Browsers, AGlobeClickSelectsTheBrowsersRowsAndACountryShowsItsOverview) {
    auto& selection = places_->selection();
    selection.hoveredCity = kZurich;
    places_->click();
    EXPECT_EQ(city_->rows().selectedRow(), kZurich - 1);
    ASSERT_EQ(windows_[0]->selects.size(), 1u);
    EXPECT_EQ(windows_[0]->selects[0], std::pair(int(kZurich), 0));
    // Clicking the marked city again unmarks it and selects nothing.
    places_->click();
    EXPECT_EQ(windows_[0]->selects.size(), 1u);

    selection.hoveredCity = 0;
    selection.hoveredCountry = places_->countries().find("Switzerland");
    places_->click();
    handOverTexts();
    BrowserPanel* countries = browsers_->panel(BrowserKind::Country);
    EXPECT_EQ(countries->rows().selectedRow(), selection.hoveredCountry - 1);
    BrowserPanel* overview = browsers_->panel(BrowserKind::Overview);
    EXPECT_NE(overview->titleCells().find("Switzerland"), std::string::npos);
    const TextLines& lines = overview->lines();
    ASSERT_EQ(lines.lineCount(), 4);
    EXPECT_EQ(lines.line(0), "Background");
    EXPECT_EQ(lines.mark(0), 0);
    EXPECT_EQ(lines.line(1), "Swiss background");
    EXPECT_EQ(lines.mark(1), 1);
    EXPECT_EQ(lines.line(3), "Swiss economy");
    EXPECT_EQ(windows_[2]->title, "Switzerland");
    EXPECT_EQ(windows_[2]->body, "Background\r\n\r\nSwiss background\r\n\r\nOverview\r\n\r\nSwiss economy");
    EXPECT_EQ(browsers_->panel(BrowserKind::Help)->lines().line(0), "Help");
    EXPECT_EQ(windows_[3]->title, "Readme.txt");
    EXPECT_EQ(windows_[3]->body, "");

    // A pick in the country list points the camera, toggles and shows.
    const int france = places_->countries().find("France");
    browsers_->dispatch(kDispatchPick, 2, france);
    handOverTexts();
    EXPECT_EQ(selection.selectedCountry, france);
    EXPECT_EQ(windows_[2]->title, "France");
    ASSERT_EQ(camera_.size(), 1u);
    EXPECT_FLOAT_EQ(camera_[0].first, 0.04f);
    browsers_->dispatch(kDispatchPick, 2, france);
    EXPECT_EQ(selection.selectedCountry, 0);
    // Out of range: nothing.
    browsers_->dispatch(kDispatchPick, 1, 0);
    browsers_->dispatch(kDispatchPick, 1, places_->cities().count());
    EXPECT_EQ(camera_.size(), 2u);
}

TEST_F(Browsers, UnselectAndClearAllClearsTheRowsAndTheHoveredCityIsMarkedAgain) {
    auto& selection = places_->selection();
    selection.hoveredCity = kZurich;
    places_->click();
    selection.hoveredCity = 0;
    selection.hoveredCountry = places_->countries().find("Switzerland");
    places_->click();
    selection.hoveredCountry = 0;
    places_->clearAll();
    EXPECT_EQ(std::pair(city_->rows().selectedRow(), browsers_->panel(BrowserKind::Country)->rows().selectedRow()),
              std::pair(-1, -1));
    for (int k : {0, 1}) EXPECT_EQ(windows_[size_t(k)]->selects.back(), std::pair(-1, -1));
    // The hover counts as a click: that city is marked and its row selected.
    selection.hoveredCity = kBern;
    places_->clearAll();
    EXPECT_EQ(city_->rows().selectedRow(), kBern - 1);
    EXPECT_EQ(windows_[0]->selects.back(), std::pair(int(kBern), 0));
}

TEST_F(Browsers, APanelShownWhereAnotherIsShownGoesBesideItInView) {
    auto box = [](const BrowserPanel* p) {  // on the screen at unit depth: left, right, bottom, top
        const float z = p->depth();
        return std::array{p->x() / z, (p->x() + p->width()) / z, (p->y() - p->height()) / z, p->y() / z};
    };
    bar_->command(ButtonBar::kCmdOverview, 0);
    bar_->command(ButtonBar::kCmdHelp, 0);
    const auto o = box(browsers_->panel(BrowserKind::Overview)), h = box(browsers_->panel(BrowserKind::Help));
    EXPECT_TRUE(h[1] <= o[0] || h[0] >= o[1] || h[3] <= o[2] || h[2] >= o[3]) << "the help lies over the overview";
    const float X = root_->halfExtentX(), Y = root_->halfExtentY();
    EXPECT_TRUE(h[0] >= -X && h[1] <= X && h[2] >= -Y && h[3] <= Y);
    for (int i = 0; i < 2; ++i) bar_->command(ButtonBar::kCmdHelp, 0);  // shown again: where it was put
    EXPECT_EQ(box(browsers_->panel(BrowserKind::Help)), h);
}

TEST_F(Browsers, TheCityListIsFilledAgainWhenTheCityTableChanges) {
    city_->selectIndex(kBern);
    city_->table().sort(7, kSortDescending);
    places_->cities() = geodata::CityTable();
    places_->cities().load(tnx::test::siteFile({{"France", frenchCities(3)}}), places_->countries());
    places_->browsers()->refillCities();
    EXPECT_EQ(city_->table().rowCount(), 7);
    EXPECT_EQ(city_->footer().text(), "Total 7");
    EXPECT_EQ(city_->table().sortColumn(), 2);
    EXPECT_EQ(city_->rows().selectedRow(), -1);
    EXPECT_EQ(windows_[0]->refreshes, 1);
    // The units: the city header and the window follow.
    EXPECT_NE(city_->headerRow()->text().find("Altitude m"), std::string::npos);
    bar_->command(ButtonBar::kCmdMetric, 0);
    EXPECT_NE(city_->headerRow()->text().find("Altitude ft"), std::string::npos);
    EXPECT_EQ(windows_[0]->refreshes, 2);
    browsers_.reset();
    EXPECT_EQ(places_->browsers(), nullptr);
}

TEST_F(Browsers, TextPanelsBreakTheirLinesAtLineEndsSpacesOrTheLineLength) {
    BrowserPanel* help = browsers_->panel(BrowserKind::Help);
    const int L = TextLines::lineLengthFor(help->rows().width(), help->rows().cellHeight());
    ASSERT_GT(L, 20);
    ASSERT_LT(L, 100);
    std::string text = std::string(150, 'x') + "\r\n\r\nshort\n";
    const std::string words = std::string(size_t(L - 10), 'a') + " " + std::string(30, 'b');
    text += words;
    showHelp(text);
    const TextLines& lines = help->lines();
    // No space: cut every L characters.
    int i = 0;
    for (int rest = 150; rest > 0; rest -= L) EXPECT_EQ(lines.line(i++), std::string(size_t(std::min(rest, L)), 'x'));
    EXPECT_EQ(lines.line(i++), "");
    EXPECT_EQ(lines.line(i++), "short");
    // A full line ends after the space among its last 20 characters.
    EXPECT_EQ(lines.line(i++), std::string(size_t(L - 10), 'a') + " ");
    EXPECT_EQ(lines.line(i++), std::string(30, 'b'));
    EXPECT_EQ(lines.lineCount(), i);
    EXPECT_EQ(help->footer().text(), "Total " + std::to_string(i) + " lines");
    // At most 1000 lines.
    showHelp(std::string(25000, '\n'));
    EXPECT_EQ(lines.lineCount(), TextLines::kMaxLines);
    EXPECT_EQ(windows_[3]->body.size(), BrowserDispatcher::kHelpWindowBytes);
}

class ManyBrowsers : public Browsers {
    int extraCities() const override { return 60; }
};

TEST_F(ManyBrowsers, TheSliderScrollsTheListToItsEndsAndNoFurther) {
    bar_->command(ButtonBar::kCmdCityBrowser, 0);
    ListDisplay& rows = city_->rows();
    ListSlider& s = city_->rowSlider();
    ASSERT_GT(rows.lastFirstRow(), 10);
    const float kx = s.knobX() + s.knobSize() / 2, ky = s.knobY() - s.knobSize() / 2;
    const int x = pixelX(city_->x() + kx, city_->depth()), y = pixelY(city_->y() + ky, city_->depth());
    drag(x, y, x, y + 2000, win::kMkLButton, 8);
    EXPECT_EQ(rows.firstRow(), rows.lastFirstRow());
    EXPECT_EQ(rows.remainder(), 0.0f);
    EXPECT_FLOAT_EQ(s.value(), 1.0f);
    // The panel did not move.
    EXPECT_FLOAT_EQ(city_->x(), ListPanel::kStartX);
    const int up = pixelY(city_->y() + s.knobY() - s.knobSize() / 2, city_->depth());
    drag(x, up, x, up - 3000, win::kMkLButton, 8);
    EXPECT_EQ(rows.firstRow(), 0);
    // A click above the knob at the top pages nowhere; below it a page down.
    clickAt(*city_, kx, s.offsetY() - 0.1f);
    EXPECT_EQ(rows.firstRow(), 0);
    clickAt(*city_, kx, s.offsetY() - s.height() + 0.1f);
    EXPECT_EQ(rows.firstRow(), rows.visibleRows() - 2);
}

TEST_F(Browsers, APanelsRecordAndItsPartsAreReadFromAndWrittenToTheirOwnOffsets) {
    // The help panel: id, owner data, flags, target x, y, depth, width,
    // height, four colours; then its title (4 columns), rows and footer
    // (1 each), the slider with its knob. Colour k of the file is 0xA00000kk.
    Bytes fixed(48, 0);
    const std::array<uint32_t, 3> words = {BrowserPanel::kHelpId, 5, HudElement::kToggled | HudElement::kEnabled};
    for (size_t i = 0; i < 3; ++i) io::storeU32(&fixed[4 * i], words[i]);
    const std::array<float, 5> place = {-2.5f, 6.0f, 20.0f, 11.0f, 9.0f};
    for (size_t i = 0; i < 5; ++i) io::storeF32(&fixed[12 + 4 * i], place[i]);
    uint32_t next = 0xA0000000;
    auto colours = [&](size_t n) {
        Bytes b(4 * n);
        for (size_t i = 0; i < n; ++i) io::storeU32(&b[4 * i], next++);
        return b;
    };
    const Bytes head = colours(4);
    std::copy(head.begin(), head.end(), fixed.begin() + 32);
    const Bytes bytes = makeRecord("savecbuttonlist",
                                   tnx::test::concat({fixed, makeRecord("savecblistdisplay", colours(12)),
                                                      makeRecord("savecblistdisplay", colours(3)),
                                                      makeRecord("savecblistdisplay", colours(3)),
                                                      makeRecord("savecblistdisplayslider", colours(3 + 4))}));
    BrowserPanel* help = browsers_->panel(BrowserKind::Help);
    ASSERT_EQ(help->readRecord(bytes), settings::kRecordApplied);
    EXPECT_EQ(std::tuple(help->ownerData(), help->flags() & HudElement::kToggled, help->targetX(), help->targetY(),
                         help->targetDepth(), help->width(), help->height()),
              std::tuple(5, uint32_t(HudElement::kToggled), -2.5f, 6.0f, 20.0f, 11.0f, 9.0f));
    EXPECT_EQ(std::tuple(help->faceTop(), help->faceBottom(), help->textColour(), help->frameColour()),
              std::tuple(0xA0000000u, 0xA0000001u, 0xA0000002u, 0xA0000003u));
    // A display's colours: every column's face pair, then every text colour.
    const ListDisplay& title = help->titleRow();
    EXPECT_EQ(std::tuple(title.faceTop(1), title.faceBottom(1), title.textColour(1), title.textColour(3)),
              std::tuple(0xA0000006u, 0xA0000007u, 0xA000000Du, 0xA000000Fu));
    EXPECT_EQ(std::tuple(help->rows().faceTop(0), help->rows().textColour(0), help->footer().textColour(0)),
              std::tuple(0xA0000010u, 0xA0000012u, 0xA0000015u));
    HudElement& knob = help->rowSlider().knob();
    EXPECT_EQ(std::tuple(help->rowSlider().faceBottom(0), knob.faceTop(), knob.frameColour()),
              std::tuple(0xA0000017u, 0xA0000019u, 0xA000001Cu));
    Bytes again;
    help->writeRecord(again);
    EXPECT_EQ(again, bytes);
}

TEST_F(Browsers, ColoursEditedOnAPartComeBackWithThePanelsRecord) {
    bar_->command(ButtonBar::kCmdCityBrowser, 0);
    // A right click on the rows' "Country" column edits that column.
    clickCell(*city_, city_->rows(), 2, 3, true);
    auto* editor = dynamic_cast<ColourEditor*>(root_->findById(HudRoot::kColourEditorId));
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->colourCount(), 3);
    editor->setChannel(2, 2, 0.0f);  // text colour, green off
    EXPECT_EQ(city_->rows().textColour(2) & 0x0000FF00u, 0u);
    *city_->rowSlider().knobColourLocations()[0] = 0xFF112233;
    city_->setTarget(-3.0f, 4.0f, 20.0f);

    std::vector<uint8_t> record;
    city_->writeRecord(record);
    // Another HUD reads it into its own city panel.
    HudRoot other(fov(), kWidth, kHeight, font_.get(), tracker_);
    HudBuilder::build(other);
    auto* copy = dynamic_cast<BrowserPanel*>(other.findById(BrowserPanel::kCityId));
    ASSERT_EQ(copy->readRecord(record), settings::kRecordApplied);
    EXPECT_FLOAT_EQ(copy->targetX(), -3.0f);
    EXPECT_FLOAT_EQ(copy->depth(), 20.0f);
    EXPECT_EQ(copy->rows().textColour(2), city_->rows().textColour(2));
    EXPECT_EQ(copy->rows().faceTop(2), city_->rows().faceTop(2));
    EXPECT_EQ(copy->rowSlider().knob().faceTop(), 0xFF112233u);
    EXPECT_FALSE(copy->visible());  // showing is the option block's business
    // Another panel's record, and a damaged one, leave it alone.
    auto* country = dynamic_cast<BrowserPanel*>(other.findById(BrowserPanel::kCountryId));
    EXPECT_EQ(country->readRecord(record), settings::kRecordNotMine);
    std::vector<uint8_t> bad = record;
    io::storeF32(bad.data() + 4 + 16 + 12, std::numeric_limits<float>::infinity());
    EXPECT_EQ(copy->readRecord(bad), settings::kRecordNotMine);
    // A part record of the wrong size is passed over; the others still apply.
    std::vector<uint8_t> cut(record.begin(), record.begin() + 4 + 16 + 48);
    io::storeU32(cut.data(), uint32_t(cut.size()));
    EXPECT_EQ(copy->readRecord(cut), settings::kRecordApplied);
    EXPECT_EQ(copy->rows().textColour(2), city_->rows().textColour(2));
}

}  // namespace
}  // namespace tnx::hud::test
