// The sound visualisation with a player the test drives: the status texts
// follow the elapsed time and the item, the progress bar stays inside its
// element, the spectrum's bars rise at once and sink at 5.0 per second, the
// controls show and hide together, the record comes back, and the mouse on
// the display moves it, resizes it and opens the player's menu.
#include <gtest/gtest.h>

#include <cmath>

#include "../hud/hud_fixture.h"
#include "platform/io/byte_io.h"
#include "support/record_bytes.h"
#include "platform/win/headless_window_system.h"
#include "soundvis/sound_visual_layer.h"

namespace tnx::soundvis {
namespace {

class ScriptedPlayer : public MusicPlayer {
public:
    void stop() override { calls.push_back("stop"); }
    void play() override { calls.push_back("play"); }
    void next() override { calls.push_back("next"); }
    void previous() override { calls.push_back("previous"); }
    void pause() override { calls.push_back("pause"); }
    void openFiles(const std::vector<std::string>& paths) override { opened = paths; }
    player::PlayerStatus status() const override { return state; }
    bool spectrum(player::SpectrumBands& out) const override {
        out = bands;
        return playing;
    }

    player::PlayerStatus state;
    player::SpectrumBands bands{};
    bool playing = true;
    std::vector<std::string> calls;
    std::vector<std::string> opened;
};

class SoundVisualLayerTest : public hud::test::HudFixture {
protected:
    void SetUp() override {
        HudFixture::SetUp();
        win::setWindowSystem(&windows_);
        player_.state.fileNumber = 1;
        player_.state.fileCount = 3;
        player_.state.title = "first.mp3";
        player_.state.totalMinutes = 3;
        player_.state.length = 180000;
        layer_ = std::make_unique<SoundVisualLayer>(*root_, true, &player_, [this] { return now_; });
    }
    void TearDown() override {
        win::setWindowSystem(nullptr);
        HudFixture::TearDown();
    }
    std::string text(int32_t id) const { return layer_->element(id)->text(); }
    // A pixel inside the display, from its lower-left corner inwards.
    void displayPixel(float fx, float fy, int& px, int& py) const {
        const DisplayPlacement& p = layer_->display().placement();
        const float x = p.x + fx * layer_->display().width(), y = p.y + fy * layer_->display().height();
        px = pixelX(x, p.size);
        py = pixelY(y, p.size);
    }
    bool sendLayer(uint32_t id, int px, int py, uint32_t keys = 0) {
        return layer_->mouse({1, id, keys, win::makeLParam(px, py)});
    }

    win::HeadlessWindowSystem windows_;
    ScriptedPlayer player_;
    std::tm now_{};
    std::unique_ptr<SoundVisualLayer> layer_;
};

TEST_F(SoundVisualLayerTest, TextsChangeOnlyWithTheElapsedTimeOrTheItem) {
    now_.tm_hour = 9;
    player_.state.elapsedSeconds = 4;
    player_.state.position = 4000;
    layer_->update(0.02f);
    EXPECT_EQ(text(SoundVisualLayer::kElapsed), "Elapsed 0:0:4");
    EXPECT_EQ(text(SoundVisualLayer::kTotalTime), "Total time 0:3:0");
    EXPECT_EQ(text(SoundVisualLayer::kNumber), "Number 1 of 3");
    EXPECT_EQ(text(SoundVisualLayer::kTitle), "first.mp3");
    const std::string clock = text(SoundVisualLayer::kDateTime);
    const float bar = layer_->progress()->barRight();

    // The same second: nothing is rewritten, although time and position moved.
    now_.tm_hour = 10;
    player_.state.position = 4900;
    layer_->update(0.02f);
    EXPECT_EQ(text(SoundVisualLayer::kDateTime), clock);
    EXPECT_EQ(layer_->progress()->barRight(), bar);

    // The next second: time, clock and bar follow; the item's texts stay.
    player_.state.elapsedSeconds = 5;
    player_.state.elapsedMinutes = 1;
    player_.state.totalMinutes = 9;  // not shown until the item changes
    layer_->update(0.02f);
    EXPECT_EQ(text(SoundVisualLayer::kElapsed), "Elapsed 0:1:5");
    EXPECT_NE(text(SoundVisualLayer::kDateTime), clock);
    EXPECT_GT(layer_->progress()->barRight(), bar);
    EXPECT_EQ(text(SoundVisualLayer::kTotalTime), "Total time 0:3:0");

    // Another item, even within the same second, shows at once.
    player_.state.fileNumber = 2;
    player_.state.title = "second.mp3";
    layer_->update(0.02f);
    EXPECT_EQ(text(SoundVisualLayer::kNumber), "Number 2 of 3");
    EXPECT_EQ(text(SoundVisualLayer::kTitle), "second.mp3");
    EXPECT_EQ(text(SoundVisualLayer::kTotalTime), "Total time 0:9:0");
}

TEST_F(SoundVisualLayerTest, AnErrorTakesTheTitleLineUntilTheNextItem) {
    layer_->update(0.02f);
    // No sound device: the song plays on silently, and the title line says so.
    player_.state.lastError = 31;
    player_.state.message = "no sound device; playing silently";
    layer_->update(0.02f);
    EXPECT_EQ(text(SoundVisualLayer::kTitle), "no sound device; playing silently");
    player_.state.elapsedSeconds = 1;
    layer_->update(0.02f);
    EXPECT_EQ(text(SoundVisualLayer::kTitle), "no sound device; playing silently");
    player_.state.fileNumber = 2;
    player_.state.title = "second.mp3";
    layer_->update(0.02f);
    EXPECT_EQ(text(SoundVisualLayer::kTitle), "second.mp3");
}

TEST_F(SoundVisualLayerTest, ProgressBarGrowsWithThePositionAndStaysInsideItsElement) {
    const float w = layer_->progress()->width();
    const float full = w * hud::ProgressButton::kShare + hud::ProgressButton::kInset;
    auto barAt = [&](int64_t position, int64_t length, int second) {
        player_.state.position = position;
        player_.state.length = length;
        player_.state.elapsedSeconds = second;
        layer_->update(0.02f);
        return layer_->progress()->barRight();
    };
    EXPECT_FLOAT_EQ(barAt(0, 180000, 1), hud::ProgressButton::kInset);
    EXPECT_NEAR(barAt(45000, 180000, 2), w * 0.915f * 0.25f + 0.05f, 1e-5);
    // Past the (estimated) end, with no length at all, and backwards.
    EXPECT_FLOAT_EQ(barAt(200000, 180000, 3), full);
    EXPECT_FLOAT_EQ(barAt(5000, 0, 4), full);
    EXPECT_FLOAT_EQ(barAt(-5000, 180000, 5), hud::ProgressButton::kInset);
    for (const auto& v : layer_->progress()->barVertices()) EXPECT_LE(v.x, full);
}

TEST_F(SoundVisualLayerTest, BarsRiseAtOnceAndSinkByTheFallRateTimesTheFrame) {
    SpectrumDisplay& d = layer_->display();
    player_.bands[0][3] = 1000.0f;    // ln 2
    player_.bands[0][20] = 20.0f;     // ln 1.02, just above the shown level
    player_.bands[0][25] = 9.0f;      // ln 1.009: too quiet to draw
    player_.bands[1][0] = 32767.0f;
    layer_->update(0.02f);
    EXPECT_FLOAT_EQ(d.drawnLevel(0, 3), std::log(2.0f));
    EXPECT_EQ(d.highestBand(0), 20);
    EXPECT_EQ(d.highestBand(1), 0);

    // Quieter: the bar sinks 5.0 * 0.05 s = 0.25 a frame, never below the new value.
    player_.bands[0][3] = 500.0f;
    layer_->update(0.05f);
    EXPECT_NEAR(d.drawnLevel(0, 3), std::log(2.0f) - 0.25f, 1e-5);
    layer_->update(0.05f);
    EXPECT_NEAR(d.drawnLevel(0, 3), std::log(1.5f), 1e-6);
    // Louder again: at once.
    player_.bands[0][3] = 4000.0f;
    layer_->update(0.5f);
    EXPECT_FLOAT_EQ(d.drawnLevel(0, 3), std::log(5.0f));

    // Stopped: everything sinks; band 20 drops under the shown level first.
    player_.playing = false;
    layer_->update(0.002f);
    EXPECT_EQ(d.highestBand(0), 3);
    for (int i = 0; i < 200; ++i) layer_->update(0.02f);
    EXPECT_EQ(d.highestBand(0), -1);
    EXPECT_EQ(d.highestBand(1), -1);
    EXPECT_EQ(d.drawnLevel(1, 0), 0.0f);
}

TEST_F(SoundVisualLayerTest, ShowAndHideCommandsTakeAllFourteenControls) {
    auto visibleControls = [&] {
        int n = 0;
        for (int i = 0; i < root_->count(); ++i) n += root_->element(i)->visible();
        return n;
    };
    EXPECT_EQ(root_->count(), SoundVisualLayer::kElementCount);
    EXPECT_EQ(visibleControls(), 14);
    EXPECT_TRUE(layer_->command(SoundVisualLayer::kCmdHideButtons));
    EXPECT_EQ(visibleControls(), 0);
    EXPECT_FALSE(layer_->playerButtonsShown());
    // Hidden controls are not hit: the click goes past them.
    EXPECT_FALSE(send(win::kWmLButtonDown, centreX(*layer_->element(0x204)), centreY(*layer_->element(0x204))));
    EXPECT_TRUE(layer_->command(SoundVisualLayer::kCmdShowButtons));
    EXPECT_EQ(visibleControls(), 14);
    EXPECT_FALSE(layer_->command(40081));
    EXPECT_FALSE(layer_->command(40090));
    // The captions carry their text from the start.
    EXPECT_GT(layer_->element(SoundVisualLayer::kCaptionLeft)->glyphVertexCount(), 0);
    EXPECT_GT(layer_->element(SoundVisualLayer::kCaptionRight)->glyphVertexCount(), 0);
    // The element saved as 0x00B is the progress text.
    EXPECT_EQ(layer_->element(0x00B), layer_->progress());
    EXPECT_EQ(root_->element(11)->id(), 0x00B);
}

TEST_F(SoundVisualLayerTest, ButtonsCallThePlayerAndLabelsDoNothing) {
    click(*layer_->element(SoundVisualLayer::kNext));
    click(*layer_->element(SoundVisualLayer::kPrevious));
    click(*layer_->element(SoundVisualLayer::kCaptionLeft));
    click(*layer_->element(SoundVisualLayer::kTitle));
    EXPECT_EQ(player_.calls, (std::vector<std::string>{"next", "previous"}));
    EXPECT_FALSE(layer_->element(SoundVisualLayer::kNext)->has(hud::HudElement::kToggled));
    // A button moved by a drag does not act.
    const hud::HudElement& stop = *layer_->element(SoundVisualLayer::kStop);
    drag(centreX(stop), centreY(stop), centreX(stop) - 40, centreY(stop) - 30, win::kMkLButton);
    EXPECT_EQ(player_.calls.size(), 2u);
    // Open Files hands the chosen files over; nothing chosen, nothing opened.
    layer_->setOpenFilesPrompt([](win::WindowId) { return std::vector<std::string>{"/music/a.mp3", "/music/b.mp3"}; });
    click(*layer_->element(SoundVisualLayer::kOpenFiles));
    EXPECT_EQ(player_.opened, (std::vector<std::string>{"/music/a.mp3", "/music/b.mp3"}));
}

TEST_F(SoundVisualLayerTest, RightClickOnTheDisplayOpensThePlayerMenu) {
    int px, py;
    displayPixel(0.5f, 0.5f, px, py);
    EXPECT_TRUE(sendLayer(win::kWmRButtonDown, px, py, win::kMkRButton));
    EXPECT_TRUE(sendLayer(win::kWmRButtonUp, px, py));
    ASSERT_NE(windows_.lastMenu(), nullptr);
    win::Menu menu = *windows_.lastMenu();
    ASSERT_EQ(menu.items.size(), 7u);
    for (uint32_t i = 0; i < 6; ++i) EXPECT_EQ(menu.items[i].id, 40082 + i);
    EXPECT_EQ(menu.items[5].text, "Open Files");
    EXPECT_EQ(menu.items[6].id, 40089u);
    EXPECT_EQ(menu.items[6].text, "Hide Player Buttons");

    // Choosing from it carries the command out; hidden buttons offer "Display".
    windows_.setMenuChoice(SoundVisualLayer::kCmdHideButtons);
    sendLayer(win::kWmRButtonDown, px, py, win::kMkRButton);
    sendLayer(win::kWmRButtonUp, px, py);
    EXPECT_FALSE(layer_->playerButtonsShown());
    windows_.setMenuChoice(0);
    sendLayer(win::kWmRButtonDown, px, py, win::kMkRButton);
    sendLayer(win::kWmRButtonUp, px, py);
    EXPECT_EQ(windows_.lastMenu()->items[6].id, 40088u);
    EXPECT_EQ(windows_.lastMenu()->items[6].text, "Display Player Buttons");

    // A right drag opens nothing; a click beside the display is not taken.
    windows_.setMenuChoice(SoundVisualLayer::kCmdStop);
    sendLayer(win::kWmRButtonDown, px, py, win::kMkRButton);
    sendLayer(win::kWmMouseMove, px + 3, py, win::kMkRButton);
    sendLayer(win::kWmRButtonUp, px + 3, py);
    EXPECT_TRUE(player_.calls.empty());
    int ox, oy;
    displayPixel(1.2f, 0.5f, ox, oy);
    EXPECT_FALSE(sendLayer(win::kWmRButtonDown, ox, oy, win::kMkRButton));
}

TEST_F(SoundVisualLayerTest, DragsStopAtTheEdgesAndTheNearestDistance) {
    SpectrumDisplay& d = layer_->display();
    const DisplayView v = layer_->view();
    int px, py;
    displayPixel(0.5f, 0.5f, px, py);
    // Far to the right and up: held at size * tan(fov/2) and the matching height.
    sendLayer(win::kWmLButtonDown, px, py, win::kMkLButton);
    sendLayer(win::kWmMouseMove, px + 3000, py - 3000, win::kMkLButton);
    EXPECT_TRUE(sendLayer(win::kWmLButtonUp, px + 3000, py - 3000));  // outside the display, still the drag's
    EXPECT_FLOAT_EQ(d.placement().x, 70.0f * v.halfX);
    EXPECT_FLOAT_EQ(d.placement().y, 70.0f * v.halfY);
    EXPECT_TRUE(windows_.lastMenu() == nullptr);

    // A small move goes exactly by the pointer at the display's distance.
    displayPixel(0.1f, 0.1f, px, py);
    const float x0 = d.placement().x;
    sendLayer(win::kWmLButtonDown, px, py, win::kMkLButton);
    sendLayer(win::kWmMouseMove, px - 10, py, win::kMkLButton);
    sendLayer(win::kWmLButtonUp, px - 10, py);
    EXPECT_NEAR(d.placement().x, x0 - 10 * v.pixelScale() * 70.0f, 1e-4);

    // Right drag upwards: nearer, but never nearer than 10; sideways turns the colour.
    displayPixel(0.5f, 0.5f, px, py);
    sendLayer(win::kWmRButtonDown, px, py, win::kMkRButton);
    sendLayer(win::kWmMouseMove, px + 20, py - 500, win::kMkRButton);
    sendLayer(win::kWmRButtonUp, px + 20, py - 500);
    EXPECT_EQ(d.placement().size, SpectrumDisplay::kMinSize);
    EXPECT_FLOAT_EQ(d.placement().params[SpectrumDisplay::kColourParam], 2.0f);
    // The edges came nearer with it.
    EXPECT_LE(d.placement().x, 10.0f * v.halfX);
    EXPECT_LE(d.placement().y, 10.0f * v.halfY);
}

TEST_F(SoundVisualLayerTest, RecordComesBackAndAnotherLayoutIsLeftAlone) {
    DisplayPlacement& p = layer_->display().placement();
    p.x = -12.5f;
    p.y = 3.25f;
    p.size = 42.0f;
    p.params = {1.5f, 0.1f, 0.5f, 7.0f, 0.25f};
    layer_->command(SoundVisualLayer::kCmdHideButtons);
    std::vector<uint8_t> bytes;
    const size_t written = layer_->writeRecord(bytes);
    EXPECT_EQ(written, bytes.size());
    ASSERT_EQ(bytes.size(), 4 + 16 + SoundVisualLayer::kRecordFixedSize);
    EXPECT_EQ(io::loadU32(bytes.data() + 20 + 4), 736u);
    EXPECT_EQ(io::loadU32(bytes.data() + 20 + 12), 0u);  // buttons hidden
    EXPECT_FLOAT_EQ(io::loadF32(bytes.data() + 20 + 76), 42.0f);

    p = DisplayPlacement{};
    EXPECT_EQ(layer_->readRecord(bytes), settings::kRecordApplied);
    EXPECT_FLOAT_EQ(p.x, -12.5f);
    EXPECT_FLOAT_EQ(p.y, 3.25f);
    EXPECT_FLOAT_EQ(p.size, 42.0f);
    EXPECT_EQ(p.params, (std::array<float, 5>{1.5f, 0.1f, 0.5f, 7.0f, 0.25f}));
    // The controls are shown again: there is a player and a spectrum.
    EXPECT_TRUE(layer_->playerButtonsShown());

    // Another stamp, a cut-off record, another name: nothing applied.
    for (auto damage : {0, 1, 2}) {
        std::vector<uint8_t> other = bytes;
        if (damage == 0) io::storeU32(other.data() + 24, 735);
        if (damage == 1) {
            other.resize(other.size() - 4);
            io::storeU32(other.data(), uint32_t(other.size()));
        }
        if (damage == 2) other[4] = 'x';
        p = DisplayPlacement{};
        layer_->command(SoundVisualLayer::kCmdHideButtons);
        const int r = layer_->readRecord(other);
        EXPECT_EQ(r, damage == 2 ? settings::kRecordNameDiffers : settings::kRecordNotMine) << damage;
        EXPECT_EQ(p.x, -25.0f) << damage;
        EXPECT_EQ(p.size, 70.0f) << damage;
        EXPECT_TRUE(layer_->playerButtonsShown()) << damage;
    }

    // Values no display can have are made usable.
    std::vector<uint8_t> odd = bytes;
    io::storeF32(odd.data() + 20 + 76, 2.0f);                // size below 10
    io::storeF32(odd.data() + 20 + 68, std::nanf(""));       // x
    io::storeF32(odd.data() + 20 + 72, 1e9f);                // y far outside
    io::storeF32(odd.data() + 20 + 56, -1.0f);               // scale
    EXPECT_EQ(layer_->readRecord(odd), settings::kRecordApplied);
    EXPECT_EQ(p.size, SpectrumDisplay::kMinSize);
    EXPECT_EQ(p.x, -10.0f * layer_->view().halfX);
    EXPECT_FLOAT_EQ(p.y, 10.0f * layer_->view().halfY);
    EXPECT_EQ(p.scale, 1.0f);
}

TEST_F(SoundVisualLayerTest, ThePlacementIsReadFromAndWrittenToItsOwnOffsets) {
    // Scale, the two size factors, x, y, size, then the five rendering
    // values: 56 .. 99, each value apart from the others.
    const std::array<float, 11> placed = {1.25f, 20.0f, 15.0f, -5.0f, 2.0f, 50.0f, 0.9f, 0.05f, 0.8f, 0.3f, 0.2f};
    std::vector<uint8_t> fixed(SoundVisualLayer::kRecordFixedSize, 0);
    io::storeU32(&fixed[4], 736);
    for (size_t i = 0; i < placed.size(); ++i) io::storeF32(&fixed[56 + 4 * i], placed[i]);
    ASSERT_EQ(layer_->readRecord(tnx::test::makeRecord("savesoundvisual", fixed)), settings::kRecordApplied);
    const DisplayPlacement& p = layer_->display().placement();
    const std::array<float, 11> read = {p.scale, p.widthFactor, p.heightFactor, p.x, p.y, p.size,
                                        p.params[0], p.params[1], p.params[2], p.params[3], p.params[4]};
    EXPECT_EQ(read, placed);
    std::vector<uint8_t> bytes;
    layer_->writeRecord(bytes);
    for (size_t i = 0; i < placed.size(); ++i) EXPECT_EQ(io::loadF32(&bytes[20 + 56 + 4 * i]), placed[i]) << i;
}

TEST_F(SoundVisualLayerTest, WithoutAPlayerTheControlsStayHiddenAndTheDisplayTakesNothing) {
    hud::HudRoot root(fov(), kWidth, kHeight, font_.get(), tracker_);
    SoundVisualLayer none(root, true, nullptr);
    for (int i = 0; i < root.count(); ++i) EXPECT_FALSE(root.element(i)->visible());
    std::vector<uint8_t> bytes;
    layer_->writeRecord(bytes);
    none.readRecord(bytes);
    none.command(SoundVisualLayer::kCmdShowButtons);
    for (int i = 0; i < root.count(); ++i) EXPECT_FALSE(root.element(i)->visible());
    int px, py;
    displayPixel(0.5f, 0.5f, px, py);
    EXPECT_FALSE(none.mouse({1, win::kWmRButtonDown, win::kMkRButton, win::makeLParam(px, py)}));
    // A player with the spectrum switched off: no display, no controls.
    hud::HudRoot root2(fov(), kWidth, kHeight, font_.get(), tracker_);
    SoundVisualLayer off(root2, false, &player_);
    EXPECT_FALSE(off.displayShown());
    for (int i = 0; i < root2.count(); ++i) EXPECT_FALSE(root2.element(i)->visible());
}

}  // namespace
}  // namespace tnx::soundvis
