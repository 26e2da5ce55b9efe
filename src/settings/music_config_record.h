// The music configuration's record "saveconfigmp3": a 1064-byte fixed part
// (unused word, stamp 1064, reserved word, enabled, maximum files, spectrum
// shown, randomise on start, play mode, 256 selected directory indices, two
// unused words), then the file list and the directory list as string list
// records.
//
// Reading repairs what it cannot use: the maximum is held to 0 .. 999, a play
// mode outside the known ones keeps the mode held before, the selected
// indices keep only an ascending run, and a list whose record does not fit
// keeps the list held before.
#pragma once

#include "settings/music_configuration.h"
#include "settings/record.h"

namespace tnx::settings {

class MusicConfigRecord : public RecordOwner {
public:
    static constexpr const char* kRecordName = "saveconfigmp3";
    static constexpr uint32_t kStamp = 1064;
    static constexpr size_t kFixedSize = 1064;

    // Reads into and writes from `music`, which must outlive the record.
    explicit MusicConfigRecord(MusicConfiguration& music) : music_(music) {}

    size_t writeRecord(std::vector<uint8_t>& out) override;
    // kRecordApplied (repairs() tells what was mended), kRecordNotMine for
    // another stamp or a fixed part too short, kRecordNameDiffers,
    // kRecordOverrun for a record that does not fit its span.
    int readRecord(std::span<const uint8_t> record) override;
    int repairs() const { return repairs_; }

    // The selection as stored: indices ascending, each below `listSize`
    // when a size is given, ended by -1 and filled with -1. Returns how many
    // entries were dropped.
    static int normaliseSelection(std::array<int32_t, kMaxSelectedDirectories>& selection,
                                  size_t listSize = SIZE_MAX);

private:
    MusicConfiguration& music_;
    int repairs_ = 0;
};

}  // namespace tnx::settings
