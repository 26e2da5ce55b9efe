// The engine's preferences, kept as registry values under
// "SOFTWARE\Tarnwick\Terranox\Mp3player". Values are strings; booleans are
// "true" and "false". A missing value reads as kErrorNoPrefValue, and
// creating the preferences writes the built-in default of every missing one.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "player/error_code.h"

namespace tnx::player {

// The values the engine works from, read once when it starts.
struct EngineSettings {
    int32_t inputBufferKiB = 64;
    int32_t outputBufferKiB = 512;
    int32_t streamBufferInterval = 3;
    int32_t decoderThreadPriority = 5;
    int32_t preBufferKiB = 0;
    bool useDebugLog = false;
    bool logMain = false;
    bool logDecode = false;
    bool logInput = false;
    bool logOutput = false;
    bool logPerformance = false;
    int32_t playlistRepeat = 2;  // 0 none, 1 the current item, 2 the whole list
    bool playlistShuffle = false;
};

class Preferences {
public:
    // Writes the defaults of missing values; `currentDir` is where the
    // engine's stand-alone player would be looked for (the process's
    // current directory when empty).
    explicit Preferences(std::filesystem::path currentDir = {});

    static std::string keyPath();

    Error getString(const std::string& name, std::string& value) const;
    Error setString(const std::string& name, const std::string& value);
    Error getInt32(const std::string& name, int32_t& value) const;
    Error setInt32(const std::string& name, int32_t value);
    Error getBool(const std::string& name, bool& value) const;
    Error setBool(const std::string& name, bool value);

    EngineSettings settings() const;

private:
    void writeMissingDefaults();
    void noteInstallDirectory(const std::filesystem::path& currentDir);
};

}  // namespace tnx::player
