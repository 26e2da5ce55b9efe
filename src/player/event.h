// The engine's events: a number saying what happened or is wanted, and for
// some numbers a payload. The facade posts commands (stop … quit) to the
// player; the stages post what they learn back to the player, which
// services what it can and forwards the rest to its user interfaces.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace tnx::player {

enum EventNumber : int32_t {
    kEventStop = 1,
    kEventPlay = 2,
    kEventNext = 3,
    kEventPrevious = 4,
    kEventPause = 5,
    kEventPlayToo = 6,  // serviced like play
    kEventQuit = 7,
    kEventCleanup = 8,            // to the user interfaces: the player is going away
    kEventUserInterfaceDone = 10, // a user interface's answer to cleanup
    kEventMediaEnded = 11,        // output stage: the last sample of an item was handed to the sink
    kEventStatusMessage = 12,     // to the user interfaces: a text for the user
    kEventError = 13,             // to the user interfaces: an error code and its text
    kEventStateChanged = 14,      // to the user interfaces: stopped, playing or paused
    kEventAddItems = 15,          // to the player: append items (optionally clearing first)
    kEventMediaInfo = 18,
    kEventPlayTime = 19,
    kEventProgress = 29,
};

constexpr int32_t kFirstEvent = 1;
constexpr int32_t kLastEvent = 81;

enum class PlayerState : int32_t { Stopped = 0, Playing = 1, Paused = 2 };

struct MediaInfo {
    float totalSeconds = 0;
    int32_t itemNumber = 0;  // 1-based, in play order
    int32_t itemCount = 0;
    std::string title;
    std::string path;
    int32_t sampleRate = 0;
    int32_t channels = 0;
    int32_t layer = 0;        // 1, 2 or 3; 0 before the stream is known
    std::string version;      // "MPEG-1", "MPEG-2", "MPEG-2.5"
};

struct PlayTime {
    int32_t hours = 0;
    int32_t minutes = 0;
    int32_t seconds = 0;
    int64_t positionFrames = 0;  // heard so far of the current item
};

// Position and length of the current item for the progress bar, in
// milliseconds.
struct Progress {
    int64_t position = 0;
    int64_t length = 0;
};

struct MediaEnded {
    int32_t error = 0;        // why the item ended early, or kErrorNone
    int64_t framesPlayed = 0;
};

struct ErrorReport {
    int32_t code = 0;
    std::string text;  // what failed, for the user (the code's own text when empty)
};

struct AddItems {
    std::vector<std::string> items;
    bool clear = false;
    bool play = false;     // play the first added item
    bool shuffle = false;  // shuffle the playlist afterwards
};

struct PlayRequest {
    int32_t item = -1;  // an index into the playlist, or -1 for the current item
};

using EventData = std::variant<std::monostate, MediaInfo, PlayTime, Progress, MediaEnded, ErrorReport,
                               std::string, PlayerState, AddItems, PlayRequest>;

struct Event {
    int32_t number = 0;
    // The stage run an event from a stage belongs to: events of a run the
    // player has already abandoned (after stop or next) are dropped.
    uint32_t run = 0;
    EventData data;

    Event() = default;
    explicit Event(int32_t n) : number(n) {}
    Event(int32_t n, EventData d, uint32_t r = 0) : number(n), run(r), data(std::move(d)) {}
};

}  // namespace tnx::player
