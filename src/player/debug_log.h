// The engine's debug log "tarnmp3.log". "UseDebugLog" switches it on; the
// classes Main, Decode, Input, Output and Perf each have their own switch
// ("LogMain" … "LogPerformance") for the chatter, while errors are written
// whenever the log is on, whatever their class. Safe from every thread.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <mutex>

namespace tnx::player {

enum class LogClass { Main, Decode, Input, Output, Perf };

struct EngineSettings;

class DebugLog {
public:
    DebugLog() = default;
    ~DebugLog();
    DebugLog(const DebugLog&) = delete;
    DebugLog& operator=(const DebugLog&) = delete;

    // Starts a fresh log at `path` when the settings switch it on.
    void open(const std::filesystem::path& path, const EngineSettings& settings);
    void close();

    bool isOpen() const;
    bool wants(LogClass c) const;

    // A message of a class; the text may end in a newline or not.
    void log(LogClass c, const char* format, ...) __attribute__((format(printf, 3, 4)));
    // An error with its code and text, then the details.
    void error(LogClass c, int32_t code, const char* format, ...) __attribute__((format(printf, 4, 5)));

    static const char* className(LogClass c);

private:
    void writeLine(LogClass c, const char* prefix, const char* text);

    mutable std::mutex mutex_;
    std::FILE* file_ = nullptr;
    bool classes_[5] = {};
};

}  // namespace tnx::player
