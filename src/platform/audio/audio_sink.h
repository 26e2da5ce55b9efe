// A streaming PCM output. The player's output thread is the only caller of
// open, write, drain, flush and close; interrupt, setPaused and the frame
// counters may be called from any thread.
//
// createAudioSink() picks the implementation from $TERRANOX_AUDIO:
//   wav:FILE  write exactly the PCM that would have been played to FILE
//   null      play into nothing at real-time pace
//   unset     the desktop's sound server through Qt Multimedia
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/audio/pcm_format.h"

namespace tnx::audio {

enum class SinkResult {
    Ok,
    NoDevice,            // no sound device at all
    FormatNotSupported,  // the device refuses this rate or channel count
    DeviceFailed,        // the device went away or would not start
    FileFailed,          // the WAV file could not be created or written
    Interrupted,         // interrupt() was called; cleared by flush() or open()
};

class AudioSink {
public:
    virtual ~AudioSink() = default;

    // What this sink is, for the log ("sound card", "wav file", "null").
    virtual std::string description() const = 0;

    // (Re)opens for a format; the frame counters restart at zero. Opening
    // with the format already open keeps the stream going.
    virtual SinkResult open(const PcmFormat& format) = 0;
    // Blocks until every byte is taken (at the sink's own pace), or returns
    // Interrupted. A partial frame at the end is the caller's mistake.
    virtual SinkResult write(std::span<const uint8_t> pcm) = 0;
    // Blocks until everything written has been played, or interrupted.
    virtual SinkResult drain() = 0;
    // Drops written audio that has not been played yet and clears an interrupt.
    virtual void flush() = 0;
    virtual void close() = 0;

    // Makes a blocked write or drain return Interrupted, now and until the
    // next flush() or open().
    virtual void interrupt() = 0;
    virtual void setPaused(bool paused) = 0;
    // 0 … 1; false when the sink has no volume control.
    virtual bool setVolume(double) { return false; }

    // Frames handed over by write and frames already heard, since open.
    virtual int64_t writtenFrames() const = 0;
    virtual int64_t playedFrames() const = 0;
};

struct SinkChoice {
    std::unique_ptr<AudioSink> sink;
    // Set when the wished-for sink was unavailable and a silent one stands
    // in (no sound device, or a WAV file that could not be named).
    SinkResult fallbackReason = SinkResult::Ok;
    std::string note;
};

// The sink named by $TERRANOX_AUDIO (see above).
SinkChoice createAudioSink();

}  // namespace tnx::audio
