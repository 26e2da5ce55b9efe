#include "platform/io/file_io.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <unistd.h>

namespace tnx::io {

namespace {

// TERRANOX_SLOW_WRITES=N pauses N microseconds after every block written, so
// the crash tests can kill the program in the middle of a save.
long slowWriteMicroseconds() {
    static const long us = [] {
        const char* v = std::getenv("TERRANOX_SLOW_WRITES");
        return v ? std::max(0L, std::strtol(v, nullptr, 10)) : 0L;
    }();
    return us;
}

bool writeAll(FILE* f, std::span<const uint8_t> data) {
    long pause = slowWriteMicroseconds();
    if (pause == 0) return std::fwrite(data.data(), 1, data.size(), f) == data.size();
    constexpr size_t kBlock = 64;
    for (size_t at = 0; at < data.size(); at += kBlock) {
        size_t n = std::min(kBlock, data.size() - at);
        if (std::fwrite(data.data() + at, 1, n, f) != n || std::fflush(f) != 0) return false;
        ::usleep(useconds_t(pause));
    }
    return true;
}

}  // namespace

std::optional<std::vector<uint8_t>> readWholeFile(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    if (size < 0) return std::nullopt;
    in.seekg(0, std::ios::beg);
    std::vector<uint8_t> data(static_cast<size_t>(size));
    if (size > 0 && !in.read(reinterpret_cast<char*>(data.data()), size)) return std::nullopt;
    return data;
}

bool writeFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> data) {
    std::random_device rd;
    std::filesystem::path tmp = path;
    tmp += ".tmp" + std::to_string(rd() % 100000);
    FILE* f = std::fopen(tmp.c_str(), "wb");
    bool ok = f != nullptr;
    if (ok && !data.empty()) ok = writeAll(f, data);
    if (ok) ok = std::fflush(f) == 0 && ::fsync(fileno(f)) == 0;
    if (f && std::fclose(f) != 0) ok = false;
    std::error_code ec;
    if (ok) {
        std::filesystem::rename(tmp, path, ec);
        ok = !ec;
    }
    if (!ok) {
        std::filesystem::remove(tmp, ec);
        std::fprintf(stderr, "terranox: warning: could not write %s\n", path.c_str());
    }
    return ok;
}

}  // namespace tnx::io
