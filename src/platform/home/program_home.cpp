#include "platform/home/program_home.h"

#include <cstdlib>

namespace tnx::home {

namespace {
std::filesystem::path g_exeDir;
}

void setExecutableDir(const std::filesystem::path& dir) { g_exeDir = dir; }
const std::filesystem::path& executableDir() { return g_exeDir; }

std::filesystem::path programHome() {
    std::error_code ec;
    if (const char* env = std::getenv("TERRANOX_HOME"); env && *env) {
        std::filesystem::create_directories(env, ec);
        return env;
    }
    if (!g_exeDir.empty() && std::filesystem::exists(g_exeDir / "pack.dat", ec)) return g_exeDir;
    std::filesystem::path base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) base = xdg;
    else if (const char* h = std::getenv("HOME"); h && *h) base = std::filesystem::path(h) / ".local/share";
    else base = std::filesystem::temp_directory_path();
    std::filesystem::path dir = base / "Terranox";
    std::filesystem::create_directories(dir, ec);
    return dir;
}

std::filesystem::path homeFile(const std::string& name) { return programHome() / name; }

std::filesystem::path dataFile(const std::string& name) {
    std::error_code ec;
    std::filesystem::path p = programHome() / name;
    if (std::filesystem::exists(p, ec) || g_exeDir.empty()) return p;
    std::filesystem::path q = g_exeDir / name;
    return std::filesystem::exists(q, ec) ? q : p;
}

}  // namespace tnx::home
