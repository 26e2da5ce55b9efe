// The read-outs on the HUD: each line on its element, laid out again only
// when it changed; the overview and help texts reach the browsers once per
// change, and a browser that comes late still gets them.
#include "hud/readout_display.h"

#include <gtest/gtest.h>

#include "geodata/city_table.h"
#include "geodata/country_table.h"
#include "hud/hud_builder.h"
#include "hud/hud_fixture.h"

namespace tnx::hud {
namespace {

class TextPresenter : public BrowserPresenter {
public:
    void showPanel(BrowserKind, bool) override {}
    void showWindow(BrowserKind, bool) override {}
    void unitsChanged() override {}
    void showText(BrowserKind kind, const geodata::BrowserText& text) override {
        texts.push_back({kind, text.title});
    }
    std::vector<std::pair<BrowserKind, std::string>> texts;
};

class Readouts : public test::HudFixture {
protected:
    void SetUp() override {
        HudFixture::SetUp();
        HudBuilder::build(*root_);
        countries_.findOrAdd("Ruritania");
        display_ = std::make_unique<ReadoutDisplay>(*root_);
    }
    // Frame with the camera at a height and the pointer somewhere or nowhere.
    void frame(float height, bool onGlobe, float lon = 0) {
        geodata::ReadoutInput in;
        in.cameraPosition = {geodata::InfoTexts::kGlobeRadius + height, 0, 0};
        in.pointerOnGlobe = onGlobe;
        in.pointerLongitude = lon;
        in.hoveredCountry = 1;
        texts_.update(in, cities_, countries_);
    }
    int glyphs(int32_t id) { return root_->findById(id)->glyphVertexCount() / 4; }

    geodata::CountryTable countries_;
    geodata::CityTable cities_;
    geodata::InfoTexts texts_;
    std::unique_ptr<ReadoutDisplay> display_;
};

TEST_F(Readouts, EachLineGoesToItsElementAndOnlyChangedLinesAreLaidOutAgain) {
    frame(30, true);
    EXPECT_EQ(display_->apply(texts_, nullptr), 3);  // camera, pointer, country; no city
    auto ink = [](const std::string& s) { return int(s.size()); };  // a glyph a character
    EXPECT_EQ(glyphs(HudBuilder::kStatus), ink("From E0.000, N0.000,Alt 3000.00km"));
    EXPECT_EQ(glyphs(HudBuilder::kReadout1), ink("E0.000, N0.000, Alt 0m"));
    EXPECT_EQ(glyphs(HudBuilder::kReadout2), 0);
    EXPECT_EQ(glyphs(HudBuilder::kReadout3), ink("Ruritania, Pop  0, Area total 0, land 0"));
    EXPECT_EQ(display_->apply(texts_, nullptr), 0);

    frame(31, true);  // the camera alone moved
    EXPECT_EQ(display_->apply(texts_, nullptr), 1);
    frame(31, false);  // off the globe: the pointer line empties, the country stays
    EXPECT_EQ(display_->apply(texts_, nullptr), 1);
    EXPECT_EQ(glyphs(HudBuilder::kReadout1), 0);
    EXPECT_GT(glyphs(HudBuilder::kReadout3), 0);
}

TEST_F(Readouts, OverviewAndHelpReachTheBrowsersOncePerChange) {
    geodata::CountryTable world;
    world.findOrAdd("World");
    texts_.setHelp(nullptr);
    texts_.showOverview(1, world);
    frame(30, true);
    display_->apply(texts_, nullptr);  // no browsers yet
    TextPresenter first;
    display_->apply(texts_, &first);
    ASSERT_EQ(first.texts.size(), 2u);
    EXPECT_EQ(first.texts[0], std::make_pair(BrowserKind::Overview, std::string("World")));
    EXPECT_EQ(first.texts[1], std::make_pair(BrowserKind::Help, std::string("Help")));
    display_->apply(texts_, &first);
    EXPECT_EQ(first.texts.size(), 2u);
    texts_.showOverview(1, countries_);
    display_->apply(texts_, &first);
    ASSERT_EQ(first.texts.size(), 3u);
    EXPECT_EQ(first.texts[2], std::make_pair(BrowserKind::Overview, std::string("Ruritania")));
    TextPresenter second;
    display_->apply(texts_, &second);
    EXPECT_EQ(second.texts.size(), 2u);
}

}  // namespace
}  // namespace tnx::hud
