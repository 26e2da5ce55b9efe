#include "player/debug_log.h"

#include <chrono>
#include <cstdarg>
#include <string>

#include "player/error_code.h"
#include "player/preferences.h"

namespace tnx::player {

DebugLog::~DebugLog() { close(); }

void DebugLog::open(const std::filesystem::path& path, const EngineSettings& s) {
    std::lock_guard lock(mutex_);
    if (file_) std::fclose(file_);
    file_ = nullptr;
    if (!s.useDebugLog) return;
    file_ = std::fopen(path.c_str(), "w");
    bool on[5] = {s.logMain, s.logDecode, s.logInput, s.logOutput, s.logPerformance};
    for (int i = 0; i < 5; ++i) classes_[i] = on[i];
}

void DebugLog::close() {
    std::lock_guard lock(mutex_);
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

bool DebugLog::isOpen() const {
    std::lock_guard lock(mutex_);
    return file_ != nullptr;
}

bool DebugLog::wants(LogClass c) const {
    std::lock_guard lock(mutex_);
    return file_ && classes_[int(c)];
}

const char* DebugLog::className(LogClass c) {
    switch (c) {
    case LogClass::Main: return "Main";
    case LogClass::Decode: return "Decode";
    case LogClass::Input: return "Input";
    case LogClass::Output: return "Output";
    case LogClass::Perf: return "Perf";
    }
    return "?";
}

void DebugLog::writeLine(LogClass c, const char* prefix, const char* text) {
    // Caller holds the lock.
    using namespace std::chrono;
    auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    std::string line = text;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    std::fprintf(file_, "%lld.%03lld %s: %s%s\n", (long long)(ms / 1000), (long long)(ms % 1000), className(c), prefix,
                 line.c_str());
    std::fflush(file_);
}

void DebugLog::log(LogClass c, const char* format, ...) {
    std::lock_guard lock(mutex_);
    if (!file_ || !classes_[int(c)]) return;
    char buf[2048];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    writeLine(c, "", buf);
}

void DebugLog::error(LogClass c, int32_t code, const char* format, ...) {
    std::lock_guard lock(mutex_);
    if (!file_) return;
    char buf[2048];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    char prefix[160];
    std::snprintf(prefix, sizeof prefix, "error %d (%s): ", int(code), errorText(code));
    writeLine(c, prefix, buf);
}

}  // namespace tnx::player
