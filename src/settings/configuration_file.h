// The configuration file "Terranox.ini": a 20-byte head (0, 20, three unused
// words), then the globe configuration's record "saveconfigglobe" and the
// music configuration's record "saveconfigmp3", found by position, and our
// own records after them (the saver's time-lapse, "saveconfigtime"), which
// older files lack and older readers pass over.
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
    void setOwners(RecordOwner* globe, RecordOwner* music, RecordOwner* timeLapse = nullptr);

    // Reads the shipped default, then the file from the program's home over
    // it: a record the file cannot give (damaged, another layout, missing)
    // stays as the shipped default gave it, and owners keep the shipped
    // values of fields they cannot read. Returns 0, -1 when there is
    // neither, -2 when a record of the file ran past its end.
    int load();
    int loadImages(std::optional<std::span<const uint8_t>> file, std::optional<std::span<const uint8_t>> shipped);
    // One image alone, over what the owners hold.
    int loadImage(std::span<const uint8_t> image);
    // The last load met a file it could not wholly use: a head other than
    // (0, 20), a record that was refused or missing.
    bool damaged() const { return damaged_; }
    // The last load read a file (not only the shipped default).
    bool fileRead() const { return fileRead_; }

    // The file image, or nothing when it would exceed kMaxFileLength.
    std::optional<std::vector<uint8_t>> assemble();
    // Writes the image into the program's home; false when it is too big or
    // could not be written (the old file is kept).
    bool save();

private:
    RecordOwner* globe_ = nullptr;
    RecordOwner* music_ = nullptr;
    RecordOwner* timeLapse_ = nullptr;
    int readImage(std::span<const uint8_t> image);

    PreservedRecord keptGlobe_;
    PreservedRecord keptMusic_;
    bool damaged_ = false;
    bool fileRead_ = false;

    RecordOwner* globeSlot() { return globe_ ? globe_ : &keptGlobe_; }
    RecordOwner* musicSlot() { return music_ ? music_ : &keptMusic_; }
};

}  // namespace tnx::settings
