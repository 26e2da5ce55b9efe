#include "platform/audio/qt_audio_sink.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QIODevice>
#include <QMediaDevices>
#include <QMetaObject>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <vector>

namespace tnx::audio {

namespace {

using namespace std::chrono_literals;

// How much audio the device itself buffers, and how much waits in the pipe.
constexpr int kDeviceBufferMs = 200;
constexpr int kPipeMs = 100;
// A device that takes nothing for this long while playing has failed.
constexpr auto kStallLimit = 2s;

// The pipe between write() and the audio thread, which moves its bytes on
// into the Qt sink as the device has room: a ring of bytes.
class PcmPipe {
public:
    explicit PcmPipe(size_t capacity) : ring_(std::max<size_t>(capacity, 64)) {}

    // Copies as much as fits; returns the bytes taken.
    size_t put(const uint8_t* data, size_t n) {
        std::lock_guard lock(mutex_);
        size_t take = std::min(n, ring_.size() - size_);
        for (size_t i = 0; i < take; ++i) ring_[(head_ + size_ + i) % ring_.size()] = data[i];
        size_ += take;
        return take;
    }
    // Moves up to `max` bytes out.
    size_t take(char* out, size_t max) {
        std::lock_guard lock(mutex_);
        size_t n = std::min(max, size_);
        for (size_t i = 0; i < n; ++i) out[i] = char(ring_[(head_ + i) % ring_.size()]);
        head_ = (head_ + n) % ring_.size();
        size_ -= n;
        pulled_ += int64_t(n);
        return n;
    }
    size_t fill() const {
        std::lock_guard lock(mutex_);
        return size_;
    }
    size_t capacity() const { return ring_.size(); }
    void clear() {
        std::lock_guard lock(mutex_);
        head_ = size_ = 0;
    }
    // Bytes handed on to the sink so far.
    int64_t pulled() const { return pulled_.load(); }
    void resetPulled(int64_t v) { pulled_ = v; }

private:
    mutable std::mutex mutex_;
    std::vector<uint8_t> ring_;
    size_t head_ = 0;
    size_t size_ = 0;
    std::atomic<int64_t> pulled_{0};
};

}  // namespace

struct QtAudioSink::Impl {
    QThread thread;
    QObject* home = nullptr;  // lives on `thread`; Qt objects are made and used there
    QAudioSink* sink = nullptr;
    QIODevice* device = nullptr;  // the sink's own, written in push mode
    PcmPipe* pipe = nullptr;
    std::vector<char> chunk;
    QTimer* poll = nullptr;
    std::string deviceName;
    PcmFormat format;

    std::mutex mutex;
    std::condition_variable wake;
    std::atomic<bool> interrupted{false};
    std::atomic<bool> paused{false};
    std::atomic<bool> failed{false};
    std::atomic<int64_t> written{0};  // frames
    std::atomic<int64_t> played{0};   // frames
    int64_t base = 0;                 // frames counted before the sink last (re)started

    template <typename F>
    void onThread(F f) {
        QMetaObject::invokeMethod(home, f, Qt::BlockingQueuedConnection);
    }

    // On the audio thread: hands the device what it has room for.
    void pump() {
        if (!sink || !device || !pipe || paused) return;
        qsizetype room = sink->bytesFree();
        room -= room % format.frameBytes();
        if (room <= 0) return;
        chunk.resize(size_t(room));
        size_t n = pipe->take(chunk.data(), size_t(room));
        if (n > 0 && device->write(chunk.data(), qint64(n)) < 0) failed = true;
    }

    // On the audio thread: how much has been played, by the sound server's
    // own clock for the stream.
    void measure() {
        if (!sink || !format.valid()) return;
        // Microseconds are rounded down from whole frames: round back.
        int64_t heard = base + (int64_t(sink->processedUSecs()) * format.sampleRate + 500'000) / 1'000'000;
        played = std::min(heard, written.load());
        if (sink->error() == QAudio::FatalError || sink->error() == QAudio::OpenError) failed = true;
        wake.notify_all();
    }

    void stopSink() {
        if (poll) poll->stop();
        if (sink) {
            sink->stop();
            delete sink;
            sink = nullptr;
        }
        device = nullptr;
        delete pipe;
        pipe = nullptr;
    }

    // Waits (interruptibly) for `done`, failing when the device makes no
    // progress for too long while not paused.
    SinkResult waitFor(std::unique_lock<std::mutex>& lock, const std::function<bool()>& done) {
        int64_t lastPlayed = played.load();
        auto lastProgress = std::chrono::steady_clock::now();
        for (;;) {
            if (interrupted) return SinkResult::Interrupted;
            if (failed) return SinkResult::DeviceFailed;
            if (done()) return SinkResult::Ok;
            wake.wait_for(lock, 20ms);
            auto now = std::chrono::steady_clock::now();
            if (played.load() != lastPlayed || paused) {
                lastPlayed = played.load();
                lastProgress = now;
            } else if (now - lastProgress > kStallLimit) {
                failed = true;
                return SinkResult::DeviceFailed;
            }
        }
    }
};

QtAudioSink::QtAudioSink() : impl_(std::make_unique<Impl>()) {
    impl_->thread.setObjectName("audio");
    impl_->home = new QObject;
    impl_->home->moveToThread(&impl_->thread);
    impl_->thread.start();
}

QtAudioSink::~QtAudioSink() {
    close();
    Impl* d = impl_.get();
    d->onThread([d] { delete d->home; d->home = nullptr; });
    d->thread.quit();
    d->thread.wait();
}

bool QtAudioSink::available(std::string* why) {
    if (!QCoreApplication::instance()) {
        if (why) *why = "no application object to run the sound thread";
        return false;
    }
    if (QMediaDevices::audioOutputs().isEmpty()) {
        if (why) *why = "no sound output device";
        return false;
    }
    return true;
}

std::string QtAudioSink::description() const {
    return "sound card" + (impl_->deviceName.empty() ? std::string() : " " + impl_->deviceName);
}

SinkResult QtAudioSink::open(const PcmFormat& format) {
    if (!format.valid()) return SinkResult::FormatNotSupported;
    Impl* d = impl_.get();
    SinkResult result = SinkResult::Ok;
    d->onThread([&] {
        d->stopSink();
        QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull()) {
            result = SinkResult::NoDevice;
            return;
        }
        d->deviceName = device.description().toStdString();
        QAudioFormat f;
        f.setSampleRate(format.sampleRate);
        f.setChannelCount(format.channels);
        f.setSampleFormat(QAudioFormat::Int16);
        if (!device.isFormatSupported(f)) {
            result = SinkResult::FormatNotSupported;
            return;
        }
        d->format = format;
        d->pipe = new PcmPipe(size_t(format.bytesPerSecond() * kPipeMs / 1000));
        d->sink = new QAudioSink(device, f);
        d->sink->setBufferSize(qsizetype(format.bytesPerSecond() * kDeviceBufferMs / 1000));
        d->base = 0;
        d->written = 0;
        d->played = 0;
        d->failed = false;
        d->interrupted = false;
        d->device = d->sink->start();
        if (!d->device || d->sink->error() != QAudio::NoError) {
            d->stopSink();
            result = SinkResult::DeviceFailed;
            return;
        }
        if (d->paused) d->sink->suspend();
        if (!d->poll) {
            d->poll = new QTimer(d->home);
            QObject::connect(d->poll, &QTimer::timeout, d->home, [d] {
                d->pump();
                d->measure();
            });
        }
        d->poll->start(5);
    });
    return result;
}

SinkResult QtAudioSink::write(std::span<const uint8_t> pcm) {
    Impl* d = impl_.get();
    if (!d->pipe) return SinkResult::DeviceFailed;
    size_t frameBytes = size_t(d->format.frameBytes());
    size_t done = 0;
    std::unique_lock lock(d->mutex);
    while (done < pcm.size()) {
        SinkResult r = d->waitFor(lock, [&] { return d->pipe->fill() + frameBytes <= d->pipe->capacity(); });
        if (r != SinkResult::Ok) return r;
        size_t room = d->pipe->capacity() - d->pipe->fill();
        size_t chunk = std::min(pcm.size() - done, room - room % frameBytes);
        size_t taken = d->pipe->put(pcm.data() + done, chunk);
        done += taken;
        d->written += int64_t(taken / frameBytes);
    }
    return SinkResult::Ok;
}

SinkResult QtAudioSink::drain() {
    Impl* d = impl_.get();
    if (!d->pipe) return SinkResult::Ok;
    std::unique_lock lock(d->mutex);
    return d->waitFor(lock, [d] { return d->played.load() >= d->written.load(); });
}

void QtAudioSink::flush() {
    Impl* d = impl_.get();
    d->onThread([d] {
        if (!d->sink) return;
        // Restarting the sink is the one way to drop what the device holds.
        d->measure();
        d->sink->stop();
        d->pipe->clear();
        d->pipe->resetPulled(0);
        d->base = d->played.load();
        d->written = d->base;
        d->device = d->sink->start();
        if (!d->device) d->failed = true;
        if (d->paused) d->sink->suspend();
    });
    d->interrupted = false;
}

void QtAudioSink::close() {
    Impl* d = impl_.get();
    if (!d->home) return;
    d->onThread([d] { d->stopSink(); });
}

void QtAudioSink::interrupt() {
    impl_->interrupted = true;
    impl_->wake.notify_all();
}

void QtAudioSink::setPaused(bool paused) {
    Impl* d = impl_.get();
    if (d->paused.exchange(paused) == paused) return;
    QMetaObject::invokeMethod(d->home, [d, paused] {
        if (!d->sink) return;
        if (paused) d->sink->suspend(); else d->sink->resume();
    }, Qt::QueuedConnection);
    d->wake.notify_all();
}

bool QtAudioSink::setVolume(double volume) {
    Impl* d = impl_.get();
    bool ok = false;
    d->onThread([&] {
        if (!d->sink) return;
        d->sink->setVolume(std::clamp(volume, 0.0, 1.0));
        ok = true;
    });
    return ok;
}

int64_t QtAudioSink::writtenFrames() const { return impl_->written.load(); }
int64_t QtAudioSink::playedFrames() const { return impl_->played.load(); }

}  // namespace tnx::audio
