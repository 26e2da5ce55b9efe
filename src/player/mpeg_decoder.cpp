#include "player/mpeg_decoder.h"

#include <mpg123.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>

#include "player/error_code.h"
#include "player/spectrum_analyser.h"

namespace tnx::player {

namespace {

constexpr size_t kFeedChunk = 16 * 1024;
// How far into a file (past a leading ID3v2 tag) MPEG audio must have
// begun; a large file of something else is not scanned to its end.
constexpr int64_t kSyncSearchLimit = 1 << 20;
constexpr const char* kCannotPlay = "Tarnwick cannot play this file/stream. This file/stream may be corrupted.";

// Process-wide library set-up, once.
bool libraryReady() {
    static const bool ready = [] {
#if MPG123_API_VERSION < 46
        return mpg123_init() == MPG123_OK;
#else
        return true;
#endif
    }();
    return ready;
}

struct HandleDeleter {
    void operator()(mpg123_handle* h) const {
        mpg123_close(h);
        mpg123_delete(h);
    }
};
using Handle = std::unique_ptr<mpg123_handle, HandleDeleter>;

// The size of a leading ID3v2 tag (header, body and footer), from the
// first bytes of a file; 0 when there is none or too few bytes.
int64_t id3v2Size(const uint8_t* p, size_t n) {
    if (n < 10 || p[0] != 'I' || p[1] != 'D' || p[2] != '3') return 0;
    for (int i = 6; i < 10; ++i)
        if (p[i] & 0x80) return 0;
    int64_t body = (int64_t(p[6]) << 21) | (int64_t(p[7]) << 14) | (int64_t(p[8]) << 7) | int64_t(p[9]);
    return 10 + body + ((p[5] & 0x10) ? 10 : 0);
}

std::string tagText(const mpg123_string* s) {
    if (!s || !s->p || s->fill == 0) return {};
    std::string t(s->p, s->fill);
    while (!t.empty() && t.back() == '\0') t.pop_back();
    return t;
}

std::string versionName(int v) {
    switch (v) {
    case MPG123_1_0: return "MPEG-1";
    case MPG123_2_0: return "MPEG-2";
    case MPG123_2_5: return "MPEG-2.5";
    }
    return "MPEG";
}

}  // namespace

MpegDecoder::MpegDecoder(InputBuffer& input, OutputBuffer& output, EventQueue& events, SpectrumRing& spectrum,
                         DebugLog& log)
    : input_(input), output_(output), events_(events), spectrum_(spectrum), log_(log) {}

std::string MpegDecoder::titleFromPath(const std::string& path) {
    std::string name = std::filesystem::path(path).filename().string();
    auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

DecodeResult MpegDecoder::run(const DecodeJob& job, std::atomic<int64_t>& streamPosition) {
    DecodeResult result;
    auto endItem = [&](int32_t error) {
        result.error = error;
        PcmBlock end;
        end.run = job.run;
        end.end = true;
        end.error = error;
        end.streamPosition = streamPosition.load();
        end.itemFrame = result.frames;
        output_.push(std::move(end));
        // The input stage may still be waiting to hand over the rest.
        input_.abort();
        return result;
    };
    auto cannotPlay = [&] { events_.post(Event(kEventStatusMessage, std::string(kCannotPlay), job.run)); };

    int err = MPG123_OK;
    Handle h(libraryReady() ? mpg123_new(nullptr, &err) : nullptr);
    if (!h) {
        log_.error(LogClass::Decode, kErrorInitFailed, "Audio decode init failed.");
        return endItem(kErrorInitFailed);
    }
    mpg123_param(h.get(), MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    // Any rate and channel count the stream has, always as 16-bit samples.
    mpg123_format_none(h.get());
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(h.get(), rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if ((err = mpg123_open_feed(h.get())) != MPG123_OK) {
        log_.error(LogClass::Decode, kErrorInitFailed, "Initializing the decoder failed: %d", err);
        return endItem(kErrorInitFailed);
    }

    if (job.preBufferBytes > 0) {
        bool go = input_.waitForPreBuffer(job.preBufferBytes, [&](const char* text) {
            log_.log(LogClass::Input, "%s", text);
            events_.post(Event(kEventStatusMessage, std::string(text), job.run));
        });
        if (!go) return result;
    }

    SpectrumAnalyser analyser;
    audio::PcmFormat format;
    bool formatKnown = false;
    bool sizeKnown = false;
    int64_t itemLength = 0;
    int64_t headerSkip = -1;  // bytes of a leading ID3v2 tag, once seen
    off_t lastTell = 0;
    uint8_t chunk[kFeedChunk];
    auto started = std::chrono::steady_clock::now();
    double decodeSeconds = 0;

    for (;;) {
        size_t n = input_.read(chunk, sizeof chunk);
        if (n == 0) break;
        if (input_.aborted()) return result;
        if (headerSkip < 0) headerSkip = id3v2Size(chunk, n);
        if (!sizeKnown && input_.sourceSize() >= 0) {
            mpg123_set_filesize(h.get(), off_t(input_.sourceSize()));
            sizeKnown = true;
        }
        result.inputBytes += int64_t(n);
        if ((err = mpg123_feed(h.get(), chunk, n)) != MPG123_OK) {
            log_.error(LogClass::Decode, kErrorOutOfMemory, "LMC: Cannot advance to next frame: %d", int(kErrorOutOfMemory));
            return endItem(kErrorOutOfMemory);
        }
        for (;;) {
            off_t num = 0;
            unsigned char* audio = nullptr;
            size_t bytes = 0;
            auto t0 = std::chrono::steady_clock::now();
            int r = mpg123_decode_frame(h.get(), &num, &audio, &bytes);
            decodeSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            if (r == MPG123_NEED_MORE) break;
            if (r == MPG123_NEW_FORMAT) {
                long rate = 0;
                int channels = 0, encoding = 0;
                if (mpg123_getformat(h.get(), &rate, &channels, &encoding) != MPG123_OK) {
                    log_.error(LogClass::Decode, kErrorParseError, "ExtractMediaInfo failed: %d", int(kErrorParseError));
                    cannotPlay();
                    return endItem(kErrorParseError);
                }
                audio::PcmFormat f{int32_t(rate), channels, 16};
                if (formatKnown && !(f == format))
                    log_.log(LogClass::Decode, "LMC: the stream changes to %d Hz, %d channels", f.sampleRate, f.channels);
                format = f;
                if (!formatKnown) {
                    formatKnown = true;
                    mpg123_frameinfo fi{};
                    mpg123_info(h.get(), &fi);
                    off_t samples = mpg123_length(h.get());
                    itemLength = samples > 0 ? int64_t(samples) : 0;
                    MediaInfo info;
                    info.totalSeconds = float(double(itemLength) / double(rate));
                    info.itemNumber = job.itemNumber;
                    info.itemCount = job.itemCount;
                    info.path = job.path;
                    mpg123_id3v1* v1 = nullptr;
                    mpg123_id3v2* v2 = nullptr;
                    if (mpg123_meta_check(h.get()) & MPG123_ID3) mpg123_id3(h.get(), &v1, &v2);
                    if (v2) info.title = tagText(v2->title);
                    if (info.title.empty()) info.title = titleFromPath(job.path);
                    info.sampleRate = int32_t(rate);
                    info.channels = channels;
                    info.layer = fi.layer;
                    info.version = versionName(fi.version);
                    log_.log(LogClass::Decode, "LMC: %s Layer %d (\"MP%d\"), %ld Hz, %d channels, %.1f s: %s",
                             info.version.c_str(), fi.layer, fi.layer, rate, channels, double(info.totalSeconds),
                             info.title.c_str());
                    events_.post(Event(kEventMediaInfo, std::move(info), job.run));
                }
                continue;
            }
            if (r != MPG123_OK) {
                log_.error(LogClass::Decode, kErrorParseError, "LMC: Cannot advance to next frame: %d (%s)",
                           int(kErrorParseError), mpg123_strerror(h.get()));
                if (result.frames == 0) cannotPlay();
                return endItem(kErrorParseError);
            }
            // Bytes between the last frame and this one were junk the
            // decoder skipped to find its sync again.
            off_t tell = mpg123_tell_stream(h.get());
            if (result.frames > 0 && tell >= 0) {
                mpg123_frameinfo fi{};
                mpg123_info(h.get(), &fi);
                long skipped = long(tell - lastTell) - (fi.framesize + 4);
                if (skipped > 0) log_.log(LogClass::Decode, "Skipped %ld bytes in advance frame.", skipped);
            }
            lastTell = tell;
            if (bytes == 0 || !formatKnown) continue;
            PcmBlock block;
            block.format = format;
            block.run = job.run;
            block.samples.resize(bytes / sizeof(int16_t));
            std::memcpy(block.samples.data(), audio, block.samples.size() * sizeof(int16_t));
            int64_t frames = block.frames();
            block.streamPosition = streamPosition.fetch_add(frames);
            block.itemFrame = result.frames;
            block.itemLength = itemLength;
            spectrum_.publish(block.streamPosition, analyser.analyse(block.samples.data(), int(frames), format.channels));
            result.frames += frames;
            if (!output_.push(std::move(block))) {
                log_.error(LogClass::Decode, kErrorOutputUnsuccessful, "Cannot write audio data to output buffer.");
                return result;  // abandoned: nobody waits for the end
            }
        }
        if (!formatKnown && result.inputBytes > std::max<int64_t>(headerSkip, 0) + kSyncSearchLimit) break;
    }
    if (input_.aborted()) return result;

    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (formatKnown && decodeSeconds > 0)
        log_.log(LogClass::Perf, "LMC: %lld frames in %.3f s decoding (%.0fx real time), %.3f s in all",
                 (long long)result.frames, decodeSeconds, double(result.frames) / format.sampleRate / decodeSeconds,
                 wall);

    if (int32_t inErr = input_.ended() ? input_.endError() : kErrorNone; inErr != kErrorNone) {
        if (result.frames == 0) cannotPlay();
        return endItem(inErr);
    }
    if (result.inputBytes == 0) {
        log_.error(LogClass::Decode, kErrorNoDataAvail, "CanDecode returned false. (%s is empty)", job.path.c_str());
        cannotPlay();
        return endItem(kErrorNoDataAvail);
    }
    if (!formatKnown) {
        log_.error(LogClass::Decode, kErrorFormatNotSupported, "CanDecode returned false. (no MPEG audio in %s)",
                   job.path.c_str());
        cannotPlay();
        return endItem(kErrorFormatNotSupported);
    }
    // Bytes fed but never taken into a frame: the file stops inside one.
    off_t tell = mpg123_tell_stream(h.get());
    if (tell >= 0 && int64_t(tell) < result.inputBytes) {
        log_.error(LogClass::Decode, kErrorEndOfStream, "LMC: Cannot advance to next frame: %d (%lld bytes left over)",
                   int(kErrorEndOfStream), (long long)(result.inputBytes - int64_t(tell)));
        return endItem(kErrorEndOfStream);
    }
    return endItem(kErrorNone);
}

}  // namespace tnx::player
