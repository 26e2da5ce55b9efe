// The floating status window's logic: placement beside the pointer within
// the client, change detection, the enabled flag, and "cwindowstatus".
#include "app/floating_status.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/io/byte_io.h"
#include "platform/win/headless_window_system.h"
#include "settings/preferences_store.h"
#include "support/test_home.h"

namespace tnx::app {
namespace {

// Every character 8 pixels wide, 16 high.
class FakeSurface : public StatusSurface {
public:
    void measure(std::string_view text, int& width, int& height) override {
        width = 8 * int(text.size());
        height = 16;
    }
    void present(const std::vector<PlacedText>& t, int x, int y, int, int) override {
        shown = t;
        at = {x, y};
        ++presents;
    }
    void hide() override { shown.clear(); }
    std::vector<PlacedText> shown;
    std::pair<int, int> at;
    int presents = 0;
};

TEST(FloatingStatus, TextsSitBesideThePointerInsideTheClientAndMoveOnlyWhenTheyChange) {
    win::HeadlessWindowSystem ws;
    win::setWindowSystem(&ws);
    win::WindowRequest request;
    request.rect = {100, 50, 900, 650};
    const win::WindowId main = ws.createWindow(request);
    FloatingStatus status;
    FakeSurface* surface = nullptr;
    status.setSurfaceFactory([&] {
        auto s = std::make_unique<FakeSurface>();
        surface = s.get();
        return s;
    });
    auto show = [&](std::vector<StatusText> t, int x, int y) { status.showTexts(t, x, y, 800, 600, main); };

    show({{0, "E1.000, N2.000, Alt 3m"}, {2, "Ruritania"}}, 400, 300);
    ASSERT_EQ(surface->shown.size(), 2u);
    EXPECT_EQ(surface->shown[0].text, "E1.000, N2.000, Alt 3m ");  // a blank between texts
    EXPECT_EQ(surface->shown[1].x, 8 * 23);
    EXPECT_EQ(surface->shown[1].backgroundColour, 0x0080FFC0u);  // the country's slot
    EXPECT_EQ(status.left(), 400 - 256 / 3);
    EXPECT_EQ(surface->at, std::make_pair(100 + 400 - 256 / 3, 50 + 300 + 32));  // on the desktop
    show({{0, "E1.000, N2.000, Alt 3m"}, {2, "Ruritania"}}, 10, 10);
    EXPECT_EQ(surface->presents, 1);  // same texts: the window stays

    const std::string wide(41, 'x');  // 328 pixels
    show({{1, wide}}, 5, 600 - 16 - 32);  // just fits below the pointer
    EXPECT_EQ(status.left(), 10);
    EXPECT_EQ(status.top(), 600 - 16);
    show({{1, wide + "y"}}, 795, 600 - 16 - 31);  // one pixel short: above it
    EXPECT_EQ(status.left(), 800 - 336 - 10);
    EXPECT_EQ(status.top(), 600 - 16 - 31 - 68);
    show({{1, std::string(200, 'z')}}, 400, 10);  // wider than the client
    EXPECT_EQ(status.left(), 10);

    status.toggleEnabled();
    EXPECT_TRUE(surface->shown.empty());
    show({{0, "a"}}, 1, 1);
    EXPECT_EQ(surface->presents, 4);
    status.toggleEnabled();
    show({{0, "a"}}, 1, 1);
    show({}, 1, 1);
    show({{0, "a"}}, 1, 1);  // hidden, the same text shows again
    EXPECT_EQ(surface->presents, 6);

    for (double r : {1.5, 2.0}) {  // a scaled desktop: its pixels, as many more of the window's
        ws.setPixelRatio(r);
        show({{0, "scaled " + std::to_string(r)}}, 3, 590);
        EXPECT_EQ(status.left(), std::lround(10 * r));
        EXPECT_EQ(status.top(), 590 - std::lround(68 * r));
    }
    win::setWindowSystem(nullptr);
}

TEST(FloatingStatus, TheRecordRoundTripsAndADamagedOneLeavesTheDefaults) {
    test::TestHome home;
    settings::PreferencesStore store;
    store.open(home.file("pref.ini"));
    settings::setPreferences(&store);
    FloatingStatus saved;
    saved.setEnabled(false);
    saved.setTextColour(2, 0x00123456);
    saved.setBackgroundColour(7, 0xFF654321);  // a colour has no top byte
    saved.save();
    FloatingStatus back;
    back.load();
    EXPECT_FALSE(back.enabled());
    const auto rec = back.toRecord();
    EXPECT_EQ(io::loadU32(&rec[4 + 4 * 7]), 0x00654321u);  // backgrounds first
    EXPECT_EQ(io::loadU32(&rec[36 + 4 * 2]), 0x00123456u);  // then the texts

    auto rejected = [&](std::vector<uint8_t> bytes) {
        store.setBinary(FloatingStatus::kRecordName, bytes.data(), uint32_t(bytes.size()));
        FloatingStatus s;
        s.load();
        return s.enabled() && s.textColour(2) == 0 && s.backgroundColour(7) == 0x00FFFFFF;
    };
    std::vector<uint8_t> good(rec.begin(), rec.end());
    EXPECT_FALSE(rejected(good));
    for (size_t size : {1u, 67u, 69u, 300u}) {
        std::vector<uint8_t> b = good;
        b.resize(size);
        EXPECT_TRUE(rejected(b)) << size;
    }
    std::vector<uint8_t> flag = good, colour = good;
    io::storeI32(&flag[0], 2);
    io::storeU32(&colour[64], 0x01000000);
    EXPECT_TRUE(rejected(flag));
    EXPECT_TRUE(rejected(colour));
    settings::setPreferences(nullptr);
}

}  // namespace
}  // namespace tnx::app
