// What a run checks before its first window: whether it draws the globe and
// so needs the data, whether the data is there, which window a screen-saver
// manager handed it; and the folder lines that end --help.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/command_line.h"
#include "platform/home/program_home.h"

namespace tnx::app {

// The viewer, the saver and snapshots draw the globe; the settings dialog,
// the password step, the installer and the silent exits do not.
bool drawsGlobe(const std::string& argumentText, const LaunchOptions& launch);

// What to tell the user when pack.dat is in none of the folders the rule
// looks in: which folders those were and how to get the data. Nothing when
// the data is there.
std::optional<std::string> missingDataMessage(const home::Folders& folders);

// The "Folders:" lines of --help: the data folder found (or where it was
// looked for) and the state folder.
std::string foldersHelp(const home::Folders& folders);

// The window a saver request draws into: the -window-id, else for -root the
// window named by $XSCREENSAVER_WINDOW (the manager's own), else 0 for the
// screen's root window.
uint64_t saverWindowFor(const LaunchOptions::SaverWindow& request, const char* xscreensaverWindow);

}  // namespace tnx::app
