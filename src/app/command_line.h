// The command line: our own long options, taken out first, then the saver
// switches.
#pragma once

#include <array>
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

// Layers --hide and --show switch for one run.
enum class Layer : int { Hud, Cities, Borders, Rivers, Graticule, Atmosphere, Stars, Lights };
constexpr int kLayerCount = 8;
// Their names on the command line, in the order of Layer.
extern const std::array<const char*, kLayerCount> kLayerNames;

// Per layer: shown or hidden for this run, or as the settings have it.
struct LayerChoices {
    std::array<std::optional<bool>, kLayerCount> shown{};
    std::optional<bool> operator[](Layer l) const { return shown[size_t(l)]; }
    // The setting's value unless the command line chose.
    bool apply(Layer l, bool setting) const { return shown[size_t(l)].value_or(setting); }
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
    std::optional<double> timeRate;   // --time-rate: simulated seconds per real second
    // --frames N: a series of N pictures named by the --snapshot pattern
    // (0: one snapshot, its name as given).
    int frames = 0;
    double fps = 30;                  // --fps: the series' pictures per second
    bool flight = false;              // --flight: the saver's automatic flight from the start
    LayerChoices layers;              // --hide, --show
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

// The number field of a picture series' name pattern: true when `pattern`
// holds at most one printf conversion for an int (d, i, u, x, X, o, with
// flags, width and precision; "%%" is a plain "%"), and `hasField` tells
// whether it holds one. False, with the reason, for anything else.
bool checkSeriesPattern(const std::string& pattern, bool& hasField, std::string& why);
// Picture `index` of the series: the pattern (checked above) with the number.
std::string seriesFileName(const std::string& pattern, int index);

// The text --help prints.
std::string helpText();

}  // namespace tnx::app
