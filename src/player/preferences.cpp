#include "player/preferences.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/registry/registry.h"

namespace tnx::player {

namespace {

struct Default {
    const char* name;
    const char* value;
};

constexpr Default kDefaults[] = {
    {"InputBufferSize", "64"},
    {"OutputBufferSize", "512"},
    {"StreamBufferInterval", "3"},
    {"DecoderThreadPriority", "5"},
    {"PreBuffer", "0"},
    {"UseDebugLog", "false"},
    {"LogMain", "false"},
    {"LogDecode", "false"},
    {"LogInput", "false"},
    {"LogOutput", "false"},
    {"LogPerformance", "false"},
    {"PlaylistRepeat", "2"},
    {"PlaylistShuffle", "false"},
};

// The stand-alone player whose presence in the current directory makes
// that directory the install directory.
constexpr const char* kStandAlonePlayer = "melodra.exe";

}  // namespace

std::string Preferences::keyPath() {
    char buf[128];
    std::snprintf(buf, sizeof buf, "%s\\%s\\%s", "SOFTWARE\\Tarnwick", "Terranox", "Mp3player");
    return buf;
}

Preferences::Preferences(std::filesystem::path currentDir) {
    writeMissingDefaults();
    std::error_code ec;
    if (currentDir.empty()) currentDir = std::filesystem::current_path(ec);  // may be gone
    if (!currentDir.empty()) noteInstallDirectory(currentDir);
}

void Preferences::writeMissingDefaults() {
    for (const Default& d : kDefaults) {
        std::string v;
        if (getString(d.name, v) == kErrorNoPrefValue) setString(d.name, d.value);
    }
}

void Preferences::noteInstallDirectory(const std::filesystem::path& currentDir) {
    std::error_code ec;
    if (!std::filesystem::exists(currentDir / kStandAlonePlayer, ec)) return;
    std::string dir = currentDir.string();
    std::string old;
    if (getString("InstallDirectory", old) == kErrorNone && old == dir) return;
    setString("InstallDirectory", dir);
    setString("DatabaseDirectory", (currentDir / "db").string());
}

Error Preferences::getString(const std::string& name, std::string& value) const {
    auto v = registry::getString(keyPath(), name);
    if (!v) {
        // A value somebody stored as a number still counts.
        auto d = registry::getDword(keyPath(), name);
        if (!d) return kErrorNoPrefValue;
        value = std::to_string(*d);
        return kErrorNone;
    }
    value = *v;
    return kErrorNone;
}

Error Preferences::setString(const std::string& name, const std::string& value) {
    return registry::setString(keyPath(), name, value) ? kErrorNone : kErrorWriteFile;
}

Error Preferences::getInt32(const std::string& name, int32_t& value) const {
    std::string s;
    if (Error e = getString(name, s); e != kErrorNone) return e;
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(s.c_str(), &end, 10);
    if (end == s.c_str() || *end != '\0' || errno == ERANGE || v < INT32_MIN || v > INT32_MAX)
        return kErrorSyntaxError;
    value = int32_t(v);
    return kErrorNone;
}

Error Preferences::setInt32(const std::string& name, int32_t value) { return setString(name, std::to_string(value)); }

Error Preferences::getBool(const std::string& name, bool& value) const {
    std::string s;
    if (Error e = getString(name, s); e != kErrorNone) return e;
    if (s == "true") value = true;
    else if (s == "false") value = false;
    else return kErrorSyntaxError;
    return kErrorNone;
}

Error Preferences::setBool(const std::string& name, bool value) { return setString(name, value ? "true" : "false"); }

EngineSettings Preferences::settings() const {
    EngineSettings s;
    // A value that cannot be read keeps its default.
    getInt32("InputBufferSize", s.inputBufferKiB);
    getInt32("OutputBufferSize", s.outputBufferKiB);
    getInt32("StreamBufferInterval", s.streamBufferInterval);
    getInt32("DecoderThreadPriority", s.decoderThreadPriority);
    getInt32("PreBuffer", s.preBufferKiB);
    getBool("UseDebugLog", s.useDebugLog);
    getBool("LogMain", s.logMain);
    getBool("LogDecode", s.logDecode);
    getBool("LogInput", s.logInput);
    getBool("LogOutput", s.logOutput);
    getBool("LogPerformance", s.logPerformance);
    getInt32("PlaylistRepeat", s.playlistRepeat);
    getBool("PlaylistShuffle", s.playlistShuffle);
    return s;
}

}  // namespace tnx::player
