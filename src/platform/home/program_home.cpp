#include "platform/home/program_home.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace tnx::home {

namespace {
std::filesystem::path g_exeDir;

std::string variable(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

bool isFile(const std::filesystem::path& p) {
    std::error_code ec;
    return std::filesystem::is_regular_file(p, ec);
}

bool isFolder(const std::filesystem::path& p) {
    std::error_code ec;
    return std::filesystem::is_directory(p, ec);
}
}  // namespace

Environment Environment::current() {
    return {variable("TERRANOX_HOME"), variable("XDG_DATA_HOME"), variable("HOME")};
}

Folders resolveFolders(const std::filesystem::path& exeDir, const Environment& env) {
    Folders f;
    if (!exeDir.empty()) f.installedData = (exeDir / ".." / "share" / "terranox").lexically_normal();
    if (!exeDir.empty() && isFile(exeDir / "pack.dat")) {
        f.layout = Layout::Portable;
        f.data = exeDir;
    } else if (!f.installedData.empty() && isFolder(f.installedData)) {
        f.layout = Layout::Installed;
        f.data = f.installedData;
    } else {
        f.layout = Layout::Bare;
        f.data = exeDir;
    }
    if (!env.terranoxHome.empty()) {
        f.state = env.terranoxHome;
    } else if (f.layout == Layout::Portable) {
        f.state = exeDir;
    } else {
        // A relative XDG_DATA_HOME is invalid and ignored, as the base
        // directory rules say.
        std::filesystem::path base;
        if (!env.xdgDataHome.empty() && std::filesystem::path(env.xdgDataHome).is_absolute()) base = env.xdgDataHome;
        else if (!env.home.empty()) base = std::filesystem::path(env.home) / ".local" / "share";
        else base = std::filesystem::temp_directory_path();
        f.state = base / "Terranox";
    }
    return f;
}

void setExecutableDir(const std::filesystem::path& dir) { g_exeDir = dir; }
const std::filesystem::path& executableDir() { return g_exeDir; }

Folders folders() { return resolveFolders(g_exeDir, Environment::current()); }

std::filesystem::path programHome() {
    std::filesystem::path dir = folders().state;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir;
}

std::filesystem::path homeFile(const std::string& name) { return programHome() / name; }

std::vector<std::filesystem::path> dataSearchPath() {
    Folders f = folders();
    std::vector<std::filesystem::path> out{f.state};
    if (!f.data.empty() && f.data != f.state) out.push_back(f.data);
    return out;
}

std::filesystem::path dataFile(const std::string& name) {
    std::vector<std::filesystem::path> path = dataSearchPath();
    std::error_code ec;
    for (const auto& dir : path)
        if (std::filesystem::exists(dir / name, ec)) return dir / name;
    return path.front() / name;
}

bool stateFolderWritable(std::string& why) {
    std::filesystem::path dir = folders().state;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        why = "cannot create " + dir.string() + " (" + ec.message() + ")";
        return false;
    }
    std::filesystem::path probe = dir / (".write-test-" + std::to_string(::getpid()));
    std::FILE* f = std::fopen(probe.c_str(), "wx");
    if (!f) {
        why = "cannot write in " + dir.string() + " (" + std::strerror(errno) + ")";
        return false;
    }
    std::fclose(f);
    std::filesystem::remove(probe, ec);
    return true;
}

}  // namespace tnx::home
