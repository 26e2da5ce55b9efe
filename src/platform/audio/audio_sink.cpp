#include "platform/audio/audio_sink.h"

#include <cstdlib>
#include <string_view>

#include "platform/audio/null_sink.h"
#include "platform/audio/qt_audio_sink.h"
#include "platform/audio/wav_file_sink.h"

namespace tnx::audio {

SinkChoice createAudioSink() {
    SinkChoice choice;
    std::string_view wish;
    if (const char* env = std::getenv("TERRANOX_AUDIO")) wish = env;
    if (wish == "null") {
        choice.sink = std::make_unique<NullSink>();
        return choice;
    }
    if (wish.starts_with("wav:")) {
        std::string_view file = wish.substr(4);
        if (!file.empty()) {
            choice.sink = std::make_unique<WavFileSink>(std::string(file));
            return choice;
        }
        choice.sink = std::make_unique<NullSink>();
        choice.fallbackReason = SinkResult::FileFailed;
        choice.note = "TERRANOX_AUDIO=wav: names no file";
        return choice;
    }
    std::string why;
    if (QtAudioSink::available(&why)) {
        choice.sink = std::make_unique<QtAudioSink>();
        return choice;
    }
    choice.sink = std::make_unique<NullSink>();
    choice.fallbackReason = SinkResult::NoDevice;
    choice.note = why;
    return choice;
}

}  // namespace tnx::audio
