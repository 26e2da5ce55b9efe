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
// The temporary is locked while it is written and the folder is synced after
// the rename.
bool writeFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> data);

// Whether `fileName` is a temporary writeFileAtomically makes for `target`
// ("<target>.tmp" and up to five digits).
bool isTempFileOf(const std::string& fileName, const std::string& target);

// Removes from `dir` the temporaries of the `targets` that a killed writer
// left behind; one a live writer still holds is kept. Returns how many went.
int removeStaleTempFiles(const std::filesystem::path& dir, std::span<const std::string> targets);

}  // namespace tnx::io
