// The configuration file "Terranox.ini": a 20-byte head (0, 20, three unused
// words), then the globe configuration's record "saveconfigglobe" and the
// music configuration's record "saveconfigmp3", found by position.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "settings/preserved_record.h"
#include "settings/record.h"

namespace tnx::settings {

class ConfigurationFile {
public:
    static constexpr const char* kProductName = "Terranox";
    static constexpr const char* kGlobeRecordName = "saveconfigglobe";
    static constexpr const char* kMusicRecordName = "saveconfigmp3";
    static constexpr size_t kHeadLength = 20;
    static constexpr size_t kMaxFileLength = 100000;

    // "Terranox.ini".
    static std::string fileName();

    ConfigurationFile();
    // Either may be null: its record is then kept as read and written back
    // unchanged, so the file keeps both records in their places.
    void setOwners(RecordOwner* globe, RecordOwner* music);

    // Reads the file from the program's home, or the shipped default when
    // the file cannot be read. Returns 0, -1 when there is neither, -2 when a
    // record ran past the end of the file (what fitted before it is applied).
    int load();
    int loadImage(std::span<const uint8_t> image);

    // The file image, or nothing when it would exceed kMaxFileLength.
    std::optional<std::vector<uint8_t>> assemble();
    // Writes the image into the program's home; false when it is too big or
    // could not be written (the old file is kept).
    bool save();

private:
    RecordOwner* globe_ = nullptr;
    RecordOwner* music_ = nullptr;
    PreservedRecord keptGlobe_;
    PreservedRecord keptMusic_;

    RecordOwner* globeSlot() { return globe_ ? globe_ : &keptGlobe_; }
    RecordOwner* musicSlot() { return music_ ? music_ : &keptMusic_; }
};

}  // namespace tnx::settings
