// The sound visualisation: the spectrum display over the globe and the
// music player's controls on the HUD — six image buttons, the status texts
// (elapsed and total time, item number, title, date and time, progress) and
// two captions. It updates the texts and the spectrum once a frame, takes
// the mouse over the display (left drag moves it, right drag changes its
// distance and colour, a right click opens the player's menu), carries out
// the player's commands and keeps its record "savesoundvisual".
#pragma once

#include <array>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "hud/hud_root.h"
#include "hud/player_button.h"
#include "hud/progress_button.h"
#include "platform/win/messages.h"
#include "platform/win/popup_menu.h"
#include "settings/record.h"
#include "soundvis/music_player.h"
#include "soundvis/spectrum_display.h"

namespace tnx::soundvis {

class SoundVisualLayer : public settings::RecordOwner {
public:
    enum ElementId : int32_t {
        kPrevious = 0x200,
        kPlay = 0x201,
        kPause = 0x202,
        kStop = 0x203,
        kNext = 0x204,
        kOpenFiles = 0x205,
        kElapsed = 0x206,
        kTotalTime = 0x207,
        kNumber = 0x208,
        kTitle = 0x209,
        kDateTime = 0x20A,
        kProgress = 0x00B,  // saved under this id; it follows 0x20A in creation
        kCaptionLeft = 0x20C,
        kCaptionRight = 0x20D,
    };
    static constexpr int kElementCount = 14;

    enum Command : uint32_t {
        kCmdPrevious = 40082,
        kCmdPlay = 40083,
        kCmdPause = 40084,
        kCmdStop = 40085,
        kCmdNext = 40086,
        kCmdOpenFiles = 40087,
        kCmdShowButtons = 40088,
        kCmdHideButtons = 40089,
    };

    static constexpr const char* kRecordName = "savesoundvisual";
    static constexpr uint32_t kRecordStamp = 736;
    static constexpr size_t kRecordFixedSize = 736;

    // Asks for files to play; empty when the user chose none.
    using OpenFilesPrompt = std::function<std::vector<std::string>(win::WindowId owner)>;
    using TimeSource = std::function<std::tm()>;

    // Creates the player's elements in `root`. Without a player (null) they
    // stay hidden and no spectrum is drawn.
    SoundVisualLayer(hud::HudRoot& root, bool spectrumShown, MusicPlayer* player, TimeSource now = nullptr);
    ~SoundVisualLayer() override;
    SoundVisualLayer(const SoundVisualLayer&) = delete;
    SoundVisualLayer& operator=(const SoundVisualLayer&) = delete;

    void setOpenFilesPrompt(OpenFilesPrompt p) { openFilesPrompt_ = std::move(p); }

    // Once a frame: the status texts and the spectrum.
    void update(float seconds);
    void draw(gfx::Device& device, float seconds);
    // A mouse message; true when the display took it.
    bool mouse(const win::Message& m);
    // 40082 … 40089; true when it was one of them.
    bool command(uint32_t id, win::WindowId window = 0);
    // Shows or hides the 14 elements (their enabled flag) and remembers it.
    void showPlayerButtons(bool on);
    bool playerButtonsShown() const { return buttonsShown_; }
    // The context menu of the display, for its current state.
    win::Menu contextMenu() const;

    size_t writeRecord(std::vector<uint8_t>& out) override;
    int readRecord(std::span<const uint8_t> record) override;

    // --- inspection ---
    bool displayShown() const { return player_ && spectrumShown_; }
    SpectrumDisplay& display() { return display_; }
    DisplayView view() const;
    hud::HudElement* element(int32_t id) const;
    hud::ProgressButton* progress() const { return progress_; }

private:
    void createElements();
    void buttonOperation(int32_t id);
    bool updateStatus();
    void openFiles(win::WindowId owner);
    void openMenu(win::WindowId window, int px, int py);

    hud::HudRoot& root_;
    bool spectrumShown_;
    MusicPlayer* player_;
    TimeSource now_;
    OpenFilesPrompt openFilesPrompt_;
    std::array<hud::HudElement*, kElementCount> elements_{};
    hud::ProgressButton* progress_ = nullptr;
    SpectrumDisplay display_;
    bool buttonsShown_ = false;
    int32_t reserved_ = 0;

    // What the texts show, to rewrite them only when it changes.
    int64_t shownElapsed_ = -1;
    int32_t shownFile_ = -1;
    uint32_t shownSerial_ = 0;
    std::string shownTitle_;
    std::string shownError_;
    bool errorShown_ = false;

    // The mouse on the display.
    enum class Drag { None, Left, Right };
    Drag drag_ = Drag::None;
    bool dragMoved_ = false;
    int lastX_ = 0, lastY_ = 0;
};

}  // namespace tnx::soundvis
