// The button bar: its commands and the option block, lit buttons, browsers
// in panel or window form, button drags on the grid, "savecbuttonarry".
#include "hud/button_bar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "hud/colour_editor.h"
#include "hud_fixture.h"
#include "platform/io/byte_io.h"
#include "platform/win/message_queue.h"
#include "support/record_bytes.h"

namespace tnx::hud::test {
namespace {

using settings::OptionBlock;
using settings::optionBlock;
using tnx::test::Bytes;
using tnx::test::makeRecord;

struct Shown {
    BrowserKind kind;
    bool window;
    bool shown;
    bool operator==(const Shown&) const = default;
};

class RecordingPresenter : public BrowserPresenter {
public:
    void showPanel(BrowserKind k, bool s) override { calls.push_back({k, false, s}); }
    void showWindow(BrowserKind k, bool s) override { calls.push_back({k, true, s}); }
    void unitsChanged() override { ++units; }
    void showText(BrowserKind, const geodata::BrowserText&) override {}
    std::vector<Shown> calls;
    int units = 0;
};

class Bar : public HudFixture {
protected:
    void SetUp() override {
        HudFixture::SetUp();
        optionBlock() = OptionBlock();
        bar_ = makeBar(*root_);
        // Commands go through the window procedure, as from the main window.
        win::messageQueue().setProcedure(0, [this](const win::Message& m) {
            sent.push_back(uint32_t(m.wParam));
            return win::LParam(bar_->command(win::loWord(m.wParam), intptr_t(m.lParam)));
        });
    }
    void TearDown() override {
        win::messageQueue().removeProcedure(0);
        optionBlock() = OptionBlock();
        HudFixture::TearDown();
    }
    ButtonBar* makeBar(HudRoot& root) {
        auto bar = std::make_unique<ButtonBar>();
        ButtonBar* b = bar.get();
        bar->init(HudElement::kFontTexture, 5.0f, 2.5f, 0.005f, 50, 0x9090A0F0, 0xFFA0FFFF, 0xFFFFFFFF);
        bar->placeAt(-4.0f, 3.0f, 7.0f);
        root.add(std::move(bar));
        b->build();
        b->setPresenter(&presenter_);
        return b;
    }
    int buttonX(int i) { return pixelX(bar_->x() + bar_->buttonX(i) + bar_->button(i)->width() / 2, bar_->depth()); }
    int buttonY(int i) { return pixelY(bar_->y() + bar_->buttonY(i) - bar_->button(i)->height() / 2, bar_->depth()); }
    void clickButton(int i) {
        move(buttonX(i), buttonY(i));
        send(win::kWmLButtonDown, buttonX(i), buttonY(i), win::kMkLButton);
        send(win::kWmLButtonUp, buttonX(i), buttonY(i));
    }

    ButtonBar* bar_ = nullptr;
    RecordingPresenter presenter_;
    std::vector<uint32_t> sent;
};

TEST_F(Bar, ClickingCityTwiceShowsAndHidesItsBrowserAndLightsTheButtonMeanwhile) {
    clickButton(0);
    EXPECT_EQ(sent, std::vector<uint32_t>{ButtonBar::kCmdCityBrowser});
    EXPECT_TRUE(optionBlock().on(OptionBlock::kCityBrowser));
    EXPECT_TRUE(bar_->lit(0));
    EXPECT_EQ(bar_->button(0)->frameVertices()[16].diffuse, bar_->faceTop());
    EXPECT_EQ(presenter_.calls, (std::vector<Shown>{{BrowserKind::City, true, false}, {BrowserKind::City, false, true}}));
    win::Menu menu;
    menu.appendCommand(ButtonBar::kCmdCityBrowser, "City Browser");
    ButtonBar::checkMenu(menu, false);
    EXPECT_TRUE(menu.find(ButtonBar::kCmdCityBrowser)->checked);

    clickButton(0);
    EXPECT_FALSE(optionBlock().on(OptionBlock::kCityBrowser));
    EXPECT_FALSE(bar_->lit(0));
    EXPECT_EQ(bar_->button(0)->frameVertices()[16].diffuse, bar_->button(0)->faceTop());
    EXPECT_EQ(presenter_.calls.back(), (Shown{BrowserKind::City, false, false}));
    ButtonBar::checkMenu(menu, false);
    EXPECT_FALSE(menu.find(ButtonBar::kCmdCityBrowser)->checked);
    EXPECT_EQ(bar_->pressState(0), 2);
}

TEST_F(Bar, EachViewCommandFlipsItsOptionAndItsButton) {
    struct Case {
        uint32_t command;
        OptionBlock::Field field;
        int button;
    };
    for (const Case& c : {Case{ButtonBar::kCmdBoundary, OptionBlock::kBoundaries, 3},
                          Case{ButtonBar::kCmdCities, OptionBlock::kCities, -1},
                          Case{ButtonBar::kCmdDayNight, OptionBlock::kDayNight, 2},
                          Case{ButtonBar::kCmdDistance, OptionBlock::kDistanceTool, 4},
                          Case{ButtonBar::kCmdNorthLock, OptionBlock::kNorthUpLock, 8},
                          Case{ButtonBar::kCmdMetric, OptionBlock::kMetricUnits, -1}}) {
        const bool before = optionBlock().on(c.field);
        EXPECT_EQ(bar_->command(c.command, 0), 1);
        EXPECT_EQ(optionBlock().on(c.field), !before) << c.command;
        if (c.button >= 0) EXPECT_EQ(bar_->lit(c.button), !before) << c.command;
        bar_->command(c.command, 0);
        EXPECT_EQ(optionBlock().on(c.field), before) << c.command;
    }
    EXPECT_EQ(presenter_.units, 2);
    EXPECT_EQ(bar_->command(40099, 0), 0);  // not the bar's
    // Only the nine button commands and the menu's go anywhere else.
    EXPECT_TRUE(sent.empty());
}

TEST_F(Bar, SwitchingFormKeepsAShownBrowserShownInItsOtherForm) {
    bar_->command(ButtonBar::kCmdCountryBrowser, 0);
    presenter_.calls.clear();
    bar_->command(ButtonBar::kCmdSwitchForm, 2);
    EXPECT_TRUE(optionBlock().on(OptionBlock::kCountryBrowser));
    EXPECT_TRUE(optionBlock().on(OptionBlock::kCountryBrowserWindow));
    EXPECT_EQ(presenter_.calls, (std::vector<Shown>{{BrowserKind::Country, true, true},
                                                    {BrowserKind::Country, false, false}}));
    EXPECT_TRUE(bar_->lit(1));
    bar_->command(ButtonBar::kCmdSwitchForm, 2);
    EXPECT_EQ(presenter_.calls.back(), (Shown{BrowserKind::Country, false, true}));
    // Kinds outside 1..4 do nothing.
    const OptionBlock before = optionBlock();
    bar_->command(ButtonBar::kCmdSwitchForm, 5);
    bar_->command(ButtonBar::kCmdSwitchForm, 0);
    EXPECT_EQ(optionBlock().toBytes(), before.toBytes());
}

TEST_F(Bar, AClosedBrowserIsHiddenOrSwitchedThroughTheWindowCommands) {
    bar_->command(ButtonBar::kCmdHelp, 0);
    bar_->browserClosed(6, 0);
    EXPECT_EQ(sent.back(), ButtonBar::kCmdHelp);
    EXPECT_FALSE(optionBlock().on(OptionBlock::kHelpText));
    bar_->command(ButtonBar::kCmdOverview, 0);
    bar_->browserClosed(5, 3);
    EXPECT_EQ(sent.back(), ButtonBar::kCmdSwitchForm);
    EXPECT_TRUE(optionBlock().on(OptionBlock::kOverviewWindow));
    EXPECT_TRUE(optionBlock().on(OptionBlock::kCountryOverview));
    const size_t n = sent.size();
    bar_->browserClosed(2, 0);
    EXPECT_EQ(sent.size(), n);
}

TEST_F(Bar, TheGapsBetweenButtonsBelongToTheGlobe) {
    const int x = buttonX(0);
    const int y = pixelY(bar_->y() + bar_->buttonY(0) - bar_->cellWidth() / 2, bar_->depth());
    EXPECT_FALSE(move(x, y));
    EXPECT_EQ(bar_->hoveredButton(), -1);
    EXPECT_TRUE(move(buttonX(4), buttonY(4)));
    EXPECT_EQ(bar_->hoveredButton(), 4);
    EXPECT_TRUE(bar_->button(4)->has(HudElement::kHover));
    EXPECT_TRUE(move(buttonX(5), buttonY(5)));
    EXPECT_FALSE(bar_->button(4)->has(HudElement::kHover));
}

TEST_F(Bar, ADraggedButtonSendsNothingAndLandsOnTheGridInsideTheView) {
    const int x = buttonX(2), y = buttonY(2);
    drag(x, y, x + 137, y + 61, win::kMkLButton, 5);
    EXPECT_TRUE(sent.empty());
    const float gx = 0.1f * bar_->cellWidth(), gy = 0.1f * bar_->cellHeight();
    const float bx = bar_->buttonX(2), by = bar_->buttonY(2);
    EXPECT_NEAR(bx / gx, std::round(bx / gx), 1e-3);
    EXPECT_NEAR(by / gy, std::round(by / gy), 1e-3);
    EXPECT_GT(bx, 0.5f);  // it moved
    EXPECT_FLOAT_EQ(bar_->buttonX(3), 0.0f);  // the others did not
    // Far off to the right: it stops inside the view at the bar's depth.
    drag(buttonX(2), buttonY(2), buttonX(2) + 5000, buttonY(2) - 5000, win::kMkLButton, 2);
    const float X = root_->halfExtentX() * bar_->depth(), Y = root_->halfExtentY() * bar_->depth();
    EXPECT_LE(bar_->x() + bar_->buttonX(2) + bar_->cellWidth(), X + 1e-3);
    EXPECT_LE(bar_->y() + bar_->buttonY(2), Y + 1e-3);
    EXPECT_TRUE(sent.empty());
}

TEST_F(Bar, ARightDragMovesTheWholeBarAndARightClickRecoloursOneButton) {
    const float x0 = bar_->x(), rel = bar_->buttonX(1);
    drag(buttonX(1), buttonY(1), buttonX(1) + 40, buttonY(1), win::kMkRButton, 2);
    EXPECT_NEAR(bar_->x(), x0 + 40 * root_->pixelScale() * (bar_->depth()), 2e-3);
    EXPECT_FLOAT_EQ(bar_->buttonX(1), rel);
    EXPECT_EQ(root_->findById(HudRoot::kColourEditorId), nullptr);
    move(buttonX(6), buttonY(6));
    send(win::kWmRButtonDown, buttonX(6), buttonY(6), win::kMkRButton);
    send(win::kWmRButtonUp, buttonX(6), buttonY(6));
    auto* editor = dynamic_cast<ColourEditor*>(root_->findById(HudRoot::kColourEditorId));
    ASSERT_NE(editor, nullptr);
    editor->setChannel(0, 1, 1.0f);  // face top, red
    EXPECT_EQ(bar_->button(6)->faceTop() & 0x00FF0000u, 0x00FF0000u);
    EXPECT_EQ(bar_->button(5)->faceTop() & 0x00FF0000u, 0x00480000u);
    EXPECT_TRUE(sent.empty());
}

TEST_F(Bar, LayoutColoursAndOptionsComeBackFromTheirRecord) {
    bar_->setButtonPlace(3, 1.2f, -0.6f);
    *bar_->button(7)->colourLocations()[2] = 0xFF00FF00;
    bar_->setTarget(-3.0f, 2.5f, 8.0f);
    optionBlock().set(OptionBlock::kCountryBrowser, 1);
    optionBlock().set(OptionBlock::kCountryBrowserWindow, 1);
    optionBlock().set(OptionBlock::kDayNight, 0);
    optionBlock().set(OptionBlock::kOptionsLeft, 321);
    Bytes bytes;
    const size_t n = bar_->writeRecord(bytes);
    EXPECT_EQ(n, 4 + 16 + ButtonBar::kRecordFixedSize);

    optionBlock() = OptionBlock();
    HudRoot other(fov(), kWidth, kHeight, font_.get(), tracker_);
    ButtonBar* b = makeBar(other);
    ASSERT_EQ(b->readRecord(bytes), settings::kRecordApplied);
    EXPECT_FLOAT_EQ(b->buttonX(3), 1.2f);
    EXPECT_FLOAT_EQ(b->buttonY(3), -0.6f);
    EXPECT_EQ(b->button(7)->textColour(), 0xFF00FF00u);
    EXPECT_FLOAT_EQ(b->x(), -3.0f);
    EXPECT_FLOAT_EQ(b->depth(), 8.0f);
    EXPECT_EQ(optionBlock().get(OptionBlock::kOptionsLeft), 321);
    // The country browser reopens as a window, its flag kept; every button
    // is lit from its option.
    EXPECT_TRUE(optionBlock().on(OptionBlock::kCountryBrowser));
    EXPECT_NE(std::find(presenter_.calls.begin(), presenter_.calls.end(), Shown{BrowserKind::Country, true, true}),
              presenter_.calls.end());
    EXPECT_TRUE(b->lit(1));
    EXPECT_FALSE(b->lit(2));
    EXPECT_TRUE(b->lit(3));
}

TEST_F(Bar, EachPartOfTheRecordIsReadFromAndWrittenToItsOwnOffset) {
    using O = OptionBlock;
    Bytes body(720, 0);
    io::storeI32(&body[0], ButtonBar::kId);
    io::storeF32(&body[4], -2.5f);
    io::storeF32(&body[8], 1.5f);
    io::storeF32(&body[12], 90.0f);
    for (int k = 0; k < 4; ++k) io::storeU32(&body[size_t(16 + 4 * k)], 0xC0000010u + uint32_t(k));
    // Every option its own value, offset / 4 + 2; of the browsers, shown
    // all, the city list and the overview in window form.
    const std::pair<int, O::Field> options[] = {
        {0, O::kCityBrowser},  {4, O::kCountryBrowser},    {8, O::kDayNight},          {12, O::kBoundaries},
        {16, O::kDistanceTool}, {20, O::kCountryOverview}, {24, O::kHelpText},         {32, O::kNorthUpLock},
        {40, O::kCities},      {44, O::kAtmosphere},       {48, O::kRivers},           {52, O::kOptionsLeft},
        {56, O::kOptionsTop},  {60, O::kIdleInactive},     {64, O::kIdleNoChanging},   {72, O::kHudShown},
        {76, O::kPointerTool}, {80, O::kMetricUnits},      {84, O::kCityBrowserWindow}, {88, O::kCountryBrowserWindow},
        {92, O::kOverviewWindow}, {96, O::kHelpWindow}};
    auto optionAt = [](int at) { return at == 88 || at == 96 ? 0 : at / 4 + 2; };
    for (auto [at, field] : options) io::storeI32(&body[size_t(32 + at)], optionAt(at));
    // Button i at (i, -i / 2) relative to the bar, colours 0xB0iiii0k.
    for (int i = 0; i < 9; ++i) {
        const size_t at = 432 + 32 * size_t(i);
        io::storeI32(&body[at], ButtonBar::kId);
        io::storeF32(&body[at + 4], float(i));
        io::storeF32(&body[at + 8], -float(i) / 2);
        for (int k = 0; k < 4; ++k) io::storeU32(&body[at + 16 + 4 * size_t(k)], 0xB0000000u + uint32_t(i << 8 | k));
    }
    const Bytes bytes = makeRecord(ButtonBar::kRecordName, body);
    ASSERT_EQ(bar_->readRecord(bytes), settings::kRecordApplied);
    EXPECT_EQ(std::tuple(bar_->x(), bar_->y(), bar_->depth()), std::tuple(-2.5f, 1.5f, 55.0f));  // depth held to 5..55
    EXPECT_EQ(bar_->frameColour(), 0xC0000013u);
    for (auto [at, field] : options) EXPECT_EQ(optionBlock().get(field), optionAt(at)) << at;
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(std::pair(bar_->buttonX(i), bar_->buttonY(i)), std::pair(float(i), -float(i) / 2)) << i;
        EXPECT_EQ(bar_->button(i)->textColour(), 0xB0000002u + uint32_t(i << 8)) << i;
    }
    for (auto [kind, window] : {std::pair{BrowserKind::City, true}, {BrowserKind::Country, false},
                                {BrowserKind::Overview, true}, {BrowserKind::Help, false}})
        EXPECT_NE(std::find(presenter_.calls.begin(), presenter_.calls.end(), Shown{kind, window, true}),
                  presenter_.calls.end()) << int(kind);
    io::storeF32(&body[12], 55.0f);  // written as held
    Bytes again;
    bar_->writeRecord(again);
    EXPECT_EQ(again, makeRecord(ButtonBar::kRecordName, body));
}

TEST_F(Bar, AnOlderShorterOrDamagedBarRecordLeavesBarAndOptionsAlone) {
    Bytes good;
    bar_->writeRecord(good);
    const Bytes body(good.begin() + 4 + 16, good.end());
    auto damaged = [&](auto change) {
        Bytes b = body;
        change(b);
        return makeRecord(ButtonBar::kRecordName, b);
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<Bytes> records = {
        damaged([](Bytes& b) { b.resize(356); }),  // the older layout
        damaged([](Bytes& b) { io::storeI32(&b[0], 0x106); }),
        damaged([&](Bytes& b) { io::storeF32(&b[4], nan); }),
        damaged([&](Bytes& b) { io::storeF32(&b[12], -1.0f); }),
        damaged([&](Bytes& b) { io::storeF32(&b[ButtonBar::kButtonsOffset + 32 * 4 + 4], 1e9f); }),
    };
    for (Bytes& r : records) io::storeI32(&r[4 + 16 + ButtonBar::kOptionsOffset + OptionBlock::kCityBrowser], 1);
    const float x = bar_->x();
    for (const Bytes& r : records) {
        EXPECT_EQ(bar_->readRecord(r), settings::kRecordNotMine);
        EXPECT_FLOAT_EQ(bar_->x(), x);
        EXPECT_FALSE(optionBlock().on(OptionBlock::kCityBrowser));
    }
    // A plain element record never reaches the bar's reader.
    EXPECT_EQ(bar_->readRecord(makeRecord(HudElement::kRecordName, Bytes(108, 0))), settings::kRecordNameDiffers);
}

}  // namespace
}  // namespace tnx::hud::test
