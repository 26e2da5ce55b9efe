// The command line: our own long options, taken out first, then the saver
// switches.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/process_state.h"

namespace tnx::app {

struct LookAt {
    double longitudeDeg = 0, latitudeDeg = 0, altitudeKm = 0;
};

// --where: the point to describe.
struct WhereQuery {
    double longitudeDeg = 0, latitudeDeg = 0;
};

// --import-sites FILE / --export-sites FILE: the user's sites from or to a
// file, without a window.
struct SiteFileRequest {
    bool import = true;
    std::string path;
};

// Options of ours that are not saver switches.
struct LaunchOptions {
    std::optional<std::string> snapshotPath;
    int width = 0, height = 0;  // --size; 0 = the window's size
    std::optional<LookAt> lookAt;
    // --look-at NAME: the city or country (UTF-8) whose position lookAt
    // receives once the geography is read; altitudeKm 0 takes its default.
    std::string lookAtPlace;
    std::optional<WhereQuery> where;
    std::optional<SiteFileRequest> siteFile;
    std::optional<std::string> time;  // --time, ISO 8601 UTC
    bool help = false;
    bool version = false;  // --version
    // -root / -window-id: the saver drawn into a screen-saver manager's window.
    struct SaverWindow {
        bool root = false;  // -root: $XSCREENSAVER_WINDOW, else the root window
        uint64_t id = 0;    // -window-id, or the window found for -root
    };
    std::optional<SaverWindow> saverWindow;
    std::string error;  // a bad long option: the message to print
};

// An X window number as managers write it: 0x hex or decimal, non-zero,
// 32 bits.
bool parseWindowId(const std::string& text, uint64_t& id);

// Splits argv into our long options and the remaining argument text (the
// command line without the program path, arguments joined by blanks).
LaunchOptions extractLaunchOptions(const std::vector<std::string>& args, std::string& argumentText);

struct SaverCommand {
    SaverMode mode = SaverMode::Configuration;
    long parentWindow = 0;
};

// Parses the full command line, program path included.
SaverCommand parseSaverCommandLine(const std::string& commandLine);

// The text --help prints.
std::string helpText();

}  // namespace tnx::app
