// The player: owns the playlist, the stages and the registered user
// interfaces, and services events on its event thread. Each item is played
// by a run of the input and decoder stages (their own threads, started per
// item); the sound-card thread lives as long as the player. Events of a run
// the player has already left behind (after stop, next, previous) are
// dropped, so a late "item ended" never skips a second item.
//
// A file that cannot be played is logged with its error code and the
// player goes on with the next item; when every item of the playlist has
// failed in a row, it stops instead of trying them again and again.
#pragma once

#include <atomic>
#include <memory>
#include <semaphore>
#include <string>
#include <thread>
#include <vector>

#include "player/engine_context.h"
#include "player/event_queue.h"
#include "player/input_buffer.h"
#include "player/output_buffer.h"
#include "player/playlist.h"
#include "player/sound_card_output.h"
#include "player/spectrum_ring.h"
#include "player/user_interface.h"

namespace tnx::player {

class Player {
public:
    explicit Player(EngineContext& context);
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // A command line (the first entry is the program's name): options
    // begin with "-" or "/", everything else names files to add.
    void setArgs(int argc, const char* const* argv);

    // Registers an interface; before the event thread starts only.
    void registerUserInterface(UserInterface* ui);
    // Registers `ui`, loads the playlist, starts the threads and plays.
    void setUserInterfaceAndPlaylist(const std::string& playlistText, UserInterface* ui);
    // Adds the entries (optionally replacing the playlist) and plays the
    // first of them.
    void addAndPlay(const std::string& playlistText, bool clear);

    void postEvent(Event event);
    // Released once quit has been serviced.
    void setQuitSignal(std::binary_semaphore* signal) { quitSignal_ = signal; }
    // Waits for the event thread to end (after quit).
    void join();

    PlayerState state() const { return state_.load(); }
    const SpectrumRing& spectrum() const { return spectrum_; }
    int64_t heardStreamPosition() const { return output_.heardStreamPosition(); }

    // What the command line asked for besides files.
    bool saveRequested() const { return save_; }
    const std::vector<std::string>& requestedUserInterfaces() const { return requestedUis_; }

private:
    void eventLoop();
    // Non-zero ends the event thread.
    int serviceEvent(Event& e);
    void forward(const Event& e);
    void startCurrent(bool flush);
    void stopStages(bool flush);
    void setState(PlayerState s);
    void announceSelection();
    void mediaEnded(const MediaEnded& ended);
    void addItems(AddItems& add);
    void printUsage(const char* program);

    EngineContext& ctx_;
    EventQueue queue_;
    Playlist playlist_;
    SystemRandom random_;
    std::vector<UserInterface*> uis_;
    OutputBuffer outputBuffer_;
    SpectrumRing spectrum_;
    SoundCardOutput output_;

    std::unique_ptr<InputBuffer> input_;
    std::thread inputThread_;
    std::thread decoderThread_;
    std::thread eventThread_;
    std::atomic<int64_t> streamPosition_{0};
    uint32_t run_ = 0;
    uint32_t runCounter_ = 0;
    int failuresInARow_ = 0;
    std::atomic<PlayerState> state_{PlayerState::Stopped};
    std::binary_semaphore* quitSignal_ = nullptr;
    bool quitServiced_ = false;

    bool save_ = false;
    std::vector<std::string> requestedUis_;
};

}  // namespace tnx::player
