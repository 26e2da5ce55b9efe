#include "player/sound_card_output.h"

#include <algorithm>

#include "platform/audio/null_sink.h"
#include "player/error_code.h"

namespace tnx::player {

namespace {

using namespace std::chrono_literals;

// Blocks are written in pieces of about this length, so the play time and
// the heard position stay fresh.
constexpr int64_t kPieceMs = 20;

int32_t codeFor(audio::SinkResult r) {
    switch (r) {
    case audio::SinkResult::NoDevice: return kErrorDeviceNotFound;
    case audio::SinkResult::FormatNotSupported: return kErrorFormatNotSupported;
    case audio::SinkResult::FileFailed: return kErrorWriteFile;
    default: return kErrorOutputUnsuccessful;
    }
}

}  // namespace

SoundCardOutput::SoundCardOutput(OutputBuffer& buffer, EventQueue& events, DebugLog& log,
                                 std::function<audio::SinkChoice()> makeSink)
    : buffer_(buffer), events_(events), log_(log), makeSink_(std::move(makeSink)) {}

SoundCardOutput::~SoundCardOutput() { stop(); }

void SoundCardOutput::start() {
    if (thread_.joinable()) return;
    quit_ = false;
    thread_ = std::thread([this] { loop(); });
}

void SoundCardOutput::stop() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    if (auto s = sink()) s->interrupt();
    buffer_.wake();
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

std::shared_ptr<audio::AudioSink> SoundCardOutput::sink() const {
    std::lock_guard lock(mutex_);
    return sink_;
}

bool SoundCardOutput::flushPending() {
    std::lock_guard lock(mutex_);
    return flushRequested_ != flushDone_;
}

void SoundCardOutput::flush() {
    std::unique_lock lock(mutex_);
    uint64_t wanted = ++flushRequested_;
    auto s = sink_;
    lock.unlock();
    buffer_.clear();
    if (s) s->interrupt();
    buffer_.wake();
    changed_.notify_all();
    lock.lock();
    changed_.wait(lock, [&] { return flushDone_ >= wanted || !thread_.joinable() || quit_; });
}

void SoundCardOutput::setPaused(bool paused) {
    std::shared_ptr<audio::AudioSink> s;
    {
        std::lock_guard lock(mutex_);
        paused_ = paused;
        s = sink_;
    }
    if (s) s->setPaused(paused);
    buffer_.wake();
    changed_.notify_all();
}

void SoundCardOutput::reportSinkFailure(int32_t code, const std::string& what) {
    log_.error(LogClass::Output, code, "%s", what.c_str());
    events_.post(Event(kEventError, ErrorReport{code, what}));
}

void SoundCardOutput::reportTime(bool force) {
    auto s = sink();
    if (run_ == 0 || !open_.valid() || !s) return;
    int64_t latency = std::max<int64_t>(0, s->writtenFrames() - s->playedFrames());
    int64_t heard = std::max<int64_t>(0, itemWritten_ - latency);
    heardStream_ = std::max<int64_t>(0, blockStream_ - latency);
    int64_t second = heard / open_.sampleRate;
    if (!force && second == lastSecond_) return;
    lastSecond_ = second;
    PlayTime t;
    t.hours = int32_t(second / 3600);
    t.minutes = int32_t(second / 60 % 60);
    t.seconds = int32_t(second % 60);
    t.positionFrames = heard;
    events_.post(Event(kEventPlayTime, t, run_));
    events_.post(Event(kEventProgress, Progress{heard * 1000 / open_.sampleRate, itemLength_ * 1000 / open_.sampleRate},
                       run_));
}

void SoundCardOutput::loop() {
    audio::SinkChoice choice = makeSink_ ? makeSink_() : audio::SinkChoice{};
    if (!choice.sink) {
        choice.sink = std::make_unique<audio::NullSink>();
        choice.fallbackReason = audio::SinkResult::NoDevice;
    }
    {
        std::lock_guard lock(mutex_);
        sink_ = std::move(choice.sink);
        if (paused_) sink_->setPaused(true);
    }
    if (choice.fallbackReason != audio::SinkResult::Ok)
        reportSinkFailure(codeFor(choice.fallbackReason), "no sound output (" + choice.note + "); playing silently");
    log_.log(LogClass::Output, "PMO: playing through %s", sink()->description().c_str());

    uint32_t failedRun = 0;
    auto fallBackToSilence = [&](audio::SinkResult why, const char* what) {
        reportSinkFailure(codeFor(why), std::string(what) + " (" + sink()->description() + "); playing silently");
        auto silent = std::make_shared<audio::NullSink>();
        std::lock_guard lock(mutex_);
        if (paused_) silent->setPaused(true);
        sink_ = silent;
        open_ = {};
    };

    for (;;) {
        {
            std::unique_lock lock(mutex_);
            if (quit_) break;
            if (flushRequested_ != flushDone_) {
                auto s = sink_;
                lock.unlock();
                s->flush();
                lock.lock();
                flushDone_ = flushRequested_;
                run_ = 0;
                heardStream_ = blockStream_;
                changed_.notify_all();
                continue;
            }
            if (paused_) {
                changed_.wait(lock, [&] { return !paused_ || quit_ || flushRequested_ != flushDone_; });
                continue;
            }
        }
        auto b = buffer_.pop(50ms);
        if (!b) {
            reportTime(false);
            continue;
        }
        if (flushPending()) continue;  // queued before the flush: never to be heard
        if (b->run == failedRun) continue;
        if (b->run != run_) {
            run_ = b->run;
            itemWritten_ = b->itemFrame;
            itemLength_ = b->itemLength;
            lastSecond_ = -1;
        }
        if (b->end) {
            events_.post(Event(kEventMediaEnded, MediaEnded{b->error, itemWritten_}, b->run));
            continue;
        }
        if (!(b->format == open_)) {
            if (open_.valid() && sink()->drain() == audio::SinkResult::Interrupted) continue;
            audio::SinkResult r = sink()->open(b->format);
            log_.log(LogClass::Output, "PMO: opened for %d Hz, %d channels", b->format.sampleRate, b->format.channels);
            if (r == audio::SinkResult::FormatNotSupported) {
                log_.error(LogClass::Output, kErrorFormatNotSupported, "the sound device cannot play %d Hz, %d channels",
                           b->format.sampleRate, b->format.channels);
                failedRun = b->run;
                open_ = {};
                events_.post(Event(kEventMediaEnded, MediaEnded{kErrorFormatNotSupported, 0}, b->run));
                continue;
            }
            if (r != audio::SinkResult::Ok) {
                fallBackToSilence(r, "error Creating DirectSound Secondary Buffer...");
                r = sink()->open(b->format);
            }
            open_ = b->format;
        }
        itemLength_ = b->itemLength;
        const auto* bytes = reinterpret_cast<const uint8_t*>(b->samples.data());
        int64_t frames = b->frames();
        int64_t piece = std::max<int64_t>(1, open_.sampleRate * kPieceMs / 1000);
        for (int64_t done = 0; done < frames;) {
            int64_t take = std::min(piece, frames - done);
            size_t fb = size_t(open_.frameBytes());
            audio::SinkResult r = sink()->write({bytes + size_t(done) * fb, size_t(take) * fb});
            if (r == audio::SinkResult::Interrupted) break;
            if (r != audio::SinkResult::Ok) {
                fallBackToSilence(r, "Output was unsuccessful");
                sink()->open(b->format);
                open_ = b->format;
                continue;
            }
            done += take;
            itemWritten_ += take;
            blockStream_ = b->streamPosition + done;
            reportTime(false);
        }
    }
    if (auto s = sink()) s->close();
}

}  // namespace tnx::player
