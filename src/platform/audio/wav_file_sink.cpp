#include "platform/audio/wav_file_sink.h"

#include <array>

#include "platform/io/byte_io.h"

namespace tnx::audio {

namespace {

constexpr size_t kHeaderBytes = 44;
// The data chunk's size field is 32 bits; the file stops growing there.
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - kHeaderBytes;

std::array<uint8_t, kHeaderBytes> header(const PcmFormat& f, uint32_t dataBytes) {
    std::array<uint8_t, kHeaderBytes> h{};
    auto tag = [&](size_t at, const char* s) { for (int i = 0; i < 4; ++i) h[at + i] = uint8_t(s[i]); };
    tag(0, "RIFF");
    io::storeU32(&h[4], uint32_t(36 + dataBytes));
    tag(8, "WAVE");
    tag(12, "fmt ");
    io::storeU32(&h[16], 16);
    io::storeU16(&h[20], 1);  // PCM
    io::storeU16(&h[22], uint16_t(f.channels));
    io::storeU32(&h[24], uint32_t(f.sampleRate));
    io::storeU32(&h[28], uint32_t(f.bytesPerSecond()));
    io::storeU16(&h[32], uint16_t(f.frameBytes()));
    io::storeU16(&h[34], uint16_t(f.bitsPerSample));
    tag(36, "data");
    io::storeU32(&h[40], dataBytes);
    return h;
}

}  // namespace

WavFileSink::~WavFileSink() { close(); }

std::filesystem::path WavFileSink::pathForFormat(int n) const {
    if (n <= 1) return path_;
    std::filesystem::path p = path_;
    std::string ext = p.extension().string();
    p.replace_extension();
    return p.string() + "." + std::to_string(n) + (ext.empty() ? ".wav" : ext);
}

bool WavFileSink::fixHeader() {
    if (!file_) return true;
    auto h = header(format_, uint32_t(dataBytes_));
    long end = std::ftell(file_);
    bool ok = std::fseek(file_, 0, SEEK_SET) == 0 && std::fwrite(h.data(), 1, h.size(), file_) == h.size();
    ok = std::fseek(file_, end, SEEK_SET) == 0 && ok;
    return std::fflush(file_) == 0 && ok;
}

SinkResult WavFileSink::open(const PcmFormat& format) {
    if (!format.valid()) return SinkResult::FormatNotSupported;
    std::lock_guard lock(mutex_);
    interrupted_ = false;
    written_ = 0;
    if (file_ && format == format_) return SinkResult::Ok;
    if (file_) {
        fixHeader();
        std::fclose(file_);
        file_ = nullptr;
    }
    ++formatsSeen_;
    format_ = format;
    dataBytes_ = 0;
    file_ = std::fopen(pathForFormat(formatsSeen_).c_str(), "wb");
    if (!file_) return SinkResult::FileFailed;
    auto h = header(format_, 0);
    if (std::fwrite(h.data(), 1, h.size(), file_) != h.size()) return SinkResult::FileFailed;
    return SinkResult::Ok;
}

SinkResult WavFileSink::write(std::span<const uint8_t> pcm) {
    if (interrupted_) return SinkResult::Interrupted;
    std::lock_guard lock(mutex_);
    if (!file_) return SinkResult::FileFailed;
    size_t bytes = pcm.size() - pcm.size() % size_t(format_.frameBytes());
    if (dataBytes_ + bytes > kMaxDataBytes) return SinkResult::FileFailed;
    if (std::fwrite(pcm.data(), 1, bytes, file_) != bytes) return SinkResult::FileFailed;
    dataBytes_ += bytes;
    written_ += int64_t(bytes / size_t(format_.frameBytes()));
    return SinkResult::Ok;
}

SinkResult WavFileSink::drain() {
    std::lock_guard lock(mutex_);
    return fixHeader() ? SinkResult::Ok : SinkResult::FileFailed;
}

void WavFileSink::flush() { interrupted_ = false; }

void WavFileSink::close() {
    std::lock_guard lock(mutex_);
    if (!file_) return;
    fixHeader();
    std::fclose(file_);
    file_ = nullptr;
}

}  // namespace tnx::audio
