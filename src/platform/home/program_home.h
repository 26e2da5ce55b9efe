// Where the program finds its read-only data and keeps the user's state.
//
// Data (pack.dat, tile files, cursors) and state (settings files, the user's
// places) live in two folders:
// - portable: pack.dat beside the executable; both are that folder;
// - installed: <prefix>/bin/terranox with the data in <prefix>/share/terranox;
//   the state goes to the per-user data folder ($XDG_DATA_HOME/Terranox);
// - bare: an executable with neither; the executable's folder stands for the
//   data folder and the state goes to the per-user data folder.
// $TERRANOX_HOME, when set, is the state folder whatever the layout.
// Read-only files are looked up in the state folder first, so files the
// user added there (an installed world image) win over the shipped ones.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tnx::home {

enum class Layout { Portable, Installed, Bare };

struct Folders {
    Layout layout = Layout::Bare;
    std::filesystem::path data;   // read-only data
    std::filesystem::path state;  // settings and the user's places
    // The installation's data folder looked for (<prefix>/share/terranox).
    std::filesystem::path installedData;
};

// The environment the rule reads; an empty text is an unset variable.
struct Environment {
    std::string terranoxHome, xdgDataHome, home;
    static Environment current();
};

// The rule, for any executable folder and environment. Touches nothing.
Folders resolveFolders(const std::filesystem::path& exeDir, const Environment& env);

// Call once at start-up with the executable's resolved folder; tests never need to.
void setExecutableDir(const std::filesystem::path& dir);
const std::filesystem::path& executableDir();

// The folders of this process, by the rule above.
Folders folders();

// The folder state files are read from and written to (created on demand).
std::filesystem::path programHome();
// A file in the program's home.
std::filesystem::path homeFile(const std::string& name);
// The folders read-only files are looked up in, in order, without repeats.
std::vector<std::filesystem::path> dataSearchPath();
// A read-only data file: the first folder of the search path that holds it,
// else its place in the first folder.
std::filesystem::path dataFile(const std::string& name);

// Creates the state folder and writes and removes a probe file there. On
// failure `why` tells the folder and the reason.
bool stateFolderWritable(std::string& why);

}  // namespace tnx::home
