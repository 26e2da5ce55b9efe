// What the Mp3player dialog does to the music configuration, without the
// dialog: the file list and the directory list with their selections, the
// moves and removals on the list being edited, adding entries, and reading
// the dialog's values back on OK.
//
// List edits go into the configuration at once (Cancel keeps them, as the
// lists are the dialog's working material); the directories the player
// plays stay the same directories however the list is rearranged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/music_configuration.h"

namespace tnx::settings {

class MusicListEditor {
public:
    enum class Target { Directories, Files };

    // `roomForLists` is how many bytes of list text the configuration file
    // can still take (see listBytes).
    explicit MusicListEditor(MusicConfiguration& config, size_t roomForLists = SIZE_MAX);

    // The list the buttons act on; the choice is kept for the rest of the run.
    Target target() const { return target_; }
    void setTarget(Target t);

    size_t count(Target t) const { return list(t).size(); }
    const std::string& entry(Target t, size_t index) const { return list(t)[index].text; }
    bool selected(Target t, size_t index) const { return list(t)[index].selected; }
    void setSelected(Target t, size_t index, bool on);
    // A list line: the 1-based number right-aligned in three places, two
    // spaces, the entry.
    static std::string lineText(size_t index, std::string_view entry);

    // On the target list: the selected entries to the top or the bottom in
    // their order; one place up or down, where a block of selected entries
    // that touches that end stays; removal; emptying.
    void moveTop();
    void moveUp();
    void moveDown();
    void moveBottom();
    void removeSelected();
    void removeAll();

    // Appends entries; empty ones are skipped, and so is what the file could
    // no longer hold. Returns how many were added.
    size_t addFiles(const std::vector<std::string>& paths);
    bool addDirectory(const std::string& path);
    // Bytes the two lists take in their records beyond the empty heads.
    size_t listBytes() const;

    // The maximum as typed: blanks around it are allowed, empty is 0, whole
    // numbers are held to 0 .. 999; anything else is no number.
    static std::optional<int32_t> parseMaxFiles(std::string_view text);

    struct Choices {
        bool enabled = false;
        bool spectrumShown = true;
        bool randomizeOnStart = true;
        int32_t maxFiles = 0;
        int playModeIndex = -1;  // -1: nothing chosen, the mode stays
    };
    // OK: the values and the directories selected now. Without OK the
    // configuration keeps its own selection, moved along with the edits.
    void accept(const Choices& c);

private:
    struct Entry {
        std::string text;
        bool selected = false;
        bool wasChosen = false;  // directories only: selected in the configuration
    };
    std::vector<Entry>& list(Target t) { return t == Target::Files ? files_ : dirs_; }
    const std::vector<Entry>& list(Target t) const { return t == Target::Files ? files_ : dirs_; }
    void store();
    void storeSelection(bool fromChosen);
    bool fits(size_t extra) const;

    MusicConfiguration& config_;
    size_t room_;
    Target target_;
    std::vector<Entry> files_;
    std::vector<Entry> dirs_;
};

}  // namespace tnx::settings
