#include "app/manual_page.h"

#include <sstream>
#include <vector>

namespace tnx::app {

namespace {
// Text as roff shows it literally: backslashes and minus signs escaped, and
// a line never starting with a control character.
std::string roff(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\') out += "\\e";
        else if (c == '-') out += "\\-";
        else out += c;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
    return out;
}

std::string trim(const std::string& s) {
    size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

size_t indentOf(const std::string& s) {
    size_t n = s.find_first_not_of(' ');
    return n == std::string::npos ? s.size() : n;
}

struct Entry {
    std::string term, text;
};

const char* const kDescription =
    "Terranox shows the Earth as a relief-shaded, textured globe whose detail follows the camera, lit by the "
    "Sun from its true position for the current date and time, with the night side darkened, an atmosphere, "
    "the stars and the Moon. Drag to turn, move and zoom the globe; right-click for the menu; Escape ends the "
    "viewer.\n"
    "The same program is a screen saver: with the switch /s it flies over the globe on every monitor until any "
    "key, click or mouse movement ends it, and inside a screen-saver manager it draws into the manager's window "
    "(see SCREEN SAVER MANAGERS).";

const char* const kFiles =
    ".TP\n"
    ".I <prefix>/share/terranox/\n"
    "The installed data: pack.dat, the terrain and texture tile files (globe*.tem, globetex*.tex) and the "
    "cursors. A portable program folder holds the same files beside the executable, and is then also where "
    "the settings are kept.\n"
    ".TP\n"
    ".I $XDG_DATA_HOME/Terranox/\n"
    "(by default ~/.local/share/Terranox/) The viewer's settings (3dvis.ini, Terranox.ini, pref.ini) and the "
    "user's places (usersite.bin); written only by the interactive viewer. Files placed here are read before "
    "the installed ones.\n"
    ".TP\n"
    ".I ~/.config/Tarnwick/Terranox.ini\n"
    "The display settings of the saver.\n";

const char* const kEnvironment =
    ".TP\n"
    ".B TERRANOX_HOME\n"
    "The folder for the settings and places instead of the one above.\n"
    ".TP\n"
    ".B XSCREENSAVER_WINDOW\n"
    "The window a screen-saver manager draws its savers in; used with \\-root.\n";

const char* const kManagers =
    "Managers that run X11 screen-saver programs start them with \\-root (and the window to draw in named by "
    "XSCREENSAVER_WINDOW) or with \\-window\\-id; Terranox then draws its saver flight into that window, "
    "follows its size and leaves input and the end of the saver to the manager. For xscreensaver, add the line\n"
    ".RS\n"
    ".B GL: terranox \\-root\n"
    ".RE\n"
    "to the programs: list in ~/.xscreensaver; the hack's description is installed in "
    "<prefix>/share/xscreensaver/config/terranox.xml.\n";
}  // namespace

std::string manualPage(const std::string& helpText, const std::string& version) {
    std::ostringstream page;
    page << ".TH TERRANOX 1 \"\" \"terranox " << roff(version) << "\" \"User Commands\"\n";
    page << ".SH NAME\nterranox \\- 3D globe viewer and screen saver\n";

    std::istringstream in(helpText);
    std::string line, synopsis;
    std::vector<std::pair<std::string, std::vector<Entry>>> sections;
    size_t textColumn = 0;
    while (std::getline(in, line)) {
        if (trim(line).empty()) continue;
        if (line.rfind("Usage: ", 0) == 0) {
            synopsis = trim(line.substr(7));
            continue;
        }
        if (indentOf(line) == 0) {
            std::string title = trim(line);
            if (!title.empty() && title.back() == ':') title.pop_back();
            sections.push_back({title, {}});
            continue;
        }
        if (sections.empty()) sections.push_back({"Options", {}});
        auto& entries = sections.back().second;
        size_t indent = indentOf(line);
        // A line indented as far as the text of the entry above continues it.
        if (!entries.empty() && textColumn > 0 && indent >= textColumn) {
            entries.back().text += " " + trim(line);
            continue;
        }
        size_t gap = line.find("  ", indent);
        if (gap == std::string::npos) {
            entries.push_back({trim(line), {}});
            textColumn = 0;
            continue;
        }
        size_t text = line.find_first_not_of(' ', gap);
        entries.push_back({trim(line.substr(indent, gap - indent)), trim(line.substr(text))});
        textColumn = text;
    }

    page << ".SH SYNOPSIS\n";
    std::string program = synopsis.substr(0, synopsis.find(' '));
    page << ".B " << roff(program.empty() ? "terranox" : program) << "\n";
    if (synopsis.size() > program.size()) page << roff(trim(synopsis.substr(program.size()))) << "\n";
    page << ".SH DESCRIPTION\n";
    std::istringstream description(kDescription);
    for (std::string paragraph; std::getline(description, paragraph);) page << ".PP\n" << paragraph << "\n";
    page << ".SH OPTIONS\n";
    for (const auto& [title, entries] : sections) {
        page << ".SS \"" << roff(title) << "\"\n";
        for (const Entry& e : entries) page << ".TP\n.B " << roff(e.term) << "\n" << roff(e.text) << "\n";
    }
    page << ".SH \"SCREEN SAVER MANAGERS\"\n" << kManagers;
    page << ".SH FILES\n" << kFiles;
    page << ".SH ENVIRONMENT\n" << kEnvironment;
    return page.str();
}

}  // namespace tnx::app
