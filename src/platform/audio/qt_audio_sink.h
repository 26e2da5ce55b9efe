// The desktop's sound server (PulseAudio or PipeWire) through Qt Multimedia.
// The Qt audio sink lives on a thread of its own with an event loop, which
// moves PCM from a small pipe that write() fills into the device as it has
// room; write() blocks while the pipe is full, so the sound card paces the
// player. A device that stops taking audio for two seconds (unplugged,
// server gone) turns into DeviceFailed rather than a hang. Needs a QCoreApplication (the viewer has one).
#pragma once

#include <memory>

#include "platform/audio/audio_sink.h"

namespace tnx::audio {

class QtAudioSink : public AudioSink {
public:
    QtAudioSink();
    ~QtAudioSink() override;

    // False (with the reason) when there is no application object or no
    // sound output device.
    static bool available(std::string* why);

    std::string description() const override;
    SinkResult open(const PcmFormat& format) override;
    SinkResult write(std::span<const uint8_t> pcm) override;
    SinkResult drain() override;
    void flush() override;
    void close() override;
    void interrupt() override;
    void setPaused(bool paused) override;
    bool setVolume(double volume) override;
    int64_t writtenFrames() const override;
    int64_t playedFrames() const override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tnx::audio
