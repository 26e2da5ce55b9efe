// Where the program finds its data and keeps its state: $TERRANOX_HOME when
// set, else the executable's folder when it holds pack.dat (the portable
// layout), else the per-user data folder.
#pragma once

#include <filesystem>
#include <string>

namespace tnx::home {

// Call once at start-up with argv[0]'s resolved folder; tests never need to.
void setExecutableDir(const std::filesystem::path& dir);
const std::filesystem::path& executableDir();

// The folder state files are read from and written to (created on demand).
std::filesystem::path programHome();
// A file in the program's home.
std::filesystem::path homeFile(const std::string& name);
// A read-only data file: the home first, then the executable's folder.
std::filesystem::path dataFile(const std::string& name);

}  // namespace tnx::home
