// The globe configuration with its named themes, stored as the record
// "saveconfigglobe": the 208-byte live configuration, one 208-byte block per
// theme (block 0 stands for "random" and is never read back), then the
// string list of the names of themes 1 .. count - 1.
//
// Reading keeps what it cannot use: a field outside its range keeps the
// value the object held before (the shipped default, when that was read
// first), a theme table that does not fit keeps the themes held before.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "settings/globe_configuration.h"
#include "settings/record.h"

namespace tnx::settings {

class GlobeConfigRecord : public RecordOwner {
public:
    static constexpr const char* kRecordName = "saveconfigglobe";
    static constexpr uint32_t kStamp = 208;
    static constexpr size_t kBlockSize = 208;
    static constexpr int kMaxThemes = 100;  // "random" included
    // Draws 0 .. 32767, as the C library's generator does on every platform
    // that the stored choice formula was made for.
    using RandomSource = std::function<int()>;

    struct Theme {
        std::string name;  // empty for theme 0, "random"
        GlobeConfiguration look;
    };

    // The built-in configuration and no saved themes.
    GlobeConfigRecord();
    explicit GlobeConfigRecord(const GlobeConfiguration& live);

    GlobeConfiguration& live() { return live_; }
    const GlobeConfiguration& live() const { return live_; }
    int themeCount() const { return int(themes_.size()); }
    int currentTheme() const { return current_; }
    const Theme& theme(int index) const { return themes_.at(size_t(index)); }
    // The name a new theme is offered: "Config" and the theme count.
    std::string proposedThemeName() const;

    // A theme chosen in the dialog: the live look goes back into the theme
    // being left, then the chosen theme is taken, the saver's camera with
    // it (for "random", a saved theme drawn at random). An index outside the
    // table does nothing.
    void switchTheme(int index);
    // With "random" current and saved themes present, takes the look of one
    // drawn at random; returns its index, or 0 when none was taken.
    int pickRandomTheme();
    // Adds the live configuration as a theme of that name and makes it
    // current; false (nothing added) once there are kMaxThemes.
    bool saveThemeAs(const std::string& name);
    // Deletes the current theme unless it is "random"; the theme now at its
    // index (or the last one) becomes current and its look is taken.
    bool deleteCurrentTheme();

    void setRandomSource(RandomSource source) { random_ = std::move(source); }

    size_t writeRecord(std::vector<uint8_t>& out) override;
    // kRecordApplied (with repairs() telling what was kept), kRecordNotMine
    // for another stamp or a fixed part too short, kRecordNameDiffers.
    int readRecord(std::span<const uint8_t> record) override;
    // Values the last read could not use and kept from before.
    int repairs() const { return repairs_; }

private:
    void writeBlock(io::ByteWriter& w, const GlobeConfiguration& c) const;
    int randomIndex();

    GlobeConfiguration live_;
    int32_t reserved8_ = 0;
    std::vector<Theme> themes_;
    int current_ = 0;
    int repairs_ = 0;
    RandomSource random_;
};

// Reads offsets 12 .. 191 of a 208-byte block into `into`; a value outside
// its range keeps into's value. Returns how many were kept.
int readGlobeBlock(const uint8_t* block, GlobeConfiguration& into);
// Writes offsets 12 .. 191 of a block.
void writeGlobeBlock(io::ByteWriter& w, const GlobeConfiguration& c);

}  // namespace tnx::settings
