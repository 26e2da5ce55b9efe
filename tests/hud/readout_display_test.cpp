// The read-outs on the HUD: each line on its element, laid out again only
// when it changed; overview and help reach the browsers once per change,
// and a browser that comes late still gets them.
#include "hud/readout_display.h"

#include <gtest/gtest.h>

#include "geodata/city_table.h"
#include "geodata/country_table.h"
#include "hud/hud_fixture.h"

namespace tnx::hud {
namespace {

class TextPresenter : public BrowserPresenter {
public:
    void showPanel(BrowserKind, bool) override {}
    void showWindow(BrowserKind, bool) override {}
    void unitsChanged() override {}
    void showText(BrowserKind kind, const geodata::BrowserText& t) override { texts.push_back({kind, t.title}); }
    std::vector<std::pair<BrowserKind, std::string>> texts;
};

class Readouts : public test::HudFixture {};

TEST_F(Readouts, LinesGoToTheirElementsOnlyWhenChangedAndTextsToTheBrowsersOnce) {
    HudBuilder::build(*root_);
    ReadoutDisplay display(*root_);
    geodata::CountryTable countries;
    countries.findOrAdd("World");
    geodata::CityTable cities;
    geodata::InfoTexts texts;
    geodata::ReadoutInput in;
    auto frame = [&](float height, bool onGlobe) {
        in.cameraPosition = {geodata::InfoTexts::kGlobeRadius + height, 0, 0};
        in.pointerOnGlobe = onGlobe;
        texts.update(in, cities, countries);
    };
    auto shown = [&](int32_t id) { return root_->findById(id)->text(); };
    frame(30, true);
    EXPECT_EQ(display.apply(texts, nullptr), 3);  // camera, pointer, country; no city
    EXPECT_EQ(shown(HudBuilder::kStatus), "From E0.000, N0.000,Alt 3000.00km");
    EXPECT_EQ(shown(HudBuilder::kReadout1), "E0.000, N0.000, Alt 0m");
    EXPECT_EQ(root_->findById(HudBuilder::kReadout1)->glyphVertexCount(), 4 * 22);
    EXPECT_EQ(shown(HudBuilder::kReadout3), "World, Pop  0, Area total 0, land 0");
    EXPECT_EQ(display.apply(texts, nullptr), 0);
    frame(31, false);  // the camera moved and the pointer left the globe
    EXPECT_EQ(display.apply(texts, nullptr), 2);
    EXPECT_EQ(shown(HudBuilder::kReadout1), "");
    EXPECT_EQ(shown(HudBuilder::kReadout3), "World, Pop  0, Area total 0, land 0");

    texts.setHelp(nullptr);
    texts.showOverview(1, countries);
    TextPresenter first, late;
    display.apply(texts, &first);
    display.apply(texts, &first);
    texts.showOverview(0, countries);
    display.apply(texts, &first);
    using P = std::pair<BrowserKind, std::string>;
    EXPECT_EQ(first.texts, (std::vector<P>{{BrowserKind::Overview, "World"}, {BrowserKind::Help, "Help"},
                                           {BrowserKind::Overview, ""}}));
    display.apply(texts, &late);
    EXPECT_EQ(late.texts.size(), 2u);
}

}  // namespace
}  // namespace tnx::hud
