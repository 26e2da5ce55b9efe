#include "app/launch_checks.h"

#include <algorithm>
#include <vector>

namespace tnx::app {

namespace {
// The folders pack.dat is looked for in, in the order the rule reads them,
// with the installation's data folder named even when it does not exist.
std::vector<std::filesystem::path> lookedIn(const home::Folders& f) {
    std::vector<std::filesystem::path> out;
    for (const auto& p : {f.state, f.data, f.installedData})
        if (!p.empty() && std::find(out.begin(), out.end(), p) == out.end()) out.push_back(p);
    return out;
}

bool hasData(const home::Folders& f) {
    std::error_code ec;
    for (const auto& p : {f.state, f.data})
        if (!p.empty() && std::filesystem::is_regular_file(p / "pack.dat", ec)) return true;
    return false;
}

std::filesystem::path foundData(const home::Folders& f) {
    std::error_code ec;
    for (const auto& p : {f.state, f.data})
        if (!p.empty() && std::filesystem::is_regular_file(p / "pack.dat", ec)) return p;
    return {};
}
}  // namespace

bool drawsGlobe(const std::string& argumentText, const LaunchOptions& launch) {
    if (launch.saverWindow || launch.snapshotPath) return true;
    SaverMode mode = parseSaverCommandLine("terranox " + argumentText).mode;
    return mode == SaverMode::InteractiveViewer || mode == SaverMode::FullScreenSaver;
}

std::optional<std::string> missingDataMessage(const home::Folders& f) {
    if (hasData(f)) return std::nullopt;
    std::string text = "no globe data: pack.dat is in none of these folders:\n";
    for (const auto& p : lookedIn(f)) text += "  " + p.string() + "\n";
    text +=
        "Build the data in the source folder with scripts/build-data.sh and install again\n"
        "(cmake --install build), or install the terranox package, which carries it.";
    return text;
}

std::string foldersHelp(const home::Folders& f) {
    std::string text = "\nFolders:\n";
    std::filesystem::path data = foundData(f);
    if (data.empty()) {
        text += "  data      none found: pack.dat is in none of";
        for (const auto& p : lookedIn(f)) text += " " + p.string();
        text += "\n";
    } else {
        const char* kind = data == f.state && data != f.data ? "in the settings folder"
                           : f.layout == home::Layout::Portable ? "portable program folder"
                           : f.layout == home::Layout::Installed ? "installed"
                                                                 : "beside the program";
        text += "  data      " + data.string() + " (" + kind + ")\n";
    }
    text += "  settings  " + f.state.string() + "\n";
    return text;
}

uint64_t saverWindowFor(const LaunchOptions::SaverWindow& request, const char* xscreensaverWindow) {
    if (request.id) return request.id;
    uint64_t id = 0;
    if (request.root && xscreensaverWindow && parseWindowId(xscreensaverWindow, id)) return id;
    return 0;
}

}  // namespace tnx::app
