// The viewer's handle on the music player: creates the engine with a
// playlist and plays it, passes the user's commands on as events, and keeps
// the status the HUD shows once a frame. The status is written on the
// engine's event thread and read on the viewer's thread without a lock:
// every value is atomic, so a frame may mix values of two updates but never
// sees a torn one.
#pragma once

#include <atomic>
#include <memory>
#include <semaphore>
#include <string>
#include <vector>

#include "player/engine_context.h"
#include "player/event.h"
#include "player/player.h"
#include "player/spectrum_analyser.h"
#include "player/user_interface.h"

namespace tnx::player {

struct PlayerStatus {
    int32_t elapsedHours = 0;
    int32_t elapsedMinutes = 0;
    int32_t elapsedSeconds = 0;
    int32_t totalHours = 0;
    int32_t totalMinutes = 0;
    int32_t totalSeconds = 0;
    int32_t fileNumber = 0;  // 1-based; 0 before anything was chosen
    int32_t fileCount = 0;
    std::string title;
    // For the progress bar: the play position and the item's length (ms).
    int64_t position = 0;
    int64_t length = 0;
    PlayerState state = PlayerState::Stopped;
    // Changes whenever new media information arrives (a new item, or the
    // same item again).
    uint32_t mediaSerial = 0;
    // The latest error and status message.
    int32_t lastError = 0;
    std::string message;
};

class PlayerFacade : public UserInterface {
public:
    // Creates the engine (with `context`, or one made from the preferences)
    // and plays `playlistText`. `observer`, when given, is registered as a
    // further user interface.
    explicit PlayerFacade(const std::string& playlistText, std::unique_ptr<EngineContext> context = nullptr,
                          UserInterface* observer = nullptr);
    // Quits the engine and waits until it has stopped.
    ~PlayerFacade() override;
    PlayerFacade(const PlayerFacade&) = delete;
    PlayerFacade& operator=(const PlayerFacade&) = delete;

    void stop();
    void play();
    void next();
    void previous();
    void pause();
    // Adds the files to the playlist and plays the first of them.
    void openFiles(const std::vector<std::string>& paths);
    // The process's command line, for the engine's own options and files.
    void setArgs(int argc, const char* const* argv);

    PlayerStatus status() const;
    // The 32 bands per channel of the block being heard; false (and zeros)
    // while nothing plays.
    bool spectrum(SpectrumBands& out) const;
    // How many blocks the decoder has analysed so far.
    uint32_t spectrumWriteCount() const;

    // The engine's side: called on its event thread.
    void acceptEvent(const Event& event) override;

    Player& player() { return *player_; }
    const EngineContext& context() const { return *context_; }

private:
    std::unique_ptr<EngineContext> context_;
    std::binary_semaphore stopped_{0};
    std::unique_ptr<Player> player_;

    std::atomic<int64_t> elapsed_{0};  // whole seconds
    std::atomic<int64_t> total_{0};    // whole seconds
    std::atomic<int32_t> fileNumber_{0};
    std::atomic<int32_t> fileCount_{0};
    std::atomic<std::shared_ptr<const std::string>> title_;
    std::atomic<int64_t> position_{0};
    std::atomic<int64_t> length_{0};
    std::atomic<PlayerState> state_{PlayerState::Stopped};
    std::atomic<uint32_t> mediaSerial_{0};
    std::atomic<int32_t> lastError_{0};
    std::atomic<std::shared_ptr<const std::string>> message_;
};

}  // namespace tnx::player
