// The per-user settings store, addressed by key path and value name like the
// registry the settings were designed for ("Software\Tarnwick\Terranox",
// subkeys after a backslash). Values are typed: binary, DWORD or string; a
// value of another type than asked for reads as missing.
//
// Backed by QSettings: on Linux an INI file in the user's config folder
// (~/.config/Tarnwick/Terranox.conf), or the file named by
// $TERRANOX_REGISTRY when set (tests use that).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tnx::registry {

constexpr const char* kProductKey = "Software\\Tarnwick\\Terranox";

std::optional<std::vector<uint8_t>> getBinary(const std::string& keyPath, const std::string& name);
std::optional<uint32_t> getDword(const std::string& keyPath, const std::string& name);
std::optional<std::string> getString(const std::string& keyPath, const std::string& name);

bool setBinary(const std::string& keyPath, const std::string& name, std::span<const uint8_t> data);
bool setDword(const std::string& keyPath, const std::string& name, uint32_t value);
bool setString(const std::string& keyPath, const std::string& name, const std::string& value);

// Where the values are kept, for the README and error messages.
std::string storageLocation();

}  // namespace tnx::registry
