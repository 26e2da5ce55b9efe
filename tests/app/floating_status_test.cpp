// The floating status window's logic: "cwindowstatus" round trips and
// damaged records, placement beside the pointer within the client, change
// detection, and the enabled flag.
#include "app/floating_status.h"

#include <gtest/gtest.h>

#include "platform/io/byte_io.h"
#include "platform/win/headless_window_system.h"
#include "settings/preferences_store.h"
#include "support/test_home.h"

namespace tnx::app {
namespace {

// Every character 8 pixels wide, lines 16 high; remembers what it shows.
class FakeSurface : public StatusSurface {
public:
    void measure(std::string_view text, int& width, int& height) override {
        width = 8 * int(text.size());
        height = 16;
    }
    void present(const std::vector<PlacedText>& texts, int x, int y, int w, int h) override {
        shown = texts;
        rect = {x, y, x + w, y + h};
        ++presents;
        visible = true;
    }
    void hide() override { visible = false; }
    std::vector<PlacedText> shown;
    win::Rect rect;
    int presents = 0;
    bool visible = false;
};

class Status : public ::testing::Test {
protected:
    void SetUp() override {
        win::setWindowSystem(&ws_);
        win::WindowSpec spec;
        spec.rect = {100, 50, 900, 650};
        main_ = ws_.createWindow(spec);
        status_.setSurfaceFactory([this] {
            auto s = std::make_unique<FakeSurface>();
            surface_ = s.get();
            ++made_;
            return s;
        });
    }
    void TearDown() override { win::setWindowSystem(nullptr); }
    void show(std::vector<StatusText> texts, int x, int y) { status_.showTexts(texts, x, y, 800, 600, main_); }

    win::HeadlessWindowSystem ws_;
    win::WindowId main_ = 0;
    FloatingStatus status_;
    FakeSurface* surface_ = nullptr;
    int made_ = 0;
};

TEST_F(Status, TextsSitSideBySideInTheirSlotColoursBelowAndLeftOfThePointer) {
    show({{0, "E1.000, N2.000, Alt 3m"}, {2, "Ruritania"}}, 400, 300);
    ASSERT_EQ(made_, 1);
    ASSERT_EQ(surface_->shown.size(), 2u);
    EXPECT_EQ(surface_->shown[0].text, "E1.000, N2.000, Alt 3m ");  // a blank between texts
    EXPECT_EQ(surface_->shown[1].text, "Ruritania");
    EXPECT_EQ(surface_->shown[1].x, 8 * 23);
    EXPECT_EQ(surface_->shown[0].backgroundColour, 0x00FFFF80u);
    EXPECT_EQ(surface_->shown[1].backgroundColour, 0x0080FFC0u);
    const int w = 8 * (23 + 9);
    EXPECT_EQ(status_.width(), w);
    EXPECT_EQ(status_.left(), 400 - w / 3);
    EXPECT_EQ(status_.top(), 300 + 32);
    // On the desktop: the client point plus the window's place.
    EXPECT_EQ(surface_->rect, (win::Rect{100 + 400 - w / 3, 50 + 332, 100 + 400 - w / 3 + w, 50 + 332 + 16}));
}

TEST_F(Status, NearTheEdgesTheWindowStaysInsideAndGoesAboveThePointer) {
    const std::string text(40, 'x');  // 320 pixels
    show({{1, text}}, 5, 600 - 16 - 32);  // just fits below
    EXPECT_EQ(status_.left(), 10);
    EXPECT_EQ(status_.top(), 600 - 16);
    show({{1, text + "y"}}, 795, 600 - 16 - 31);  // one pixel short: above
    EXPECT_EQ(status_.left(), 800 - 328 - 10);
    EXPECT_EQ(status_.top(), 600 - 16 - 31 - 68);
    // Wider than the client: the start of the text stays in view.
    show({{1, std::string(200, 'z')}}, 400, 10);
    EXPECT_EQ(status_.left(), 10);
    EXPECT_EQ(surface_->shown[0].textColour, 0x00800000u);
}

TEST_F(Status, OnlyChangedTextsMoveTheWindowAndHiddenTextsComeBackWhenShownAgain) {
    show({{0, "a"}, {1, "b"}}, 100, 100);
    show({{0, "a"}, {1, "b"}}, 300, 300);  // same texts: it stays
    EXPECT_EQ(surface_->presents, 1);
    EXPECT_EQ(status_.left(), 100 - 24 / 3);
    show({{0, "a"}, {2, "b"}}, 300, 300);  // another slot is a change
    EXPECT_EQ(surface_->presents, 2);
    show({}, 300, 300);
    EXPECT_FALSE(surface_->visible);
    EXPECT_FALSE(status_.shown());
    show({{0, "a"}, {2, "b"}}, 300, 300);
    EXPECT_TRUE(surface_->visible);
    // More than five texts: the first five; a text past 511 bytes is cut.
    std::vector<StatusText> many(7, {3, "q"});
    many[0].text = std::string(600, 'w');
    show(many, 0, 0);
    ASSERT_EQ(surface_->shown.size(), 5u);
    EXPECT_EQ(surface_->shown[0].text.size(), 512u);  // 511 and the blank
    EXPECT_EQ(made_, 1);  // one window for the whole run
}

TEST_F(Status, ADisabledWindowHidesAndShowsNothingUntilEnabledAgain) {
    show({{0, "a"}}, 100, 100);
    status_.toggleEnabled();
    EXPECT_FALSE(status_.enabled());
    EXPECT_FALSE(surface_->visible);
    show({{0, "b"}}, 100, 100);
    EXPECT_EQ(surface_->presents, 1);
    status_.toggleEnabled();
    show({{0, "b"}}, 100, 100);
    EXPECT_TRUE(surface_->visible);
    EXPECT_EQ(surface_->presents, 2);
}

TEST(StatusRecord, ColoursAndTheEnabledFlagRoundTripThroughThePreferences) {
    test::TestHome home;
    settings::PreferencesStore store;
    store.open(home.file("pref.ini"));
    settings::setPreferences(&store);
    {
        FloatingStatus s;
        s.setEnabled(false);
        s.setTextColour(2, 0x00123456);
        s.setBackgroundColour(7, 0xFF654321);  // no top byte in a colour
        s.save();
    }
    FloatingStatus back;
    back.load();
    EXPECT_FALSE(back.enabled());
    EXPECT_EQ(back.textColour(2), 0x00123456u);
    EXPECT_EQ(back.backgroundColour(7), 0x00654321u);
    EXPECT_EQ(back.backgroundColour(1), 0x0080FFFFu);
    auto rec = back.toRecord();
    EXPECT_EQ(io::loadI32(&rec[0]), 0);
    EXPECT_EQ(io::loadU32(&rec[4 + 4 * 7]), 0x00654321u);  // backgrounds first
    EXPECT_EQ(io::loadU32(&rec[36 + 4 * 2]), 0x00123456u);  // then the texts
    settings::setPreferences(nullptr);
}

TEST(StatusRecord, DamagedRecordsLeaveTheDefaults) {
    FloatingStatus fresh;
    fresh.setEnabled(false);
    fresh.setTextColour(0, 0x00ABCDEF);
    const auto good = fresh.toRecord();
    auto damaged = [&](auto change) {
        std::vector<uint8_t> b(good.begin(), good.end());
        change(b);
        FloatingStatus s;
        EXPECT_FALSE(s.fromRecord(b));
        EXPECT_TRUE(s.enabled());
        EXPECT_EQ(s.textColour(0), 0u);
        EXPECT_EQ(s.backgroundColour(0), 0x00FFFF80u);
    };
    damaged([](std::vector<uint8_t>& b) { b.pop_back(); });
    damaged([](std::vector<uint8_t>& b) { b.push_back(0); });
    damaged([](std::vector<uint8_t>& b) { b.clear(); });
    damaged([](std::vector<uint8_t>& b) { io::storeI32(&b[0], 2); });
    damaged([](std::vector<uint8_t>& b) { io::storeU32(&b[64], 0x01000000); });

    // A longer value under the key, as another program might leave: ignored.
    test::TestHome home;
    settings::PreferencesStore store;
    store.open(home.file("pref.ini"));
    settings::setPreferences(&store);
    std::vector<uint8_t> longer(good.begin(), good.end());
    longer.resize(300);
    store.setBinary(FloatingStatus::kRecordName, longer.data(), uint32_t(longer.size()));
    FloatingStatus s;
    s.load();
    EXPECT_TRUE(s.enabled());
    longer.resize(100);
    store.setBinary(FloatingStatus::kRecordName, longer.data(), uint32_t(longer.size()));
    s.load();
    EXPECT_TRUE(s.enabled());
    store.setBinary(FloatingStatus::kRecordName, good.data(), uint32_t(good.size()));
    s.load();
    EXPECT_FALSE(s.enabled());
    settings::setPreferences(nullptr);
}

}  // namespace
}  // namespace tnx::app
