// Whole-file reading and crash-safe writing.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tnx::io {

// The whole file, or nothing when it cannot be opened or read.
std::optional<std::vector<uint8_t>> readWholeFile(const std::filesystem::path& path);

// Writes to a temporary file beside the target and renames it over the
// target, so a crash or a full disk never leaves a half-written file. On
// failure the old file is untouched, a one-line warning goes to stderr and
// false is returned.
bool writeFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> data);

}  // namespace tnx::io
