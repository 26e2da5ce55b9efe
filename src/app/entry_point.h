// Where a run begins: the installer's arguments, the silent exits, then the
// application object.
#pragma once

#include <functional>
#include <string>

#include "app/command_line.h"

namespace tnx::app {

// The tile installer, reached for argument texts of 16 to 57 characters.
using InstallerEntry = std::function<int(const std::string& argumentText)>;

enum class EntryRoute { Installer, SilentExit, Application };

// Which way an argument text goes.
EntryRoute routeFor(const std::string& argumentText);

// Runs the program for the argument text (the command line without the
// program path, our long options already taken out).
int runEntryPoint(const std::string& argumentText, const LaunchOptions& launch, const InstallerEntry& installer);

}  // namespace tnx::app
