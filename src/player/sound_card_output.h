// The output stage: the sound-card thread takes PCM blocks from the output
// buffer and plays them through the audio sink, in the stream's own format.
// It reports what is being heard: the play time (once a second), the
// progress, and the end of each item once its last sample has gone to the
// sink. A sink that fails is replaced by a silent one so the player plays
// on; the failure is reported.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/audio/audio_sink.h"
#include "player/debug_log.h"
#include "player/event_queue.h"
#include "player/output_buffer.h"

namespace tnx::player {

class SoundCardOutput {
public:
    SoundCardOutput(OutputBuffer& buffer, EventQueue& events, DebugLog& log,
                    std::function<audio::SinkChoice()> makeSink);
    ~SoundCardOutput();

    void start();
    void stop();

    // Drops every queued block and whatever the sink has not played yet;
    // returns once the sound-card thread has done so. Callers stop the
    // decoder first.
    void flush();
    void setPaused(bool paused);

    // The decoder's stream position of the frame being heard now.
    int64_t heardStreamPosition() const { return heardStream_.load(); }

private:
    void loop();
    void reportTime(bool force);
    void reportSinkFailure(int32_t code, const std::string& what);
    std::shared_ptr<audio::AudioSink> sink() const;
    bool flushPending();

    OutputBuffer& buffer_;
    EventQueue& events_;
    DebugLog& log_;
    std::function<audio::SinkChoice()> makeSink_;
    std::thread thread_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::shared_ptr<audio::AudioSink> sink_;
    bool paused_ = false;
    bool quit_ = false;
    uint64_t flushRequested_ = 0;
    uint64_t flushDone_ = 0;

    // Sound-card thread only.
    audio::PcmFormat open_;
    uint32_t run_ = 0;
    int64_t itemWritten_ = 0;
    int64_t itemLength_ = 0;
    int64_t lastSecond_ = -1;
    int64_t blockStream_ = 0;

    std::atomic<int64_t> heardStream_{0};
};

}  // namespace tnx::player
