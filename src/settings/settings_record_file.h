// The settings record file "3dvis.ini": a word 0, the total file length, then
// the root record. It is read once at start-up (or its shipped default when
// the file is missing) and written at the end of an interactive run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "settings/record.h"

namespace tnx::settings {

class SettingsRecordFile {
public:
    static constexpr const char* kFileName = "3dvis.ini";
    static constexpr size_t kHeadLength = 8;
    static constexpr size_t kMaxFileLength = 65536;

    // Reads `fileName` from the program's home, or the shipped default of
    // that name when the file cannot be read, and hands the root record to
    // `root`. Returns root size + 8; -1 when there is neither file nor
    // default, the image is too short to hold a root record, or the root's
    // name differs; -2 when the records ran past their sizes or the head's
    // total length is not root size + 8. Whatever was applied stays applied.
    static int load(const std::string& fileName, RootRecordOwner& root);
    static int loadImage(std::span<const uint8_t> image, RootRecordOwner& root);

    // The file image, or nothing when it would exceed kMaxFileLength.
    static std::optional<std::vector<uint8_t>> assemble(RootRecordOwner& root);
    // Writes the image into the program's home. Returns its length, or -1
    // when it is too big or could not be written (the old file is kept).
    static int save(const std::string& fileName, RootRecordOwner& root);
};

}  // namespace tnx::settings
