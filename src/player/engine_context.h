// What the engine's parts share: the settings read from the preferences,
// the debug log, and where sound goes.
#pragma once

#include <functional>
#include <memory>

#include "platform/audio/audio_sink.h"
#include "player/debug_log.h"
#include "player/preferences.h"

namespace tnx::player {

struct EngineContext {
    EngineSettings settings;
    DebugLog log;
    // Called once, on the output thread, when the engine starts.
    std::function<audio::SinkChoice()> makeSink = audio::createAudioSink;

    // Reads (and completes) the preferences and opens "tarnmp3.log" in the
    // program's home when they ask for it.
    static std::unique_ptr<EngineContext> create();
};

}  // namespace tnx::player
