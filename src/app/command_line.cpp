#include "app/command_line.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "globe/sky/astro_clock.h"
#include "globe/sky/scene_clock.h"

#include "globe/imagery/imagery_source.h"

namespace tnx::app {

const std::array<const char*, kLayerCount> kLayerNames = {"hud",        "cities",     "borders", "rivers",
                                                          "graticule", "atmosphere", "stars",   "lights"};

namespace {

constexpr int kMaxFrames = 1000000;
constexpr double kMaxFps = 1000;
// Larger sizes are the device's to refuse (it knows its limit).
constexpr int kMaxSize = 65536;

bool parseNumber(const std::string& s, double& out) {
    if (s.empty() || std::isspace(static_cast<unsigned char>(s[0]))) return false;
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size() || !std::isfinite(v)) return false;
    out = v;
    return true;
}

std::string knownLayers() {
    std::string list;
    for (const char* n : kLayerNames) list += std::string(list.empty() ? "" : ", ") + n;
    return list;
}

// "hud,cities": each name to `shown`; false with the message on an unknown name.
bool parseLayers(const std::string& text, const char* option, bool shown, LayerChoices& out, std::string& error) {
    size_t pos = 0;
    bool any = false;
    while (pos <= text.size()) {
        const size_t comma = std::min(text.find(',', pos), text.size());
        std::string name = text.substr(pos, comma - pos);
        for (char& c : name) c = char(std::tolower(static_cast<unsigned char>(c)));
        pos = comma + 1;
        if (name.empty()) continue;
        size_t i = 0;
        while (i < kLayerNames.size() && name != kLayerNames[i]) ++i;
        if (i == kLayerNames.size()) {
            error = std::string(option) + ": no layer called \"" + name + "\" (known: " + knownLayers() + ")";
            return false;
        }
        out.shown[i] = shown;
        any = true;
    }
    if (!any) error = std::string(option) + " wants a list of layers (known: " + knownLayers() + ")";
    return any;
}

bool parseSize(const std::string& s, int& w, int& h) {
    char x;
    int a, b;
    char rest;
    if (std::sscanf(s.c_str(), "%d%c%d%c", &a, &x, &b, &rest) != 3 || (x != 'x' && x != 'X')) return false;
    if (a < 16 || b < 16 || a > kMaxSize || b > kMaxSize) return false;
    w = a;
    h = b;
    return true;
}

bool validAltitude(double km) { return km > 0 && km <= 1e7; }
bool validPoint(double lon, double lat) { return lon >= -180 && lon <= 180 && lat >= -90 && lat <= 90; }

// LON,LAT,KM, or NAME[,KM] (a name may itself hold commas: only a number
// after the last one is taken as the altitude).
bool parseLookAt(const std::string& s, LookAt& out, std::string& place) {
    double lon, lat, km;
    char rest;
    place.clear();
    if (std::sscanf(s.c_str(), "%lf,%lf,%lf%c", &lon, &lat, &km, &rest) == 3) {
        if (!validPoint(lon, lat) || !validAltitude(km)) return false;
        out = {lon, lat, km};
        return true;
    }
    out = LookAt{};
    place = s;
    size_t comma = s.rfind(',');
    if (comma != std::string::npos && std::sscanf(s.c_str() + comma + 1, "%lf%c", &km, &rest) == 1) {
        if (!validAltitude(km)) return false;
        out.altitudeKm = km;
        place = s.substr(0, comma);
    }
    while (!place.empty() && place.back() == ' ') place.pop_back();
    while (!place.empty() && place.front() == ' ') place.erase(0, 1);
    return !place.empty();
}

// A layer's name or a template the imagery can use; the error says why not.
bool validImagery(const std::string& s, std::string& error) {
    std::string lower;
    for (char c : s) lower += char(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "daily" || lower == "cloud-free" || lower == "off") return true;
    return globe::ImagerySource::make(s, settings::ImageryLayer::Daily, error).has_value();
}

bool parseWhere(const std::string& s, WhereQuery& out) {
    double lon, lat;
    char rest;
    if (std::sscanf(s.c_str(), "%lf,%lf%c", &lon, &lat, &rest) != 2 || !validPoint(lon, lat)) return false;
    out = {lon, lat};
    return true;
}
}  // namespace

bool parseWindowId(const std::string& s, uint64_t& id) {
    bool hex = s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
    std::string digits = hex ? s.substr(2) : s;
    if (digits.empty() || digits.size() > 10) return false;
    for (char c : digits)
        if (!(hex ? std::isxdigit(static_cast<unsigned char>(c)) : std::isdigit(static_cast<unsigned char>(c))))
            return false;
    uint64_t v = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
    if (v == 0 || v > 0xFFFFFFFFu) return false;
    id = v;
    return true;
}

LaunchOptions extractLaunchOptions(const std::vector<std::string>& args, std::string& argumentText) {
    LaunchOptions o;
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](const char* name) -> std::optional<std::string> {
            std::string prefix = std::string(name) + "=";
            if (a.rfind(prefix, 0) == 0) return a.substr(prefix.size());
            if (a == name) {
                if (i + 1 < args.size()) return args[++i];
                o.error = std::string(name) + " needs a value";
            } else {
                o.error = "unknown option " + a + " (see --help)";
            }
            return std::nullopt;
        };
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a.rfind("--snapshot", 0) == 0) {
            if (auto v = value("--snapshot")) o.snapshotPath = *v;
        } else if (a.rfind("--size", 0) == 0) {
            if (auto v = value("--size"); v && !parseSize(*v, o.width, o.height))
                o.error = "--size wants WIDTHxHEIGHT, each at least 16, e.g. 1280x720";
        } else if (a.rfind("--look-at", 0) == 0) {
            LookAt l;
            if (auto v = value("--look-at")) {
                if (parseLookAt(*v, l, o.lookAtPlace)) o.lookAt = l;
                else o.error = "--look-at wants LON,LAT,KM in degrees and kilometres, e.g. 10.5,47.2,2000, "
                               "or a city or country name with an optional KM, e.g. Paris,500";
            }
        } else if (a.rfind("--where", 0) == 0) {
            WhereQuery w;
            if (auto v = value("--where")) {
                if (parseWhere(*v, w)) o.where = w;
                else o.error = "--where wants LON,LAT in degrees, e.g. 2.35,48.85";
            }
        } else if (a.rfind("--import-sites", 0) == 0 || a.rfind("--export-sites", 0) == 0) {
            const bool import = a[2] == 'i';
            if (auto v = value(import ? "--import-sites" : "--export-sites")) o.siteFile = SiteFileRequest{import, *v};
            else if (o.error.empty()) o.error = "unknown option " + a + " (see --help)";
        } else if (a.rfind("--time-rate", 0) == 0) {
            double rate = 0;
            if (auto v = value("--time-rate")) {
                if (parseNumber(*v, rate) && std::fabs(rate) <= globe::SceneClock::kMaxRate) o.timeRate = rate;
                else o.error = "--time-rate wants simulated seconds per real second, e.g. 3600, 0.5 or -60";
            }
        } else if (a.rfind("--time", 0) == 0) {
            if (auto v = value("--time")) {
                if (globe::AstroClock::parse(*v)) o.time = *v;
                else o.error = "--time wants a UTC date and time YYYY-MM-DDTHH:MM:SSZ, e.g. 2026-12-21T22:00:00Z";
            }
        } else if (a.rfind("--frames", 0) == 0) {
            double n = 0;
            if (auto v = value("--frames")) {
                if (parseNumber(*v, n) && n >= 1 && n <= kMaxFrames && n == std::floor(n)) o.frames = int(n);
                else o.error = "--frames wants a whole number of pictures from 1 to " + std::to_string(kMaxFrames);
            }
        } else if (a.rfind("--fps", 0) == 0) {
            double f = 0;
            if (auto v = value("--fps")) {
                if (parseNumber(*v, f) && f > 0 && f <= kMaxFps) o.fps = f;
                else o.error = "--fps wants pictures per second above 0 (at most 1000), e.g. 30";
            }
        } else if (a == "--flight") {
            o.flight = true;
        } else if (a.rfind("--hide", 0) == 0 || a.rfind("--show", 0) == 0) {
            const bool show = a.rfind("--show", 0) == 0;
            const char* name = show ? "--show" : "--hide";
            if (auto v = value(name)) parseLayers(*v, name, show, o.layers, o.error);
        } else if (a.rfind("--imagery", 0) == 0) {
            std::string why;
            if (auto v = value("--imagery")) {
                if (validImagery(*v, why)) o.imagery = *v;
                else o.error = "--imagery wants daily, cloud-free, off or a URL template: " + why;
            }
        } else if (a == "--online") {
            o.online = true;
        } else if (a.rfind("--online-wait", 0) == 0) {
            int seconds;
            char rest;
            if (auto v = value("--online-wait")) {
                if (std::sscanf(v->c_str(), "%d%c", &seconds, &rest) == 1 && seconds >= 0 && seconds <= 600)
                    o.onlineWaitSeconds = seconds;
                else
                    o.error = "--online-wait wants whole seconds from 0 to 600";
            }
        } else if (a == "--version") {
            o.version = true;
        } else if (a == "-root" || a == "--root") {
            if (!o.saverWindow) o.saverWindow.emplace();
            o.saverWindow->root = true;
        } else if (a.rfind("-window-id", 0) == 0 || a.rfind("--window-id", 0) == 0) {
            const char* name = a[1] == '-' ? "--window-id" : "-window-id";
            uint64_t id = 0;
            auto v = value(name);
            if (!v && o.error.empty()) o.error = "unknown option " + a + " (see --help)";
            else if (v && !parseWindowId(*v, id)) o.error = std::string(name) + " wants an X window number, e.g. 0x2a00007";
            else if (v) {
                if (!o.saverWindow) o.saverWindow.emplace();
                o.saverWindow->id = id;
            }
        } else if (a.rfind("--", 0) == 0) {
            o.error = "unknown option " + a + " (see --help)";
        } else {
            rest.push_back(a);
        }
        if (!o.error.empty()) break;
    }
    if (o.error.empty() && o.frames > 0) {
        bool field = false;
        std::string why;
        if (!o.snapshotPath) o.error = "--frames needs --snapshot PATTERN, e.g. --snapshot flight%04d.png";
        else if (!checkSeriesPattern(*o.snapshotPath, field, why)) o.error = "--snapshot " + *o.snapshotPath + ": " + why;
        else if (!field && o.frames > 1)
            o.error = "--snapshot " + *o.snapshotPath + " has no number field for " + std::to_string(o.frames) +
                      " pictures; put one in, e.g. flight%04d.png";
    }
    argumentText.clear();
    for (size_t i = 0; i < rest.size(); ++i) {
        if (i) argumentText += ' ';
        argumentText += rest[i];
    }
    return o;
}

bool checkSeriesPattern(const std::string& pattern, bool& hasField, std::string& why) {
    hasField = false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') continue;
        if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < pattern.size() && std::string_view("-+ 0#").find(pattern[j]) != std::string_view::npos) ++j;
        while (j < pattern.size() && std::isdigit(static_cast<unsigned char>(pattern[j]))) ++j;
        if (j < pattern.size() && pattern[j] == '.') {
            ++j;
            while (j < pattern.size() && std::isdigit(static_cast<unsigned char>(pattern[j]))) ++j;
        }
        if (j >= pattern.size() || std::string_view("diuxXo").find(pattern[j]) == std::string_view::npos) {
            why = "only a number field such as %04d may follow a % (write %% for a % sign)";
            return false;
        }
        if (j - i > 8) {
            why = "the number field " + pattern.substr(i, j - i + 1) + " is too wide";
            return false;
        }
        if (hasField) {
            why = "more than one number field";
            return false;
        }
        hasField = true;
        i = j;
    }
    return true;
}

std::string seriesFileName(const std::string& pattern, int index) {
    std::vector<char> buf(pattern.size() + 128);
    const int n = std::snprintf(buf.data(), buf.size(), pattern.c_str(), index);
    return n < 0 ? pattern : std::string(buf.data(), std::min(size_t(n), buf.size() - 1));
}

SaverCommand parseSaverCommandLine(const std::string& cmd) {
    SaverCommand out;
    size_t i = 0;
    // Skip the program path, quoted or up to the first blank, and the
    // character that ended it.
    if (i < cmd.size() && cmd[i] == '"') {
        ++i;
        while (i < cmd.size() && cmd[i] != '"') ++i;
    } else {
        while (i < cmd.size() && cmd[i] != ' ') ++i;
    }
    if (i < cmd.size() && (cmd[i] == '"' || cmd[i] == ' ')) ++i;
    while (i < cmd.size() && cmd[i] != '/' && cmd[i] != '-') ++i;
    if (i >= cmd.size()) {
        out.mode = SaverMode::Configuration;
        return out;
    }
    ++i;
    char letter = i < cmd.size() ? char(std::tolower(static_cast<unsigned char>(cmd[i]))) : '\0';
    switch (letter) {
        case 'a': out.mode = SaverMode::PasswordChange; break;
        case 'c': out.mode = SaverMode::Configuration; break;
        case 'p': out.mode = SaverMode::Preview; break;
        case 't': out.mode = SaverMode::InteractiveViewer; break;
        default: out.mode = SaverMode::FullScreenSaver; break;
    }
    if (letter == 'a' || letter == 'c' || letter == 'p') {
        size_t j = i + 1;
        while (j < cmd.size() && !std::isdigit(static_cast<unsigned char>(cmd[j]))) ++j;
        if (j < cmd.size()) out.parentWindow = std::strtol(cmd.c_str() + j, nullptr, 10);
    }
    return out;
}

std::string helpText() {
    return "Usage: terranox [switch] [options]\n"
           "\n"
           "Switches (as a screen saver is started):\n"
           "  /t          the interactive globe viewer\n"
           "  /s          the full-screen saver on every monitor (any input ends it)\n"
           "  /c          the screen-saver settings (also with no switch at all)\n"
           "  /a          change the saver password (not used on this platform)\n"
           "  InitTemAndTexture            complete the installed terrain and texture files\n"
           "  InstallTemAndTexture FILE    install terrain and texture files from FILE\n"
           "\n"
           "In a screen-saver manager (X11; the manager ends the saver):\n"
           "  -root          the saver in $XSCREENSAVER_WINDOW, else on the whole screen\n"
           "  -window-id ID  the saver in the X window ID (0x hex or decimal)\n"
           "\n"
           "Options:\n"
           "  --snapshot FILE.png   render the view off-screen, write the image, exit\n"
           "  --size WxH            the snapshot's size (default: the window's size)\n"
           "  --look-at LON,LAT,KM  start KM kilometres above that point (degrees)\n"
           "  --look-at NAME[,KM]   start above that city or country (KM by default\n"
           "                        1000 for a city, 3000 for a country)\n"
           "  --where LON,LAT       print the country and the nearest city there, exit\n"
           "  --import-sites FILE   add the places of a KML, GPX, GeoJSON or CSV file to\n"
           "                        your sites, exit (1: some skipped, 2: none readable)\n"
           "  --export-sites FILE   write your sites to FILE (.kml, .gpx, .geojson or .csv), exit\n"
           "  --time YYYY-MM-DDTHH:MM:SSZ  show the sky and daylight of that instant\n"
           "  --time-rate R         run the sky R simulated seconds per real second\n"
           "                        (negative runs backwards, 0 stands still)\n"
           "  --frames N            with --snapshot PATTERN: write N pictures, the\n"
           "                        PATTERN's number field (e.g. flight%04d.png) from 0\n"
           "  --fps F               the series' pictures per second (default 30)\n"
           "  --flight              start with the screen saver's automatic flight\n"
           "  --hide LIST           hide layers for this run: hud, cities, borders,\n"
           "                        rivers, graticule, atmosphere, stars, lights\n"
           "  --show LIST           show those layers for this run\n"
           "  --imagery SOURCE      online imagery for this run: daily, cloud-free, off,\n"
           "                        or a URL template with {z}/{x}/{y} or {TileMatrix}...\n"
           "  --online              let a snapshot or the saver fetch online imagery\n"
           "  --online-wait SECONDS a snapshot's wait for its tiles (default 10)\n"
           "  --version             the program's version\n"
           "  --help                this text\n";
}

}  // namespace tnx::app
